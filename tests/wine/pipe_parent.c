/* Starts a program with its standard input on a Windows pipe whose writing
   end is closed before the program reads, as a Windows parent that has
   nothing to say would, and exits with the program's exit status.
     pipe_parent.exe PROGRAM */
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE reading, writing;
    if (!CreatePipe(&reading, &writing, &inherit, 0)) return 3;
    SetHandleInformation(writing, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = reading;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started;
    if (!CreateProcessW(argv[1], NULL, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &started)) return 4;
    CloseHandle(reading);
    CloseHandle(writing);  /* the reader now gets ERROR_BROKEN_PIPE */
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = 5;
    GetExitCodeProcess(started.hProcess, &status);
    return (int)status;
}
