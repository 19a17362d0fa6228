#include "removal.h"

#include "console.h"
#include "manifest.h"
#include "platform/platform.h"

namespace {

// A listed path that runs through a junction or symbolic link leads out of
// the install folder: what lies behind the link is not ours, so its targets
// are passed over without a word. Each folder on the way is asked about by
// its name without the trailing backslash: with one, Windows answers for
// what the link leads to. A listed target that is itself a link is left to
// the removal, which refuses it and so reports it.
bool PassesThroughLink(const UninstallState& state, std::string_view relativePath) {
    std::string_view parents = relativePath.substr(0, relativePath.size() - 1);
    for (std::size_t end = parents.find('\\'); end != parents.npos; end = parents.find('\\', end + 1))
        if (platform::IsReparsePoint(state.installFolder + AnsiText(parents.substr(0, end)))) return true;
    return false;
}

void RecordOutcome(UninstallState& state, bool removed, Colour failureColour) {
    state.lastRemoved = removed;
    state.allRemoved = state.allRemoved && removed;
    SetTextColour(state, removed ? Green : failureColour);
    WriteEntryLine(state);
}

}  // namespace

void RemoveListedFile(UninstallState& state) {
    if (!platform::IsRegularFilePresent(state.currentTarget)) return;
    RecordOutcome(state, platform::DeleteFileA(state.installFolder, state.currentTarget), LightRed);
}

void RemoveListedFolder(UninstallState& state) {
    if (!platform::IsFolderPresent(state.currentTarget)) return;
    RecordOutcome(state, platform::RemoveDirectoryA(state.installFolder, state.currentTarget), Red);
}

void RunRemoval(UninstallState& state) {
    for (const ManifestEntry& entry : Manifest) {
        state.currentTarget = state.installFolder;
        state.currentTarget += entry.relativePath;
        if (PassesThroughLink(state, entry.relativePath)) continue;
        if (entry.kind == EntryKind::File) RemoveListedFile(state);
        else RemoveListedFolder(state);
    }
}
