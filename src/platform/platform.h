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

// Narrows where Windows looks for DLLs to its system folder, for the
// libraries the program and Windows on its behalf load from now on. The
// program runs elevated from a folder other users may write to: a DLL
// planted there, or in the working directory, must never be loaded. Called
// before anything else.
void RestrictDllSearch();

// The program file's full path as Windows-1251 text, at any length. False
// when Windows cannot say, or when that text does not name exactly the same
// file as the real (Unicode) path: a folder name with a character 1251 lacks
// comes back best-fitted or as '?', and such a path may name another folder.
bool ProgramFilePath(AnsiText& path);

// Windows' system folder (no trailing backslash), exactly as Windows reports
// it, never from an environment variable a user could set.
bool SystemFolder(AnsiText& path);

// Opens the install folder (ANSI text with its trailing backslash) once and
// holds it until the program exits, so that nobody can rename or remove it
// meanwhile, and takes its real location from that open folder: its volume
// and its path with every link resolved. Every path below that lies inside
// `folder` is then followed by way of that location, never by the text
// again: a link above the folder re-pointed after this moves nothing. False
// when the folder cannot be opened or its location cannot be told for sure.
bool PinInstallFolder(const AnsiText& folder);

ConsoleHandle StdOutputHandle();
void SetConsoleTextAttribute(ConsoleHandle console, std::uint16_t attribute);
void MessageBeep();  // the "asterisk" notification sound

// Paths below are ANSI text of any length inside the pinned install folder;
// any other path, or one that does not convert exactly to the Unicode name
// Windows uses, is treated as absent or refused.

// A regular file at exactly this path whose last-write time is a valid DOS
// date and time (a file dated outside 1980-2107 counts as absent).
bool IsRegularFilePresent(const AnsiText& path);
bool IsFolderPresent(const AnsiText& path);
// True for a name that leads elsewhere: a junction, symbolic link or mount
// point. Other reparse points (cloud-file placeholders, deduplicated files)
// are the file itself and do not count. Asked with a trailing backslash,
// Windows answers for what a link leads to, so ask for the name without one.
bool IsReparsePoint(const AnsiText& path);

// Deletes the file (removes the empty folder, whose path ends in a
// backslash) at `path`, which lies in `folder`. True only when the name is
// gone afterwards. Refused when the name is a link, or the way from `folder`
// to it passes through one: nothing outside `folder` is ever deleted.
bool DeleteFileA(const AnsiText& folder, const AnsiText& path);
bool RemoveDirectoryA(const AnsiText& folder, const AnsiText& path);

// Creates `name` in `folder` as a new file holding exactly these bytes, and
// never writes through an existing name: an existing plain file is deleted
// first; a name that is a folder, a link of any kind, a file with another
// hard link, or a read-only, hidden or system file makes it fail, as does a
// name that appears meanwhile. A file left half-written is deleted again.
bool WriteNewFile(const AnsiText& folder, const AnsiText& name, std::string_view bytes);

// Whether `script`, using relative names of up to `longestName` characters,
// can run with the pinned install folder as its working directory: Windows
// keeps the folder joined to a relative name within MAX_PATH, so a deeper
// folder serves only by its short (8.3) form, and cmd refuses a UNC one.
bool CanBeWorkingFolder(const AnsiText& folder, const AnsiText& script, std::size_t longestName);

// Starts "<system folder>\cmd.exe /d /e:on /v:off /c .\<script>" in the
// pinned install folder, at idle priority and with no console of its own
// or ours, closes both handles and does not wait.
bool StartHiddenScript(const AnsiText& folder, const AnsiText& script, std::size_t longestName);

enum class StreamKind { Missing, Unknown, Console, Redirected };
enum class ReadResult { Data, End, Interrupted, Failed };

StreamKind StdOutputKind();
StreamKind StdInputKind();
// Writes console text (CP866): on a console it shows as CP866 whatever code
// page the console uses; redirected, the bytes go as they are.
bool WriteStdOutput(std::string_view bytes);
// Reads what is available, at most `capacity` bytes. End covers end of file
// and a pipe whose writer has gone; Interrupted is Ctrl+C or Ctrl+Break.
ReadResult ReadStdInput(char* buffer, std::size_t capacity, std::size_t& got);
// The uncaught-failure report, console text, as standard output shows it.
void WriteStdError(std::string_view consoleText);
// Ends the process at once, as Windows' own Ctrl+C handler does.
[[noreturn]] void EndAsInterrupted();

// ---- Console streams (streams.cpp), shared by every backend ----------------

void WriteLine(std::string_view text);
void WriteBlankLine();
void WritePartialLine(std::string_view text);
// Discards input up to and including the next LF. End of input, or a Ctrl+Z
// byte anywhere, makes this and every later call return at once. Ctrl+C
// during the wait ends the process there and then.
void WaitForLine();
// Writes out what is still buffered and returns both streams to their
// unopened state. Throws if the final write fails.
void CloseStandardStreams();

}  // namespace platform
