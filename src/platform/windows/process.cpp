// The program itself and the one process it starts.

#include <windows.h>

#include "backend.h"
#include "platform/platform.h"

namespace platform {

void RestrictDllSearch() {
    // SetDefaultDllDirectories came with an update to Windows 7; looked up
    // by name so that the program still starts where the update is missing,
    // and SetDllDirectoryA("") at least takes the working directory out of
    // the search there.
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (found) {
        using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
        auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(found));
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    ::SetDllDirectoryA("");
}

bool ProgramFilePath(AnsiText& path) {
    // The longest path Windows has; a result that fills the buffer was cut.
    static wchar_t real[32768];
    DWORD length = ::GetModuleFileNameW(nullptr, real, sizeof real / sizeof real[0]);
    if (length == 0 || length >= sizeof real / sizeof real[0]) return false;
    return paths::ToAnsi({real, length}, path);
}

namespace {

bool SystemFolderW(std::wstring& folder) {
    wchar_t system[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    folder.assign(system, length);
    return true;
}

// Windows keeps a working directory (with its trailing backslash) within
// MAX_PATH. A deeper folder can still be one by its short (8.3) name, where
// the volume keeps short names.
bool WorkingFolder(const AnsiText& folder, std::wstring& usable) {
    if (!paths::ToUnicode(folder, usable)) return false;
    if (usable.size() < MAX_PATH) return true;
    std::wstring longPath;
    if (!paths::LongPath(folder, longPath)) return false;
    DWORD size = ::GetShortPathNameW(longPath.c_str(), nullptr, 0);
    if (size == 0) return false;
    std::wstring shortPath(size, L'\0');
    DWORD length = ::GetShortPathNameW(longPath.c_str(), shortPath.data(), size);
    if (length == 0 || length >= size) return false;
    shortPath.resize(length);
    if (shortPath.compare(0, 8, L"\\\\?\\UNC\\") == 0) usable = L"\\\\" + shortPath.substr(8);
    else if (shortPath.compare(0, 4, L"\\\\?\\") == 0) usable = shortPath.substr(4);
    else usable = shortPath;
    return usable.size() < MAX_PATH;
}

}  // namespace

bool SystemFolder(AnsiText& path) {
    std::wstring folder;
    return SystemFolderW(folder) && paths::ToAnsi(folder, path);
}

bool CanBeWorkingFolder(const AnsiText& folder) {
    std::wstring usable;
    return WorkingFolder(folder, usable);
}

bool StartHiddenScript(const AnsiText& folder, const AnsiText& script) {
    // Handing CreateProcess a bare "x.bat" lets it search the program's
    // folder, the working directory and PATH, and lets it build a cmd command
    // line in which '%' and '&' of the folder name mean something. Instead
    // cmd.exe is named by its full path, the script by ".\", and the folder
    // goes in as the working directory, where no character is special.
    // /d keeps AutoRun commands from the registry out of the script's way;
    // /e:on and /v:off give the script the command extensions it uses and no
    // delayed expansion, whatever the registry says.
    std::wstring directory, interpreter, name;
    if (!WorkingFolder(folder, directory) || !SystemFolderW(interpreter) || !paths::ToUnicode(script, name))
        return false;
    interpreter += L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe /d /e:on /v:off /c .\\" + name;

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started;
    if (!::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS,
                          nullptr, directory.c_str(), &startup, &started))
        return false;
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return true;
}

}  // namespace platform
