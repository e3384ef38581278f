// The frame presenter: once per main-loop pass it puts the emulated picture
// on the display (filtered, blurred, stretched, or inside the GUI's game
// window), draws the status and movie message lines and presents.
#pragma once

void Present();
