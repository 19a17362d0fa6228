#pragma once
// What the user saw, as one string: console bytes with "{N}" where the
// colour became N and "{beep}" where the beep sounded. Needs console output
// (every write shown at once) to place colours exactly.

#include <string>

#include "platform_double.h"

inline std::string Transcript() {
    std::string shown;
    for (const std::string& event : fake::machine.events) {
        if (event.starts_with("out ")) shown += event.substr(4);
        else if (event.starts_with("colour ")) shown += "{" + event.substr(7) + "}";
        else if (event == "beep") shown += "{beep}";
    }
    return shown;
}
