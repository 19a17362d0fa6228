#pragma once
// The smallest test runner that does the job for the backend test, which is
// cross-built for Windows and run under Wine, where no GoogleTest is built:
// cases register themselves, a failed check reports where and goes on, and
// the last line says "N passed, N failed".

#include <cstdio>
#include <vector>

namespace check {

struct Case {
    const char* name;
    void (*run)();
};

std::vector<Case>& Cases();
extern int failures;  // checks failed in the case running

struct Register {
    Register(const char* name, void (*run)()) { Cases().push_back({name, run}); }
};

// Runs every case; 0 when all passed.
int RunCases();

inline void Failed(const char* file, int line, const char* what) {
    std::printf("  %s:%d: %s\n", file, line, what);
    ++failures;
}

}  // namespace check

#define CASE(name)                                             \
    static void name();                                        \
    static const check::Register register_##name(#name, name); \
    static void name()

#define CHECK(condition) \
    ((condition) ? (void)0 : check::Failed(__FILE__, __LINE__, "CHECK(" #condition ")"))
