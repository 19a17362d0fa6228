#include "answers.h"
#include "backend.h"
#include "platform/platform.h"

namespace platform::paths {
namespace {

// WC_NO_BEST_FIT_CHARS and MB_ERR_INVALID_CHARS make a character 1251 lacks
// an error instead of a look-alike.
bool RawToUnicode(std::string_view ansi, std::wstring& wide) {
    wide.clear();
    if (ansi.empty()) return true;
    int length = win32.MultiByteToWideChar(AnsiCodePage, MB_ERR_INVALID_CHARS, ansi.data(),
                                           static_cast<int>(ansi.size()), nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<std::size_t>(length));
    return win32.MultiByteToWideChar(AnsiCodePage, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()),
                                     wide.data(), length) == length;
}

bool RawToAnsi(std::wstring_view wide, AnsiText& ansi) {
    ansi.clear();
    if (wide.empty()) return true;
    BOOL defaulted = FALSE;
    int length = win32.WideCharToMultiByte(AnsiCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                           static_cast<int>(wide.size()), nullptr, 0, nullptr, &defaulted);
    if (length <= 0 || defaulted) return false;
    ansi.resize(static_cast<std::size_t>(length));
    return win32.WideCharToMultiByte(AnsiCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                     ansi.data(), length, nullptr, &defaulted) == length &&
           !defaulted;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

// Each direction is checked by the way back: only a round trip that gives
// the same text proves that no character was replaced.
bool ToUnicode(std::string_view ansi, std::wstring& wide) {
    AnsiText back;
    return RawToUnicode(ansi, wide) && RawToAnsi(wide, back) && back == ansi;
}

bool ToAnsi(std::wstring_view wide, AnsiText& ansi) {
    std::wstring back;
    return RawToAnsi(wide, ansi) && RawToUnicode(ansi, back) && back == wide;
}

namespace {

Pin pin;

// The "\\?\" form of the folder the program was started in, as text.
// GetFullPathNameW has no MAX_PATH limit.
bool FullLongPath(const AnsiText& folder, std::wstring& wide) {
    std::wstring given;
    if (!ToUnicode(folder, given) || given.empty()) return false;
    if (StartsWith(given, L"\\\\?\\")) {
        wide = given;
        return true;
    }
    DWORD size = win32.GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0) return false;
    std::wstring full(size, L'\0');
    DWORD length = win32.GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return false;
    full.resize(length);
    if (StartsWith(full, L"\\\\.\\")) return false;  // a device, never an install folder
    if (StartsWith(full, L"\\\\")) wide = L"\\\\?\\UNC\\" + full.substr(2);
    else wide = L"\\\\?\\" + full;
    return true;
}

// Where Windows says an open object is: its volume and its path from the
// volume's root, with every link on the way resolved. (Not
// GetFinalPathNameByHandleW: Wine's gives up on paths past MAX_PATH.)
bool Location(HANDLE handle, DWORD& volume, std::wstring& path) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!win32.GetFileInformationByHandle(handle, &info)) return false;
    volume = info.dwVolumeSerialNumber;
    // Room for the longest path Windows has; DWORDs for FILE_NAME_INFO's alignment.
    static DWORD buffer[(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t)) / sizeof(DWORD) + 1];
    auto* name = reinterpret_cast<FILE_NAME_INFO*>(buffer);
    if (!win32.GetFileInformationByHandleEx(handle, FileNameInfo, name, sizeof buffer)) return false;
    path.assign(name->FileName, name->FileNameLength / sizeof(wchar_t));
    return true;
}

// The same file or folder: same volume, same file index.
bool SameObject(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    return win32.GetFileInformationByHandle(a, &x) && win32.GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

// Whether `path` names, right now, the folder open in `folder`.
bool NamesFolder(const std::wstring& path, HANDLE folder) {
    HANDLE other = win32.CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (other == INVALID_HANDLE_VALUE) return false;
    bool same = SameObject(other, folder);
    win32.CloseHandle(other);
    return same;
}

// The volume part of a "\\?\" path: "\\?\C:" or "\\?\UNC\server\share".
std::wstring VolumeOf(const std::wstring& path) {
    if (!StartsWith(path, L"\\\\?\\UNC\\")) return path.substr(0, 6);
    std::size_t server = path.find(L'\\', 8);
    std::size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path : path.substr(0, share);
}

// A name for the pinned folder with every link resolved, proved to name it
// by opening it again and finding the same object. Windows says it with
// GetFinalPathNameByHandleW; Wine's answers nothing past MAX_PATH, where
// the volume the folder was started on, joined to the path from its root,
// is tried instead.
bool RealPath(const std::wstring& started, std::wstring& real) {
    static wchar_t final[32768];
    DWORD length = win32.GetFinalPathNameByHandleW(pin.handle, final, sizeof final / sizeof final[0],
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    std::wstring candidates[2];
    if (length > 0 && length < sizeof final / sizeof final[0]) candidates[0].assign(final, length);
    std::wstring_view fromRoot = answers::WithoutTrailingSeparators(pin.fromRoot);
    if (fromRoot != L"\\") candidates[1] = VolumeOf(started) + std::wstring(fromRoot);
    else candidates[1] = VolumeOf(started) + L"\\";
    for (std::wstring& candidate : candidates) {
        if (!StartsWith(candidate, L"\\\\?\\") || !NamesFolder(candidate, pin.handle)) continue;
        if (candidate.back() != L'\\') candidate += L'\\';
        real = candidate;
        return true;
    }
    return false;
}

}  // namespace

bool SamePath(std::wstring_view a, std::wstring_view b) {
    a = answers::WithoutTrailingSeparators(a);
    b = answers::WithoutTrailingSeparators(b);
    return win32.CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                      TRUE) == CSTR_EQUAL;
}

const Pin& Pinned() { return pin; }

bool PinFolder(const AnsiText& folder) {
    std::wstring started;
    if (pin.handle != INVALID_HANDLE_VALUE || !FullLongPath(folder, started)) return false;
    // Listing access, so that the share mode binds others (Windows checks
    // sharing only against handles with data or delete access); no
    // FILE_SHARE_DELETE, so that nobody can rename or remove the folder.
    pin.handle = win32.CreateFileW(started.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_TRAVERSE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (pin.handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (win32.GetFileInformationByHandle(pin.handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        Location(pin.handle, pin.volume, pin.fromRoot) && !pin.fromRoot.empty() && RealPath(started, pin.real)) {
        pin.started = folder;
        return true;
    }
    win32.CloseHandle(pin.handle);
    pin = Pin{};
    return false;
}

namespace {

// The part of `path` below the pinned folder as it was started, in Unicode;
// false for a path outside it.
bool NameInFolder(const AnsiText& path, std::wstring& name) {
    return pin.handle != INVALID_HANDLE_VALUE && path.size() >= pin.started.size() &&
           path.compare(0, pin.started.size(), pin.started) == 0 &&
           ToUnicode(std::string_view(path).substr(pin.started.size()), name);
}

}  // namespace

bool LongPath(const AnsiText& path, std::wstring& wide) {
    std::wstring name;
    if (!NameInFolder(path, name)) return false;
    wide = pin.real + name;
    return true;
}

bool IsPlainlyAt(HANDLE handle, const AnsiText& path) {
    // Windows reports a link opened as itself by its attribute and tag; Wine
    // opens what a Unix link leads to and reports no attribute, which the
    // location below gives away instead.
    FILE_ATTRIBUTE_TAG_INFO tag;
    if (!win32.GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
        ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && answers::IsLinkTag(tag.ReparseTag)))
        return false;

    std::wstring name;
    if (!NameInFolder(path, name) || name.empty()) return false;
    std::wstring expected(answers::WithoutTrailingSeparators(pin.fromRoot));
    if (expected.back() != L'\\') expected += L'\\';
    expected += name;

    DWORD volume = 0;
    std::wstring actual;
    return Location(handle, volume, actual) && volume == pin.volume && SamePath(expected, actual);
}

}  // namespace platform::paths
