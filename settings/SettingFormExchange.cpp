// The settings dialog's exchange with other programs: OpenSearch description
// files imported into a folder (from the Open dialog or dropped from
// Explorer) and engines exported as such files.
#include "SettingFormPrivate.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "AsciiText.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "FileSystem.h"
#include "OpenSearch.h"
#include "Path.h"
#include "SettingTextIds.h"
#include "UiText.h"

namespace kf {

namespace {

// Room for the names of many files chosen at once in the Open dialog.
constexpr DWORD kOpenNamesChars = 32 * 1024;

// The files the Open dialog returned: one full path, or the folder followed
// by the names chosen in it, each ended by a NUL.
std::vector<std::string> ChosenFiles(const std::string& buffer) {
  std::vector<std::string> parts;
  for (std::size_t at = 0; at < buffer.size() && buffer[at] != '\0';) {
    const std::size_t end = buffer.find('\0', at);
    parts.push_back(buffer.substr(at, end - at));
    at = end + 1;
  }
  if (parts.size() <= 1)
    return parts;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < parts.size(); ++i)
    files.push_back(JoinPath(parts[0], parts[i]));
  return files;
}

// A name for a new file in dir that no file has yet: base.xml, then
// "base (2).xml" and on. Exports never overwrite what is there.
std::string FreeFileName(const std::string& dir, const std::string& fileName) {
  const std::string base = fileName.substr(0, fileName.size() - 4);
  std::string candidate = JoinPath(dir, fileName);
  for (int n = 2; IsFile(candidate) || IsDirectory(candidate); ++n)
    candidate = JoinPath(dir, base + " (" + std::to_string(n) + ").xml");
  return candidate;
}

}  // namespace

void SettingForm::OnImportClicked() {
  const FolderNode* folder = SelectedFolder();
  if (!folder)
    return;
  std::string names(kOpenNamesChars, '\0');
  const std::string filter = FileDialogFilter(IDS_DESCRIPTION_FILTER);
  OPENFILENAMEA open = {};
  open.lStructSize = sizeof(open);
  open.hwndOwner = Hwnd();
  open.lpstrFilter = filter.c_str();
  open.lpstrFile = &names[0];
  open.nMaxFile = kOpenNamesChars;
  open.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // OFN_NOCHANGEDIR: the process's current directory is the host's.
  if (!GetOpenFileNameA(&open))
    return;
  ImportInto(folder->path, ChosenFiles(names));
}

void SettingForm::OnFilesDropped(HDROP drop) {
  std::vector<std::string> files;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::string name(length + 1, '\0');
    DragQueryFileA(drop, i, &name[0], length + 1);
    name.resize(length);
    files.push_back(name);
  }
  POINT at = {};
  DragQueryPoint(drop, &at);
  DragFinish(drop);
  // Onto a folder of the tree, into it; onto the list, into the folder it
  // lists; anywhere else, nothing.
  ClientToScreen(Hwnd(), &at);
  HWND tree = Control(kFolderTree);
  const FolderNode* folder = nullptr;
  if (WindowFromPoint(at) == tree) {
    TVHITTESTINFO hit = {};
    hit.pt = at;
    ScreenToClient(tree, &hit.pt);
    const HTREEITEM item = TreeView_HitTest(tree, &hit);
    if (item && (hit.flags & TVHT_ONITEM)) {
      TreeView_SelectItem(tree, item);
      folder = FolderOf(item);
    }
  } else if (WindowFromPoint(at) == Control(kEngineList)) {
    folder = SelectedFolder();
  }
  if (folder && !files.empty()) {
    SetForegroundWindow(Hwnd());
    ImportInto(folder->path, files);
  }
}

void SettingForm::ImportInto(const std::string& folderPath, const std::vector<std::string>& files) {
  std::string refused;
  std::string lastImported;
  for (const std::string& file : files) {
    ImportOutcome outcome;
    if (EndsWithIgnoringAsciiCase(file, ".xml"))
      outcome = ImportOpenSearchFile(file, folderPath);
    else
      outcome.refusal = UiText(IDS_IMPORT_NOT_XML, {file});
    if (outcome.refusal.empty())
      lastImported = outcome.engineName;
    else
      refused += "\r\n\r\n" + outcome.refusal;
  }
  // The folder as it now is, the last engine imported selected.
  FolderNode* folder = SelectedFolder();
  if (folder && SameTextIgnoringCase(folder->path, folderPath)) {
    RereadEngines(*folder);
    const int index = engineList_.IndexOfIgnoreCase(lastImported);
    if (index >= 0) {
      engineList_.Select(index);
      OnEngineSelected();
    }
  }
  // One box for everything refused: the files that imported are there.
  if (!refused.empty())
    ShowErrorBox(Hwnd(), UiText(IDS_IMPORT_SUMMARY) + refused);
}

void SettingForm::OnExportEngineClicked() {
  FolderNode* folder = nullptr;
  const StoreEntry* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  const std::string enginePath = JoinPath(folder->path, engine->name);
  std::string file = ExportFileNameFor(ExtractEngineName(engine->name));
  file.resize(MAX_PATH * 4, '\0');
  const std::string filter = FileDialogFilter(IDS_DESCRIPTION_FILTER);
  OPENFILENAMEA save = {};
  save.lStructSize = sizeof(save);
  save.hwndOwner = Hwnd();
  save.lpstrFilter = filter.c_str();
  save.lpstrFile = &file[0];
  save.nMaxFile = static_cast<DWORD>(file.size());
  save.lpstrDefExt = "xml";
  save.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameA(&save))
    return;
  file.resize(file.find('\0'));
  try {
    ExportOpenSearchFile(enginePath, file);
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
}

void SettingForm::OnExportFolderClicked() {
  const FolderNode* folder = SelectedFolder();
  if (!folder)
    return;
  const std::string title = UiText(IDS_EXPORT_FOLDER_TITLE, {folder->name});
  BROWSEINFOA browse = {};
  browse.hwndOwner = Hwnd();
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
  if (!chosen)
    return;
  char dir[MAX_PATH] = {};
  const bool found = SHGetPathFromIDListA(chosen, dir) != FALSE;
  CoTaskMemFree(chosen);
  if (!found)
    return;
  std::string failed;
  for (const StoreEntry& engine : ListStoreFolder(folder->path, true).engines) {
    const std::string name = ExtractEngineName(engine.name);
    try {
      ExportOpenSearchFile(JoinPath(folder->path, engine.name), FreeFileName(dir, ExportFileNameFor(name)));
    } catch (...) {
      failed += "\r\n\r\n" + CurrentExceptionText();
    }
  }
  if (!failed.empty())
    ShowErrorBox(Hwnd(), UiText(IDS_EXPORT_SUMMARY) + failed);
}

// ---------------------------------------------------------------------------
// The engine list's context menu

void SettingForm::ShowEngineMenu(POINT screen) {
  HWND list = Control(kEngineList);
  if (screen.x == -1 && screen.y == -1) {
    // The context-menu key: at the selected item, or the list's corner.
    RECT rc = {};
    const int selected = engineList_.Selected();
    if (selected < 0 || SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(selected),
                                     reinterpret_cast<LPARAM>(&rc)) == LB_ERR)
      rc = RECT{};
    screen = {rc.left, rc.bottom};
    ClientToScreen(list, &screen);
  } else {
    // A right click selects the engine under the pointer first.
    POINT client = screen;
    ScreenToClient(list, &client);
    const LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
    if (HIWORD(hit) == 0 && static_cast<int>(LOWORD(hit)) != engineList_.Selected()) {
      engineList_.Select(LOWORD(hit));
      OnEngineSelected();
    }
  }
  if (!SelectedFolder())
    return;
  MenuHandle menu(CreatePopupMenu());
  if (!menu)
    return;
  AppendMenuA(menu.Get(), MF_STRING | (engineList_.Selected() >= 0 ? 0 : MF_GRAYED), kExportEngineCommand,
              UiText(IDS_EXPORT).c_str());
  AppendMenuA(menu.Get(), MF_STRING, kImportCommand, UiText(IDS_IMPORT).c_str());
  SetForegroundWindow(Hwnd());
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0, Hwnd(),
      nullptr));
  PostMessageA(Hwnd(), WM_NULL, 0, 0);
  if (command == kExportEngineCommand)
    OnExportEngineClicked();
  else if (command == kImportCommand)
    OnImportClicked();
}

}  // namespace kf
