#pragma once

#include <string_view>

#include "UTypes.h"

inline constexpr std::string_view ScriptName = "unveltarin.bat";

// The command script that deletes the program file once the program has
// exited, then itself.
AnsiText SelfRemovalScript();

// Writes the script into the install folder and starts it there, hidden and
// at idle priority, without waiting. Throws if the script cannot be written.
void LaunchSelfRemoval(const UninstallState& state);
