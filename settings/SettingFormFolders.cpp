// The settings dialog's folders and drag-and-drop: the tree's context menu,
// renaming a folder in place, and moving engines and folders by dropping
// them on a folder of the tree, with the tree scrolling near its edges.
#include "SettingFormPrivate.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "Dbcs.h"
#include "ErrorBox.h"
#include "FileSystem.h"
#include "Path.h"
#include "TextIds.h"
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

void SettingForm::CreateFolderMenu() {
  folderMenu_.Attach(CreatePopupMenu());
  if (!folderMenu_)
    throw Error(UiText(IDS_FOLDER_MENU_NOT_CREATED));
  AppendMenuA(folderMenu_.Get(), MF_STRING, kAddFolderCommand, UiText(IDS_ADD_FOLDER).c_str());
  AppendMenuA(folderMenu_.Get(), MF_STRING, kDeleteFolderCommand, UiText(IDS_DELETE_FOLDER).c_str());
}

void SettingForm::WatchDragInput() {
  engineList_.OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return HandleDragInputSafely(engineList_.Hwnd(), msg, wParam, lParam, result);
  };
  // Replaced rather than chained through SetWindowSubclass, as the list's
  // is: under Wine a subclass costs a server call at every message, and
  // building the tree is one message per folder.
  HWND tree = Control(kFolderTree);
  SetWindowLongPtrW(tree, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  treeProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SettingForm::TreeWindowProc)));
}

void SettingForm::RebuildAndSelectRoot() {
  ReloadTree();
  engineList_.Clear();
  SelectRoot();
}

// ---------------------------------------------------------------------------
// Context menu

void SettingForm::OnFolderMenuOpening() {
  const FolderNode* folder = SelectedFolder();
  EnableMenuItem(folderMenu_.Get(), kDeleteFolderCommand,
                 MF_BYCOMMAND | (folder && folder->isRoot ? MF_GRAYED : MF_ENABLED));
}

void SettingForm::ShowFolderMenu(POINT screen) {
  OnFolderMenuOpening();
  // The menu closes properly on a click elsewhere only when its owner is
  // the foreground window.
  SetForegroundWindow(hwnd_);
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      folderMenu_.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0,
      hwnd_, nullptr));
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  RunFolderMenuCommand(command);
}

void SettingForm::ShowFolderMenuAtSelection() {
  HWND tree = Control(kFolderTree);
  POINT at = {0, 0};
  RECT rc;
  const HTREEITEM item = TreeView_GetSelection(tree);
  if (item && TreeView_GetItemRect(tree, item, &rc, TRUE))
    at = {rc.left, rc.bottom};
  ClientToScreen(tree, &at);
  ShowFolderMenu(at);
}

void SettingForm::RunFolderMenuCommand(UINT command) {
  // A menu command does nothing while its item is disabled, wherever it
  // comes from.
  const UINT state = GetMenuState(folderMenu_.Get(), command, MF_BYCOMMAND);
  if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)))
    return;
  if (command == kAddFolderCommand)
    OnAddFolderClicked();
  else if (command == kDeleteFolderCommand)
    OnDeleteFolderClicked();
}

void SettingForm::OnAddFolderClicked() {
  const FolderNode* folder = SelectedFolder();
  if (!folder)
    return;
  try {
    kf::CreateFolder(folder->path);
  } catch (...) {
    ShowCurrentException(hwnd_);
  }
  RebuildAndSelectRoot();
}

void SettingForm::OnDeleteFolderClicked() {
  if (!SelectedFolder())
    return;
  if (!Confirm(hwnd_, UiText(IDS_DELETE_FOLDER_QUESTION)))
    return;
  // Look again after the question; and never the root, which is the store.
  const FolderNode* folder = SelectedFolder();
  if (!folder || folder->isRoot)
    return;
  try {
    kf::DeleteFolder(hwnd_, folder->path);
  } catch (...) {
    ShowCurrentException(hwnd_);
  }
  RebuildAndSelectRoot();
}

// ---------------------------------------------------------------------------
// Renaming in place

bool SettingForm::MayRenameFolder(HTREEITEM item) {
  const FolderNode* folder = FolderOf(item);
  return !treeReadOnly_ && folder && !folder->isRoot;
}

bool SettingForm::RenameFolderNode(HTREEITEM item, const std::string& text) {
  FolderNode* folder = FolderOf(item);
  const FolderNode* parent = FolderOf(TreeView_GetParent(Control(kFolderTree), item));
  if (!folder || folder->isRoot || !parent || text == folder->name)
    return false;
  // A name the file system would refuse, or read as a path, keeps the old one.
  const std::string problem = NameProblemText(CheckEntryName(text), text);
  if (!problem.empty()) {
    ShowErrorBox(hwnd_, problem);
    return false;
  }
  try {
    folder->path = RenameFolder(hwnd_, folder->path, parent->path, text);
  } catch (...) {
    ShowCurrentException(hwnd_);
    return false;
  }
  folder->name = text;
  UpdateChildPaths(item);
  return true;
}

void SettingForm::UpdateChildPaths(HTREEITEM parentItem) {
  HWND tree = Control(kFolderTree);
  const FolderNode* parent = FolderOf(parentItem);
  for (HTREEITEM child = TreeView_GetChild(tree, parentItem); child; child = TreeView_GetNextSibling(tree, child)) {
    FolderNode* folder = FolderOf(child);
    if (!folder)
      continue;
    folder->path = JoinPath(parent->path, folder->name);
    UpdateChildPaths(child);
  }
}

void SettingForm::OnTreeKeyUp(UINT key) {
  // Both keys act on the folder selected now, never on the root (the store).
  HWND tree = Control(kFolderTree);
  const HTREEITEM item = TreeView_GetSelection(tree);
  const FolderNode* folder = FolderOf(item);
  if (!folder || folder->isRoot || TreeView_GetEditControl(tree))
    return;
  if (key == VK_DELETE)
    OnDeleteFolderClicked();
  else if (key == VK_RETURN)
    TreeView_EditLabel(tree, item);
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
  drag_.Begin({TreeDrag::Source::Tree, folder->path, std::string()}, tree, tree, hwnd_, client);
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
  drag_.Begin(std::move(item), Control(kEngineList), tree, hwnd_, {rc.right / 2, rc.bottom / 2});
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
    ShowCurrentException(hwnd_);
  }
  RebuildAndSelectRoot();
}

void SettingForm::MoveFolderTo(const std::string& folderPath, const FolderNode& to) {
  // Onto itself, or into the folder it is in, there is nothing to move.
  const std::string target = ExcludeTrailingBackslash(to.path);
  if (SameTextIgnoringCase(folderPath, target) || SameTextIgnoringCase(ExtractFileDir(folderPath), target))
    return;
  MoveFolder(folderPath, to.path);
}

void SettingForm::MoveEngineTo(const std::string& name, const std::string& fromPath, const FolderNode& to) {
  // Onto its own folder the engine stays where it is.
  if (SameTextIgnoringCase(ExcludeTrailingBackslash(fromPath), ExcludeTrailingBackslash(to.path)))
    return;
  // The platform's move would replace an engine of the same name without a
  // word; that engine is the user's too.
  if (IsFile(JoinPath(to.path, name + ".ini")) &&
      !Confirm(hwnd_, UiText(IDS_REPLACE_ENGINE_QUESTION, {name, to.name})))
    return;
  MoveEngine(name, fromPath, to.path);
}

void SettingForm::OnAutoScrollTick() {
  if (!drag_.Active()) {
    KillTimer(hwnd_, TreeDrag::kAutoScrollTimer);
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

LRESULT CALLBACK SettingForm::TreeWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<SettingForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const WNDPROC treeProc = form->treeProc_;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProc));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return CallWindowProcW(treeProc, hwnd, msg, wParam, lParam);
  }
  LRESULT result = 0;
  if (form->HandleDragInputSafely(hwnd, msg, wParam, lParam, result))
    return result;
  return CallWindowProcW(treeProc, hwnd, msg, wParam, lParam);
}

bool SettingForm::HandleDragInputSafely(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  try {
    return HandleDragInput(hwnd, msg, wParam, lParam, result);
  } catch (...) {
    ShowCurrentException(hwnd_);
    return false;
  }
}

LRESULT SettingForm::PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == engineList_.Hwnd())
    return engineList_.DefaultMessage(msg, wParam, lParam);
  return CallWindowProcW(treeProc_, hwnd, msg, wParam, lParam);
}

bool SettingForm::HandleDragInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const bool fromList = hwnd == Control(kEngineList);
  if (drag_.Active()) {
    switch (msg) {
      case WM_MOUSEMOVE:
        OnDragMove(hwnd, PointOf(lParam));
        return true;
      case WM_LBUTTONUP:
        if (fromList) {
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
  if (!fromList) {
    // The tree selects on the left and right buttons itself.
    if (msg == WM_MBUTTONDOWN)
      OnTreeMiddleButtonDown(PointOf(lParam));
    return false;
  }
  switch (msg) {
    case WM_LBUTTONDOWN: {
      result = PassOn(hwnd, msg, wParam, lParam);
      const LRESULT hit = SendMessageA(hwnd, LB_ITEMFROMPOINT, 0, lParam);
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
