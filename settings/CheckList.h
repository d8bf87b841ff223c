// A list box whose items carry check boxes. A click on an item's box, or the
// space key, toggles its mark; that is a separate event from selecting the
// item (the list's own LBN_SELCHANGE).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "Window.h"

namespace kf {

class CheckList : public SubclassedWindow {
 public:
  // Toggled by pointer or space; the toggled item is the selected one.
  std::function<void()> OnClickCheck;
  // A key released while the list has the focus.
  std::function<void(UINT key)> OnKeyUp;
  // Sees every message to the list first; true when it has handled the
  // message and set its result (the dialog's drag).
  std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)> OnMessage;

  CheckList() = default;

  // Takes over an owner-drawn (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS) list box.
  void Attach(HWND list, int itemHeight);

  void Clear();
  int Add(const std::string& text, bool checked);
  int Count() const;
  std::string Text(int index) const;
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  // -1 when nothing is selected.
  int Selected() const;
  void Select(int index);
  // Index of the first item equal to text ignoring letter case, or -1.
  int IndexOfIgnoreCase(const std::string& text) const;

  // No drawing between the two; EndUpdate redraws the whole list.
  void BeginUpdate();
  void EndUpdate();

  // The parent's WM_DRAWITEM for this list.
  void DrawItem(const DRAWITEMSTRUCT& item) const;

  // The list's handling of a message without OnMessage: its check boxes,
  // then the list box itself.
  LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  int CheckBoxWidth() const;
  void Toggle(int index);

  int itemHeight_ = 12;
};

}  // namespace kf
