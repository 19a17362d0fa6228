// The self-removal script: its exact bytes, where it goes and how it starts.

#include <stdexcept>

#include "machine_fixture.h"
#include "selfremoval.h"

namespace {

using fake::machine;

const char ExpectedScript[] =
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
    "del \"unveltarin.bat\" >nul 2>&1 & exit /b\r\n";

using SelfRemovalTest = MachineTest;

TEST_F(SelfRemovalTest, WritesTheScriptIntoTheInstallFolderAndStartsItThere) {
    UninstallState state;
    state.installFolder = "D:\\Games\\Veltarin\\";
    LaunchSelfRemoval(state);
    ASSERT_EQ(machine.written.size(), 1u);
    EXPECT_EQ(machine.written.begin()->first, "D:\\Games\\Veltarin\\unveltarin.bat");
    EXPECT_EQ(machine.written.begin()->second, ExpectedScript);
    ASSERT_EQ(machine.started.size(), 1u);
    EXPECT_EQ(machine.started[0].first, "D:\\Games\\Veltarin\\");
    EXPECT_EQ(machine.started[0].second, "unveltarin.bat");
}

TEST_F(SelfRemovalTest, ScriptThatCannotBeWrittenRaisesAndStartsNothing) {
    machine.writeNewFileFails = true;
    UninstallState state;
    state.installFolder = "C:\\V\\";
    EXPECT_THROW(LaunchSelfRemoval(state), std::runtime_error);
    EXPECT_TRUE(machine.started.empty());
}

TEST_F(SelfRemovalTest, ScriptThatCannotStartIsNotAFailure) {
    machine.startFails = true;
    UninstallState state;
    state.installFolder = "C:\\V\\";
    EXPECT_NO_THROW(LaunchSelfRemoval(state));
    EXPECT_EQ(machine.written.size(), 1u);
}

}  // namespace
