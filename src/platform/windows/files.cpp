// Presence tests, deletion and the one file the program writes. Every path
// reaches Windows in its "\\?\" form by way of the pinned install folder, so
// depth is never a reason to pass a target over, and a link above the
// folder re-pointed mid-run leads nowhere else.

#include <windows.h>

#include "answers.h"
#include "backend.h"
#include "platform/platform.h"

// Windows 10 1709's class for POSIX deletion. This SDK names it only for
// programs that require a later Windows 10, and this one starts on Windows 7
// too, where Windows refuses the class as unknown.
namespace {
constexpr auto FileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
}  // namespace

namespace platform {

bool PinInstallFolder(const AnsiText& folder) { return paths::PinFolder(folder); }

bool IsRegularFilePresent(const AnsiText& path) {
    std::wstring wide;
    if (!paths::LongPath(path, wide)) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = win32.FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    win32.FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    // A file whose date has no DOS form (before 1980, after 2107) has always
    // been treated as not there; keep it so.
    FILETIME local;
    WORD dosDate, dosTime;
    return win32.FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) &&
           win32.FileTimeToDosDateTime(&local, &dosDate, &dosTime);
}

namespace {

// A folder is opened by its name without the trailing backslash, the name
// Windows reports it by.
std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    return std::wstring(answers::WithoutTrailingSeparators(path));
}

// Opens the name itself, where Windows can: a link is opened as the link,
// never as what it leads to.
HANDLE OpenAsItself(const std::wstring& path, DWORD access) {
    return win32.CreateFileW(WithoutTrailingBackslash(path).c_str(), access,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Deleting through the handle that was checked leaves no moment in which the
// name could be swapped for a link between the check and the deletion.
//
// Where Windows has it (10 1709 and later, on NTFS) the deletion has POSIX
// semantics: the name goes at once, even while Explorer, the indexer or a
// virus scanner holds the file open with delete sharing, and so its folder
// can go too. The flag that would also delete a read-only file is not given.
// Elsewhere the plain disposition takes effect when the last handle closes;
// both fail for a read-only file or a folder that is not empty.
bool MarkForDeletion(HANDLE handle) {
    FILE_DISPOSITION_INFO_EX posix{FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS};
    if (win32.SetFileInformationByHandle(handle, FileDispositionInfoEx, &posix, sizeof posix)) return true;
    if (!answers::DispositionExUnsupported(win32.GetLastError())) return false;
    FILE_DISPOSITION_INFO disposition{TRUE};
    return win32.SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// A deletion can be accepted and still leave the name: another program
// holding the file open keeps it until it lets go (without POSIX deletion),
// and a read-only file system may accept and do nothing.
bool IsGone(const std::wstring& path) {
    if (win32.GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    DWORD error = win32.GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool Remove(const AnsiText& folder, const AnsiText& path, bool isFolder) {
    std::wstring wide;
    if (folder != paths::Pinned().started || !paths::LongPath(path, wide)) return false;
    HANDLE target = OpenAsItself(wide, DELETE | FILE_READ_ATTRIBUTES);
    if (target == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool marked = win32.GetFileInformationByHandle(target, &info) &&
                  ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == isFolder &&
                  paths::IsPlainlyAt(target, path) && MarkForDeletion(target);
    win32.CloseHandle(target);
    return marked && IsGone(WithoutTrailingBackslash(wide));
}

constexpr DWORD NotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY |
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A plain file of our own making: one name only, no special attribute, and
// at the path inside the folder. A second hard link would let the bytes
// written here show up, or be run, under a name elsewhere.
bool IsOwnPlainFile(HANDLE file, const AnsiText& path) {
    BY_HANDLE_FILE_INFORMATION info;
    return win32.GetFileInformationByHandle(file, &info) && !(info.dwFileAttributes & NotPlain) &&
           info.nNumberOfLinks == 1 && paths::IsPlainlyAt(file, path);
}

// Full access for SYSTEM and the Administrators, nothing for anybody else,
// and nothing inherited from the folder: in a folder where other users may
// change new files, they could otherwise rewrite the script while cmd,
// which reads a batch file line by line, runs it with our rights.
constexpr wchar_t AdministratorsOnly[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)";

HANDLE CreateAdministratorsFile(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!win32.ConvertStringSecurityDescriptorToSecurityDescriptorW(AdministratorsOnly, SDDL_REVISION_1,
                                                                    &descriptor, nullptr))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    // CREATE_NEW fails if the name came back meanwhile, and with
    // FILE_FLAG_OPEN_REPARSE_POINT it will not create through a link either.
    HANDLE file = win32.CreateFileW(path.c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                    &security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr);
    win32.LocalFree(descriptor);
    return file;
}

}  // namespace

bool IsFolderPresent(const AnsiText& path) {
    std::wstring wide;
    if (!paths::LongPath(path, wide)) return false;
    DWORD attributes = win32.GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReparsePoint(const AnsiText& path) {
    // Only a name that leads elsewhere counts: a link by its tag on Windows,
    // a Unix link under Wine by where the handle leads.
    if (path.empty() || path.back() == '\\') return false;
    std::wstring wide;
    if (!paths::LongPath(path, wide)) return false;
    HANDLE handle = OpenAsItself(wide, FILE_READ_ATTRIBUTES);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool elsewhere = !paths::IsPlainlyAt(handle, path);
    win32.CloseHandle(handle);
    return elsewhere;
}

bool DeleteFileA(const AnsiText& folder, const AnsiText& path) { return Remove(folder, path, false); }

bool RemoveDirectoryA(const AnsiText& folder, const AnsiText& path) { return Remove(folder, path, true); }

bool WriteNewFile(const AnsiText& folder, const AnsiText& name, std::string_view bytes) {
    AnsiText path = folder + name;
    std::wstring wide;
    if (folder != paths::Pinned().started || !paths::LongPath(path, wide)) return false;

    // Anybody may have put something under this name beforehand. Only a
    // plain file goes; anything else could carry what we write elsewhere.
    HANDLE old = OpenAsItself(wide, DELETE | FILE_READ_ATTRIBUTES);
    if (old != INVALID_HANDLE_VALUE) {
        bool deleted = IsOwnPlainFile(old, path) && MarkForDeletion(old);
        win32.CloseHandle(old);
        if (!deleted) return false;
    } else if (win32.GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }

    HANDLE file = CreateAdministratorsFile(wide);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = IsOwnPlainFile(file, path) && WriteAll(file, bytes);
    // What was created but not completed goes again: only a complete file
    // may ever be run.
    if (!written) MarkForDeletion(file);
    bool closed = win32.CloseHandle(file) != 0;
    return written && closed;
}

}  // namespace platform
