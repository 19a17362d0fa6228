#include "selfremoval.h"

#include <stdexcept>
#include <string_view>

#include "platform/platform.h"

namespace {

constexpr std::string_view ScriptName = "unveltarin.bat";

// The command script that deletes the program file once the program has
// exited, then itself.
//
// The script runs in the install folder (the program starts it there), so the
// bare names below can only mean the files in that folder, whatever folder
// the user started the program from.
//
// It shares the user's console, so it says nothing: echo is off and del's
// complaints go to nul. A program file that stays undeletable (read-only,
// access denied) would keep a plain retry loop spinning for ever; the loop
// gives up after about 30 one-second pauses and leaves the file. ping to the
// loopback address is the pause every Windows has that also works with no
// console input ("timeout" refuses redirected input and would spin).
//
// The last line deletes the script and leaves it on the same line: cmd reads
// a batch file line by line, and would otherwise complain that the file it
// was reading has gone.
AnsiText SelfRemovalScript() {
    AnsiText script =
        "@echo off\r\n"
        "set tries=0\r\n"
        ":try\r\n"
        "del \"uninstall.exe\" >nul 2>&1\r\n"
        "if not exist \"uninstall.exe\" goto done\r\n"
        "set /a tries+=1\r\n"
        "if %tries% geq 30 goto done\r\n"
        "ping -n 2 127.0.0.1 >nul 2>&1\r\n"
        "goto try\r\n"
        ":done\r\n"
        "del \"";
    script += ScriptName;
    script += "\" >nul 2>&1 & exit /b\r\n";
    return script;
}

}  // namespace

void LaunchSelfRemoval(const UninstallState& state) {
    AnsiText scriptPath = state.installFolder;
    scriptPath += ScriptName;
    if (!platform::WriteNewFile(scriptPath, SelfRemovalScript()))
        throw std::runtime_error("cannot write the self-removal script " + scriptPath);
    // Not starting is not worth a word: the user can delete the file by hand,
    // and the complete script stays beside it.
    platform::StartHiddenScript(state.installFolder, AnsiText(ScriptName));
}
