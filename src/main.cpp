// Entry point: runs the uninstaller and turns a failure nobody caught into a
// report on standard error and exit status 1.

#include <cstdlib>
#include <exception>
#include <new>
#include <string_view>

#include "console.h"
#include "messages.h"
#include "platform/platform.h"
#include "uninstall.h"

namespace {

int ReportUncaughtFailure(const char* what) {
    // Whatever was already said goes out first, so the report follows it;
    // output that cannot be written any more must not hide the report.
    try {
        platform::CloseStandardStreams();
    } catch (...) {
    }
    // In pieces: memory may be what ran out. What failed may name a path,
    // which is shown as the entry lines show one.
    platform::WriteStdError(FailureReportHead);
    for (std::string_view left = what; !left.empty();) {
        char shown[64];
        std::size_t n = 0;
        for (; n < sizeof shown && n < left.size(); ++n) shown[n] = ToConsoleChar(left[n]);
        platform::WriteStdError({shown, n});
        left.remove_prefix(n);
    }
    platform::WriteStdError("\r\n\r\n");
    return 1;
}

}  // namespace

// The runtime's own last resort when an exception escapes where none may
// (main catches all the others): libstdc++'s default prints the exception's
// type name, and to do so links in a C++ name demangler and a printf with
// floating point, two fifths of the program's size. The user could do
// nothing with that name; ending at once does the same job.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int main() {
    try {
        Uninstall();
        platform::CloseStandardStreams();
        return 0;
    } catch (const std::bad_alloc&) {
        return ReportUncaughtFailure("out of memory");
    } catch (const std::exception& e) {
        return ReportUncaughtFailure(e.what());
    } catch (...) {
        return ReportUncaughtFailure("unexpected failure");
    }
}
