// "Search for...": a small modeless window in which the user types the words,
// or changes the selection, and chooses the engine before the search goes
// out. One window for the life of the library, owned by the mail client's
// window the command came from.
#pragma once

#include <windows.h>

namespace kf {

// Window class of the window: how tests and tools find it, whatever its
// caption's language.
constexpr char kSearchForWindowClass[] = "KestrelfindSearchFor";

// Its controls, in tab order; the Search and Cancel buttons are IDOK and
// IDCANCEL, which the dialog manager gives Enter and Escape.
enum SearchForControlId : int {
  kWordsLabel = 2001,
  kWordsEdit,
  kEngineLabel,
  kEngineList,
};

// Registered for the popup's "Search for..." item: captures window's
// selection (the user's clipboard kept), cleans it as an engine that cleans
// does, and shows the window with it and the engines the popup lists, near
// the mouse pointer. Returns at once; the window searches when the user
// says so.
void WINAPI SearchForCommand(HWND window, LPARAM param);

// Destroys the window and lets go of the library's hold on itself; the host
// is about to unload the library.
void ReleaseSearchForWindow() noexcept;

}  // namespace kf
