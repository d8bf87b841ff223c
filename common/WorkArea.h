// Keeping the plug-in's windows where the user can see them: on the work
// area of a monitor (the screen without the taskbar and docked bars).
#pragma once

#include <windows.h>

namespace kf {

// The work area of monitor, or of the primary monitor when the system
// cannot say.
RECT WorkAreaOf(HMONITOR monitor);

// rect moved, its size kept, so that it lies within area as far as it fits;
// a rect larger than area keeps its top left corner on it.
RECT MovedInto(const RECT& rect, const RECT& area);

}  // namespace kf
