#pragma once
// Declarations shared by every part of the uninstaller.

#include <cstdint>
#include <string>
#include <string_view>

// Text in the Windows ANSI code page (Windows-1251 on the systems we ship
// for). Paths stay in this form all the way to the file functions.
using AnsiText = std::string;

// Text in the console's OEM code page (CP866): the form of every byte that
// reaches the console.
using ConsoleText = std::string;

// The standard output handle as Windows hands it out (a HANDLE).
using ConsoleHandle = void*;

// Console character attributes on a black background.
enum Colour : std::uint16_t {
    Green = 2,
    Red = 4,
    LightGrey = 7,
    LightRed = 12,
    Yellow = 14,
};

enum class EntryKind { File, Folder };

struct ManifestEntry {
    EntryKind kind;
    // ANSI, relative to the install folder, backslash-separated; a folder
    // ends with a backslash, a file does not.
    std::string_view relativePath;
};

struct UninstallState {
    AnsiText installFolder;   // with its trailing backslash
    AnsiText currentTarget;   // full path of the entry being handled
    bool allRemoved = true;   // nothing refused and no run cut short so far
    bool lastRemoved = false; // outcome of the latest removal attempted
    ConsoleHandle consoleOut = nullptr;
};
