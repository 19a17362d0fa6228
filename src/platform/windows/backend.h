#pragma once
// What the files of the Windows backend share: how the program's ANSI paths
// become the Unicode names Windows really uses, how an open handle is proved
// to be the object the path names and not something a link leads to
// (paths.cpp), and writing a whole buffer (standard_streams.cpp).

#include <windows.h>

#include <string>
#include <string_view>

#include "UTypes.h"

namespace platform::paths {

// Exact conversions with the ANSI code page. Windows' own conversion
// replaces a character it cannot map by '?' or a best-fit look-alike, which
// can turn one existing name into another; these fail instead.
bool ToUnicode(std::string_view ansi, std::wstring& wide);
bool ToAnsi(std::wstring_view wide, AnsiText& ansi);

// The full "\\?\" form of a path: reaches names of any length, and takes
// each name literally (no '.' or '..', no trailing dots or spaces dropped).
bool LongPath(const AnsiText& path, std::wstring& wide);

// True when the object open in `handle` is not a link and lies at `path`
// inside `folder` by way of the very names in `path`: no junction, symbolic
// link or mount point on the way. Compares where Windows says the handle
// leads with where the folder leads, so a folder reached through a link of
// its own still works.
bool IsPlainlyAt(HANDLE handle, const AnsiText& folder, const AnsiText& path);

}  // namespace platform::paths

namespace platform {

// WriteFile until every byte is written; false on the first failure.
bool WriteAll(HANDLE handle, std::string_view bytes);

}  // namespace platform
