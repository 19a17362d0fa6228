// The console: the standard handles, colours, the beep and the raw reads and
// writes that streams.cpp builds the program's streams on.

#include <windows.h>

#include "backend.h"
#include "platform/platform.h"

static_assert(Green == FOREGROUND_GREEN);
static_assert(Red == FOREGROUND_RED);
static_assert(LightGrey == (FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE));
static_assert(LightRed == (FOREGROUND_RED | FOREGROUND_INTENSITY));
static_assert(Yellow == (FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_INTENSITY));

namespace platform {

ConsoleHandle StdOutputHandle() { return ::GetStdHandle(STD_OUTPUT_HANDLE); }

void SetConsoleTextAttribute(ConsoleHandle console, std::uint16_t attribute) {
    ::SetConsoleTextAttribute(console, attribute);
}

void MessageBeep() { ::MessageBeep(MB_ICONASTERISK); }

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

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

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
