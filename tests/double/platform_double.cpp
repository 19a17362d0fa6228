#include "platform_double.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {
long allocationsLeft = 0;  // 0: never fail
int quiet = 0;              // > 0 while the double itself allocates

// Keeps the double's own allocations out of the count.
struct Quiet {
    Quiet() { ++quiet; }
    ~Quiet() { --quiet; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
};
}  // namespace

namespace fake {

Machine machine;

void Reset() {
    FailAllocationAt(0);
    // The streams may still hold output from the last test: let it go to a
    // machine that takes it, then start from a clean one.
    machine = Machine{};
    try {
        platform::CloseStandardStreams();
    } catch (...) {
    }
    machine = Machine{};
}

void AddFile(const AnsiText& path, Node node) {
    node.folder = false;
    machine.nodes[path] = node;
}

void AddFolder(const AnsiText& path, Node node) {
    node.folder = true;
    machine.nodes[path] = node;
}

bool Exists(const AnsiText& path) { return machine.nodes.count(path) != 0; }

}  // namespace fake

using fake::machine;

namespace platform {

bool ProgramFilePath(AnsiText& path) {
    Quiet quietly;
    if (!machine.programPathKnown) return false;
    path = machine.programPath;
    return true;
}

ConsoleHandle StdOutputHandle() { return reinterpret_cast<ConsoleHandle>(0x7); }

void SetConsoleTextAttribute(ConsoleHandle, std::uint16_t attribute) {
    Quiet quietly;
    machine.events.push_back("colour " + std::to_string(attribute));
}

void MessageBeep() { Quiet quietly; machine.events.push_back("beep"); }

namespace {
const fake::Node* Find(const AnsiText& path) {
    auto it = machine.nodes.find(path);
    return it == machine.nodes.end() ? nullptr : &it->second;
}
}  // namespace

bool IsRegularFilePresent(const AnsiText& path) {
    const fake::Node* node = Find(path);
    return node && !node->folder && node->dosDate;
}

bool IsFolderPresent(const AnsiText& path) {
    const fake::Node* node = Find(path);
    return node && node->folder;
}

bool IsReparsePoint(const AnsiText& path) {
    const fake::Node* node = Find(path);
    return node && node->reparsePoint;
}

bool DeleteFileA(const AnsiText& path) {
    Quiet quietly;
    machine.events.push_back("delete " + path);
    const fake::Node* node = Find(path);
    if (!node || node->folder || node->undeletable) return false;
    machine.nodes.erase(path);
    if (machine.exhaustMemoryAfterDelete != 0 && --machine.exhaustMemoryAfterDelete == 0) fake::FailAllocationAt(1);
    return true;
}

bool RemoveDirectoryA(const AnsiText& path) {
    Quiet quietly;
    machine.events.push_back("rmdir " + path);
    const fake::Node* node = Find(path);
    if (!node || !node->folder || node->undeletable) return false;
    // A junction goes whatever the folder it leads to holds.
    if (!node->reparsePoint)
        for (const auto& [other, _] : machine.nodes)
            if (other.size() > path.size() && other.starts_with(path)) return false;
    machine.nodes.erase(path);
    return true;
}

bool WriteNewFile(const AnsiText& path, std::string_view bytes) {
    Quiet quietly;
    if (machine.writeNewFileFails) return false;
    machine.written[path] = std::string(bytes);
    return true;
}

bool StartHiddenScript(const AnsiText& folder, const AnsiText& script) {
    Quiet quietly;
    if (machine.startFails) return false;
    machine.started.emplace_back(folder, script);
    return true;
}

StreamKind StdOutputKind() { return machine.outKind; }
StreamKind StdInputKind() { return machine.inKind; }

bool WriteStdOutput(std::string_view bytes) {
    Quiet quietly;
    machine.outWrites.push_back(bytes.size());
    if (machine.failOutputWrite != 0 && static_cast<int>(machine.outWrites.size()) == machine.failOutputWrite)
        return false;
    machine.out += bytes;
    machine.events.push_back("out " + std::string(bytes));
    return true;
}

ReadResult ReadStdInput(char* buffer, std::size_t capacity, std::size_t& got) {
    Quiet quietly;
    if (machine.inputFails) return ReadResult::Failed;
    if (machine.in.empty()) return ReadResult::End;
    got = std::min({capacity, machine.inChunk, machine.in.size()});
    machine.in.copy(buffer, got);
    machine.in.erase(0, got);
    return ReadResult::Data;
}

void WriteStdError(std::string_view ansiText) { Quiet quietly; machine.err += ansiText; }

}  // namespace platform

// ---- Memory that runs out on request ------------------------------------------

void fake::FailAllocationAt(long n) { allocationsLeft = n; }

void* operator new(std::size_t size) {
    if (quiet == 0 && allocationsLeft > 0 && --allocationsLeft == 0) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
