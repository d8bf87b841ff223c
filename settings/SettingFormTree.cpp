// The settings dialog's folder tree and engine check list.
#include "SettingFormPrivate.h"

#include <algorithm>

#include "Dbcs.h"
#include "ErrorBox.h"
#include "FileSystem.h"
#include "Path.h"
#include "PluginSettings.h"
#include "Profile.h"
#include "RecentEngines.h"
#include "SettingTextIds.h"
#include "UiText.h"
#include "WideText.h"
#include "WindowText.h"

namespace kf {

FolderNode* SettingForm::FolderOf(HTREEITEM item) const {
  if (!item)
    return nullptr;
  TVITEMA tv = {};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!TreeView_GetItem(Control(kFolderTree), &tv))
    return nullptr;
  return reinterpret_cast<FolderNode*>(tv.lParam);
}

FolderNode* SettingForm::SelectedFolder() const { return FolderOf(TreeView_GetSelection(Control(kFolderTree))); }

StoreEntry* SettingForm::SelectedEngine(FolderNode** folder) {
  const int index = engineList_.Selected();
  FolderNode* selected = SelectedFolder();
  if (folder)
    *folder = selected;
  if (index < 0 || !selected)
    return nullptr;
  return FindEngine(selected->engines, engineList_.Text(index));
}

HTREEITEM SettingForm::AddFolderNode(HTREEITEM parent, FolderNode& folder, bool hidden) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  // Every folder shows its subfolders: set at insertion, that costs nothing,
  // where expanding each afterwards relays the tree out every time.
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
  insert.item.pszText = const_cast<LPSTR>(folder.name.c_str());
  insert.item.lParam = reinterpret_cast<LPARAM>(&folder);
  insert.item.iImage = hidden ? kPaleClosedFolder : kClosedFolder;
  insert.item.iSelectedImage = hidden ? kPaleOpenFolder : kOpenFolder;
  const HTREEITEM item = TreeView_InsertItem(Control(kFolderTree), &insert);
  if (!item)
    throw Error(UiText(IDS_TREE_ITEM_NOT_ADDED, {folder.name}));
  folder.item = item;
  folderItems_.push_back(item);
  return item;
}

void SettingForm::SetFolderImages(HTREEITEM item, bool hidden) {
  TVITEMA tv = {};
  tv.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tv.hItem = item;
  tv.iImage = hidden ? kPaleClosedFolder : kClosedFolder;
  tv.iSelectedImage = hidden ? kPaleOpenFolder : kOpenFolder;
  TreeView_SetItem(Control(kFolderTree), &tv);
}

void SettingForm::SetTreeReadOnly(bool readOnly) {
  treeReadOnly_ = readOnly;
  HWND tree = Control(kFolderTree);
  const LONG_PTR style = GetWindowLongPtrA(tree, GWL_STYLE);
  const LONG_PTR wanted = readOnly ? (style & ~TVS_EDITLABELS) : (style | TVS_EDITLABELS);
  // A style change costs the tree a relayout: only when there is one.
  if (wanted != style)
    SetWindowLongPtrA(tree, GWL_STYLE, wanted);
}

void SettingForm::ReloadTree() {
  const HWND tree = Control(kFolderTree);
  // Deleting the nodes may report a selection change; the folders behind
  // them are about to go and must not be looked at.
  reloading_ = true;
  struct ReloadingGuard {
    bool& flag;
    ~ReloadingGuard() { flag = false; }
  } guard{reloading_};

  // Drawn once, when whole: a visible tree repaints at every insertion.
  SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
  struct RedrawGuard {
    HWND tree;
    ~RedrawGuard() {
      SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(tree, nullptr, TRUE);
    }
  } redraw{tree};
  TreeView_DeleteAllItems(tree);
  folderItems_.clear();
  folders_.clear();

  folders_.push_back(std::make_unique<FolderNode>());
  FolderNode& root = *folders_.back();
  root.isRoot = true;
  root.name = "ROOT";
  root.path = rootDir_;
  HTREEITEM rootItem = AddFolderNode(nullptr, root, false);
  AddFolderNodes(rootDir_, rootItem);
}

void SettingForm::AddFolderNodes(const std::string& dir, HTREEITEM parent) {
  try {
    for (const StoreEntry& entry : ListStoreFolder(dir, true, Listed::FoldersOnly).folders) {
      folders_.push_back(std::make_unique<FolderNode>());
      FolderNode& folder = *folders_.back();
      folder.isRoot = false;
      folder.name = entry.name;
      folder.path = JoinPath(dir, entry.name);
      HTREEITEM item = AddFolderNode(parent, folder, entry.IsHidden());
      AddFolderNodes(folder.path, item);
    }
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
}

void SettingForm::FillEngineList(const std::vector<StoreEntry>& engines) {
  engineList_.BeginUpdate();
  struct UpdateGuard {
    CheckList& list;
    ~UpdateGuard() { list.EndUpdate(); }
  } guard{engineList_};
  engineList_.Clear();
  for (const StoreEntry& engine : engines)
    engineList_.Add(ExtractEngineName(engine.name), !engine.IsHidden());
  engineList_.Select(-1);
}

int SettingForm::TreeWidthForLabels() const {
  // The right end of the widest label (every folder is expanded), with the
  // tree's frame; at least the default width, at most a share of the form
  // that leaves the list room.
  HWND tree = Control(kFolderTree);
  LONG right = 0;
  RECT rc;
  for (HTREEITEM item : folderItems_) {
    if (TreeView_GetItemRect(tree, item, &rc, TRUE))
      right = std::max(right, rc.right);
  }
  RECT frame = {0, 0, right + Scale(4, dpi_), 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(tree, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(tree, GWL_EXSTYLE)));
  return std::min(std::max(static_cast<int>(frame.right - frame.left), Scale(kDefaultTreeWidth, dpi_)),
                  MinWidth() * 3 / 5);
}

void SettingForm::SelectRoot() {
  if (!folderItems_.empty())
    TreeView_SelectItem(Control(kFolderTree), folderItems_.front());
}

void SettingForm::OnFolderSelected(HTREEITEM item) {
  FolderNode* folder = FolderOf(item);
  if (!folder)
    return;
  EnableWindow(Control(kFolderVisibilityButton), !folder->isRoot);
  // Listed as the directory is now: a store of thousands of engines costs
  // the dialog only the folder the user looks at.
  RereadEngines(*folder);
  SetTreeReadOnly(folder->isRoot);
}

LRESULT SettingForm::OnTreeNotify(const NMHDR& header) {
  switch (header.code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      if (!reloading_)
        OnFolderSelected(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem);
      return 0;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
      return MayRenameFolder(reinterpret_cast<const NMTVDISPINFOA&>(header).item.hItem) ? FALSE : TRUE;
    case TVN_ENDLABELEDITA: {
      const TVITEMA& item = reinterpret_cast<const NMTVDISPINFOA&>(header).item;
      // No text: the edit was cancelled.
      return item.pszText && RenameFolderNode(item.hItem, item.pszText);
    }
    case TVN_ENDLABELEDITW: {
      const TVITEMW& item = reinterpret_cast<const NMTVDISPINFOW&>(header).item;
      return item.pszText && RenameFolderNode(item.hItem, WideToAnsi(item.pszText));
    }
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW: {
      const NMTREEVIEWA& view = reinterpret_cast<const NMTREEVIEWA&>(header);
      OnTreeBeginDrag(view.itemNew.hItem, view.ptDrag);
      return 0;
    }
    case NM_RCLICK:
      // Handled: no WM_CONTEXTMENU follows.
      OnTreeRightClick(header.hwndFrom);
      return TRUE;
    default:
      return 0;
  }
}

// A right click selects the node under the pointer, then opens the context
// menu there.
void SettingForm::OnTreeRightClick(HWND tree) {
  POINT screen;
  GetCursorPos(&screen);
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(tree, &hit.pt);
  const HTREEITEM item = TreeView_HitTest(tree, &hit);
  if (item && (hit.flags & TVHT_ONITEM))
    TreeView_SelectItem(tree, item);
  ShowFolderMenu(screen);
}

void SettingForm::OnEngineSelected() {
  FolderNode* folder = nullptr;
  StoreEntry* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  // The file as it is now, whatever changed it since the folder was listed,
  // read as the menu and the search read it. Copies: the change handlers
  // below must not see a moving record.
  const std::string name = ExtractEngineName(engine->name);
  const ProfileSection file(JoinPath(folder->path, engine->name), kGeneralSection);
  const std::string url(file.Value(kUrlKey));
  const std::string encode = TruncateText(std::string(file.Value(kEncodeKey)), kEncodeLimit, IsAnsiLeadByte);
  const bool favourite = file.Value(kPinKey) == "1";
  const char accessKey = AccessKeyOf(file.Value(kAccessKey));
  const bool post = SameTextIgnoringCase(std::string(file.Value(kMethodKey)), kPostMethod);
  const std::string formFields(file.Value(kPostKey));
  const std::string_view privateValue = file.Value(kPrivateKey);
  const bool privateWindow = privateValue == "1" || (privateValue != "0" && PrivateForEveryEngine());
  const std::string browser(file.Value(kBrowserKey));
  SetEditText(kNameEdit, name);
  SetEditText(kUrlEdit, url);
  ShowEncoding(encode);
  SetCheck(Control(kFavouriteCheck), favourite);
  SetEditText(kAccessKeyEdit, accessKey ? std::string(1, accessKey) : std::string());
  ShowMethod(post, formFields);
  SetCheck(Control(kPrivateCheck), privateWindow);
  SetEditText(kBrowserEdit, browser);
}

void SettingForm::OnEngineCheckToggled() {
  FolderNode* folder = nullptr;
  StoreEntry* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  const int index = engineList_.Selected();
  try {
    engine->attr = SetEngineVisible(JoinPath(folder->path, engine->name), engineList_.Checked(index));
  } catch (...) {
    ShowCurrentException(Hwnd());
    // The mark shows the file as it is, and the same engine stays selected.
    RereadEngines(*folder);
    engineList_.Select(index);
  }
}

void SettingForm::OnEngineListKeyUp(UINT key) {
  if (key == VK_DELETE)
    OnDeleteEngineClicked();
}

void SettingForm::OnFolderVisibilityClicked() {
  FolderNode* folder = SelectedFolder();
  if (!folder || folder->isRoot)
    return;
  try {
    SetFolderImages(folder->item, ToggleFolderVisibility(folder->path));
  } catch (...) {
    ShowCurrentException(Hwnd());
    const DWORD attr = GetFileAttributesA(folder->path.c_str());
    SetFolderImages(folder->item, attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_HIDDEN));
  }
}

void SettingForm::ShowSearchAllSetting() {
  SetCheck(Control(kSearchAllCheck), IsPluginSettingOn(iniPath_, kSearchAllSetting));
}

void SettingForm::ShowRecentSetting() { SetEditText(kRecentEdit, std::to_string(RecentCount(iniPath_))); }

void SettingForm::OnRecentChanged() {
  const std::string text = WindowText(Control(kRecentEdit));
  // A digit is a value; the box is empty while the user types another. The
  // count in effect is never written again (nor, after a failed write, the
  // one the box shows once more).
  if (text.size() != 1 || text[0] < '0' || text[0] > '9' || text == std::to_string(RecentCount(iniPath_)))
    return;
  try {
    WritePluginSetting(iniPath_, kRecentSetting, text);
    if (text == "0")
      ForgetRecentEngines(iniPath_);
  } catch (...) {
    ShowCurrentException(Hwnd());
    ShowRecentSetting();
  }
}

void SettingForm::FollowInRecent(const std::string& fromPath, const std::string& toPath) {
  if (!IsFile(fromPath) && !IsDirectory(fromPath) && (IsFile(toPath) || IsDirectory(toPath)))
    MoveRecentEngines(iniPath_, PathBelowStore(rootDir_, fromPath), PathBelowStore(rootDir_, toPath));
}

void SettingForm::OnSearchAllClicked() {
  try {
    WritePluginSetting(iniPath_, kSearchAllSetting, IsChecked(Control(kSearchAllCheck)) ? "1" : "0");
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
  // The box shows what the file says, saved or not.
  ShowSearchAllSetting();
}

}  // namespace kf
