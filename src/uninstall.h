#pragma once

#include <string_view>

#include "UTypes.h"

// The program's own folder, with its trailing backslash. Throws when it
// cannot be known for certain: removing from a guessed folder could delete
// another program's files.
AnsiText ResolveInstallFolder();

// A full path: a drive ("C:\" and on) or a share ("\\server\share\" and
// on), either possibly behind "\\?\". A device ("\\.\") is none.
bool IsAbsolutePath(std::string_view path);

// The whole dialogue, removal run, summary and hand-off. Throws the failure
// signal when the console fails outside the removal run or the self-removal
// script cannot be written.
void Uninstall();
