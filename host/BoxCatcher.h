// Catches the message boxes shown on the host's thread while a script runs,
// so that a modal box of a plug-in never stops the script: each box is
// photographed once it is on screen, told on one line, and answered.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Handles.h"

namespace kfhost {

class BoxCatcher {
 public:
  // How a box is answered: OK (or Yes) for every box, or Cancel (or No)
  // for a box that offers it. A box without the button gets its first.
  enum class Answer { Ok, Cancel };

  // Screenshots go to filePrefix + "-NN-slug.png" (UTF-8 path), NN counting
  // the boxes from 01, slug a few ASCII words of the box's text. The lines
  // go to out. Only one catcher hooks a thread at a time.
  BoxCatcher(const std::string& filePrefix, Answer answer, HANDLE out);
  ~BoxCatcher();
  BoxCatcher(const BoxCatcher&) = delete;
  BoxCatcher& operator=(const BoxCatcher&) = delete;

  // False when the system refused the hook.
  bool Hooked() const { return hook_.IsValid(); }
  void Change(const std::string& filePrefix, Answer answer);

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK ShownTimerProc(HWND box, UINT msg, UINT_PTR id, DWORD time);
  void OnActivate(HWND box);
  void OnShownTick(HWND box);
  void Reply(HWND box, const std::string& shot);

  kf::WindowsHook hook_;
  std::string filePrefix_;
  Answer answer_;
  HANDLE out_;
  int count_ = 0;
  std::vector<HWND> seen_;  // boxes caught: a box activated again is no new box
  int ticks_ = 0;           // waited so far for the box to show
};

// A few words of a box's text for a file name, lower case, joined by '-':
// "Error:  Delete this engine?" -> "delete-this-engine" (a leading label
// and the bytes of escaped addresses left out). Empty when the text has no
// ASCII words or is mostly in another script.
std::string SlugOf(const std::wstring& text);

}  // namespace kfhost
