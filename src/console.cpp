#include "console.h"

#include "platform/platform.h"

void SetTextColour(const UninstallState& state, Colour colour) {
    // Fails on redirected output, where colour means nothing anyway.
    platform::SetConsoleTextAttribute(state.consoleOut, colour);
}

char ToConsoleChar(char ansi) {
    unsigned char b = static_cast<unsigned char>(ansi);
    if (b == 13) b = 32;
    else if (b >= 192 && b <= 239) b -= 64;
    else if (b >= 240) b -= 16;
    else if (b == 168) b = 240;
    else if (b == 184) b = 241;
    return static_cast<char>(b);
}

ConsoleText ToConsoleText(std::string_view ansi) {
    ConsoleText shown(ansi);
    for (char& c : shown) c = ToConsoleChar(c);
    return shown;
}

void WriteEntryLine(const UninstallState& state) {
    ConsoleText line = ToConsoleText(state.currentTarget);
    line += state.lastRemoved ? OkSuffix : ErrorSuffix;
    platform::WriteLine(line);
}
