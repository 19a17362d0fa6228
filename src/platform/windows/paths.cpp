#include "backend.h"

namespace platform::paths {
namespace {

bool RawToUnicode(std::string_view ansi, std::wstring& wide) {
    wide.clear();
    if (ansi.empty()) return true;
    int length = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()),
                                       nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()),
                                 wide.data(), length) == length;
}

bool RawToAnsi(std::wstring_view wide, AnsiText& ansi) {
    ansi.clear();
    if (wide.empty()) return true;
    BOOL defaulted = FALSE;
    int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, &defaulted);
    if (length <= 0 || defaulted) return false;
    ansi.resize(static_cast<std::size_t>(length));
    return ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
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

bool LongPath(const AnsiText& path, std::wstring& wide) {
    std::wstring given;
    if (!ToUnicode(path, given) || given.empty()) return false;
    if (StartsWith(given, L"\\\\?\\")) {
        wide = given;
        return true;
    }
    // GetFullPathNameW has no MAX_PATH limit; it makes the path absolute in
    // the form "\\?\" then takes literally.
    DWORD size = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0) return false;
    std::wstring full(size, L'\0');
    DWORD length = ::GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return false;
    full.resize(length);
    if (StartsWith(full, L"\\\\.\\")) return false;  // a device, never an install folder
    if (StartsWith(full, L"\\\\")) wide = L"\\\\?\\UNC\\" + full.substr(2);
    else wide = L"\\\\?\\" + full;
    return true;
}

namespace {

// Where Windows says an open object is: its volume and its path from the
// volume's root, with every link on the way resolved. (Not
// GetFinalPathNameByHandleW: Wine's gives up on paths past MAX_PATH.)
bool Location(HANDLE handle, DWORD& volume, std::wstring& path) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) return false;
    volume = info.dwVolumeSerialNumber;
    // Room for the longest path Windows has; DWORDs for FILE_NAME_INFO's alignment.
    static DWORD buffer[(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t)) / sizeof(DWORD) + 1];
    auto* name = reinterpret_cast<FILE_NAME_INFO*>(buffer);
    if (!::GetFileInformationByHandleEx(handle, FileNameInfo, name, sizeof buffer)) return false;
    path.assign(name->FileName, name->FileNameLength / sizeof(wchar_t));
    return true;
}

}  // namespace

bool IsPlainlyAt(HANDLE handle, const AnsiText& folder, const AnsiText& path) {
    // Windows reports a link opened as itself by its attribute; Wine opens
    // what a Unix link leads to and reports no attribute, which the
    // location below gives away instead.
    FILE_ATTRIBUTE_TAG_INFO tag;
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;

    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    std::string_view relative(path);
    relative.remove_prefix(folder.size());
    if (relative.back() == '\\') relative.remove_suffix(1);
    std::wstring expected, actual, name;
    if (!ToUnicode(relative, name)) return false;

    std::wstring folderPath;
    if (!LongPath(folder, folderPath)) return false;
    HANDLE anchor = ::CreateFileW(folderPath.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (anchor == INVALID_HANDLE_VALUE) return false;
    DWORD expectedVolume = 0, actualVolume = 0;
    bool anchored = Location(anchor, expectedVolume, expected);
    ::CloseHandle(anchor);
    if (!anchored || !Location(handle, actualVolume, actual) || actualVolume != expectedVolume) return false;
    if (expected.empty() || expected.back() != L'\\') expected += L'\\';
    expected += name;
    // Names on disk may differ in case from the listed ones ("Thumbs.db").
    return ::CompareStringOrdinal(expected.data(), static_cast<int>(expected.size()), actual.data(),
                                  static_cast<int>(actual.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace platform::paths
