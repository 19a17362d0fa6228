#pragma once
// What the user sees: colours, entry lines and paths made readable.

#include <string_view>

#include "UTypes.h"
#include "messages.h"

void SetTextColour(const UninstallState& state, Colour colour);

// Windows-1251 path to CP866 for display only, byte for byte. Only the
// Cyrillic letters and CR are mapped; every other byte passes unchanged.
ConsoleText ToConsoleText(std::string_view ansi);
// The same for one byte, where nothing may be allocated.
char ToConsoleChar(char ansi);

// "<path> Ok!" or "<path> ----error----" for the target being handled.
void WriteEntryLine(const UninstallState& state);
