// The two message bands the presenter draws at the bottom of the screen:
// the status line (StatusText) and, above it while both are up, the movie
// message line (MovieMessageText). A band shows while its counter in
// lumo/messages.h is not 0: a darkened strip across the screen with the
// text in white in the GUI font, readable over any picture or theme.
#pragma once

// Height of one band in pixels.
int MessageBandHeight();
// The first screen row the shown bands cover; the screen height when no
// band is shown. The full-screen picture is clipped above it.
int MessageBandsTop();
// Draws the shown bands onto the display's back surface. With the GUI
// hidden the background under them is painted first (the picture never
// reaches there); with the GUI shown the caller has composed the GUI under
// them.
void DrawMessageBands(bool gui_shown);
// Marks the area of the shown bands for the GUI's composition.
void MarkMessageBandsDirty();
// Counts each shown band's counter down by one. True when a band went away
// in this pass; its area has been marked for the GUI's composition.
bool CountDownMessageBands();
