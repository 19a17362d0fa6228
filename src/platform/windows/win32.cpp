#include "win32.h"

namespace platform {

Win32 win32;

}  // namespace platform

#include "answers.h"

// The rules in answers.h speak Windows' numbers without its header.
static_assert(platform::answers::ErrorInvalidFunction == ERROR_INVALID_FUNCTION);
static_assert(platform::answers::ErrorNotSupported == ERROR_NOT_SUPPORTED);
static_assert(platform::answers::ErrorInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(platform::answers::ErrorBrokenPipe == ERROR_BROKEN_PIPE);
static_assert(platform::answers::ErrorOperationAborted == ERROR_OPERATION_ABORTED);
static_assert(platform::answers::StatusControlCExit == STATUS_CONTROL_C_EXIT);
static_assert(platform::answers::MaxPath == MAX_PATH);
