// Screenshots: the emulated picture (or, while the GUI is shown, the whole
// screen with it) as "NAME.N.png" in the "Screenshots" folder, N the first
// free number from 0 to 255.
#pragma once
#include <string>

struct Surface;

// A new RGB565 surface holding the last finished picture of the primary
// machine's visible screen, with the partner's to its right when link play
// is on (height the larger of the two). None when there is no picture.
Surface* CopyEmulatedPicture();
// The first free screenshot path; "" when all 256 are taken (or there is no
// cartridge name or program directory).
std::string FreeScreenshotPath();
// The command (F8 and the File menu). Nothing without a cartridge name.
// Shows "Saved screenshot as '%s'.", "Couldn't save screenshot as '%s'." or,
// with every name taken, "Couldn't save screenshot.".
bool TakeScreenshot();
