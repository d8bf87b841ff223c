#include "CheckList.h"

#include <algorithm>
#include <vector>

#include "Error.h"
#include "Path.h"
#include "SettingTextIds.h"
#include "UiText.h"

namespace kf {

void CheckList::Attach(HWND list, int itemHeight) {
  itemHeight_ = itemHeight;
  SendMessageA(list, LB_SETITEMHEIGHT, 0, itemHeight_);
  SubclassedWindow::Attach(list);
}

void CheckList::Clear() { SendMessageA(Hwnd(), LB_RESETCONTENT, 0, 0); }

int CheckList::Add(const std::string& text, bool checked) {
  const LRESULT index = SendMessageA(Hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index == LB_ERR || index == LB_ERRSPACE)
    throw Error(UiText(IDS_LIST_ITEM_NOT_ADDED));
  SendMessageA(Hwnd(), LB_SETITEMDATA, static_cast<WPARAM>(index), checked ? 1 : 0);
  return static_cast<int>(index);
}

int CheckList::Count() const { return static_cast<int>(SendMessageA(Hwnd(), LB_GETCOUNT, 0, 0)); }

std::string CheckList::Text(int index) const {
  const LRESULT length = SendMessageA(Hwnd(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR)
    return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(Hwnd(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
  return got == LB_ERR ? std::string() : std::string(buffer.data(), static_cast<size_t>(got));
}

bool CheckList::Checked(int index) const {
  const LRESULT data = SendMessageA(Hwnd(), LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  return data != LB_ERR && data != 0;
}

void CheckList::SetChecked(int index, bool checked) {
  SendMessageA(Hwnd(), LB_SETITEMDATA, static_cast<WPARAM>(index), checked ? 1 : 0);
  RECT rc;
  if (SendMessageA(Hwnd(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc)) != LB_ERR)
    InvalidateRect(Hwnd(), &rc, FALSE);
}

int CheckList::Selected() const {
  const LRESULT index = SendMessageA(Hwnd(), LB_GETCURSEL, 0, 0);
  return index == LB_ERR ? -1 : static_cast<int>(index);
}

void CheckList::Select(int index) { SendMessageA(Hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int CheckList::IndexOfIgnoreCase(const std::string& text) const {
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    if (SameTextIgnoringCase(Text(i), text))
      return i;
  }
  return -1;
}

void CheckList::BeginUpdate() { SendMessageA(Hwnd(), WM_SETREDRAW, FALSE, 0); }

void CheckList::EndUpdate() {
  SendMessageA(Hwnd(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

int CheckList::CheckBoxWidth() const { return itemHeight_ + 2; }

void CheckList::DrawItem(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {
    if (item.itemState & ODS_FOCUS)
      DrawFocusRect(dc, &rc);
    return;
  }
  const int index = static_cast<int>(item.itemID);
  FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));

  // An 11-pixel box (at 12-pixel rows) centred in the row's first cell.
  const int rowHeight = rc.bottom - rc.top;
  const int box = rowHeight > 3 ? rowHeight - 1 : rowHeight;
  RECT boxRect;
  boxRect.left = rc.left + 1;
  boxRect.top = rc.top + (rowHeight - box) / 2;
  boxRect.right = boxRect.left + box;
  boxRect.bottom = boxRect.top + box;
  UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
  if (item.itemData != 0)
    state |= DFCS_CHECKED;
  DrawFrameControl(dc, &boxRect, DFC_BUTTON, state);

  RECT textRect = rc;
  textRect.left += CheckBoxWidth();
  const std::string text = Text(index);
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  RECT highlight = textRect;
  highlight.right = std::min<LONG>(textRect.left + extent.cx + 4, rc.right);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (selected)
    FillRect(dc, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT inner = textRect;
  inner.left += 2;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &inner, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS)
    DrawFocusRect(dc, &highlight);
}

void CheckList::Toggle(int index) {
  if (index < 0 || index >= Count())
    return;
  SetChecked(index, !Checked(index));
  if (OnClickCheck)
    OnClickCheck();
}

LRESULT CheckList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (OnMessage && OnMessage(msg, wParam, lParam, result))
    return result;
  return DefaultMessage(msg, wParam, lParam);
}

LRESULT CheckList::DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int x = static_cast<short>(LOWORD(lParam));
      const LRESULT hit = SendMessageA(Hwnd(), LB_ITEMFROMPOINT, 0, lParam);
      const bool onItem = HIWORD(hit) == 0;
      // The list selects the item first (its own selection event), then the
      // box under the pointer toggles.
      const LRESULT result = CallOriginal(msg, wParam, lParam);
      if (onItem && x < CheckBoxWidth() && static_cast<int>(LOWORD(hit)) == Selected())
        Toggle(Selected());
      return result;
    }
    case WM_CHAR:
      if (wParam == VK_SPACE) {
        Toggle(Selected());
        return 0;
      }
      break;
    case WM_KEYUP: {
      const LRESULT result = CallOriginal(msg, wParam, lParam);
      if (OnKeyUp)
        OnKeyUp(static_cast<UINT>(wParam));
      return result;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
      break;
  }
  return CallOriginal(msg, wParam, lParam);
}

}  // namespace kf
