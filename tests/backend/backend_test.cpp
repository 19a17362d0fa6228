// The Windows backend itself, cross-built and run under Wine, with single
// Windows calls made to answer as Windows does where Wine does not. The
// unit tests' double replaces this backend whole, so only here does its own
// handling of those answers run.
//
//   backend_tests.exe FOLDER\     (an empty scratch folder, held as the install folder)

#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <string>

#include "check.h"
#include "platform/platform.h"
#include "platform/windows/answers.h"
#include "platform/windows/backend.h"

using platform::win32;

namespace {

AnsiText Folder;  // the scratch folder as the program would have been started in it

std::wstring Real(const std::wstring& relative) { return platform::paths::Pinned().real + relative; }

bool Exists(const std::wstring& relative) { return GetFileAttributesW(Real(relative).c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFile(const std::wstring& relative) {
    HANDLE file = CreateFileW(Real(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CHECK(file != INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(file, "x", 1, &written, nullptr);
    CloseHandle(file);
}

void MakeFolder(const std::wstring& relative) { CHECK(CreateDirectoryW(Real(relative).c_str(), nullptr)); }

// ---- Ctrl+C during a wait -----------------------------------------------------

struct Exited {};
UINT exitStatus;

VOID WINAPI ExitProcessCaught(UINT status) {
    exitStatus = status;
    throw Exited{};
}

// Windows, when Ctrl+C or Ctrl+Break interrupts a console read.
BOOL WINAPI ReadAbortedByCtrlC(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
    *read = 0;
    SetLastError(ERROR_OPERATION_ABORTED);
    return TRUE;
}

// A file at its end: success and nothing read, the last error untouched.
BOOL WINAPI ReadNothing(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
    *read = 0;
    return TRUE;
}

// A Windows pipe whose writer has gone.
BOOL WINAPI ReadBrokenPipe(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
    *read = 0;
    SetLastError(ERROR_BROKEN_PIPE);
    return FALSE;
}

CASE(CtrlCDuringAWaitEndsTheProgramAsWindowsHandlerDoes) {
    win32.ReadFile = ReadAbortedByCtrlC;
    win32.ExitProcess = ExitProcessCaught;
    char buffer[8];
    std::size_t got = 0;
    CHECK(platform::ReadStdInput(buffer, sizeof buffer, got) == platform::ReadResult::Interrupted);
    exitStatus = 0;
    bool ended = false;
    try {
        platform::WaitForLine();
    } catch (const Exited&) {
        ended = true;
    }
    CHECK(ended);
    CHECK(exitStatus == STATUS_CONTROL_C_EXIT);
    platform::CloseStandardStreams();
}

CASE(EndOfInputAfterAnOldAbortIsStillTheEnd) {
    win32.ReadFile = ReadNothing;
    char buffer[8];
    std::size_t got = 0;
    SetLastError(ERROR_OPERATION_ABORTED);  // left over from anything earlier
    CHECK(platform::ReadStdInput(buffer, sizeof buffer, got) == platform::ReadResult::End);
    win32.ReadFile = ReadBrokenPipe;
    CHECK(platform::ReadStdInput(buffer, sizeof buffer, got) == platform::ReadResult::End);
}

// ---- Deletion of a file somebody holds open ----------------------------------

HANDLE holder = INVALID_HANDLE_VALUE;  // Explorer, the indexer or a virus scanner
DWORD dispositionFlags;
int plainDispositions;

// Windows 10 1709 and later on NTFS: with POSIX semantics the name goes at
// once, though another handle still holds the file. Wine removes the name
// only when the last handle closes, so here the holder lets go at that
// moment instead.
BOOL WINAPI PosixDeletion(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (kind != 21) return SetFileInformationByHandle(file, kind, info, size);  // FileDispositionInfoEx
    dispositionFlags = *static_cast<DWORD*>(info);
    FILE_DISPOSITION_INFO plain{TRUE};
    if (!SetFileInformationByHandle(file, FileDispositionInfo, &plain, sizeof plain)) return FALSE;
    if (dispositionFlags & FILE_DISPOSITION_FLAG_POSIX_SEMANTICS) {
        CloseHandle(holder);
        holder = INVALID_HANDLE_VALUE;
    }
    return TRUE;
}

// What Wine 8, Windows 7 and 8 and FAT volumes answer, counted.
BOOL WINAPI NoPosixDeletion(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (kind == 21) {
        dispositionFlags = *static_cast<DWORD*>(info);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (kind == FileDispositionInfo) ++plainDispositions;
    return SetFileInformationByHandle(file, kind, info, size);
}

// A read-only file, or one the user may not delete.
BOOL WINAPI DeletionDenied(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (kind == FileDispositionInfo) ++plainDispositions;
    if (kind != 21 && kind != FileDispositionInfo) return SetFileInformationByHandle(file, kind, info, size);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// A folder holding Ambel.wav, which another program holds open with delete
// sharing, as Explorer, the indexer or a virus scanner would.
void HeldFileIn(const std::wstring& folder) {
    MakeFolder(folder);
    MakeFile(folder + L"\\Ambel.wav");
    holder = CreateFileW(Real(folder + L"\\Ambel.wav").c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(holder != INVALID_HANDLE_VALUE);
}

CASE(HeldFileGoesAtOnceWithPosixDeletionAndSoDoesItsFolder) {
    HeldFileIn(L"held1");
    win32.SetFileInformationByHandle = PosixDeletion;
    dispositionFlags = 0;
    CHECK(platform::DeleteFileA(Folder, Folder + "held1\\Ambel.wav"));
    // Not FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE: a read-only file stays refused.
    CHECK(dispositionFlags == (FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS));
    CHECK(platform::RemoveDirectoryA(Folder, Folder + "held1\\"));
    CHECK(!Exists(L"held1"));
}

CASE(HeldFileStaysWithoutPosixDeletionAndIsReportedSo) {
    HeldFileIn(L"held2");
    win32.SetFileInformationByHandle = NoPosixDeletion;
    plainDispositions = 0;
    CHECK(!platform::DeleteFileA(Folder, Folder + "held2\\Ambel.wav"));
    CHECK(plainDispositions == 1);  // fell back to the plain disposition
    CHECK(!platform::RemoveDirectoryA(Folder, Folder + "held2\\"));
    CloseHandle(holder);
    CHECK(!Exists(L"held2\\Ambel.wav"));  // the plain disposition took effect at the last close
    RemoveDirectoryW(Real(L"held2").c_str());
}

CASE(RefusedDeletionIsNotTriedAgainThePlainWay) {
    MakeFile(L"refused.exe");
    win32.SetFileInformationByHandle = DeletionDenied;
    plainDispositions = 0;
    CHECK(!platform::DeleteFileA(Folder, Folder + "refused.exe"));
    CHECK(plainDispositions == 0);
    CHECK(Exists(L"refused.exe"));
}

// ---- Names as Windows reports them -------------------------------------------

struct PathPair {
    const wchar_t* a;
    const wchar_t* b;
    bool same;
};

CASE(PathsCompareAsWindowsNamesThem) {
    const PathPair pairs[] = {
        {L"\\Apps\\tesk\\Ostin", L"\\Apps\\tesk\\Ostin\\", true},
        {L"\\Apps\\tesk\\Ostin\\", L"\\Apps\\tesk\\Ostin", true},
        {L"\\", L"\\", true},
        {L"\\", L"\\Apps", false},
        {L"\\server\\share\\Apps\\tesk", L"\\server\\share\\Apps\\tesk\\", true},
        {L"\\server\\share\\Apps\\tesk", L"\\server\\other\\Apps\\tesk", false},
        {L"\\Apps\\thumbs.db", L"\\APPS\\Thumbs.db", true},
        {L"\\Программы\\Велтарин", L"\\ПРОГРАММЫ\\вЕЛТАРИН", true},
        {L"\\Apps\\korlan.exe", L"\\Apps\\korlan.exe.keep", false},
        {L"\\Apps\\korlanь.exe", L"\\Apps\\korlan.exe", false},
    };
    for (const PathPair& pair : pairs) {
        bool same = platform::paths::SamePath(pair.a, pair.b);
        if (same != pair.same) std::printf("  %ls | %ls\n", pair.a, pair.b);
        CHECK(same == pair.same);
    }
}

// Microsoft does not say whether a folder's name comes back with the
// backslash it was opened with; this answers as if it did.
BOOL WINAPI FolderNameWithBackslash(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (!GetFileInformationByHandleEx(handle, kind, info, size)) return FALSE;
    BY_HANDLE_FILE_INFORMATION file;
    auto* name = static_cast<FILE_NAME_INFO*>(info);
    if (kind == FileNameInfo && GetFileInformationByHandle(handle, &file) &&
        (file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        name->FileNameLength + sizeof(wchar_t) <= size - offsetof(FILE_NAME_INFO, FileName)) {
        name->FileName[name->FileNameLength / sizeof(wchar_t)] = L'\\';
        name->FileNameLength += sizeof(wchar_t);
    }
    return TRUE;
}

CASE(FolderReportedWithATrailingBackslashIsStillRemoved) {
    MakeFolder(L"Ostin");
    win32.GetFileInformationByHandleEx = FolderNameWithBackslash;
    CHECK(platform::IsFolderPresent(Folder + "Ostin\\"));
    CHECK(!platform::IsReparsePoint(Folder + "Ostin"));
    CHECK(platform::RemoveDirectoryA(Folder, Folder + "Ostin\\"));
    CHECK(!Exists(L"Ostin"));
}

// ---- Only links are links ----------------------------------------------------

DWORD reportedTag;

// Every object reports a reparse point with this tag, as Windows reports a
// cloud placeholder or a link opened as itself.
BOOL WINAPI ReparseTagged(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (!GetFileInformationByHandleEx(handle, kind, info, size)) return FALSE;
    if (kind == FileAttributeTagInfo) {
        auto* tag = static_cast<FILE_ATTRIBUTE_TAG_INFO*>(info);
        tag->FileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        tag->ReparseTag = reportedTag;
    }
    return TRUE;
}

CASE(CloudPlaceholdersAreRemovedLikeAnyFileOrFolder) {
    MakeFolder(L"cloud");
    MakeFile(L"cloud\\pa.jpg");
    win32.GetFileInformationByHandleEx = ReparseTagged;
    reportedTag = IO_REPARSE_TAG_CLOUD_6;
    CHECK(!platform::IsReparsePoint(Folder + "cloud"));
    CHECK(platform::DeleteFileA(Folder, Folder + "cloud\\pa.jpg"));
    CHECK(platform::RemoveDirectoryA(Folder, Folder + "cloud\\"));
    CHECK(!Exists(L"cloud"));
}

CASE(LinksByTheirTagAreLeftAndPassedOver) {
    const DWORD links[] = {IO_REPARSE_TAG_SYMLINK, IO_REPARSE_TAG_MOUNT_POINT};
    MakeFolder(L"linked");
    MakeFile(L"linked\\sil.jpg");
    win32.GetFileInformationByHandleEx = ReparseTagged;
    for (DWORD tag : links) {
        reportedTag = tag;
        CHECK(platform::IsReparsePoint(Folder + "linked"));
        CHECK(!platform::DeleteFileA(Folder, Folder + "linked\\sil.jpg"));
        CHECK(!platform::RemoveDirectoryA(Folder, Folder + "linked\\"));
    }
    CHECK(Exists(L"linked\\sil.jpg"));
}

// ---- The folder held, and nothing outside it ---------------------------------

CASE(HeldFolderCannotBeRenamed) {
    std::wstring real = platform::paths::Pinned().real;
    real.pop_back();
    CHECK(!MoveFileExW(real.c_str(), (real + L"-moved").c_str(), 0));
    CHECK(GetFileAttributesW(real.c_str()) != INVALID_FILE_ATTRIBUTES);
}

CASE(NothingOutsideTheFolderIsTouched) {
    std::wstring real = platform::paths::Pinned().real;
    real.pop_back();
    std::wstring outside = real + L"-outside.exe";
    HANDLE file = CreateFileW(outside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CHECK(file != INVALID_HANDLE_VALUE);
    CloseHandle(file);
    AnsiText outsideAnsi = Folder.substr(0, Folder.size() - 1) + "-outside.exe";
    CHECK(!platform::IsRegularFilePresent(outsideAnsi));
    CHECK(!platform::DeleteFileA(Folder, outsideAnsi));
    CHECK(!platform::DeleteFileA(outsideAnsi.substr(0, outsideAnsi.rfind('\\') + 1), outsideAnsi));
    CHECK(GetFileAttributesW(outside.c_str()) != INVALID_FILE_ATTRIBUTES);
    DeleteFileW(outside.c_str());
}

// ---- The script: who may change it, how it starts ----------------------------

std::wstring createdWith;  // the DACL the new file was created with, as SDDL
bool refuseDescriptors;

HANDLE WINAPI CreateFileSeeingDescriptor(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                         DWORD disposition, DWORD flags, HANDLE model) {
    if (disposition == CREATE_NEW && security && security->lpSecurityDescriptor) {
        if (refuseDescriptors) {  // an owner or right Windows will not set here
            SetLastError(ERROR_INVALID_OWNER);
            return INVALID_HANDLE_VALUE;
        }
        LPWSTR sddl = nullptr;
        if (ConvertSecurityDescriptorToStringSecurityDescriptorW(security->lpSecurityDescriptor, SDDL_REVISION_1,
                                                                 DACL_SECURITY_INFORMATION, &sddl, nullptr)) {
            createdWith = sddl;
            LocalFree(sddl);
        }
    }
    return CreateFileW(name, access, share, security, disposition, flags, model);
}

BOOL WINAPI NoDescriptor(LPCWSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

CASE(ScriptIsCreatedForSystemAndAdministratorsOnly) {
    win32.CreateFileW = CreateFileSeeingDescriptor;
    refuseDescriptors = false;
    createdWith.clear();
    CHECK(platform::WriteNewFile(Folder, "first.bat", "@echo off\r\n"));
    CHECK(createdWith == L"D:P(A;;FA;;;SY)(A;;FA;;;BA)");
    DeleteFileW(Real(L"first.bat").c_str());
}

CASE(ScriptWhoseRightsCannotBeMadeOrSetIsNotWritten) {
    win32.ConvertStringSecurityDescriptorToSecurityDescriptorW = NoDescriptor;
    CHECK(!platform::WriteNewFile(Folder, "second.bat", "@echo off\r\n"));
    CHECK(!Exists(L"second.bat"));
    win32 = platform::Win32{};
    win32.CreateFileW = CreateFileSeeingDescriptor;
    refuseDescriptors = true;
    CHECK(!platform::WriteNewFile(Folder, "second.bat", "@echo off\r\n"));
    CHECK(!Exists(L"second.bat"));
}

struct {
    std::wstring application, commandLine, directory;
    BOOL inherit;
    DWORD flags;
    DWORD startupFlags;
    WORD show;
} start;

BOOL WINAPI CreateProcessSeen(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                              BOOL inherit, DWORD flags, LPVOID, LPCWSTR directory, LPSTARTUPINFOW startup,
                              LPPROCESS_INFORMATION started) {
    start = {application, commandLine, directory, inherit, flags, startup->dwFlags, startup->wShowWindow};
    // Handles of our own, for the backend to close.
    started->hProcess = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    started->hThread = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return TRUE;
}

CASE(ScriptStartsOffTheUsersConsoleAtIdlePriorityInTheHeldFolder) {
    win32.CreateProcessW = CreateProcessSeen;
    CHECK(platform::StartHiddenScript(Folder, "unveltarin.bat", 15));
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    CHECK(start.application == std::wstring(system) + L"\\cmd.exe");
    CHECK(start.commandLine == L"cmd.exe /d /e:on /v:off /c .\\unveltarin.bat");
    CHECK(start.directory == platform::paths::Pinned().real.substr(4));
    CHECK(!start.inherit);
    CHECK(start.flags == (CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS));
    CHECK(start.startupFlags == STARTF_USESHOWWINDOW && start.show == SW_HIDE);
}

// ---- Text whatever the machine's code pages ----------------------------------

// Windows with "Use Unicode UTF-8 for worldwide language support": the ANSI
// and OEM code pages are 65001, which refuses WC_NO_BEST_FIT_CHARS.
UINT AsUtf8Windows(UINT codePage) {
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ? CP_UTF8 : codePage;
}

int WINAPI Utf8MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH text, int size, LPWSTR wide, int room) {
    return MultiByteToWideChar(AsUtf8Windows(codePage), flags, text, size, wide, room);
}

int WINAPI Utf8WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int size, LPSTR text, int room,
                                   LPCCH defaultChar, LPBOOL defaulted) {
    codePage = AsUtf8Windows(codePage);
    if (codePage == CP_UTF8 && (flags & WC_NO_BEST_FIT_CHARS || defaulted)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    return WideCharToMultiByte(codePage, flags, wide, size, text, room, defaultChar, defaulted);
}

const wchar_t* modulePath;

DWORD WINAPI ModuleAt(HMODULE, LPWSTR path, DWORD room) {
    DWORD length = static_cast<DWORD>(wcslen(modulePath));
    if (length >= room) return room;
    wcscpy(path, modulePath);
    return length;
}

CASE(ProgramPathIsWindows1251OnAUtf8Windows) {
    win32.MultiByteToWideChar = Utf8MultiByteToWideChar;
    win32.WideCharToMultiByte = Utf8WideCharToMultiByte;
    win32.GetModuleFileNameW = ModuleAt;
    AnsiText path;
    modulePath = L"C:\\Программы\\Велтарин\\uninstall.exe";
    CHECK(platform::ProgramFilePath(path));
    CHECK(path == "C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\\\xC2\xE5\xEB\xF2\xE0\xF0\xE8\xED\\uninstall.exe");
    modulePath = L"C:\\Prōgram\\Veltarin\\uninstall.exe";  // 1251 has no ō
    CHECK(!platform::ProgramFilePath(path));
    std::wstring name;
    CHECK(platform::paths::ToUnicode("korlan\xFC.exe", name) && name == L"korlanь.exe");
}

std::wstring shown;
int consoleWrites;
DWORD extraReported;  // characters or bytes a write claims beyond what it was given
std::string bytesWritten;

BOOL WINAPI IsAConsole(HANDLE, LPDWORD mode) {
    *mode = ENABLE_PROCESSED_OUTPUT;
    return TRUE;
}

BOOL WINAPI IsNoConsole(HANDLE, LPDWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI ConsoleSeen(HANDLE, const VOID* text, DWORD length, LPDWORD written, LPVOID) {
    shown.append(static_cast<const wchar_t*>(text), length);
    ++consoleWrites;
    *written = length + extraReported;
    return TRUE;
}

BOOL WINAPI FileSeen(HANDLE, LPCVOID bytes, DWORD length, LPDWORD written, LPOVERLAPPED) {
    bytesWritten.append(static_cast<const char*>(bytes), length);
    *written = length + extraReported;
    return TRUE;
}

// "Велтарин 5.301" in CP866.
const std::string Title = "\x82\xA5\xAB\xE2\xA0\xE0\xA8\xAD 5.301";

CASE(ConsoleShowsTheTextWhateverCodePageItUses) {
    win32.MultiByteToWideChar = Utf8MultiByteToWideChar;
    win32.WideCharToMultiByte = Utf8WideCharToMultiByte;
    win32.GetConsoleMode = IsAConsole;
    win32.WriteConsoleW = ConsoleSeen;
    shown.clear();
    extraReported = 0;
    CHECK(platform::WriteStdOutput(Title));
    CHECK(shown == L"Велтарин 5.301");
    shown.clear();
    platform::WriteStdError("\x8E\xE8\xA8\xA1\xAA\xA0");  // "Ошибка"
    CHECK(shown == L"Ошибка");
}

CASE(RedirectedOutputKeepsItsBytes) {
    win32.GetConsoleMode = IsNoConsole;
    win32.WriteFile = FileSeen;
    bytesWritten.clear();
    extraReported = 0;
    CHECK(platform::WriteStdOutput(Title));
    CHECK(bytesWritten == Title);
}

CASE(AWriteReportedLongerThanAskedEndsAtTheEndOfTheText) {
    extraReported = 5;
    win32.GetConsoleMode = IsAConsole;
    win32.WriteConsoleW = ConsoleSeen;
    shown.clear();
    consoleWrites = 0;
    CHECK(platform::WriteStdOutput(Title));
    CHECK(consoleWrites == 1);
    CHECK(shown == L"Велтарин 5.301");
    win32.GetConsoleMode = IsNoConsole;
    win32.WriteFile = FileSeen;
    bytesWritten.clear();
    CHECK(platform::WriteStdOutput(Title));
    CHECK(bytesWritten == Title);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: backend_tests FOLDER\\\n");
        return 2;
    }
    Folder = argv[1];
    if (Folder.back() != '\\') Folder += '\\';
    if (!platform::PinInstallFolder(Folder)) {
        std::printf("cannot hold %s\n", Folder.c_str());
        return 2;
    }
    return check::RunCases();
}
