#include "check.h"

#include <cstdlib>
#include <exception>

#include "platform/windows/win32.h"

namespace check {

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

int failures = 0;

// Each case starts with every Windows call as Windows' (or Wine's) own.
int RunCases() {
    int passed = 0, failed = 0;
    for (const check::Case& c : check::Cases()) {
        check::failures = 0;
        platform::win32 = platform::Win32{};
        try {
            c.run();
        } catch (const std::exception& e) {
            check::Failed(__FILE__, __LINE__, e.what());
        } catch (...) {
            check::Failed(__FILE__, __LINE__, "unexpected exception");
        }
        platform::win32 = platform::Win32{};
        std::printf("%s %s\n", check::failures ? "FAILED" : "ok    ", c.name);
        (check::failures ? failed : passed) += 1;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed == 0 ? 0 : 1;
}

}  // namespace check
