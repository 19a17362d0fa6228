#pragma once

#include "UTypes.h"

// Writes the command script that deletes the program file once the program
// has exited, then itself, into the install folder and starts it there,
// hidden and at idle priority, without waiting. Throws if the script cannot
// be written.
void LaunchSelfRemoval(const UninstallState& state);
