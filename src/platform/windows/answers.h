#pragma once
// What the Windows backend makes of Windows' answers, decided here without
// calling Windows, so that each rule is tested natively, case by case. The
// numbers are Windows' own; the backend checks them against <windows.h>.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::answers {

constexpr std::uint32_t ErrorInvalidFunction = 1;
constexpr std::uint32_t ErrorNotSupported = 50;
constexpr std::uint32_t ErrorInvalidParameter = 87;
constexpr std::uint32_t ErrorBrokenPipe = 109;
constexpr std::uint32_t ErrorOperationAborted = 995;
// The status Windows' own Ctrl+C handler ends a console program with.
constexpr std::uint32_t StatusControlCExit = 0xC000013A;
constexpr std::size_t MaxPath = 260;

enum class Read { Data, End, Interrupted, Failed };

// ReadFile on standard input answered `succeeded` with `bytes` read, and
// GetLastError said `error` (cleared before the call). On Windows, Ctrl+C or
// Ctrl+Break during a console read ends it with success, 0 bytes and
// ERROR_OPERATION_ABORTED, while Windows' handler ends the process from
// another thread: that is the user cancelling, not the end of the input.
// A pipe whose writer has gone answers ERROR_BROKEN_PIPE: the end of input.
Read ClassifyRead(bool succeeded, std::uint32_t bytes, std::uint32_t error);

// How far a write of `asked` bytes (or characters) got by the count Windows
// reported. Some console hosts report more than was asked; the text is never
// stepped past its end.
std::size_t WrittenCount(std::size_t asked, std::uint32_t reported);

// FileDispositionInfoEx refused as something this Windows, or this file
// system, does not do (Windows before 10 1709, FAT; Wine 8): the plain
// FileDispositionInfo is tried instead. Any other refusal (read-only, access
// denied) stands.
bool DispositionExUnsupported(std::uint32_t error);

// A reparse point is a link (a symbolic link, junction or mount point: it
// names another place) only when its tag says it is a name surrogate.
// Cloud-file placeholders, deduplicated and WIM-backed files are reparse
// points too, but they are the file itself.
bool IsLinkTag(std::uint32_t reparseTag);

// A path without the separators at its end, for comparing a path Windows
// reports with the one expected: whether a folder's name comes back with a
// trailing backslash is not documented. A volume root stays "\".
std::wstring_view WithoutTrailingSeparators(std::wstring_view path);

// Whether `folderLength` characters of working directory (with its trailing
// backslash) plus a relative name of `nameLength` stay within MAX_PATH, as
// Windows requires of a relative name resolved against a working directory.
bool FitsWithName(std::size_t folderLength, std::size_t nameLength);

// The command line that runs the script, named relative to its working
// directory. /d keeps the registry's AutoRun commands out; /e:on and /v:off
// give the script command extensions and no delayed expansion, whatever the
// registry says; ".\" keeps cmd from looking for the name anywhere else.
std::wstring ScriptCommandLine(std::wstring_view script);

}  // namespace platform::answers
