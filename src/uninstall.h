#pragma once

#include "UTypes.h"

// The program's own folder, with its trailing backslash. Throws when it
// cannot be known for certain: removing from a guessed folder could delete
// another program's files.
AnsiText ResolveInstallFolder();

// The whole dialogue, removal run, summary and hand-off. Throws the failure
// signal when the console fails outside the removal run or the self-removal
// script cannot be written.
void Uninstall();
