// What a script does to a plug-in's window the way a user would: finds the
// window by its class and a control in it by its id (ids stay when captions
// change language or wording), clicks buttons, sets texts and types keys.
#pragma once

#include <windows.h>

#include <string>

namespace kfhost {

// The first visible top-level window of this thread with that class, or null.
HWND FindThreadWindow(const std::wstring& className);

// The control with that id anywhere inside window (controls sit in panels
// and group boxes too), or null.
HWND FindControl(HWND window, int id);

// A control's caption as it reads on screen (UTF-8, no '&' marks).
std::string ControlCaption(HWND control);

// The virtual key of a key's name ("Delete", "Home", "Down", "Enter", "F5",
// ...; any letter case); 0 for a word that names no key.
UINT KeyOfName(const std::string& name);

// Focuses the control and posts the key's press and release to it, as the
// keyboard would: the thread's message hooks see them.
void PostKey(HWND control, UINT key);
// Focuses the control and posts each character of text to it.
void PostText(HWND control, const std::wstring& text);

}  // namespace kfhost
