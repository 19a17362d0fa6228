// Console streams over the raw standard handles.
//
// They behave like the text files of the runtime the uninstaller was first
// written with, which users and scripts around it already know: on a console
// every write shows at once; redirected output leaves in 128-byte blocks as
// the buffer fills, the rest at exit. Reading stops at LF (so CR LF ends a line
// too, and a lone CR ends nothing); end of input, a broken pipe or a Ctrl+Z
// byte ends the input for good, while Ctrl+C ends the program. A failed read
// or write throws.

#include <cstring>
#include <stdexcept>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr std::size_t BlockSize = 128;
constexpr char CtrlZ = 26;

struct OutputStream {
    bool open = false;
    bool console = false;
    char buffer[BlockSize];
    std::size_t used = 0;
};

struct InputStream {
    bool open = false;
    bool ended = false;
    char buffer[BlockSize];
    std::size_t next = 0;
    std::size_t filled = 0;
};

OutputStream Out;
InputStream In;

// A stream that cannot be used is only found out when first touched.
void OpenOutput() {
    if (Out.open) return;
    StreamKind kind = StdOutputKind();
    if (kind == StreamKind::Missing) throw std::runtime_error("no standard output");
    if (kind == StreamKind::Unknown) throw std::runtime_error("standard output is of an unknown type");
    Out.console = kind == StreamKind::Console;
    Out.used = 0;
    Out.open = true;
}

void FlushOutput() {
    if (Out.used == 0) return;
    std::size_t pending = Out.used;
    Out.used = 0;  // a failed block is not retried at exit
    if (!WriteStdOutput({Out.buffer, pending})) throw std::runtime_error("cannot write to standard output");
}

void Put(std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t room = BlockSize - Out.used;
        std::size_t n = bytes.size() < room ? bytes.size() : room;
        std::memcpy(Out.buffer + Out.used, bytes.data(), n);
        Out.used += n;
        bytes.remove_prefix(n);
        if (Out.used == BlockSize) FlushOutput();
    }
}

void Write(std::string_view text, bool lineEnd, bool flush) {
    OpenOutput();
    Put(text);
    if (lineEnd) Put("\r\n");
    if (flush || Out.console) FlushOutput();
}

void OpenInput() {
    if (In.open) return;
    StreamKind kind = StdInputKind();
    if (kind == StreamKind::Missing) throw std::runtime_error("no standard input");
    if (kind == StreamKind::Unknown) throw std::runtime_error("standard input is of an unknown type");
    In.next = In.filled = 0;
    In.ended = false;
    In.open = true;
}

// Next input byte, or false once the input has ended.
bool NextByte(char& c) {
    if (In.ended) return false;
    if (In.next == In.filled) {
        std::size_t got = 0;
        switch (ReadStdInput(In.buffer, BlockSize, got)) {
            case ReadResult::Failed: throw std::runtime_error("cannot read standard input");
            case ReadResult::End: In.ended = true; return false;
            // The user cancelled: nothing more may happen, least of all what
            // the line would have confirmed.
            case ReadResult::Interrupted: EndAsInterrupted();
            case ReadResult::Data: break;
        }
        if (got == 0) { In.ended = true; return false; }
        In.next = 0;
        In.filled = got;
    }
    c = In.buffer[In.next++];
    if (c == CtrlZ) { In.ended = true; return false; }
    return true;
}

}  // namespace

void WriteLine(std::string_view text) { Write(text, true, false); }
void WriteBlankLine() { Write({}, true, false); }
void WritePartialLine(std::string_view text) { Write(text, false, true); }

void WaitForLine() {
    OpenInput();
    char c;
    while (NextByte(c))
        if (c == '\n') return;
}

void CloseStandardStreams() {
    In = InputStream{};
    if (!Out.open) return;
    Out.open = false;
    FlushOutput();
}

}  // namespace platform
