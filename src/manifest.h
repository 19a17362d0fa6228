#pragma once
// Everything the uninstaller removes, in the order it removes it. Nothing
// that is not listed here is ever touched.

#include <cstddef>
#include <string_view>

#include "UTypes.h"
#include "codepage.h"

inline constexpr ManifestEntry Manifest[] = {
    {EntryKind::File, u8"korlanь.exe"_cp1251},
    {EntryKind::File, u8"korlan.exe"_cp1251},
    {EntryKind::File, u8"mildrev.exe"_cp1251},
    {EntryKind::File, u8"sabet.exe"_cp1251},
    {EntryKind::File, u8"thumbs.db"_cp1251},
    {EntryKind::File, u8"desktop.inf"_cp1251},
    {EntryKind::File, u8"nubra\\nubra.chm"_cp1251},
    {EntryKind::File, u8"nubra\\thumbs.db"_cp1251},
    {EntryKind::File, u8"nubra\\desktop.inf"_cp1251},
    {EntryKind::File, u8"tesk\\Olvan.ico"_cp1251},
    {EntryKind::File, u8"tesk\\Prisel.ico"_cp1251},
    {EntryKind::File, u8"tesk\\Dovra.reg"_cp1251},
    {EntryKind::File, u8"tesk\\Trevin.reg"_cp1251},
    {EntryKind::File, u8"tesk\\Wendal.rtf"_cp1251},
    {EntryKind::File, u8"tesk\\thumbs.db"_cp1251},
    {EntryKind::File, u8"tesk\\desktop.inf"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Ambel.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Brusk.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Cinna.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Dorve.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Evrin.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Folan.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Gim.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Hestra.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\Ivo.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\jolo.wav"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\thumbs.db"_cp1251},
    {EntryKind::File, u8"tesk\\Ostin\\desktop.inf"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\kem.bmp"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\lof.bmp"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\mavo1.bmp"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\mavo2.bmp"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\mavo1.png"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\mavo2.png"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\nesk1.bmp"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\nesk2.bmp"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\orp.bmp"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\pa.jpg"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\sil.jpg"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\pa.png"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\sil.png"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\varle.inf"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\thumbs.db"_cp1251},
    {EntryKind::File, u8"tesk\\Varle\\desktop.inf"_cp1251},
    {EntryKind::Folder, u8"nubra\\"_cp1251},
    {EntryKind::Folder, u8"tesk\\Ostin\\"_cp1251},
    {EntryKind::Folder, u8"tesk\\Varle\\"_cp1251},
    {EntryKind::Folder, u8"tesk\\"_cp1251},
};

// ---- What the removal order relies on, checked while compiling -------------

namespace manifest_checks {

// Hand-written: GCC's sanitizer builds cannot evaluate string_view::find in
// a constant expression.
consteval bool MatchesAt(std::string_view s, std::size_t at, std::string_view what) {
    if (at + what.size() > s.size()) return false;
    for (std::size_t i = 0; i < what.size(); ++i)
        if (s[at + i] != what[i]) return false;
    return true;
}

consteval bool Contains(std::string_view s, std::string_view what) {
    for (std::size_t at = 0; at < s.size(); ++at)
        if (MatchesAt(s, at, what)) return true;
    return false;
}

consteval bool FilesThenFolders() {
    std::size_t files = 0, folders = 0;
    for (const ManifestEntry& e : Manifest) {
        if (e.kind == EntryKind::File) {
            if (folders != 0) return false;
            ++files;
        } else {
            ++folders;
        }
    }
    return files == 44 && folders == 4;
}

consteval bool EndsMatchKinds() {
    for (const ManifestEntry& e : Manifest)
        if (e.relativePath.empty() || (e.relativePath.back() == '\\') != (e.kind == EntryKind::Folder))
            return false;
    return true;
}

// Each folder goes only once every folder inside it has gone.
consteval bool InnerFoldersFirst() {
    constexpr std::size_t n = sizeof Manifest / sizeof Manifest[0];
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (Manifest[i].kind == EntryKind::Folder && Manifest[j].kind == EntryKind::Folder &&
                Manifest[j].relativePath.size() > Manifest[i].relativePath.size() &&
                MatchesAt(Manifest[j].relativePath, 0, Manifest[i].relativePath))
                return false;
    return true;
}

// Every path stays inside the install folder: relative, no drive, no "..",
// no wildcard, and never the program file itself.
consteval bool StaysInside() {
    for (const ManifestEntry& e : Manifest) {
        std::string_view p = e.relativePath;
        if (p.front() == '\\' || Contains(p, ":") || Contains(p, "*") || Contains(p, "?")) return false;
        if (MatchesAt(p, 0, "..") || Contains(p, "\\..") || Contains(p, "\\\\")) return false;
        if (p == "uninstall.exe" || p == "unveltarin.bat") return false;
    }
    return true;
}

static_assert(FilesThenFolders(), "44 files first, then 4 folders");
static_assert(EndsMatchKinds(), "folders end with a backslash, files do not");
static_assert(InnerFoldersFirst(), "a folder must come after the folders inside it");
static_assert(StaysInside(), "every entry must stay inside the install folder");

}  // namespace manifest_checks
