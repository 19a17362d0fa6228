// The self-removal script: its exact bytes, where it goes and how it starts,
// and what it refuses to write over.

#include <ostream>
#include <stdexcept>
#include <string>

#include "case_name.h"
#include "machine_fixture.h"
#include "selfremoval.h"

namespace {

using fake::machine;

const AnsiText Folder = "D:\\Games\\Veltarin\\";
const AnsiText ScriptPath = Folder + "unveltarin.bat";

const char ExpectedScript[] =
    "@echo off\r\n"
    "set tries=0\r\n"
    ":try\r\n"
    "if exist \"uninstall.exe\\*\" goto done\r\n"
    "del \"uninstall.exe\" >nul 2>&1\r\n"
    "if not exist \"uninstall.exe\" goto done\r\n"
    "set /a tries+=1\r\n"
    "if %tries% geq 30 goto done\r\n"
    "\"C:\\Windows\\system32\\ping.exe\" -n 2 127.0.0.1 >nul 2>&1\r\n"
    "goto try\r\n"
    ":done\r\n"
    "del \"unveltarin.bat\" >nul 2>&1 & exit /b\r\n";

struct SelfRemovalTest : MachineTest {
    UninstallState state;
    void SetUp() override {
        MachineTest::SetUp();
        state.installFolder = Folder;
    }
};

TEST_F(SelfRemovalTest, WritesTheScriptIntoTheInstallFolderAndStartsItThere) {
    LaunchSelfRemoval(state);
    ASSERT_EQ(machine.written.size(), 1u);
    EXPECT_EQ(machine.written.begin()->first, ScriptPath);
    EXPECT_EQ(machine.written.begin()->second, ExpectedScript);
    ASSERT_EQ(machine.started.size(), 1u);
    EXPECT_EQ(machine.started[0].first, Folder);
    EXPECT_EQ(machine.started[0].second, "unveltarin.bat");
}

TEST_F(SelfRemovalTest, PingIsNamedByTheSystemFolderWindowsReports) {
    machine.systemFolder = "E:\\WIN 100%\\System32";
    LaunchSelfRemoval(state);
    EXPECT_NE(machine.written[ScriptPath].find("\r\n\"E:\\WIN 100%%\\System32\\ping.exe\" -n 2 "), std::string::npos);
}

TEST_F(SelfRemovalTest, StalePlainScriptIsReplaced) {
    fake::AddFile(ScriptPath);
    LaunchSelfRemoval(state);
    EXPECT_EQ(machine.written[ScriptPath], ExpectedScript);
    EXPECT_EQ(machine.started.size(), 1u);
}

TEST_F(SelfRemovalTest, FolderTooDeepToStartInGetsNoScript) {
    machine.canBeWorkingFolder = false;
    EXPECT_NO_THROW(LaunchSelfRemoval(state));
    EXPECT_TRUE(machine.written.empty());
    EXPECT_TRUE(machine.started.empty());
}

TEST_F(SelfRemovalTest, ScriptThatCannotStartIsNotAFailure) {
    machine.startFails = true;
    EXPECT_NO_THROW(LaunchSelfRemoval(state));
    EXPECT_EQ(machine.written.size(), 1u);
}

// What the script cannot be written over, or without: the program ends with
// its report, and no script is started.
struct RefusedCase {
    const char* name;
    void (*arrange)();
};

// Test listings show the case by its name.
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class ScriptRefusedTest : public SelfRemovalTest, public testing::WithParamInterface<RefusedCase> {};

TEST_P(ScriptRefusedTest, RaisesAndStartsNothing) {
    GetParam().arrange();
    const auto before = machine.nodes.size();
    EXPECT_THROW(LaunchSelfRemoval(state), std::runtime_error);
    EXPECT_TRUE(machine.written.empty());
    EXPECT_TRUE(machine.started.empty());
    EXPECT_EQ(machine.nodes.size(), before);  // what held the name is left as it was
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptRefusedTest,
    testing::Values(RefusedCase{"CannotBeWritten", [] { machine.writeNewFileFails = true; }},
                    RefusedCase{"NameIsAFolder", [] { fake::AddFolder(ScriptPath + "\\"); }},
                    RefusedCase{"NameIsALink", [] { fake::AddFile(ScriptPath, {.reparsePoint = true}); }},
                    RefusedCase{"NameIsAHardLink", [] { fake::AddFile(ScriptPath, {.links = 2}); }},
                    RefusedCase{"NameIsReadOnly", [] { fake::AddFile(ScriptPath, {.undeletable = true}); }},
                    RefusedCase{"NameIsHidden", [] { fake::AddFile(ScriptPath, {.hiddenOrSystem = true}); }},
                    RefusedCase{"SystemFolderUnknown", [] { machine.systemFolderKnown = false; }},
                    RefusedCase{"SystemFolderNotPlainAscii",
                                [] { machine.systemFolder = "C:\\\xCE\xEA\xED\xE0\\system32"; }},  // "Окна"
                    RefusedCase{"SystemFolderWithAQuote", [] { machine.systemFolder = "C:\\W\"\\system32"; }}),
    CaseName());

}  // namespace
