#pragma once
// What the files of the Windows backend share: the text conversions, the
// install folder held open for the whole run and the paths that lead into
// it, the proof that an open handle is the object a listed path names
// (paths.cpp), and writing a whole buffer (standard_streams.cpp).

#include <windows.h>

#include <string>
#include <string_view>

#include "UTypes.h"
#include "win32.h"

namespace platform::paths {

// The program's ANSI text is Windows-1251 on every machine, whatever the
// machine's own ANSI code page: its manifest names and its messages are
// compiled in that code page.
constexpr UINT AnsiCodePage = 1251;
// The code page of every byte the program writes to a console.
constexpr UINT ConsoleCodePage = 866;

// Exact conversions with Windows-1251. Windows' own conversion replaces a
// character it cannot map by '?' or a best-fit look-alike, which can turn
// one existing name into another; these fail instead.
bool ToUnicode(std::string_view ansi, std::wstring& wide);
bool ToAnsi(std::wstring_view wide, AnsiText& ansi);

// The install folder as it was when the program started, held open until
// the program exits so that it cannot be renamed or removed meanwhile.
struct Pin {
    HANDLE handle = INVALID_HANDLE_VALUE;
    AnsiText started;       // as the program was started, with its trailing backslash
    std::wstring real;      // "\\?\" form with every link resolved, with its trailing backslash
    DWORD volume = 0;       // serial number of its volume
    std::wstring fromRoot;  // its path from the volume's root, as Windows reports it
};
const Pin& Pinned();
bool PinFolder(const AnsiText& folder);

// The "\\?\" path of `path`, a path inside the install folder as started,
// by way of the pinned folder: a link above the folder re-pointed since the
// start moves nothing. Names are taken literally (no '.' or '..', no
// trailing dots or spaces dropped). False for a path outside the folder.
bool LongPath(const AnsiText& path, std::wstring& wide);

// Whether two paths name the same place as Windows compares names: without
// regard to case (names on disk may differ from the listed ones,
// "Thumbs.db") and without the trailing separators Windows may or may not
// report for a folder.
bool SamePath(std::wstring_view a, std::wstring_view b);

// True when the object open in `handle` is not a link and lies at `path`,
// inside the install folder, by way of the very names in `path`: no
// junction, symbolic link or mount point on the way.
bool IsPlainlyAt(HANDLE handle, const AnsiText& path);

}  // namespace platform::paths

namespace platform {

// WriteFile until every byte is written; false on the first failure.
bool WriteAll(HANDLE handle, std::string_view bytes);

}  // namespace platform
