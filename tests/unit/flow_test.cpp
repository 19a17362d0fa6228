// The whole run with the double: dialogue, summary layouts, the caught
// failure and the failures that end the program.

#include <algorithm>
#include <stdexcept>
#include <ostream>
#include <string>

#include "case_name.h"
#include "console.h"
#include "machine_fixture.h"
#include "selfremoval.h"
#include "transcript.h"
#include "uninstall.h"

namespace {

using fake::machine;
using platform::StreamKind;

const AnsiText Folder = "C:\\Apps\\Veltarin\\";
const std::string CrLf = "\r\n";

std::string Line(std::string_view text) { return std::string(text) + CrLf; }

std::string Dialogue() {
    return "{14}" + Line(TitleLine) + CrLf + CrLf + CrLf + "{7}" + Line(CloseWarningRu) + Line(CloseWarningEn) + CrLf +
           Line(ConfirmRu) + Line(ConfirmEn) + CrLf + CrLf + "{14}" + Line(PressEnterRu) + Line(PressEnterEn) + CrLf;
}

std::string SummaryStart() { return "{7}{beep}" + CrLf + CrLf + CrLf; }

std::string Leftovers() { return "{14}" + Line(LeftoversRu) + Line(LeftoversEn); }

struct FlowTest : MachineTest {
    void SetUp() override {
        MachineTest::SetUp();
        machine.outKind = StreamKind::Console;
        machine.in = "\n\n";
    }
};

TEST_F(FlowTest, NothingToRemoveGivesDialogueAndCleanSummary) {
    Uninstall();
    EXPECT_EQ(Transcript(), Dialogue() + SummaryStart() + std::string(DoneRu) + CrLf + std::string(DoneEn) + CrLf);
    EXPECT_EQ(machine.in, "");  // both waits took their line
    ASSERT_EQ(machine.started.size(), 1u);
    EXPECT_EQ(machine.started[0].first, Folder);
}

// A DLL planted beside the program must not be loaded by anything the
// program or Windows does for it, so the search is narrowed before all else.
TEST_F(FlowTest, DllSearchIsRestrictedBeforeAnyOtherCall) {
    Uninstall();
    ASSERT_FALSE(machine.calls.empty());
    EXPECT_EQ(machine.calls.front(), "RestrictDllSearch");
    EXPECT_EQ(std::count(machine.calls.begin(), machine.calls.end(), "RestrictDllSearch"), 1);
}

TEST_F(FlowTest, RefusedFileIsReportedAndTheRunGoesOn) {
    fake::AddFile(Folder + "korlan.exe", {.undeletable = true});
    fake::AddFile(Folder + "sabet.exe");
    Uninstall();
    EXPECT_EQ(Transcript(), Dialogue() + "{12}" + Line(Folder + "korlan.exe" + std::string(ErrorSuffix)) + "{2}" +
                                Line(Folder + "sabet.exe" + std::string(OkSuffix)) + SummaryStart() +
                                std::string(DoneRu) + CrLf + std::string(DoneEn) + CrLf + Leftovers());
    EXPECT_TRUE(fake::Exists(Folder + "korlan.exe"));
    EXPECT_FALSE(fake::Exists(Folder + "sabet.exe"));
}

std::string SummaryAfterCaughtFailure() {
    return SummaryStart() + std::string(DoneRu) + Line(WithErrorsRu) + CrLf + std::string(DoneEn) +
           Line(WithErrorsEn) + CrLf + Leftovers();
}

TEST_F(FlowTest, MemoryRunningOutStopsTheRunAndTheSummarySaysSo) {
    fake::AddFile(Folder + "korlan.exe");
    fake::AddFile(Folder + "mildrev.exe");
    fake::AddFile(Folder + "sabet.exe");
    machine.exhaustMemoryAfterDelete = 2;  // mildrev.exe goes, then its line cannot be made
    Uninstall();
    // Green was already set for mildrev.exe when its line could not be made.
    EXPECT_EQ(Transcript(), Dialogue() + "{2}" + Line(Folder + "korlan.exe" + std::string(OkSuffix)) + "{2}" +
                                SummaryAfterCaughtFailure());
    EXPECT_FALSE(fake::Exists(Folder + "mildrev.exe"));
    EXPECT_TRUE(fake::Exists(Folder + "sabet.exe"));  // never attempted
    EXPECT_EQ(machine.started.size(), 1u);
}

TEST_F(FlowTest, EntryLineThatCannotBeWrittenStopsTheRunAfterItsRemoval) {
    fake::AddFile(Folder + "korlan.exe");
    fake::AddFile(Folder + "sabet.exe");
    machine.failOutputWrite = 15;  // the dialogue takes 14 writes; the 15th is korlan.exe's line
    Uninstall();
    EXPECT_EQ(Transcript(), Dialogue() + "{2}" + SummaryAfterCaughtFailure());
    EXPECT_FALSE(fake::Exists(Folder + "korlan.exe"));
    EXPECT_TRUE(fake::Exists(Folder + "sabet.exe"));
}

TEST_F(FlowTest, InputAtEndRunsThroughWithoutAKeyPress) {
    machine.in = "";
    fake::AddFile(Folder + "sabet.exe");
    Uninstall();
    EXPECT_FALSE(fake::Exists(Folder + "sabet.exe"));
    EXPECT_EQ(machine.started.size(), 1u);
}

TEST_F(FlowTest, RedirectedOutputGetsTheSameBytes) {
    fake::AddFile(Folder + "sabet.exe");
    Uninstall();
    const std::string onConsole = machine.out;
    fake::Reset();
    machine.in = "\n\n";
    fake::AddFile(Folder + "sabet.exe");
    Uninstall();
    platform::CloseStandardStreams();
    EXPECT_EQ(machine.out, onConsole);
}

// Failures outside the removal run end the program; nothing is removed
// that was not removed already, and no script is started.
struct FatalCase {
    const char* name;
    void (*arrange)();
    bool removedBefore;  // the run had happened when the failure came
};

// Test listings show the case by its name.
void PrintTo(const FatalCase& c, std::ostream* os) { *os << c.name; }

class FatalFailureTest : public FlowTest, public testing::WithParamInterface<FatalCase> {};

TEST_P(FatalFailureTest, EndsTheProgramWithoutAScript) {
    fake::AddFile(Folder + "sabet.exe");
    GetParam().arrange();
    EXPECT_THROW(Uninstall(), std::runtime_error);
    EXPECT_EQ(fake::Exists(Folder + "sabet.exe"), !GetParam().removedBefore);
    EXPECT_TRUE(machine.started.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FatalFailureTest,
    testing::Values(FatalCase{"NoStandardOutput", [] { machine.outKind = StreamKind::Missing; }, false},
                    FatalCase{"DialogueWriteFails", [] { machine.failOutputWrite = 3; }, false},
                    FatalCase{"FirstWaitFails", [] { machine.inputFails = true; }, false},
                    FatalCase{"NoStandardInput", [] { machine.inKind = StreamKind::Missing; }, false},
                    FatalCase{"ProgramPathUnknown", [] { machine.programPathKnown = false; }, false},
                    FatalCase{"ProgramPathWithoutFolder", [] { machine.programPath = "uninstall.exe"; }, false},
                    FatalCase{"ProgramPathRelative", [] { machine.programPath = "Apps\\Veltarin\\uninstall.exe"; },
                              false},
                    FatalCase{"FolderCannotBeHeld", [] { machine.pinFails = true; }, false},
                    FatalCase{"SummaryWriteFails", [] { machine.failOutputWrite = 16; }, true},
                    FatalCase{"ScriptCannotBeWritten", [] { machine.writeNewFileFails = true; }, true}),
    CaseName());

TEST_F(FlowTest, UnknownProgramFolderEndsBeforeAnythingIsShown) {
    machine.programPathKnown = false;
    EXPECT_THROW(Uninstall(), std::runtime_error);
    EXPECT_EQ(machine.out, "");
    EXPECT_EQ(machine.in, "\n\n");
}

// The folder is held from before the first word, so that what the user
// confirms is the folder every later step acts on.
TEST_F(FlowTest, FolderIsHeldBeforeTheDialogueAndAFolderThatCannotBeEndsThere) {
    Uninstall();
    EXPECT_EQ(machine.pinned, Folder);
    auto pinned = std::find(machine.calls.begin(), machine.calls.end(), "PinInstallFolder");
    EXPECT_LT(pinned, std::find(machine.calls.begin(), machine.calls.end(), "StdOutputKind"));

    fake::Reset();
    machine.outKind = StreamKind::Console;
    machine.in = "\n\n";
    machine.pinFails = true;
    EXPECT_THROW(Uninstall(), std::runtime_error);
    EXPECT_EQ(machine.out, "");
}

// Windows ends the process when Ctrl+C interrupts a read; until it does,
// the program must not take the interrupted read for a confirmation.
TEST_F(FlowTest, CtrlCAtTheFirstWaitRemovesNothingAndSaysNothingMore) {
    fake::AddFile(Folder + "sabet.exe");
    machine.in = "";
    machine.interruptAtEnd = true;
    EXPECT_THROW(Uninstall(), fake::Interrupted);
    EXPECT_EQ(Transcript(), Dialogue());
    EXPECT_TRUE(fake::Exists(Folder + "sabet.exe"));
    EXPECT_TRUE(machine.written.empty());
    EXPECT_TRUE(machine.started.empty());
}

TEST_F(FlowTest, CtrlCAtTheSecondWaitWritesNoScript) {
    fake::AddFile(Folder + "sabet.exe");
    machine.in = "\n";  // the first wait's line; Ctrl+C comes during the second
    machine.interruptAtEnd = true;
    EXPECT_THROW(Uninstall(), fake::Interrupted);
    EXPECT_FALSE(fake::Exists(Folder + "sabet.exe"));
    EXPECT_TRUE(machine.written.empty());
    EXPECT_TRUE(machine.started.empty());
}

struct FolderCase {
    const char* name;
    AnsiText programPath;
    AnsiText folder;
};

// Test listings show the case by its name.
void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class ResolveInstallFolderTest : public MachineTest, public testing::WithParamInterface<FolderCase> {};

TEST_P(ResolveInstallFolderTest, KeepsTheTrailingBackslash) {
    machine.programPath = GetParam().programPath;
    EXPECT_EQ(ResolveInstallFolder(), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveInstallFolderTest,
    testing::Values(FolderCase{"Nested", "C:\\Apps\\Tool\\uninstall.exe", "C:\\Apps\\Tool\\"},
                    FolderCase{"DriveRoot", "C:\\uninstall.exe", "C:\\"},
                    FolderCase{"Share", "\\\\server\\share\\u.exe", "\\\\server\\share\\"},
                    FolderCase{"LongDrivePath", "\\\\?\\C:\\Apps\\u.exe", "\\\\?\\C:\\Apps\\"},
                    FolderCase{"LongSharePath", "\\\\?\\UNC\\server\\share\\u.exe",
                               "\\\\?\\UNC\\server\\share\\"},
                    FolderCase{"CyrillicKeptInAnsi", "D:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\\uninstall.exe",
                               "D:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\\"}),
    CaseName());

struct PathCase {
    const char* name;
    const char* path;
};

// Test listings show the case by its name.
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

// Anything else would be resolved against a working directory or a drive's
// current folder, places the program does not choose.
class NotAFullPathTest : public MachineTest, public testing::WithParamInterface<PathCase> {};

TEST_P(NotAFullPathTest, IsRefused) {
    EXPECT_FALSE(IsAbsolutePath(GetParam().path));
    machine.programPath = GetParam().path;
    EXPECT_THROW(ResolveInstallFolder(), std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Cases, NotAFullPathTest,
                         testing::Values(PathCase{"BareName", "uninstall.exe"},
                                         PathCase{"Relative", "Apps\\uninstall.exe"},
                                         PathCase{"DotRelative", ".\\uninstall.exe"},
                                         PathCase{"RootedWithoutDrive", "\\Apps\\uninstall.exe"},
                                         PathCase{"DriveRelative", "C:uninstall.exe"},
                                         PathCase{"ServerWithoutShare", "\\\\server\\uninstall.exe"},
                                         PathCase{"EmptyServer", "\\\\\\share\\uninstall.exe"},
                                         PathCase{"Device", "\\\\.\\C:\\Apps\\uninstall.exe"},
                                         PathCase{"LongWithoutDrive", "\\\\?\\Apps\\uninstall.exe"},
                                         PathCase{"LongShareWithoutShare", "\\\\?\\UNC\\server\\u.exe"},
                                         PathCase{"Empty", ""}),
                         CaseName());

}  // namespace
