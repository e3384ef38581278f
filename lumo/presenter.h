// The frame presenter: once per main-loop pass it puts the emulated picture
// on the display (filtered, blurred, stretched, or inside the GUI's game
// window), draws the status and movie message bands and presents.
//
// While the GUI is shown the picture goes into the game window and the GUI
// is composed over the desktop before the display is presented, so the back
// surface then holds exactly what is on the screen (the screenshot command
// calls Present once before it copies the display). While the GUI is hidden
// the picture is centred on the screen, optionally stretched, and only the
// picture itself and the bands are drawn again each pass; the borders around
// it are repainted after a full-redraw request or when the picture moved.
// Either way everything is drawn before the display is presented, so each
// present shows the frame finished last.
#pragma once

// The off-screen surfaces: one blur surface per machine and the filter
// surface for the twice-enlarged picture. False when memory is short (none
// of them is left then). Made at start-up, released at shutdown.
bool CreatePresenterSurfaces();
void DestroyPresenterSurfaces();

// Once per pass, before the pass's frames run.
void Present();

// The next present with the GUI hidden repaints the whole screen: after a
// display mode change, when the GUI was closed, after the video options
// changed. Hiding the GUI is noticed by Present itself as well.
void RequestFullRedraw();
bool FullRedrawPending();

// Releases the surfaces and forgets the state (tests).
void ResetPresenter();
