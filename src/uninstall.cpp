#include "uninstall.h"

#include <stdexcept>

#include "console.h"
#include "platform/platform.h"
#include "removal.h"
#include "selfremoval.h"

using platform::WaitForLine;
using platform::WriteBlankLine;
using platform::WriteLine;
using platform::WritePartialLine;

namespace {

bool IsDriveRoot(std::string_view path) {
    return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
           path[1] == ':' && path[2] == '\\';
}

// "server\share\": two names, each followed by a backslash.
bool IsShareRoot(std::string_view path) {
    for (int part = 0; part < 2; ++part) {
        std::size_t end = path.find('\\');
        if (end == 0 || end == path.npos) return false;
        path.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace

bool IsAbsolutePath(std::string_view path) {
    if (path.starts_with("\\\\?\\UNC\\")) return IsShareRoot(path.substr(8));
    if (path.starts_with("\\\\?\\")) return IsDriveRoot(path.substr(4));
    if (path.starts_with("\\\\.\\")) return false;
    if (path.starts_with("\\\\")) return IsShareRoot(path.substr(2));
    return IsDriveRoot(path);
}

AnsiText ResolveInstallFolder() {
    AnsiText folder;
    if (!platform::ProgramFilePath(folder)) throw std::runtime_error("cannot tell which folder the program is in");
    // A relative path would be resolved against the working directory, a
    // folder anybody may have chosen; without a backslash there is no
    // folder to speak of at all.
    if (!IsAbsolutePath(folder)) throw std::runtime_error("the program path is not a full path: " + folder);
    folder.resize(folder.rfind('\\') + 1);
    return folder;
}

namespace {

void WriteBlankLines(int count) {
    while (count-- > 0) WriteBlankLine();
}

void Confirm(const UninstallState& state) {
    SetTextColour(state, Yellow);
    WriteLine(TitleLine);
    WriteBlankLines(3);
    SetTextColour(state, LightGrey);
    WriteLine(CloseWarningRu);
    WriteLine(CloseWarningEn);
    WriteBlankLines(1);
    WriteLine(ConfirmRu);
    WriteLine(ConfirmEn);
    WriteBlankLines(2);
    SetTextColour(state, Yellow);
    WriteLine(PressEnterRu);
    WriteLine(PressEnterEn);
    WriteBlankLines(1);
    WaitForLine();
}

void Summarise(const UninstallState& state, bool runFailed) {
    SetTextColour(state, LightGrey);
    platform::MessageBeep();
    WriteBlankLines(3);
    WritePartialLine(DoneRu);
    if (runFailed) WriteLine(WithErrorsRu);
    WriteBlankLines(1);
    WritePartialLine(DoneEn);
    if (runFailed) WriteLine(WithErrorsEn);
    WriteBlankLines(1);
    if (!state.allRemoved) {
        SetTextColour(state, Yellow);
        WriteLine(LeftoversRu);
        WriteLine(LeftoversEn);
    }
}

}  // namespace

void Uninstall() {
    platform::RestrictDllSearch();
    UninstallState state;
    state.installFolder = ResolveInstallFolder();
    if (!platform::PinInstallFolder(state.installFolder))
        throw std::runtime_error("cannot hold the program's folder open: " + state.installFolder);
    state.consoleOut = platform::StdOutputHandle();
    bool runFailed = false;

    Confirm(state);
    try {
        RunRemoval(state);
    } catch (...) {
        // The summary's error suffixes and leftovers warning are the report;
        // the failure's own text would mean nothing to the user.
        runFailed = true;
        state.allRemoved = false;
    }
    Summarise(state, runFailed);
    WaitForLine();
    LaunchSelfRemoval(state);
}
