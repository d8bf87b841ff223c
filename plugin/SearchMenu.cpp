#include "SearchMenu.h"

#include <algorithm>

#include "EngineStore.h"
#include "ErrorBox.h"
#include "Handles.h"
#include "Path.h"
#include "PluginState.h"
#include "SearchCommand.h"
#include "resource.h"

namespace kf {

TArrayOfMenu MenuTable;
HMENU SearchMenu = nullptr;
UINT ShowAllCommandId = 0;

namespace {

const char kEngineFolderName[] = "Kestrelfind\\";

std::string LoadResourceText(UINT id) {
  // LoadStringA copies at most the buffer; the menu texts are short.
  char buffer[256];
  const int n = LoadStringA(PluginInstance, id, buffer, ARRAYSIZE(buffer));
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// Folds single-byte characters to lower case one at a time. A whole-string
// CharLowerBuffA would also fold the ASCII letters that are trail bytes of
// double-byte characters in some code pages, changing the character.
std::string LowerSingleByteChars(const std::string& text) {
  std::string lower = text;
  for (std::size_t i = 0; i < lower.size();) {
    if (IsDBCSLeadByte(static_cast<BYTE>(lower[i]))) {
      // A lone lead byte at the end is left alone too: converting it on its
      // own would turn it into some other byte.
      i += 2;
      continue;
    }
    CharLowerBuffA(&lower[i], 1);
    i += 1;
  }
  return lower;
}

// Both names already folded.
int CompareFoldedNames(const std::string& a, const std::string& b) {
  const int r = CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                               static_cast<int>(b.size()));
  if (r == 0)
    return a.compare(b);  // the locale refused the text: fall back to bytes
  return r - CSTR_EQUAL;
}

// The library's folder is where the engine folder is created on the fly.
void CreateEngineDir() {
  const std::string libraryDir = ExtractFileDir(ModuleFileName(PluginInstance));
  SetCurrentDirectoryA(libraryDir.c_str());
  CreateDirectoryA(kEngineFolderName, nullptr);
}

void AppendNoItem(HMENU menu) {
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, LoadResourceText(IDS_NO_ITEM).c_str());
}

}  // namespace

bool IsSearchMenuType(int menuType) {
  return menuType == 3 || menuType == 4 || menuType == 11 || menuType == 12;
}

void SortMenuRange(std::size_t first, std::size_t last) {
  if (first >= last || last >= MenuTable.size())
    return;
  // Fold each caption once rather than in every comparison.
  struct Keyed {
    std::string key;
    Tmenu entry;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(last - first + 1);
  for (std::size_t i = first; i <= last; ++i)
    keyed.push_back({LowerSingleByteChars(MenuTable[i].Caption), std::move(MenuTable[i])});
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const Keyed& x, const Keyed& y) { return CompareFoldedNames(x.key, y.key) < 0; });
  for (std::size_t i = 0; i < keyed.size(); ++i)
    MenuTable[first + i] = std::move(keyed[i].entry);
}

void AddEngineItems(const std::string& path, HMENU menu, bool showHidden, int menuType) {
  try {
    const std::size_t first = MenuTable.size();
    const std::vector<StoreEntry> files = ListEngineFiles(path, showHidden);
    if (files.empty()) {
      AppendNoItem(menu);
      return;
    }
    for (const StoreEntry& file : files) {
      Tmenu entry;
      entry.FilePath = path + file.name;
      entry.Caption = ExtractEngineName(file.name);
      entry.CommandId = BeckyAPI->RegisterCommand(entry.Caption.c_str(), menuType, SearchCommand);
      MenuTable.push_back(std::move(entry));
    }
    SortMenuRange(first, MenuTable.size() - 1);
    for (std::size_t i = first; i < MenuTable.size(); ++i)
      AppendMenuA(menu, MF_STRING, MenuTable[i].CommandId, MenuTable[i].Caption.c_str());
  } catch (...) {
    ShowCurrentException(nullptr);
  }
}

void AddFolderMenus(const std::string& path, HMENU menu, bool showHidden, int menuType) {
  try {
    for (const StoreEntry& folder : ListFolders(path, showHidden)) {
      MenuHandle sub(CreatePopupMenu());
      if (!sub)
        return;
      if (!AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub.Get()), folder.name.c_str()))
        return;
      // The parent menu owns the submenu now and destroys it with itself.
      HMENU submenu = sub.Detach();
      const std::string subPath = path + folder.name + "\\";
      AddFolderMenus(subPath, submenu, showHidden, menuType);
      AddEngineItems(subPath, submenu, showHidden, menuType);
    }
  } catch (...) {
    // A folder that cannot be walked just ends its listing; what is there stays.
  }
}

bool BuildSearchMenu(int menuType) {
  // The host may have destroyed the previous popup together with the menu it
  // was attached to; only a live menu is destroyed here.
  if (SearchMenu && IsMenu(SearchMenu))
    DestroyMenu(SearchMenu);
  SearchMenu = CreatePopupMenu();
  MenuTable.clear();
  if (!SearchMenu) {
    ShowErrorBox(nullptr, LoadResourceText(IDS_NO_MENU));
    // Nothing could hold the items: registering commands or attaching a
    // null popup to the host's menu would only leave dead entries there.
    return false;
  }

  const std::string showAllText = LoadResourceText(IDS_SHOW_ALL);
  ShowAllCommandId = BeckyAPI->RegisterCommand(showAllText.c_str(), menuType, ToggleShowAll);

  if (!IsDirectory(EngineDir))
    CreateEngineDir();

  AppendMenuA(SearchMenu, MF_STRING | (ShowAll ? MF_CHECKED : MF_UNCHECKED), ShowAllCommandId,
              showAllText.c_str());
  AppendMenuA(SearchMenu, MF_SEPARATOR, 0, nullptr);
  AddFolderMenus(EngineDir, SearchMenu, ShowAll, menuType);
  AddEngineItems(EngineDir, SearchMenu, ShowAll, menuType);
  return true;
}

void AttachSearchMenu(HMENU hostMenu, int menuType) {
  if (!IsSearchMenuType(menuType) || !BeckyAPI)
    return;
  if (!BuildSearchMenu(menuType))
    return;
  AppendMenuA(hostMenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(SearchMenu),
              LoadResourceText(IDS_SEARCH_ENGINES).c_str());
}

void WINAPI ToggleShowAll(HWND, LPARAM) {
  ShowAll = !ShowAll;
}

}  // namespace kf
