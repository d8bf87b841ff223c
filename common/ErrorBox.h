// The plug-in's two message boxes: the error box that reports a failed step,
// and the OK / Cancel question asked before a destructive command.
#pragma once

#include <windows.h>

#include <string>

#include "Error.h"

namespace kf {

// Both boxes belong to owner, so that the user cannot start another command
// behind them; an owner that is no longer a window gives a box of its own
// (a dead handle would make it fail). Both are captioned "Kestrelfind" and
// show their text as it is given.

// Warning icon, OK only.
void ShowErrorBox(HWND owner, const std::string& message);

// The text of the exception being handled, as the error box shows it; for
// messages that gather several failures. Call it only from a catch block.
std::string CurrentExceptionText();

// Shows the exception being handled in the error box; never throws. Call it
// only from a catch block of an entry point that Windows or the host called.
void ShowCurrentException(HWND owner) noexcept;

// Question icon, OK and Cancel. True only for OK.
bool Confirm(HWND owner, const std::string& question);

}  // namespace kf
