// The numbers of the GUI's pictures in gui.ssp and gui2.ssp (drawn as text
// art in data/gui.txt and data/gui2.txt).
#pragma once

// gui.ssp. Masks take any colour; shaded pictures take a tint (mid grey
// becomes the tint).
enum GuiPicture {
  PicCloseBox,         // 12 x 12, the close box at rest
  PicCloseBoxHover,    // under the pointer
  PicCloseBoxPressed,  // held down
  PicCheckMark,        // mask, inside a check box
  PicRadioDot,         // mask, inside a chosen radio button
  PicRadioRing,        // mask, the radio button's outline
  PicRadioFill,        // mask, the radio button's inside
  PicArrowUp,          // masks: scroll bar and step arrows
  PicArrowDown,
  PicArrowLeft,
  PicArrowRight,
  PicSliderKnob,       // shaded with the gadget colour
  PicPointer,          // shaded with the mouse cursor colour; hot spot (0, 0)
  PicBusyPointer,      // the same while a file requester scans
  PicDot,              // 1 x 1 mask
  PicPlay,             // masks: the VGM player's buttons
  PicStop,
  PicRewind,
  GuiPictureCount,
};

// gui2.ssp.
enum GuiPicture2 {
  Pic2KnobGrip,  // mask, the ridges on a scroll bar knob
  Pic2Mark,      // the program's mark
  GuiPicture2Count,
};
