#pragma once
// A stand-in for the Windows backend, linked into the unit tests in its place.
// It keeps a small in-memory file system and captures everything written, and
// each operation can be made to fail.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

struct Node {
    bool folder = false;
    bool undeletable = false;     // read-only, in use, or access denied
    bool dosDate = true;          // false: dated before 1980 or after 2107
    bool reparsePoint = false;    // a junction or symbolic link
    bool hiddenOrSystem = false;
    int links = 1;                // hard links to the file
    bool staysAfterRemoval = false;  // deletion accepted, name still there
};

struct Machine {
    // Every platform operation called, by name, in order.
    std::vector<std::string> calls;

    // Program file and system
    bool programPathKnown = true;
    AnsiText programPath = "C:\\Apps\\Veltarin\\uninstall.exe";
    bool systemFolderKnown = true;
    AnsiText systemFolder = "C:\\Windows\\system32";
    bool canBeWorkingFolder = true;
    bool pinFails = false;
    AnsiText pinned;                  // the folder held open, once pinned

    // Files and folders by full path; folders end with a backslash.
    std::map<AnsiText, Node> nodes;

    // Standard streams
    platform::StreamKind outKind = platform::StreamKind::Redirected;
    platform::StreamKind inKind = platform::StreamKind::Redirected;
    std::string out;                  // bytes that reached standard output
    std::vector<std::size_t> outWrites;  // size of each raw write
    int failOutputWrite = 0;          // the Nth raw write fails (1-based), 0: none
    std::string in;                   // input still to be read
    std::size_t inChunk = 128;        // most bytes one read returns
    bool inputFails = false;
    bool interruptAtEnd = false;      // Ctrl+C once `in` has been read, not its end
    std::string err;

    // What else happened, in order: "colour 14", "beep", "line <bytes>", ...
    std::vector<std::string> events;

    // After this many DeleteFileA calls (1-based), memory runs out at the
    // program's next allocation. 0: never.
    int exhaustMemoryAfterDelete = 0;

    // Files written and scripts started
    std::map<AnsiText, std::string> written;
    bool writeNewFileFails = false;
    bool startFails = false;
    std::vector<std::pair<AnsiText, AnsiText>> started;  // folder, script
};

// Thrown where the real backend ends the process as Ctrl+C does.
struct Interrupted {};

extern Machine machine;

// A fresh machine and fresh console streams.
void Reset();

void AddFile(const AnsiText& path, Node node = {});
void AddFolder(const AnsiText& path, Node node = {});
bool Exists(const AnsiText& path);

// Memory runs out at the program's Nth allocation from now (1-based); 0
// disarms. The double's own bookkeeping is not counted.
void FailAllocationAt(long n);

}  // namespace fake
