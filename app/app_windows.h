// Registers the application shell's own windows (the file requesters, the
// Messages window, the info window) with the main loop.
#pragma once

void RegisterAppWindows();
