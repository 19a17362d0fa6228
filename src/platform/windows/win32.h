#pragma once
// Every Windows function the backend calls, each named once, here.
//
// The backend calls them only through `win32`. The product never changes an
// entry; the backend test, run under Wine, swaps one at a time to make a call
// answer as Windows does where Wine answers otherwise (a Ctrl+C during a
// read, POSIX deletion, a UTF-8 ANSI code page, ...), so the backend's own
// handling of that answer is what gets tested.

#include <windows.h>

#include <sddl.h>

namespace platform {

struct Win32 {
#define WIN32_CALL(name) decltype(&::name) name = ::name
    // Errors
    WIN32_CALL(GetLastError);
    WIN32_CALL(SetLastError);

    // The program itself
    WIN32_CALL(GetModuleHandleW);
    WIN32_CALL(GetProcAddress);
    WIN32_CALL(SetDllDirectoryA);
    WIN32_CALL(GetModuleFileNameW);
    WIN32_CALL(GetSystemDirectoryW);
    WIN32_CALL(ExitProcess);

    // Text
    WIN32_CALL(MultiByteToWideChar);
    WIN32_CALL(WideCharToMultiByte);
    WIN32_CALL(CompareStringOrdinal);

    // Paths, files and folders
    WIN32_CALL(GetFullPathNameW);
    WIN32_CALL(GetShortPathNameW);
    WIN32_CALL(GetFileAttributesW);
    WIN32_CALL(FindFirstFileW);
    WIN32_CALL(FindClose);
    WIN32_CALL(FileTimeToLocalFileTime);
    WIN32_CALL(FileTimeToDosDateTime);
    WIN32_CALL(CreateFileW);
    WIN32_CALL(CloseHandle);
    WIN32_CALL(GetFileInformationByHandle);
    WIN32_CALL(GetFileInformationByHandleEx);
    WIN32_CALL(SetFileInformationByHandle);
    WIN32_CALL(GetFinalPathNameByHandleW);
    WIN32_CALL(WriteFile);
    WIN32_CALL(ConvertStringSecurityDescriptorToSecurityDescriptorW);
    WIN32_CALL(LocalFree);

    // The script's process
    WIN32_CALL(CreateProcessW);

    // The console
    WIN32_CALL(GetStdHandle);
    WIN32_CALL(GetFileType);
    WIN32_CALL(GetConsoleMode);
    WIN32_CALL(ReadFile);
    WIN32_CALL(WriteConsoleW);
    WIN32_CALL(SetConsoleTextAttribute);
    WIN32_CALL(MessageBeep);
#undef WIN32_CALL
};

// The table the backend calls through; starts as Windows' own functions.
extern Win32 win32;

}  // namespace platform
