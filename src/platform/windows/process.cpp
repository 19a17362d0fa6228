// The program itself and the one process it starts.

#include <windows.h>

#include <cstdlib>

#include "answers.h"
#include "backend.h"
#include "platform/platform.h"

namespace platform {

void RestrictDllSearch() {
    // SetDefaultDllDirectories came with an update to Windows 7; looked up
    // by name so that the program still starts where the update is missing,
    // and SetDllDirectoryA("") at least takes the working directory out of
    // the search there.
    HMODULE kernel = win32.GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel ? win32.GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (found) {
        using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
        auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(found));
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    win32.SetDllDirectoryA("");
}

bool ProgramFilePath(AnsiText& path) {
    // The longest path Windows has; a result that fills the buffer was cut.
    static wchar_t real[32768];
    DWORD length = win32.GetModuleFileNameW(nullptr, real, sizeof real / sizeof real[0]);
    if (length == 0 || length >= sizeof real / sizeof real[0]) return false;
    return paths::ToAnsi({real, length}, path);
}

namespace {

bool SystemFolderW(std::wstring& folder) {
    wchar_t system[MAX_PATH];
    UINT length = win32.GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    folder.assign(system, length);
    return true;
}

// The pinned folder as a working directory for a script that names files
// relative to it, the longest name being `longestName` characters. Windows
// keeps such a name, joined to the working directory, within MAX_PATH; a
// folder too deep for that can still serve by its short (8.3) form, where
// the volume keeps short names. cmd refuses a UNC working directory.
bool WorkingFolder(const AnsiText& folder, std::size_t longestName, std::wstring& usable) {
    const paths::Pin& pin = paths::Pinned();
    if (pin.handle == INVALID_HANDLE_VALUE || folder != pin.started) return false;
    if (pin.real.compare(0, 8, L"\\\\?\\UNC\\") == 0) return false;
    usable = pin.real.substr(4);
    if (answers::FitsWithName(usable.size(), longestName)) return true;
    DWORD size = win32.GetShortPathNameW(pin.real.c_str(), nullptr, 0);
    if (size == 0) return false;
    std::wstring shortPath(size, L'\0');
    DWORD length = win32.GetShortPathNameW(pin.real.c_str(), shortPath.data(), size);
    if (length == 0 || length >= size || shortPath.compare(0, 4, L"\\\\?\\") != 0) return false;
    usable = shortPath.substr(4, length - 4);
    if (usable.empty() || usable.back() != L'\\') usable += L'\\';
    return answers::FitsWithName(usable.size(), longestName);
}

// The longest relative name the script's start needs: ".\<script>" on cmd's
// command line, or the longest the script itself uses.
std::size_t LongestName(const AnsiText& script, std::size_t scriptLongestName) {
    std::size_t commandLine = 2 + script.size();
    return commandLine > scriptLongestName ? commandLine : scriptLongestName;
}

}  // namespace

bool SystemFolder(AnsiText& path) {
    std::wstring folder;
    return SystemFolderW(folder) && paths::ToAnsi(folder, path);
}

bool CanBeWorkingFolder(const AnsiText& folder, const AnsiText& script, std::size_t longestName) {
    std::wstring usable;
    return WorkingFolder(folder, LongestName(script, longestName), usable);
}

bool StartHiddenScript(const AnsiText& folder, const AnsiText& script, std::size_t longestName) {
    // Handing CreateProcess a bare "x.bat" lets it search the program's
    // folder, the working directory and PATH, and lets it build a cmd command
    // line in which '%' and '&' of the folder name mean something. Instead
    // cmd.exe is named by its full path, the script by ".\", and the folder
    // goes in as the working directory, where no character is special.
    std::wstring directory, interpreter, name;
    if (!WorkingFolder(folder, LongestName(script, longestName), directory) || !SystemFolderW(interpreter) ||
        !paths::ToUnicode(script, name))
        return false;
    interpreter += L"\\cmd.exe";
    std::wstring commandLine = answers::ScriptCommandLine(name);

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started;
    // CREATE_NO_WINDOW: the script gets no share of the user's console. The
    // window the user started us in closes when we exit instead of staying
    // while the script waits; closing it cannot kill the script halfway; and
    // a Ctrl+C typed there cannot reach cmd and make it ask "Terminate batch
    // job (Y/N)?".
    if (!win32.CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS, nullptr, directory.c_str(), &startup,
                              &started))
        return false;
    win32.CloseHandle(started.hThread);
    win32.CloseHandle(started.hProcess);
    return true;
}

void EndAsInterrupted() {
    win32.ExitProcess(answers::StatusControlCExit);
    std::abort();  // ExitProcess does not return; the table's type cannot say so
}

}  // namespace platform
