/* A stand-in planted under the name of a program the self-removal script
   might start: if it ever runs, it leaves "<its own path>.ran" beside itself. */
#include <windows.h>

int main(void) {
    static wchar_t path[32768];
    DWORD length = GetModuleFileNameW(NULL, path, 32760);
    if (length == 0 || length >= 32760) return 1;
    lstrcatW(path, L".ran");
    HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return 0;
}
