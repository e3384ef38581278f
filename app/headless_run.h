// The headless runner: loads a cartridge, hard-resets, runs frames with
// rendering and sound on every frame through the console operations, and
// writes what it saw (screenshot, WAV, benchmark line).
#pragma once
#include "app/headless_options.h"

// The process exit code (HeadlessExit of app/headless_verdict.h).
int RunHeadless(const HeadlessOptions& options);

// Writes the primary machine's last finished picture (its visible window)
// as a PNG. False when the file could not be written.
bool SaveScreenshot(const char* path);
