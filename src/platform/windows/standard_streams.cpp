// The console: the standard handles, colours, the beep and the raw reads and
// writes that streams.cpp builds the program's streams on.

#include <windows.h>

#include "answers.h"
#include "backend.h"
#include "platform/platform.h"

static_assert(Green == FOREGROUND_GREEN);
static_assert(Red == FOREGROUND_RED);
static_assert(LightGrey == (FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE));
static_assert(LightRed == (FOREGROUND_RED | FOREGROUND_INTENSITY));
static_assert(Yellow == (FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_INTENSITY));

namespace platform {

ConsoleHandle StdOutputHandle() { return win32.GetStdHandle(STD_OUTPUT_HANDLE); }

void SetConsoleTextAttribute(ConsoleHandle console, std::uint16_t attribute) {
    win32.SetConsoleTextAttribute(console, attribute);
}

void MessageBeep() { win32.MessageBeep(MB_ICONASTERISK); }

namespace {

StreamKind Kind(DWORD which) {
    HANDLE handle = win32.GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return StreamKind::Missing;
    switch (win32.GetFileType(handle)) {
        case FILE_TYPE_CHAR: return StreamKind::Console;
        case FILE_TYPE_DISK:
        case FILE_TYPE_PIPE: return StreamKind::Redirected;
        default: return StreamKind::Unknown;
    }
}

// A console shows text as UTF-16, whatever code page it was switched to
// ("chcp 65001", or an English Windows): the CP866 bytes go through code page
// 866 explicitly and the console never needs to share it. (NUL is a
// character device too, but no console: it takes the bytes as they are.)
bool WriteText(HANDLE handle, std::string_view consoleText) {
    DWORD mode;
    if (!win32.GetConsoleMode(handle, &mode)) return WriteAll(handle, consoleText);
    wchar_t wide[256];
    while (!consoleText.empty()) {
        // CP866 has one byte per character, so any cut is between characters.
        int n = consoleText.size() < 256 ? static_cast<int>(consoleText.size()) : 256;
        if (win32.MultiByteToWideChar(paths::ConsoleCodePage, 0, consoleText.data(), n, wide, n) != n) return false;
        consoleText.remove_prefix(static_cast<std::size_t>(n));
        std::size_t left = static_cast<std::size_t>(n);
        for (const wchar_t* next = wide; left > 0;) {
            DWORD written = 0;
            if (!win32.WriteConsoleW(handle, next, static_cast<DWORD>(left), &written, nullptr) || written == 0)
                return false;
            std::size_t done = answers::WrittenCount(left, written);
            next += done;
            left -= done;
        }
    }
    return true;
}

}  // namespace

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!win32.WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written == 0)
            return false;
        bytes.remove_prefix(answers::WrittenCount(bytes.size(), written));
    }
    return true;
}

StreamKind StdOutputKind() { return Kind(STD_OUTPUT_HANDLE); }
StreamKind StdInputKind() { return Kind(STD_INPUT_HANDLE); }

bool WriteStdOutput(std::string_view bytes) { return WriteText(win32.GetStdHandle(STD_OUTPUT_HANDLE), bytes); }

ReadResult ReadStdInput(char* buffer, std::size_t capacity, std::size_t& got) {
    DWORD read = 0;
    // A successful read of nothing leaves the last error as it was; cleared,
    // an aborted read is told from an old error.
    win32.SetLastError(ERROR_SUCCESS);
    bool succeeded =
        win32.ReadFile(win32.GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(capacity), &read, nullptr);
    DWORD error = win32.GetLastError();
    switch (answers::ClassifyRead(succeeded, read, error)) {
        case answers::Read::Data: got = answers::WrittenCount(capacity, read); return ReadResult::Data;
        case answers::Read::End: return ReadResult::End;
        case answers::Read::Interrupted: return ReadResult::Interrupted;
        case answers::Read::Failed: break;
    }
    return ReadResult::Failed;
}

void WriteStdError(std::string_view consoleText) {
    WriteText(win32.GetStdHandle(STD_ERROR_HANDLE), consoleText);  // nowhere left to complain to
}

}  // namespace platform
