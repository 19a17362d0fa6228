// The console streams: line ends, end of input, buffering and failures.

#include <stdexcept>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.h"
#include "machine_fixture.h"

namespace {

using fake::machine;
using platform::StreamKind;

struct WaitCase {
    const char* name;
    std::string input;
    int waits;
    std::string leftUnread;  // with one-byte reads, exactly what was not consumed
};

// Test listings show the case by its name.
void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class WaitForLineTest : public MachineTest, public testing::WithParamInterface<WaitCase> {};

TEST_P(WaitForLineTest, ConsumesUpToTheLineEnd) {
    machine.in = GetParam().input;
    machine.inChunk = 1;
    for (int i = 0; i < GetParam().waits; ++i) platform::WaitForLine();
    EXPECT_EQ(machine.in, GetParam().leftUnread);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WaitForLineTest,
    testing::Values(WaitCase{"LfEnds", "typed\nnext\n", 1, "next\n"},
                    WaitCase{"CrLfEnds", "typed\r\nnext\n", 1, "next\n"},
                    WaitCase{"CrBeforeOtherByteEndsNothing", "a\rb\rc\nnext", 1, "next"},
                    WaitCase{"LoneCrAtTheEndEndsNothing", "a\r", 1, ""},
                    WaitCase{"TwoWaitsTwoLines", "\n\r\nleft", 2, "left"},
                    // Ctrl+Z ends the input: nothing after it is ever read.
                    WaitCase{"CtrlZEndsInputForGood", "ab\x1a\ncd\n", 2, "\ncd\n"},
                    WaitCase{"EndOfInputReturns", "", 3, ""}),
    CaseName());

using StreamTest = MachineTest;

TEST_F(StreamTest, InputThatEndedStaysEndedWithoutReadingAgain) {
    platform::WaitForLine();  // no input at all
    machine.in = "arrives later\n";
    platform::WaitForLine();
    EXPECT_EQ(machine.in, "arrives later\n");
}

TEST_F(StreamTest, ReadFailureRaises) {
    machine.in = "x\n";
    machine.inputFails = true;
    EXPECT_THROW(platform::WaitForLine(), std::runtime_error);
}

TEST_F(StreamTest, MissingOrUnknownStreamsRaiseAtFirstUse) {
    for (StreamKind kind : {StreamKind::Missing, StreamKind::Unknown}) {
        fake::Reset();
        machine.outKind = kind;
        EXPECT_THROW(platform::WriteBlankLine(), std::runtime_error);
        machine.inKind = kind;
        EXPECT_THROW(platform::WaitForLine(), std::runtime_error);
    }
}

TEST_F(StreamTest, ConsoleShowsEveryWriteAtOnce) {
    machine.outKind = StreamKind::Console;
    platform::WriteLine("one");
    platform::WriteBlankLine();
    EXPECT_EQ(machine.out, "one\r\n\r\n");
    EXPECT_EQ(machine.outWrites, (std::vector<std::size_t>{5, 2}));
}

TEST_F(StreamTest, RedirectedOutputLeavesIn128ByteBlocksAndTheRestAtExit) {
    const std::string line(100, 'x');
    platform::WriteLine(line);
    EXPECT_EQ(machine.out, "");
    platform::WriteLine(line);
    platform::WriteLine(line);
    EXPECT_EQ(machine.outWrites, (std::vector<std::size_t>{128, 128}));
    platform::CloseStandardStreams();
    EXPECT_EQ(machine.outWrites, (std::vector<std::size_t>{128, 128, 50}));
    EXPECT_EQ(machine.out, line + "\r\n" + line + "\r\n" + line + "\r\n");
}

TEST_F(StreamTest, PartialLineIsFlushedAtOnce) {
    platform::WriteLine("a");
    platform::WritePartialLine(">>>>");
    EXPECT_EQ(machine.out, "a\r\n>>>>");
}

TEST_F(StreamTest, FailedWriteRaises) {
    machine.outKind = StreamKind::Console;
    machine.failOutputWrite = 2;
    platform::WriteLine("shown");
    EXPECT_THROW(platform::WriteLine("lost"), std::runtime_error);
}

TEST_F(StreamTest, FailedFinalFlushRaises) {
    machine.failOutputWrite = 1;
    platform::WriteLine("buffered");
    EXPECT_THROW(platform::CloseStandardStreams(), std::runtime_error);
}

}  // namespace
