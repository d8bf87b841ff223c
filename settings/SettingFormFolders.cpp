// The settings dialog's folders and drag-and-drop: the tree's context menu,
// renaming a folder in place, and moving engines and folders by dropping
// them on a folder of the tree, with the tree scrolling near its edges.
#include "SettingFormPrivate.h"

#include <algorithm>
#include <cstdlib>

#include "Dbcs.h"
#include "ErrorBox.h"
#include "Path.h"

namespace kf {

namespace {

const char kDeleteFolderQuestion[] = "Delete selected folder?";

constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragTimerInterval = 400;
// Within this distance of the tree's edges a resting pointer scrolls it.
constexpr int kScrollMargin = 40;
constexpr int kHorizontalScrollStep = 12;
// Beside CheckList's own subclass of the list.
constexpr UINT_PTR kDragSubclassId = 2;

POINT PointOf(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// A name the shell would read as a path, not as the folder's new name.
bool IsPlainFolderName(const std::string& name) {
  return !name.empty() && FindChar(name, '\\', IsAnsiLeadByte) == std::string::npos &&
         FindChar(name, '/', IsAnsiLeadByte) == std::string::npos;
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

void TSettingForm::CreateFolderCommands() {
  PopupMenu1.Attach(CreatePopupMenu());
  if (!PopupMenu1)
    throw Error("Unable to create the folder menu.");
  AppendMenuA(PopupMenu1.Get(), MF_STRING, AddFolder, "&Add Folder");
  AppendMenuA(PopupMenu1.Get(), MF_STRING, DeleteFolder, "&Delete Folder");
  for (SettingControl id : {TreeView1, CheckListBox1})
    SetWindowSubclass(Control(id), DragSubclassProc, kDragSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TSettingForm::RebuildAndSelectRoot() {
  ReloadTree();
  FCheckList.Clear();
  SelectRoot();
}

// ---------------------------------------------------------------------------
// Context menu

void TSettingForm::PopupMenu1Popup() {
  const TDataFolder* folder = SelectedFolder();
  EnableMenuItem(PopupMenu1.Get(), DeleteFolder,
                 MF_BYCOMMAND | (folder && folder->IsRoot ? MF_GRAYED : MF_ENABLED));
}

void TSettingForm::ShowTreeMenu(POINT screen) {
  PopupMenu1Popup();
  // The menu closes properly on a click elsewhere only when its owner is
  // the foreground window.
  SetForegroundWindow(FHandle);
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      PopupMenu1.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0,
      FHandle, nullptr));
  PostMessageA(FHandle, WM_NULL, 0, 0);
  RunTreeMenuCommand(command);
}

void TSettingForm::ShowTreeMenuAtSelection() {
  HWND tree = Control(TreeView1);
  POINT at = {0, 0};
  RECT rc;
  const HTREEITEM item = TreeView_GetSelection(tree);
  if (item && TreeView_GetItemRect(tree, item, &rc, TRUE))
    at = {rc.left, rc.bottom};
  ClientToScreen(tree, &at);
  ShowTreeMenu(at);
}

void TSettingForm::RunTreeMenuCommand(UINT command) {
  // A menu command does nothing while its item is disabled, wherever it
  // comes from.
  const UINT state = GetMenuState(PopupMenu1.Get(), command, MF_BYCOMMAND);
  if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)))
    return;
  if (command == AddFolder)
    AddFolderClick();
  else if (command == DeleteFolder)
    DeleteFolderClick();
}

void TSettingForm::AddFolderClick() {
  const TDataFolder* folder = SelectedFolder();
  if (!folder)
    return;
  try {
    kf::CreateFolder(*folder);
  } catch (...) {
    ShowCurrentException(FHandle);
  }
  RebuildAndSelectRoot();
}

void TSettingForm::DeleteFolderClick() {
  if (!SelectedFolder())
    return;
  if (!Confirm(FHandle, kDeleteFolderQuestion))
    return;
  // Look again after the question; and never the root, which is the store.
  const TDataFolder* folder = SelectedFolder();
  if (!folder || folder->IsRoot)
    return;
  kf::DeleteFolder(FHandle, FRootDir, folder->Path);
  RebuildAndSelectRoot();
}

// ---------------------------------------------------------------------------
// Renaming in place

bool TSettingForm::TreeView1Editing(HTREEITEM item) {
  const TDataFolder* folder = FolderOf(item);
  if (FTreeReadOnly || !folder || folder->IsRoot) {
    FSkipEnter = true;
    return false;
  }
  return true;
}

bool TSettingForm::TreeView1Edited(HTREEITEM item, const std::string& text) {
  FSkipEnter = false;
  TDataFolder* folder = FolderOf(item);
  const TDataFolder* parent = FolderOf(TreeView_GetParent(Control(TreeView1), item));
  if (!folder || folder->IsRoot || !parent || !IsPlainFolderName(text))
    return false;
  const std::string newPath = RenameFolder(FHandle, FRootDir, folder->Path, parent->Path, text);
  if (newPath.empty())
    return false;
  folder->Path = newPath;
  folder->Name = text;
  FollowParentPath(item);
  return true;
}

void TSettingForm::FollowParentPath(HTREEITEM parentItem) {
  HWND tree = Control(TreeView1);
  const TDataFolder* parent = FolderOf(parentItem);
  for (HTREEITEM child = TreeView_GetChild(tree, parentItem); child; child = TreeView_GetNextSibling(tree, child)) {
    TDataFolder* folder = FolderOf(child);
    if (!folder)
      continue;
    folder->Path = JoinPath(parent->Path, folder->Name);
    FollowParentPath(child);
  }
}

void TSettingForm::TreeView1KeyUp(UINT key) {
  HWND tree = Control(TreeView1);
  if (key == VK_DELETE) {
    const TDataFolder* folder = SelectedFolder();
    if (!TreeView_GetEditControl(tree) && folder && !folder->IsRoot)
      RunTreeMenuCommand(DeleteFolder);
  } else if (key == VK_RETURN) {
    if (FSkipEnter) {
      FSkipEnter = false;
    } else {
      if (const HTREEITEM item = TreeView_GetSelection(tree))
        TreeView_EditLabel(tree, item);
      FSkipEnter = true;
    }
  }
}

// ---------------------------------------------------------------------------
// Drag and drop

void TSettingForm::TreeView1MouseDown(POINT client) {
  TVHITTESTINFO hit = {};
  hit.pt = client;
  const HTREEITEM item = TreeView_HitTest(Control(TreeView1), &hit);
  if (item && (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)))
    TreeView_SelectItem(Control(TreeView1), item);
}

void TSettingForm::TreeView1StartDrag(HTREEITEM item, POINT client) {
  // The tree drags its selected folder: the pressed node becomes it. The
  // root only takes the selection; it never drags.
  TreeView_SelectItem(Control(TreeView1), item);
  const TDataFolder* folder = FolderOf(item);
  if (!folder || folder->IsRoot)
    return;
  BeginDrag(DragSource::Tree);
  TreeView1DragOver(client.x, client.y);
}

void TSettingForm::CheckListBox1StartDrag() {
  if (FCheckList.Selected() < 0)
    return;
  BeginDrag(DragSource::List);
  // Until the pointer reaches the tree, a position that scrolls nothing.
  RECT rc;
  GetClientRect(Control(TreeView1), &rc);
  FDragX = rc.right / 2;
  FDragY = rc.bottom / 2;
}

void TSettingForm::BeginDrag(DragSource source) {
  FDragSource = source;
  FListPressed = false;
  FMouseMoved = false;
  SetCapture(DragSourceWindow());
  SetCursor(LoadCursor(nullptr, source == DragSource::Tree ? IDC_ARROW : IDC_NO));
  SetTimer(FHandle, kDragTimer, kDragTimerInterval, nullptr);
}

HWND TSettingForm::DragSourceWindow() const {
  return Control(FDragSource == DragSource::List ? CheckListBox1 : TreeView1);
}

void TSettingForm::EndDrag() {
  if (FDragSource == DragSource::None)
    return;
  HWND source = DragSourceWindow();
  // Cleared first: giving up the capture reports back here.
  FDragSource = DragSource::None;
  KillTimer(FHandle, kDragTimer);
  TreeView_SelectDropTarget(Control(TreeView1), nullptr);
  if (GetCapture() == source)
    ReleaseCapture();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

bool TSettingForm::PointInTree(HWND from, POINT& point) const {
  HWND tree = Control(TreeView1);
  MapWindowPoints(from, tree, &point, 1);
  RECT rc;
  GetClientRect(tree, &rc);
  return PtInRect(&rc, point) != FALSE;
}

void TSettingForm::DragMove(HWND from, POINT point) {
  HWND tree = Control(TreeView1);
  if (!PointInTree(from, point)) {
    // Outside the tree the stored position stays, so that a pointer held
    // above or below it keeps the tree scrolling.
    TreeView_SelectDropTarget(tree, nullptr);
    SetCursor(LoadCursor(nullptr, IDC_NO));
    return;
  }
  FMouseMoved = true;  // the tree's own mouse move
  TreeView1DragOver(point.x, point.y);
  TVHITTESTINFO hit = {};
  hit.pt = point;
  TreeView_SelectDropTarget(tree, TreeView_HitTest(tree, &hit));
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void TSettingForm::TreeView1DragOver(int x, int y) {
  FDragX = x;
  FDragY = y;
}

void TSettingForm::DropAt(HWND from, POINT point) {
  const DragSource source = FDragSource;
  EndDrag();
  // A release outside the tree cancels.
  if (PointInTree(from, point))
    TreeView1DragDrop(source, point.x, point.y);
}

void TSettingForm::TreeView1DragDrop(DragSource source, int x, int y) {
  KillTimer(FHandle, kDragTimer);
  TVHITTESTINFO hit = {};
  hit.pt = {x, y};
  const TDataFolder* target = FolderOf(TreeView_HitTest(Control(TreeView1), &hit));
  if (!target)
    return;  // the empty area below the last node
  const TDataFolder* selected = SelectedFolder();
  if (source == DragSource::Tree) {
    if (selected && !selected->IsRoot)
      MoveFolder(*selected, target->Path);
  } else if (source == DragSource::List && selected && FCheckList.Selected() >= 0) {
    MoveEngineTo(FCheckList.Text(FCheckList.Selected()), *selected, *target);
  }
  RebuildAndSelectRoot();
}

void TSettingForm::MoveEngineTo(const std::string& name, const TDataFolder& from, const TDataFolder& to) {
  // Onto its own folder the engine stays where it is.
  if (&from == &to)
    return;
  // The platform's move would replace an engine of the same name without a
  // word; that engine is the user's too.
  if (IsFile(JoinPath(to.Path, name + ".ini")) &&
      !Confirm(FHandle, "Replace the engine \"" + name + "\" in the folder \"" + to.Name + "\"?"))
    return;
  MoveEngine(name, from.Path, to.Path);
}

void TSettingForm::Timer1Timer() {
  if (FDragSource == DragSource::None) {
    KillTimer(FHandle, kDragTimer);
    return;
  }
  if (!FMouseMoved) {
    HWND tree = Control(TreeView1);
    // The tree's place and size within its container.
    RECT box;
    GetWindowRect(tree, &box);
    MapWindowPoints(nullptr, GetParent(tree), reinterpret_cast<POINT*>(&box), 2);
    const int margin = Scale(kScrollMargin, FDpi);

    SCROLLINFO vertical;
    if (ReadScrollInfo(tree, SB_VERT, vertical)) {
      if (FDragY < box.top + margin && vertical.nPos > 0)
        ScrollTree(tree, WM_VSCROLL, vertical.nPos - 1);
      else if (FDragY > box.bottom - margin && vertical.nPos < vertical.nMax)
        ScrollTree(tree, WM_VSCROLL, vertical.nPos + 1);
    }
    SCROLLINFO horizontal;
    if (ReadScrollInfo(tree, SB_HORZ, horizontal)) {
      if (FDragX < box.left + margin)
        ScrollTree(tree, WM_HSCROLL, std::max(horizontal.nPos - kHorizontalScrollStep, 0));
      else if (FDragX > box.right - margin)
        ScrollTree(tree, WM_HSCROLL, std::min(horizontal.nPos + kHorizontalScrollStep, horizontal.nMax));
    }
    RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  FMouseMoved = false;
}

LRESULT CALLBACK TSettingForm::DragSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self) {
  auto* form = reinterpret_cast<TSettingForm*>(self);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, DragSubclassProc, kDragSubclassId);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  try {
    LRESULT result = 0;
    if (form->DragMessage(hwnd, msg, wParam, lParam, result))
      return result;
  } catch (...) {
    ShowCurrentException(form->FHandle);
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool TSettingForm::DragMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const bool fromList = hwnd == Control(CheckListBox1);
  if (FDragSource != DragSource::None) {
    switch (msg) {
      case WM_MOUSEMOVE:
        DragMove(hwnd, PointOf(lParam));
        return true;
      case WM_LBUTTONUP:
        if (fromList) {
          // The list ends the press it was tracking (its capture and its
          // selection notice) before the drop rebuilds it.
          const DragSource source = FDragSource;
          FDragSource = DragSource::None;
          result = DefSubclassProc(hwnd, msg, wParam, lParam);
          FDragSource = source;
        }
        DropAt(hwnd, PointOf(lParam));
        return true;
      case WM_CAPTURECHANGED:
        // Somebody else took the pointer: the drag is over.
        if (reinterpret_cast<HWND>(lParam) != hwnd)
          EndDrag();
        return false;
      default:
        return false;
    }
  }
  if (!fromList) {
    // The tree selects on the left and right buttons itself.
    if (msg == WM_MBUTTONDOWN)
      TreeView1MouseDown(PointOf(lParam));
    return false;
  }
  switch (msg) {
    case WM_LBUTTONDOWN: {
      result = DefSubclassProc(hwnd, msg, wParam, lParam);
      const LRESULT hit = SendMessageA(hwnd, LB_ITEMFROMPOINT, 0, lParam);
      FListPressed = HIWORD(hit) == 0;
      FListPress = PointOf(lParam);
      return true;
    }
    case WM_MOUSEMOVE: {
      if (!FListPressed || !(wParam & MK_LBUTTON))
        return false;
      const POINT at = PointOf(lParam);
      if (std::abs(at.x - FListPress.x) <= GetSystemMetrics(SM_CXDRAG) &&
          std::abs(at.y - FListPress.y) <= GetSystemMetrics(SM_CYDRAG))
        return false;
      FListPressed = false;
      CheckListBox1StartDrag();
      return true;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      FListPressed = false;
      return false;
    default:
      return false;
  }
}

}  // namespace kf
