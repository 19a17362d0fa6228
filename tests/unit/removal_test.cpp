// The removal run over the listed targets, against the in-memory file system.

#include <ostream>
#include <string>
#include <vector>

#include "case_name.h"
#include "console.h"
#include "machine_fixture.h"
#include "manifest.h"
#include "removal.h"
#include "transcript.h"

namespace {

using fake::machine;

const AnsiText Folder = "C:\\Apps\\Veltarin\\";

struct RemovalTest : MachineTest {
    UninstallState state;

    void SetUp() override {
        MachineTest::SetUp();
        machine.outKind = platform::StreamKind::Console;
        state.installFolder = Folder;
    }

    static void InstallEverything() {
        for (const ManifestEntry& entry : Manifest) {
            AnsiText path = Folder + AnsiText(entry.relativePath);
            if (entry.kind == EntryKind::File) fake::AddFile(path);
            else fake::AddFolder(path);
        }
    }

    static std::string Line(Colour colour, const AnsiText& path, bool removed) {
        return "{" + std::to_string(colour) + "}" + ToConsoleText(path) +
               std::string(removed ? OkSuffix : ErrorSuffix) + "\r\n";
    }
};

TEST_F(RemovalTest, FullInstallGoesInTableOrderWithOneGreenLineEach) {
    InstallEverything();
    RunRemoval(state);
    std::string expected;
    for (const ManifestEntry& entry : Manifest) expected += Line(Green, Folder + AnsiText(entry.relativePath), true);
    EXPECT_EQ(Transcript(), expected);
    EXPECT_TRUE(machine.nodes.empty());
    EXPECT_TRUE(state.allRemoved);
    EXPECT_TRUE(state.lastRemoved);
}

TEST_F(RemovalTest, UsersOwnFileKeepsItsFolderAndTheFoldersAbove) {
    InstallEverything();
    const AnsiText own = Folder + "tesk\\Ostin\\my song.wav";
    fake::AddFile(own);
    RunRemoval(state);
    EXPECT_EQ(machine.nodes.size(), 3u);
    EXPECT_TRUE(fake::Exists(own));
    EXPECT_TRUE(fake::Exists(Folder + "tesk\\Ostin\\"));
    EXPECT_TRUE(fake::Exists(Folder + "tesk\\"));
    const std::string shown = Transcript();
    EXPECT_NE(shown.find(Line(Red, Folder + "tesk\\Ostin\\", false)), std::string::npos);
    EXPECT_NE(shown.find(Line(Green, Folder + "tesk\\Varle\\", true)), std::string::npos);
    EXPECT_TRUE(shown.ends_with(Line(Red, Folder + "tesk\\", false)));
    EXPECT_FALSE(state.allRemoved);
    EXPECT_FALSE(state.lastRemoved);
}

TEST_F(RemovalTest, RefusedFileIsLightRedAndLaterSuccessLeavesAllRemovedFalse) {
    fake::AddFile(Folder + "korlan.exe", {.undeletable = true});
    fake::AddFile(Folder + "sabet.exe");
    RunRemoval(state);
    EXPECT_EQ(Transcript(), Line(LightRed, Folder + "korlan.exe", false) + Line(Green, Folder + "sabet.exe", true));
    EXPECT_FALSE(state.allRemoved);
    EXPECT_TRUE(state.lastRemoved);
}

// Targets that are not what the list says they are: passed over without a
// word and without an attempt.
struct SilentCase {
    const char* name;
    void (*arrange)();
};

// Test listings show the case by its name.
void PrintTo(const SilentCase& c, std::ostream* os) { *os << c.name; }

class SilentTargetTest : public RemovalTest, public testing::WithParamInterface<SilentCase> {};

TEST_P(SilentTargetTest, IsPassedOver) {
    GetParam().arrange();
    const auto before = machine.nodes.size();
    RunRemoval(state);
    EXPECT_EQ(Transcript(), "");
    EXPECT_EQ(machine.nodes.size(), before);
    EXPECT_TRUE(state.allRemoved);
    for (const std::string& event : machine.events) EXPECT_FALSE(event.starts_with("delete ")) << event;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SilentTargetTest,
    testing::Values(SilentCase{"NothingInstalled", [] {}},
                    SilentCase{"FileEntryNamesAFolder", [] { fake::AddFolder(Folder + "korlan.exe"); }},
                    SilentCase{"FolderEntryNamesAFile", [] { fake::AddFile(Folder + "nubra\\"); }},
                    SilentCase{"FileWithoutADosDate", [] { fake::AddFile(Folder + "korlan.exe", {.dosDate = false}); }},
                    SilentCase{"OtherFolderNotTouched",
                               [] {
                                   fake::AddFile("C:\\Apps\\korlan.exe");
                                   fake::AddFile("C:\\Apps\\Veltarin2\\korlan.exe");
                                   fake::AddFile("korlan.exe");
                               }}),
    CaseName());

// Behind a junction lie somebody else's files: they are passed over without
// a word, and the link itself is left and reported, so the user hears that
// something stayed.
TEST_F(RemovalTest, LinkedFolderAndWhatItLeadsToStay) {
    fake::AddFolder(Folder + "tesk\\", {.reparsePoint = true});
    fake::AddFile(Folder + "tesk\\Olvan.ico");
    fake::AddFolder(Folder + "tesk\\Ostin\\");
    fake::AddFile(Folder + "tesk\\Ostin\\Ambel.wav");
    const auto before = machine.nodes.size();
    RunRemoval(state);
    EXPECT_EQ(Transcript(), Line(Red, Folder + "tesk\\", false));
    EXPECT_EQ(machine.nodes.size(), before);
    EXPECT_FALSE(state.allRemoved);
}

// A link deeper down: each folder on the way must be asked about as Windows
// reports links, by its name without the trailing backslash.
TEST_F(RemovalTest, LinkInsideAListedFolderKeepsWhatItLeadsTo) {
    InstallEverything();
    machine.nodes[Folder + "tesk\\Ostin\\"].reparsePoint = true;
    RunRemoval(state);
    EXPECT_TRUE(fake::Exists(Folder + "tesk\\Ostin\\Ambel.wav"));
    EXPECT_TRUE(fake::Exists(Folder + "tesk\\Ostin\\thumbs.db"));
    EXPECT_FALSE(fake::Exists(Folder + "tesk\\Olvan.ico"));
    EXPECT_FALSE(fake::Exists(Folder + "tesk\\Varle\\kem.bmp"));
    const std::string shown = Transcript();
    EXPECT_EQ(shown.find(ToConsoleText(Folder + "tesk\\Ostin\\Ambel.wav")), std::string::npos);
    EXPECT_NE(shown.find(Line(Red, Folder + "tesk\\Ostin\\", false)), std::string::npos);
    EXPECT_TRUE(shown.ends_with(Line(Red, Folder + "tesk\\", false)));
}

// Targets that are there but cannot be made to go: each gets the error
// suffix, and the run goes on.
TEST_F(RemovalTest, LinkedFileAndFileThatStaysAreReportedAsLeft) {
    fake::AddFile(Folder + "korlan.exe", {.reparsePoint = true});
    fake::AddFile(Folder + "mildrev.exe", {.staysAfterRemoval = true});
    fake::AddFolder(Folder + "nubra\\", {.staysAfterRemoval = true});
    fake::AddFile(Folder + "sabet.exe");
    RunRemoval(state);
    EXPECT_EQ(Transcript(), Line(LightRed, Folder + "korlan.exe", false) + Line(LightRed, Folder + "mildrev.exe", false) +
                                Line(Green, Folder + "sabet.exe", true) + Line(Red, Folder + "nubra\\", false));
    EXPECT_TRUE(fake::Exists(Folder + "korlan.exe"));
    EXPECT_TRUE(fake::Exists(Folder + "mildrev.exe"));
    EXPECT_FALSE(state.allRemoved);
}

TEST_F(RemovalTest, CyrillicFolderActsOnAnsiPathsAndShowsConsoleText) {
    const AnsiText folder = "C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\\";  // "Программы" in Windows-1251
    state.installFolder = folder;
    fake::AddFile(folder + "korlan\xFC.exe");
    RunRemoval(state);
    EXPECT_FALSE(fake::Exists(folder + "korlan\xFC.exe"));
    EXPECT_EQ(Transcript(), "{2}C:\\\x8F\xE0\xAE\xA3\xE0\xA0\xAC\xAC\xEB\\korlan\xEC.exe Ok!\r\n");
}

TEST_F(RemovalTest, StepsUseOnlyTheCurrentTarget) {
    state.currentTarget = Folder + "elsewhere\\x.bin";
    fake::AddFile(state.currentTarget);
    RemoveListedFile(state);
    EXPECT_FALSE(fake::Exists(state.currentTarget));
    EXPECT_EQ(state.installFolder, Folder);
    EXPECT_EQ(state.currentTarget, Folder + "elsewhere\\x.bin");

    state.currentTarget = Folder + "stuck\\";
    fake::AddFolder(state.currentTarget, {.undeletable = true});
    RemoveListedFolder(state);
    EXPECT_TRUE(Transcript().ends_with(Line(Red, Folder + "stuck\\", false)));
    EXPECT_FALSE(state.allRemoved);
}

}  // namespace
