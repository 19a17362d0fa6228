// Presence tests, deletion and the one file the program writes. Every path
// goes to Windows in its "\\?\" form, so depth is never a reason to pass a
// target over.

#include <windows.h>

#include "backend.h"
#include "platform/platform.h"

namespace platform {

bool IsRegularFilePresent(const AnsiText& path) {
    std::wstring wide;
    if (!paths::LongPath(path, wide)) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    // A file whose date has no DOS form (before 1980, after 2107) has always
    // been treated as not there; keep it so.
    FILETIME local;
    WORD dosDate, dosTime;
    return ::FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) &&
           ::FileTimeToDosDateTime(&local, &dosDate, &dosTime);
}

namespace {

DWORD Attributes(const AnsiText& path) {
    std::wstring wide;
    return paths::LongPath(path, wide) ? ::GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

// Opens the name itself, where Windows can: a link is opened as the link,
// never as what it leads to.
HANDLE OpenForDeletion(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Deleting through the handle that was checked leaves no moment in which the
// name could be swapped for a link between the check and the deletion. It
// takes effect when the last handle closes, and fails for a read-only file
// or a folder that is not empty.
bool MarkForDeletion(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// A deletion can be accepted and still leave the name: another program
// holding the file open keeps it until it lets go, and a read-only file
// system may accept and do nothing.
bool IsGone(const std::wstring& path) {
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool Remove(const AnsiText& folder, const AnsiText& path, bool isFolder) {
    std::wstring wide;
    if (!paths::LongPath(path, wide)) return false;
    HANDLE target = OpenForDeletion(wide);
    if (target == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool marked = ::GetFileInformationByHandle(target, &info) &&
                  ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == isFolder &&
                  paths::IsPlainlyAt(target, folder, path) && MarkForDeletion(target);
    ::CloseHandle(target);
    return marked && IsGone(wide);
}

constexpr DWORD NotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY |
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A plain file of our own making: one name only, no special attribute, and
// at the path inside the folder. A second hard link would let the bytes
// written here show up, or be run, under a name elsewhere.
bool IsOwnPlainFile(HANDLE file, const AnsiText& folder, const AnsiText& path) {
    BY_HANDLE_FILE_INFORMATION info;
    return ::GetFileInformationByHandle(file, &info) && !(info.dwFileAttributes & NotPlain) &&
           info.nNumberOfLinks == 1 && paths::IsPlainlyAt(file, folder, path);
}

}  // namespace

bool IsFolderPresent(const AnsiText& path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReparsePoint(const AnsiText& path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool DeleteFileA(const AnsiText& folder, const AnsiText& path) { return Remove(folder, path, false); }

bool RemoveDirectoryA(const AnsiText& folder, const AnsiText& path) { return Remove(folder, path, true); }

bool WriteNewFile(const AnsiText& folder, const AnsiText& name, std::string_view bytes) {
    AnsiText path = folder + name;
    std::wstring wide;
    if (!paths::LongPath(path, wide)) return false;

    // Anybody may have put something under this name beforehand. Only a
    // plain file goes; anything else could carry what we write elsewhere.
    HANDLE old = OpenForDeletion(wide);
    if (old != INVALID_HANDLE_VALUE) {
        bool deleted = IsOwnPlainFile(old, folder, path) && MarkForDeletion(old);
        ::CloseHandle(old);
        if (!deleted) return false;
    } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }

    // CREATE_NEW fails if the name came back meanwhile, and with
    // FILE_FLAG_OPEN_REPARSE_POINT it will not create through a link either.
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = IsOwnPlainFile(file, folder, path) && WriteAll(file, bytes);
    // What was created but not completed goes again: only a complete file
    // may ever be run.
    if (!written) MarkForDeletion(file);
    bool closed = ::CloseHandle(file) != 0;
    return written && closed;
}

}  // namespace platform
