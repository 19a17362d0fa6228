#pragma once

#include "UTypes.h"

// Walks the manifest, removing and reporting each listed target present.
// A failure signal (exception) passes out to the caller at once.
void RunRemoval(UninstallState& state);

void RemoveListedFile(UninstallState& state);
void RemoveListedFolder(UninstallState& state);
