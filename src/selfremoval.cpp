#include "selfremoval.h"

#include <stdexcept>
#include <string_view>

#include "platform/platform.h"

namespace {

constexpr std::string_view ScriptName = "unveltarin.bat";
// The longest name the script resolves against its working directory:
// "uninstall.exe\*" in its folder test.
constexpr std::size_t LongestNameInScript = 15;

// The system folder as it goes into the script: cmd reads the script in the
// console's code page, so only plain ASCII means there what it means here,
// and '%' would start a variable unless doubled.
AnsiText ForScript(const AnsiText& systemFolder) {
    AnsiText quoted;
    for (char c : systemFolder) {
        if (c < ' ' || c > '~' || c == '"')
            throw std::runtime_error("the system folder cannot be named in the self-removal script: " + systemFolder);
        quoted += c;
        if (c == '%') quoted += c;
    }
    return quoted;
}

// The command script that deletes the program file once the program has
// exited, then itself.
//
// The script runs in the install folder (the program starts it there), so the
// bare names below can only mean the files in that folder, whatever folder
// the user started the program from. Everything else in that folder may have
// been put there by another user, so:
// - the only program it starts, ping, is named by its full path in the
//   system folder: a bare "ping" would run a ping.bat or ping.exe from the
//   install folder or from PATH, with administrator rights;
// - "del" on a folder deletes what the folder holds, after asking the
//   console; a folder (or a link to one) named like the program file is not
//   the program file, and the script stops at it. While the program runs its
//   file holds the name, so no folder can take it before the script checks.
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
AnsiText SelfRemovalScript(const AnsiText& systemFolder) {
    AnsiText script =
        "@echo off\r\n"
        "set tries=0\r\n"
        ":try\r\n"
        "if exist \"uninstall.exe\\*\" goto done\r\n"
        "del \"uninstall.exe\" >nul 2>&1\r\n"
        "if not exist \"uninstall.exe\" goto done\r\n"
        "set /a tries+=1\r\n"
        "if %tries% geq 30 goto done\r\n"
        "\"";
    script += ForScript(systemFolder);
    script +=
        "\\ping.exe\" -n 2 127.0.0.1 >nul 2>&1\r\n"
        "goto try\r\n"
        ":done\r\n"
        "del \"";
    script += ScriptName;
    script += "\" >nul 2>&1 & exit /b\r\n";
    return script;
}

}  // namespace

void LaunchSelfRemoval(const UninstallState& state) {
    // A folder too deep to be a working directory for the script's names,
    // with no short name to stand for it, or a share (cmd refuses one): the
    // script could never do its work there, so none is written and the
    // program file stays, as when the script cannot start.
    if (!platform::CanBeWorkingFolder(state.installFolder, AnsiText(ScriptName), LongestNameInScript)) return;
    AnsiText systemFolder;
    if (!platform::SystemFolder(systemFolder)) throw std::runtime_error("cannot tell where the system folder is");
    if (!platform::WriteNewFile(state.installFolder, AnsiText(ScriptName), SelfRemovalScript(systemFolder)))
        throw std::runtime_error("cannot write the self-removal script " + state.installFolder + AnsiText(ScriptName));
    // Not starting is not worth a word: the user can delete the file by hand,
    // and the complete script stays beside it.
    platform::StartHiddenScript(state.installFolder, AnsiText(ScriptName), LongestNameInScript);
}
