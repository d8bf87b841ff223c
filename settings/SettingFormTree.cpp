// The settings dialog's folder tree and engine check list.
#include "SettingFormPrivate.h"

#include "ErrorBox.h"
#include "Path.h"

namespace kf {

TDataFolder* TSettingForm::FolderOf(HTREEITEM item) const {
  if (!item)
    return nullptr;
  TVITEMA tv = {};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!SendMessageA(Control(TreeView1), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
    return nullptr;
  return reinterpret_cast<TDataFolder*>(tv.lParam);
}

TDataFolder* TSettingForm::SelectedFolder() const {
  return FolderOf(TreeView_GetSelection(Control(TreeView1)));
}

TData* TSettingForm::SelectedEngine(TDataFolder** folder) {
  const int index = FCheckList.Selected();
  TDataFolder* selected = SelectedFolder();
  if (folder)
    *folder = selected;
  if (index < 0 || !selected)
    return nullptr;
  return FindEngine(selected->Engines, FCheckList.Text(index));
}

HTREEITEM TSettingForm::AddFolderNode(HTREEITEM parent, TDataFolder& folder, bool hidden) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<LPSTR>(folder.Name.c_str());
  insert.item.lParam = reinterpret_cast<LPARAM>(&folder);
  insert.item.iImage = hidden ? kPaleClosedFolder : kClosedFolder;
  insert.item.iSelectedImage = hidden ? kPaleOpenFolder : kOpenFolder;
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageA(Control(TreeView1), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item)
    throw Error("Unable to add the folder " + folder.Name + " to the tree.");
  folder.ItemId = item;
  FFolderItems.push_back(item);
  return item;
}

void TSettingForm::SetFolderImages(HTREEITEM item, bool hidden) {
  TVITEMA tv = {};
  tv.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tv.hItem = item;
  tv.iImage = hidden ? kPaleClosedFolder : kClosedFolder;
  tv.iSelectedImage = hidden ? kPaleOpenFolder : kOpenFolder;
  SendMessageA(Control(TreeView1), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void TSettingForm::SetTreeReadOnly(bool readOnly) {
  FTreeReadOnly = readOnly;
  HWND tree = Control(TreeView1);
  const LONG_PTR style = GetWindowLongPtrA(tree, GWL_STYLE);
  SetWindowLongPtrA(tree, GWL_STYLE, readOnly ? (style & ~TVS_EDITLABELS) : (style | TVS_EDITLABELS));
}

void TSettingForm::ReloadTree() {
  HWND tree = Control(TreeView1);
  // Deleting the nodes may report a selection change; the folders behind
  // them are about to go and must not be looked at.
  FReloading = true;
  struct ReloadingGuard {
    bool& flag;
    ~ReloadingGuard() { flag = false; }
  } guard{FReloading};

  TreeView_DeleteAllItems(tree);
  FFolderItems.clear();
  FFolders.clear();
  InvalidateRect(tree, nullptr, TRUE);

  FFolders.push_back(std::make_unique<TDataFolder>());
  TDataFolder& root = *FFolders.back();
  root.IsRoot = true;
  root.Name = "ROOT";
  root.Path = FRootDir;
  HTREEITEM rootItem = AddFolderNode(nullptr, root, false);
  LoadEngines(FRootDir, root.Engines);
  LoadFolders(FRootDir, rootItem);
  for (HTREEITEM item : FFolderItems)
    TreeView_Expand(tree, item, TVE_EXPAND);
}

void TSettingForm::LoadFolders(const std::string& dir, HTREEITEM parent) {
  try {
    for (const StoreEntry& entry : ListFolders(dir, true)) {
      FFolders.push_back(std::make_unique<TDataFolder>());
      TDataFolder& folder = *FFolders.back();
      folder.IsRoot = false;
      folder.Name = entry.name;
      folder.Path = JoinPath(dir, entry.name);
      HTREEITEM item = AddFolderNode(parent, folder, entry.IsHidden());
      LoadFolders(folder.Path, item);
      LoadEngines(folder.Path, folder.Engines);
    }
  } catch (...) {
    ShowCurrentException(FHandle);
  }
}

void TSettingForm::LoadEngines(const std::string& dir, std::vector<TData>& list) {
  kf::LoadEngines(dir, list, [this] { ShowCurrentException(FHandle); });
}

void TSettingForm::ShowEngines(const std::vector<TData>& list) {
  FCheckList.BeginUpdate();
  struct UpdateGuard {
    CheckList& list;
    ~UpdateGuard() { list.EndUpdate(); }
  } guard{FCheckList};
  FCheckList.Clear();
  for (const TData& engine : list)
    FCheckList.Add(ExtractEngineName(engine.FileName), (engine.Attr & FILE_ATTRIBUTE_HIDDEN) == 0);
  FCheckList.Select(-1);
}

void TSettingForm::SelectRoot() {
  if (!FFolderItems.empty())
    TreeView_SelectItem(Control(TreeView1), FFolderItems.front());
}

void TSettingForm::TreeView1Change(HTREEITEM item) {
  TDataFolder* folder = FolderOf(item);
  if (!folder)
    return;
  EnableWindow(Control(FolderButton), !folder->IsRoot);
  ShowEngines(folder->Engines);
  SetTreeReadOnly(folder->IsRoot);
  EnableRule();
}

LRESULT TSettingForm::TreeView1Notify(const NMHDR& header) {
  switch (header.code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      if (!FReloading)
        TreeView1Change(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem);
      return 0;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
      return TreeView1Editing(reinterpret_cast<const NMTVDISPINFOA&>(header).item.hItem) ? FALSE : TRUE;
    case TVN_ENDLABELEDITA: {
      const TVITEMA& item = reinterpret_cast<const NMTVDISPINFOA&>(header).item;
      // No text: the edit was cancelled.
      return item.pszText && TreeView1Edited(item.hItem, item.pszText);
    }
    case TVN_ENDLABELEDITW: {
      const TVITEMW& item = reinterpret_cast<const NMTVDISPINFOW&>(header).item;
      return item.pszText && TreeView1Edited(item.hItem, WideToAnsi(item.pszText));
    }
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW: {
      const NMTREEVIEWA& view = reinterpret_cast<const NMTREEVIEWA&>(header);
      TreeView1StartDrag(view.itemNew.hItem, view.ptDrag);
      return 0;
    }
    case NM_RCLICK: {
      // A right click selects the node under the pointer, then opens the
      // context menu there (handled: no WM_CONTEXTMENU follows).
      POINT screen;
      GetCursorPos(&screen);
      TVHITTESTINFO hit = {};
      hit.pt = screen;
      ScreenToClient(header.hwndFrom, &hit.pt);
      const HTREEITEM item = TreeView_HitTest(header.hwndFrom, &hit);
      if (item && (hit.flags & TVHT_ONITEM))
        TreeView_SelectItem(header.hwndFrom, item);
      ShowTreeMenu(screen);
      return TRUE;
    }
    default:
      return 0;
  }
}

void TSettingForm::CheckListBox1Click() {
  TData* engine = SelectedEngine(nullptr);
  if (!engine)
    return;
  // Copies: the change handlers below must not see a moving record.
  const std::string name = ExtractEngineName(engine->FileName);
  const std::string url = engine->URL;
  const std::string encode = engine->Encode;
  SetEditText(NameEdit, name);
  SetEditText(URLEdit, url);
  SelectEncoding(encode);
}

void TSettingForm::CheckListBox1ClickCheck() {
  TDataFolder* folder = nullptr;
  TData* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  try {
    SetEngineVisible(*folder, *engine, FCheckList.Checked(FCheckList.Selected()));
  } catch (...) {
    ShowCurrentException(FHandle);
  }
}

void TSettingForm::CheckListBox1KeyUp(UINT key) {
  if (key == VK_DELETE)
    DeleteButtonClick();
}

void TSettingForm::FolderButtonClick() {
  TDataFolder* folder = SelectedFolder();
  if (!folder || folder->IsRoot)
    return;
  try {
    SetFolderImages(folder->ItemId, ToggleFolderVisibility(*folder));
  } catch (...) {
    ShowCurrentException(FHandle);
  }
}

}  // namespace kf
