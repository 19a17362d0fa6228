// The Windows backend: the only file that includes <windows.h>, and the only
// place each Windows call of the program is made.

#include <windows.h>

#include <cwchar>

#include "platform/platform.h"

static_assert(Green == FOREGROUND_GREEN);
static_assert(Red == FOREGROUND_RED);
static_assert(LightGrey == (FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE));
static_assert(LightRed == (FOREGROUND_RED | FOREGROUND_INTENSITY));
static_assert(Yellow == (FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_INTENSITY));

namespace platform {

bool ProgramFilePath(AnsiText& path) {
    char ansi[MAX_PATH + 1];
    // A result equal to the buffer size means the path was cut short (and on
    // older Windows not even terminated).
    DWORD ansiLength = ::GetModuleFileNameA(nullptr, ansi, sizeof ansi);
    if (ansiLength == 0 || ansiLength >= sizeof ansi) return false;

    // The ANSI form is a lossy copy of the real path: characters the code
    // page lacks become '?' or a best-fit look-alike ("ā" -> "a"), which can
    // name a different, existing folder. Only an ANSI path that converts back
    // to exactly the real one is trusted.
    static wchar_t real[32768];
    DWORD realLength = ::GetModuleFileNameW(nullptr, real, sizeof real / sizeof real[0]);
    if (realLength == 0 || realLength >= sizeof real / sizeof real[0]) return false;
    wchar_t back[MAX_PATH + 1];
    int backLength = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi, static_cast<int>(ansiLength), back,
                                           MAX_PATH + 1);
    if (backLength != static_cast<int>(realLength) || std::wmemcmp(back, real, realLength) != 0) return false;

    path.assign(ansi, ansiLength);
    return true;
}

ConsoleHandle StdOutputHandle() { return ::GetStdHandle(STD_OUTPUT_HANDLE); }

void SetConsoleTextAttribute(ConsoleHandle console, std::uint16_t attribute) {
    ::SetConsoleTextAttribute(console, attribute);
}

void MessageBeep() { ::MessageBeep(MB_ICONASTERISK); }

bool IsRegularFilePresent(const AnsiText& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(path.c_str(), &found);
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
DWORD Attributes(const AnsiText& path) { return ::GetFileAttributesA(path.c_str()); }
}  // namespace

bool IsFolderPresent(const AnsiText& path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReparsePoint(const AnsiText& path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool DeleteFileA(const AnsiText& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool RemoveDirectoryA(const AnsiText& path) { return ::RemoveDirectoryA(path.c_str()) != 0; }

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool WriteNewFile(const AnsiText& path, std::string_view bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = WriteAll(file, bytes);
    bool closed = ::CloseHandle(file) != 0;
    return written && closed;
}

bool StartHiddenScript(const AnsiText& folder, const AnsiText& script) {
    // Handing CreateProcessA a bare "x.bat" lets it search the program's
    // folder, the working directory and PATH, and lets it build a cmd command
    // line in which '%' and '&' of the folder name mean something. Instead
    // cmd.exe is named by its full path, the script by ".\", and the folder
    // goes in as the working directory, where no character is special. /d
    // keeps AutoRun commands from the registry out of the script's way.
    char system[MAX_PATH];
    UINT systemLength = ::GetSystemDirectoryA(system, sizeof system);
    if (systemLength == 0 || systemLength >= sizeof system) return false;
    AnsiText interpreter(system, systemLength);
    interpreter += "\\cmd.exe";
    AnsiText commandLine = "cmd.exe /d /c .\\" + script;

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started;
    if (!::CreateProcessA(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS,
                          nullptr, folder.c_str(), &startup, &started))
        return false;
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return true;
}

namespace {

StreamKind Kind(DWORD which) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return StreamKind::Missing;
    switch (::GetFileType(handle)) {
        case FILE_TYPE_CHAR: return StreamKind::Console;
        case FILE_TYPE_DISK:
        case FILE_TYPE_PIPE: return StreamKind::Redirected;
        default: return StreamKind::Unknown;
    }
}

}  // namespace

StreamKind StdOutputKind() { return Kind(STD_OUTPUT_HANDLE); }
StreamKind StdInputKind() { return Kind(STD_INPUT_HANDLE); }

bool WriteStdOutput(std::string_view bytes) { return WriteAll(::GetStdHandle(STD_OUTPUT_HANDLE), bytes); }

ReadResult ReadStdInput(char* buffer, std::size_t capacity, std::size_t& got) {
    DWORD read = 0;
    if (!::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(capacity), &read, nullptr))
        return ::GetLastError() == ERROR_BROKEN_PIPE ? ReadResult::End : ReadResult::Failed;
    got = read;
    return read == 0 ? ReadResult::End : ReadResult::Data;
}

void WriteStdError(std::string_view ansiText) {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    char oem[256];
    while (!ansiText.empty()) {
        DWORD n = ansiText.size() < sizeof oem ? static_cast<DWORD>(ansiText.size()) : sizeof oem;
        ::CharToOemBuffA(ansiText.data(), oem, n);
        if (!WriteAll(error, {oem, n})) return;  // nowhere left to complain to
        ansiText.remove_prefix(n);
    }
}

}  // namespace platform
