// The look every window of the plug-in shares: its font in the language of
// the user interface, and lengths drawn at 96 DPI scaled to the screen's.
#pragma once

#include <windows.h>

#include "Handles.h"

namespace kf {

// The screen's DPI (96 where the system cannot tell).
int ScreenDpi();

// Scales a length at 96 DPI to dpi.
inline int Scale(int value, int dpi) { return MulDiv(value, dpi, 96); }

// The windows' font at dpi, in the face of the user interface language: the
// system's message font in English; MS PGothic in Japanese, given by its
// English name so that the face is found under any code page (the platform
// substitutes where it is missing). averageWidth 0 for its own letters, or
// narrower ones.
GdiObject CreateDialogFont(int dpi, int averageWidth = 0);

}  // namespace kf
