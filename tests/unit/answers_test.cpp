// The Windows backend's rules for what Windows' answers mean. Wine answers
// differently from Windows in each of these places, so the Wine tests alone
// would never show a rule broken.

#include <cstdint>
#include <ostream>
#include <string>

#include "answers.h"
#include "case_name.h"

namespace {

using namespace platform::answers;

struct ReadCase {
    const char* name;
    bool succeeded;
    std::uint32_t bytes;
    std::uint32_t error;
    Read meaning;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadTest, MeansWhatWindowsMeans) {
    EXPECT_EQ(ClassifyRead(GetParam().succeeded, GetParam().bytes, GetParam().error), GetParam().meaning);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadTest,
    testing::Values(ReadCase{"Bytes", true, 5, 0, Read::Data},
                    ReadCase{"BytesWithAnOldErrorLeftOver", true, 5, ErrorBrokenPipe, Read::Data},
                    // A console read cut short by Ctrl+C or Ctrl+Break on Windows.
                    ReadCase{"CtrlCOnAConsole", true, 0, ErrorOperationAborted, Read::Interrupted},
                    ReadCase{"AbortedAndFailed", false, 0, ErrorOperationAborted, Read::Interrupted},
                    ReadCase{"EndOfFile", true, 0, 0, Read::End},
                    // A Windows pipe whose writer has gone; Wine says 0 bytes instead.
                    ReadCase{"ClosedPipe", false, 0, ErrorBrokenPipe, Read::End},
                    ReadCase{"OtherFailure", false, 0, ErrorInvalidParameter, Read::Failed}),
    CaseName());

TEST(WrittenCountTest, NeverStepsPastWhatWasAsked) {
    EXPECT_EQ(WrittenCount(10, 4), 4u);
    EXPECT_EQ(WrittenCount(10, 10), 10u);
    EXPECT_EQ(WrittenCount(10, 11), 10u);
    EXPECT_EQ(WrittenCount(10, 0xFFFFFFFFu), 10u);
    EXPECT_EQ(WrittenCount(0, 3), 0u);
}

TEST(DispositionTest, OnlyAnUnsupportedClassFallsBack) {
    EXPECT_TRUE(DispositionExUnsupported(ErrorInvalidParameter));  // Windows 7 and 8, Wine 8
    EXPECT_TRUE(DispositionExUnsupported(ErrorNotSupported));      // a file system without it
    EXPECT_TRUE(DispositionExUnsupported(ErrorInvalidFunction));
    EXPECT_FALSE(DispositionExUnsupported(5));   // ERROR_ACCESS_DENIED: read-only, or not allowed
    EXPECT_FALSE(DispositionExUnsupported(32));  // ERROR_SHARING_VIOLATION
    EXPECT_FALSE(DispositionExUnsupported(145)); // ERROR_DIR_NOT_EMPTY
}

struct TagCase {
    const char* name;
    std::uint32_t tag;
    bool link;
};

void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }

class ReparseTagTest : public testing::TestWithParam<TagCase> {};

TEST_P(ReparseTagTest, OnlyNameSurrogatesAreLinks) { EXPECT_EQ(IsLinkTag(GetParam().tag), GetParam().link); }

// The values of winnt.h's IO_REPARSE_TAG_*.
INSTANTIATE_TEST_SUITE_P(Cases, ReparseTagTest,
                         testing::Values(TagCase{"SymbolicLink", 0xA000000C, true},
                                         TagCase{"JunctionOrMountPoint", 0xA0000003, true},
                                         TagCase{"WslSymbolicLink", 0xA000001D, true},
                                         TagCase{"CloudPlaceholder", 0x9000001A, false},
                                         TagCase{"CloudPlaceholderWithData", 0x9000601A, false},
                                         TagCase{"Deduplicated", 0x80000013, false},
                                         TagCase{"WimBacked", 0x80000008, false},
                                         TagCase{"NoTag", 0, false}),
                         CaseName());

TEST(TrailingSeparatorTest, GoesButARootStays) {
    EXPECT_EQ(WithoutTrailingSeparators(L"\\Apps\\Veltarin\\"), L"\\Apps\\Veltarin");
    EXPECT_EQ(WithoutTrailingSeparators(L"\\Apps\\Veltarin\\\\"), L"\\Apps\\Veltarin");
    EXPECT_EQ(WithoutTrailingSeparators(L"\\Apps\\Veltarin"), L"\\Apps\\Veltarin");
    EXPECT_EQ(WithoutTrailingSeparators(L"\\"), L"\\");
    EXPECT_EQ(WithoutTrailingSeparators(L"\\\\"), L"\\");
    EXPECT_EQ(WithoutTrailingSeparators(L""), L"");
}

// A working directory of N characters (with its backslash) and a relative
// name of M resolve within MAX_PATH (260, the NUL included) while N + M < 260.
TEST(WorkingFolderTest, FolderAndNameStayWithinMaxPath) {
    EXPECT_TRUE(FitsWithName(243, 16));
    EXPECT_FALSE(FitsWithName(244, 16));
    EXPECT_TRUE(FitsWithName(244, 15));
    EXPECT_FALSE(FitsWithName(259, 1));
    EXPECT_FALSE(FitsWithName(260, 0));
}

TEST(ScriptCommandLineTest, KeepsAutoRunAndTheRegistryOutAndNamesTheScriptHere) {
    EXPECT_EQ(ScriptCommandLine(L"unveltarin.bat"), L"cmd.exe /d /e:on /v:off /c .\\unveltarin.bat");
}

}  // namespace
