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

namespace {

void Called(const char* operation) {
    Quiet quietly;
    machine.calls.emplace_back(operation);
}

fake::Node* Find(const AnsiText& path) {
    auto it = machine.nodes.find(path);
    return it == machine.nodes.end() ? nullptr : &it->second;
}

// As the backend does: only what lies in the folder, never a link, and true
// only when the name is gone.
bool Remove(const AnsiText& folder, const AnsiText& path, bool isFolder) {
    fake::Node* node = Find(path);
    if (!node || node->folder != isFolder || node->undeletable || node->reparsePoint) return false;
    if (path.size() <= folder.size() || !path.starts_with(folder)) return false;
    if (isFolder)
        for (const auto& [other, _] : machine.nodes)
            if (other.size() > path.size() && other.starts_with(path)) return false;
    if (node->staysAfterRemoval) return false;
    machine.nodes.erase(path);
    return true;
}

}  // namespace

void RestrictDllSearch() { Called("RestrictDllSearch"); }

bool ProgramFilePath(AnsiText& path) {
    Called("ProgramFilePath");
    Quiet quietly;
    if (!machine.programPathKnown) return false;
    path = machine.programPath;
    return true;
}

bool SystemFolder(AnsiText& path) {
    Called("SystemFolder");
    Quiet quietly;
    if (!machine.systemFolderKnown) return false;
    path = machine.systemFolder;
    return true;
}

bool PinInstallFolder(const AnsiText& folder) {
    Called("PinInstallFolder");
    Quiet quietly;
    if (machine.pinFails) return false;
    machine.pinned = folder;
    return true;
}

ConsoleHandle StdOutputHandle() {
    Called("StdOutputHandle");
    return reinterpret_cast<ConsoleHandle>(0x7);
}

void SetConsoleTextAttribute(ConsoleHandle, std::uint16_t attribute) {
    Called("SetConsoleTextAttribute");
    Quiet quietly;
    machine.events.push_back("colour " + std::to_string(attribute));
}

void MessageBeep() {
    Called("MessageBeep");
    Quiet quietly;
    machine.events.push_back("beep");
}

bool IsRegularFilePresent(const AnsiText& path) {
    Called("IsRegularFilePresent");
    const fake::Node* node = Find(path);
    return node && !node->folder && node->dosDate;
}

bool IsFolderPresent(const AnsiText& path) {
    Called("IsFolderPresent");
    const fake::Node* node = Find(path);
    return node && node->folder;
}

// As Windows answers: asked with a trailing backslash, it follows a link to
// what it leads to, which is no link.
bool IsReparsePoint(const AnsiText& path) {
    Called("IsReparsePoint");
    Quiet quietly;
    if (path.empty() || path.back() == '\\') return false;
    const fake::Node* node = Find(path);
    if (!node) node = Find(path + "\\");
    return node && node->reparsePoint;
}

bool DeleteFileA(const AnsiText& folder, const AnsiText& path) {
    Called("DeleteFileA");
    Quiet quietly;
    machine.events.push_back("delete " + path);
    bool removed = Remove(folder, path, false);
    if (removed && machine.exhaustMemoryAfterDelete != 0 && --machine.exhaustMemoryAfterDelete == 0)
        fake::FailAllocationAt(1);
    return removed;
}

bool RemoveDirectoryA(const AnsiText& folder, const AnsiText& path) {
    Called("RemoveDirectoryA");
    Quiet quietly;
    machine.events.push_back("rmdir " + path);
    return Remove(folder, path, true);
}

bool WriteNewFile(const AnsiText& folder, const AnsiText& name, std::string_view bytes) {
    Called("WriteNewFile");
    Quiet quietly;
    if (machine.writeNewFileFails) return false;
    const AnsiText path = folder + name;
    if (Find(path + "\\")) return false;
    if (const fake::Node* old = Find(path)) {
        if (old->reparsePoint || old->undeletable || old->hiddenOrSystem || old->links != 1) return false;
        machine.nodes.erase(path);
    }
    machine.written[path] = std::string(bytes);
    return true;
}

bool CanBeWorkingFolder(const AnsiText&, const AnsiText&, std::size_t) {
    Called("CanBeWorkingFolder");
    return machine.canBeWorkingFolder;
}

bool StartHiddenScript(const AnsiText& folder, const AnsiText& script, std::size_t) {
    Called("StartHiddenScript");
    Quiet quietly;
    if (machine.startFails) return false;
    machine.started.emplace_back(folder, script);
    return true;
}

StreamKind StdOutputKind() {
    Called("StdOutputKind");
    return machine.outKind;
}

StreamKind StdInputKind() {
    Called("StdInputKind");
    return machine.inKind;
}

bool WriteStdOutput(std::string_view bytes) {
    Called("WriteStdOutput");
    Quiet quietly;
    machine.outWrites.push_back(bytes.size());
    if (machine.failOutputWrite != 0 && static_cast<int>(machine.outWrites.size()) == machine.failOutputWrite)
        return false;
    machine.out += bytes;
    machine.events.push_back("out " + std::string(bytes));
    return true;
}

ReadResult ReadStdInput(char* buffer, std::size_t capacity, std::size_t& got) {
    Called("ReadStdInput");
    Quiet quietly;
    if (machine.inputFails) return ReadResult::Failed;
    if (machine.in.empty()) return machine.interruptAtEnd ? ReadResult::Interrupted : ReadResult::End;
    got = std::min({capacity, machine.inChunk, machine.in.size()});
    machine.in.copy(buffer, got);
    machine.in.erase(0, got);
    return ReadResult::Data;
}

void WriteStdError(std::string_view consoleText) {
    Called("WriteStdError");
    Quiet quietly;
    machine.err += consoleText;
}

void EndAsInterrupted() {
    Called("EndAsInterrupted");
    throw fake::Interrupted{};
}

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
