// The settings dialog's folders: the tree's context menu (add, delete) and
// renaming a folder in place.
#include "SettingFormPrivate.h"

#include <string>

#include "EngineStore.h"
#include "ErrorBox.h"
#include "Path.h"
#include "SettingTextIds.h"
#include "UiText.h"

namespace kf {

void SettingForm::CreateFolderMenu() {
  folderMenu_.Attach(CreatePopupMenu());
  if (!folderMenu_)
    throw Error(UiText(IDS_FOLDER_MENU_NOT_CREATED));
  AppendMenuA(folderMenu_.Get(), MF_STRING, kAddFolderCommand, UiText(IDS_ADD_FOLDER).c_str());
  AppendMenuA(folderMenu_.Get(), MF_STRING, kDeleteFolderCommand, UiText(IDS_DELETE_FOLDER).c_str());
  AppendMenuA(folderMenu_.Get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(folderMenu_.Get(), MF_STRING, kImportCommand, UiText(IDS_IMPORT).c_str());
  AppendMenuA(folderMenu_.Get(), MF_STRING, kExportFolderCommand, UiText(IDS_EXPORT).c_str());
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
  SetForegroundWindow(Hwnd());
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      folderMenu_.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0,
      Hwnd(), nullptr));
  PostMessageA(Hwnd(), WM_NULL, 0, 0);
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
  else if (command == kImportCommand)
    OnImportClicked();
  else if (command == kExportFolderCommand)
    OnExportFolderClicked();
}

void SettingForm::OnAddFolderClicked() {
  const FolderNode* folder = SelectedFolder();
  if (!folder)
    return;
  std::string created;
  try {
    created = kf::CreateFolder(folder->path);
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
  RebuildAndSelectRoot();
  if (!created.empty())
    StartNamingFolder(created);
}

// As Explorer's New folder: the new folder is selected with its name open
// for editing; Escape keeps the name it was made with.
void SettingForm::StartNamingFolder(const std::string& folderPath) {
  HWND tree = Control(kFolderTree);
  for (HTREEITEM item : folderItems_) {
    const FolderNode* folder = FolderOf(item);
    if (folder && SameTextIgnoringCase(folder->path, folderPath)) {
      TreeView_SelectItem(tree, item);
      TreeView_EnsureVisible(tree, item);
      SetFocus(tree);
      TreeView_EditLabel(tree, item);
      return;
    }
  }
}

namespace {

// The question names the folder and what goes with it.
std::string DeleteFolderQuestion(const FolderNode& folder) {
  const std::size_t engines = CountEnginesBelow(folder.path);
  if (engines == 0)
    return UiText(IDS_DELETE_FOLDER_QUESTION, {folder.name});
  if (engines == 1)
    return UiText(IDS_DELETE_FOLDER_AND_ENGINE_QUESTION, {folder.name});
  return UiText(IDS_DELETE_FOLDER_AND_ENGINES_QUESTION, {folder.name, std::to_string(engines)});
}

}  // namespace

void SettingForm::OnDeleteFolderClicked() {
  const FolderNode* folder = SelectedFolder();
  if (!folder || folder->isRoot)
    return;
  const std::string path = folder->path;
  if (!Confirm(Hwnd(), DeleteFolderQuestion(*folder)))
    return;
  // Look again after the question: only the folder it named, and never the
  // root, which is the store.
  folder = SelectedFolder();
  if (!folder || folder->isRoot || folder->path != path)
    return;
  try {
    kf::DeleteFolder(Hwnd(), folder->path);
  } catch (...) {
    ShowCurrentException(Hwnd());
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
    ShowErrorBox(Hwnd(), problem);
    return false;
  }
  try {
    const std::string renamed = RenameFolder(Hwnd(), folder->path, parent->path, text);
    FollowInRecent(folder->path, renamed);
    folder->path = renamed;
  } catch (...) {
    ShowCurrentException(Hwnd());
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

}  // namespace kf
