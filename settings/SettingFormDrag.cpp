// The settings dialog's drag and drop: engines from the list and folders
// from the tree, dropped on a folder of the tree, with the tree scrolling
// while the pointer rests near its edges.
#include "SettingFormPrivate.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "ErrorBox.h"
#include "FileSystem.h"
#include "Path.h"
#include "SettingTextIds.h"
#include "UiText.h"

namespace kf {

namespace {

// Within this distance of the tree's edges a resting pointer scrolls it.
constexpr int kScrollMargin = 40;
constexpr int kHorizontalScrollStep = 12;

POINT PointOf(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool ReadScrollInfo(HWND tree, int bar, SCROLLINFO& info) {
  info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  return GetScrollInfo(tree, bar, &info) != FALSE;
}

void ScrollTree(HWND tree, UINT message, int position) {
  SendMessageA(tree, message, MAKEWPARAM(SB_THUMBTRACK, position), 0);
}

}  // namespace

void SettingForm::WatchDragInput() {
  engineList_.OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return HandleDragInput(engineList_.Hwnd(), msg, wParam, lParam, result);
  };
  folderTree_.handle = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return HandleDragInput(folderTree_.Hwnd(), msg, wParam, lParam, result);
  };
  folderTree_.Attach(Control(kFolderTree));
}

// ---------------------------------------------------------------------------
// Drag and drop

void SettingForm::OnTreeMiddleButtonDown(POINT client) {
  TVHITTESTINFO hit = {};
  hit.pt = client;
  const HTREEITEM item = TreeView_HitTest(Control(kFolderTree), &hit);
  if (item && (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)))
    TreeView_SelectItem(Control(kFolderTree), item);
}

void SettingForm::OnTreeBeginDrag(HTREEITEM item, POINT client) {
  // The tree drags its selected folder: the pressed node becomes it. The
  // root only takes the selection; it never drags.
  HWND tree = Control(kFolderTree);
  TreeView_SelectItem(tree, item);
  const FolderNode* folder = FolderOf(item);
  if (!folder || folder->isRoot)
    return;
  listPressed_ = false;
  drag_.Begin({TreeDrag::Source::Tree, folder->path, std::string()}, tree, tree, Hwnd(), client);
}

void SettingForm::OnListBeginDrag() {
  const FolderNode* folder = SelectedFolder();
  if (engineList_.Selected() < 0 || !folder)
    return;
  listPressed_ = false;
  TreeDrag::Item item{TreeDrag::Source::List, folder->path, engineList_.Text(engineList_.Selected())};
  // Until the pointer reaches the tree, a position that scrolls nothing.
  HWND tree = Control(kFolderTree);
  RECT rc;
  GetClientRect(tree, &rc);
  drag_.Begin(std::move(item), Control(kEngineList), tree, Hwnd(), {rc.right / 2, rc.bottom / 2});
}

bool SettingForm::PointInTree(HWND from, POINT& point) const {
  HWND tree = Control(kFolderTree);
  MapWindowPoints(from, tree, &point, 1);
  RECT rc;
  GetClientRect(tree, &rc);
  return PtInRect(&rc, point) != FALSE;
}

void SettingForm::OnDragMove(HWND from, POINT point) {
  HWND tree = Control(kFolderTree);
  if (!PointInTree(from, point)) {
    // Outside the tree the stored position stays, so that a pointer held
    // above or below it keeps the tree scrolling.
    TreeView_SelectDropTarget(tree, nullptr);
    SetCursor(LoadCursor(nullptr, IDC_NO));
    return;
  }
  drag_.PointerMoved(point);
  TVHITTESTINFO hit = {};
  hit.pt = point;
  TreeView_SelectDropTarget(tree, TreeView_HitTest(tree, &hit));
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void SettingForm::OnDragRelease(HWND from, POINT point) {
  const TreeDrag::Item dragged = drag_.Dragged();
  drag_.End();
  // A release outside the tree cancels.
  if (PointInTree(from, point))
    DropOnFolder(dragged, point);
}

void SettingForm::DropOnFolder(const TreeDrag::Item& dragged, POINT inTree) {
  TVHITTESTINFO hit = {};
  hit.pt = inTree;
  const FolderNode* target = FolderOf(TreeView_HitTest(Control(kFolderTree), &hit));
  if (!target)
    return;  // the empty area below the last node
  try {
    if (dragged.source == TreeDrag::Source::Tree)
      MoveFolderTo(dragged.folderPath, *target);
    else if (dragged.source == TreeDrag::Source::List)
      MoveEngineTo(dragged.engineName, dragged.folderPath, *target);
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
  RebuildAndSelectRoot();
}

void SettingForm::MoveFolderTo(const std::string& folderPath, const FolderNode& to) {
  // Onto itself, or into the folder it is in, there is nothing to move.
  const std::string target = ExcludeTrailingBackslash(to.path);
  if (SameTextIgnoringCase(folderPath, target) || SameTextIgnoringCase(ExtractFileDir(folderPath), target))
    return;
  MoveFolder(folderPath, to.path);
  FollowInRecent(folderPath, JoinPath(to.path, ExtractFileName(folderPath)));
}

void SettingForm::MoveEngineTo(const std::string& name, const std::string& fromPath, const FolderNode& to) {
  // Onto its own folder the engine stays where it is.
  if (SameTextIgnoringCase(ExcludeTrailingBackslash(fromPath), ExcludeTrailingBackslash(to.path)))
    return;
  // The platform's move would replace an engine of the same name without a
  // word; that engine is the user's too.
  if (IsFile(JoinPath(to.path, name + ".ini")) &&
      !Confirm(Hwnd(), UiText(IDS_REPLACE_ENGINE_QUESTION, {name, to.name})))
    return;
  MoveEngine(name, fromPath, to.path);
  FollowInRecent(JoinPath(fromPath, name + ".ini"), JoinPath(to.path, name + ".ini"));
}

void SettingForm::OnAutoScrollTick() {
  if (!drag_.Active()) {
    KillTimer(Hwnd(), TreeDrag::kAutoScrollTimer);
    return;
  }
  // A moving pointer is aiming; only one resting near an edge scrolls.
  if (drag_.TakeMoved())
    return;
  HWND tree = Control(kFolderTree);
  RECT box;
  GetClientRect(tree, &box);
  const int margin = Scale(kScrollMargin, dpi_);
  const POINT at = drag_.Pointer();

  SCROLLINFO vertical;
  if (ReadScrollInfo(tree, SB_VERT, vertical)) {
    if (at.y < box.top + margin && vertical.nPos > 0)
      ScrollTree(tree, WM_VSCROLL, vertical.nPos - 1);
    else if (at.y > box.bottom - margin && vertical.nPos < vertical.nMax)
      ScrollTree(tree, WM_VSCROLL, vertical.nPos + 1);
  }
  SCROLLINFO horizontal;
  if (ReadScrollInfo(tree, SB_HORZ, horizontal)) {
    if (at.x < box.left + margin)
      ScrollTree(tree, WM_HSCROLL, std::max(horizontal.nPos - kHorizontalScrollStep, 0));
    else if (at.x > box.right - margin)
      ScrollTree(tree, WM_HSCROLL, std::min(horizontal.nPos + kHorizontalScrollStep, horizontal.nMax));
  }
  RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT SettingForm::PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == engineList_.Hwnd())
    return engineList_.DefaultMessage(msg, wParam, lParam);
  return folderTree_.PassOn(msg, wParam, lParam);
}

bool SettingForm::HandleDragInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (drag_.Active())
    return HandleInputWhileDragging(hwnd, msg, wParam, lParam, result);
  if (hwnd == engineList_.Hwnd())
    return HandleListPress(msg, wParam, lParam, result);
  // The tree selects on the left and right buttons itself.
  if (msg == WM_MBUTTONDOWN)
    OnTreeMiddleButtonDown(PointOf(lParam));
  return false;
}

bool SettingForm::HandleInputWhileDragging(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_MOUSEMOVE:
      OnDragMove(hwnd, PointOf(lParam));
      return true;
    case WM_LBUTTONUP:
      if (hwnd == engineList_.Hwnd()) {
        // The list ends the press it was tracking (its capture and its
        // selection notice) before the drop rebuilds it; the capture it
        // gives up is the drag's own.
        releasingList_ = true;
        result = PassOn(hwnd, msg, wParam, lParam);
        releasingList_ = false;
      }
      OnDragRelease(hwnd, PointOf(lParam));
      return true;
    case WM_CAPTURECHANGED:
      // Somebody else took the pointer: the drag is over.
      if (reinterpret_cast<HWND>(lParam) != hwnd && !releasingList_)
        drag_.End();
      return false;
    default:
      return false;
  }
}

// A press on an item of the list becomes a drag once the pointer has moved
// farther than the system's drag distance with the button held.
bool SettingForm::HandleListPress(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_LBUTTONDOWN: {
      result = PassOn(engineList_.Hwnd(), msg, wParam, lParam);
      const LRESULT hit = SendMessageA(engineList_.Hwnd(), LB_ITEMFROMPOINT, 0, lParam);
      listPressed_ = HIWORD(hit) == 0;
      listPress_ = PointOf(lParam);
      return true;
    }
    case WM_MOUSEMOVE: {
      if (!listPressed_ || !(wParam & MK_LBUTTON))
        return false;
      const POINT at = PointOf(lParam);
      if (std::abs(at.x - listPress_.x) <= GetSystemMetrics(SM_CXDRAG) &&
          std::abs(at.y - listPress_.y) <= GetSystemMetrics(SM_CYDRAG))
        return false;
      OnListBeginDrag();
      return true;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      listPressed_ = false;
      return false;
    default:
      return false;
  }
}

}  // namespace kf
