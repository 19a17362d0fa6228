#pragma once
// The one seam between the uninstaller and the operating system.
//
// Every Windows call the program makes is named once, in the backend that
// implements this header (windows/platform_windows.cpp). Unit tests link a
// double of the same functions instead, which can make any of them fail.
//
// Operations report success as a bool and never throw; the console streams
// at the bottom are built on the raw ones in streams.cpp and throw
// std::runtime_error, the program's failure signal, when a read or write fails.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "UTypes.h"

namespace platform {

// ---- Raw operations, one backend per system --------------------------------

// The program file's full path in the ANSI code page. False when Windows
// cannot say, when the path does not fit MAX_PATH, or when the ANSI form does
// not name the same file as the real (Unicode) path: a folder name with a
// character the ANSI code page lacks comes back best-fitted or as '?', and
// such a path may name another folder.
bool ProgramFilePath(AnsiText& path);

ConsoleHandle StdOutputHandle();
void SetConsoleTextAttribute(ConsoleHandle console, std::uint16_t attribute);
void MessageBeep();  // the "asterisk" notification sound

// A regular file at exactly this path whose last-write time is a valid DOS
// date and time (a file dated outside 1980-2107 counts as absent).
bool IsRegularFilePresent(const AnsiText& path);
bool IsFolderPresent(const AnsiText& path);
// True for a junction or symbolic link: a folder that may lead out of the
// install folder.
bool IsReparsePoint(const AnsiText& path);
bool DeleteFileA(const AnsiText& path);
bool RemoveDirectoryA(const AnsiText& path);

// Creates the file, replacing any file of that name, and writes exactly these
// bytes. False if any step fails; a partly written file may stay behind.
bool WriteNewFile(const AnsiText& path, std::string_view bytes);

// Starts "<cmd.exe> /d /c .\<script>" in the given folder at idle priority
// with its window hidden, closes both handles and does not wait.
bool StartHiddenScript(const AnsiText& folder, const AnsiText& script);

enum class StreamKind { Missing, Unknown, Console, Redirected };
enum class ReadResult { Data, End, Failed };

StreamKind StdOutputKind();
StreamKind StdInputKind();
bool WriteStdOutput(std::string_view bytes);
// Reads what is available, at most `capacity` bytes. End covers end of file
// and a pipe whose writer has gone.
ReadResult ReadStdInput(char* buffer, std::size_t capacity, std::size_t& got);
// The uncaught-failure report: ANSI text, shown in the OEM code page.
void WriteStdError(std::string_view ansiText);

// ---- Console streams (streams.cpp), shared by every backend ----------------

void WriteLine(std::string_view text);
void WriteBlankLine();
void WritePartialLine(std::string_view text);
// Discards input up to and including the next LF. End of input, or a Ctrl+Z
// byte anywhere, makes this and every later call return at once.
void WaitForLine();
// Writes out what is still buffered and returns both streams to their
// unopened state. Throws if the final write fails.
void CloseStandardStreams();

}  // namespace platform
