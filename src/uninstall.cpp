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

AnsiText ResolveInstallFolder() {
    AnsiText folder;
    if (!platform::ProgramFilePath(folder)) throw std::runtime_error("cannot tell which folder the program is in");
    // Without a backslash there is no folder to speak of, and shrinking the
    // text to one character would aim every removal at the working directory.
    std::size_t cut = folder.rfind('\\');
    if (cut == AnsiText::npos) throw std::runtime_error("the program path names no folder: " + folder);
    folder.resize(cut + 1);
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
