#include "SearchMenu.h"

#include <algorithm>
#include <string>
#include <vector>

#include "AsciiText.h"
#include "Dbcs.h"
#include "EngineStore.h"
#include "ErrorBox.h"
#include "Handles.h"
#include "MenuCommands.h"
#include "MenuMemory.h"
#include "MenuSort.h"
#include "Path.h"
#include "PluginSettings.h"
#include "PluginState.h"
#include "RecentEngines.h"
#include "SearchCommand.h"
#include "SearchForWindow.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

namespace {

// The names "Show All" and "Search All" are registered under with the host,
// in every language: the host may keep them.
const char kShowAllCommandName[] = "Show All";
const char kSearchAllCommandName[] = "Search All";
const char kSearchForCommandName[] = "Search for";

// Favourites shown in the host's menu at most.
constexpr std::size_t kMaxFavourites = 5;

// Folder levels shown below "Search engines". The menu system refuses a popup
// nested deeper than a fixed limit (about 30 levels under Wine; Windows has
// one too) and then loses the whole chain: "Search engines" itself would be
// left without its popup and every engine out of reach. The host's context
// menu and "Search engines" take two levels above the folders, and a host may
// hang its context menu below menus of its own; 25 leaves room for that.
// Folders deeper down are left out; the rest of the menu is always built.
constexpr int kMaxFolderDepth = 25;

// What the menu remembers of the engine files between builds, and between
// loads through its index beside the library.
MenuMemory gMenuMemory;
bool gRecalled = false;

std::string MenuIndexPath() { return ChangeFileExt(gPluginIniPath, ".idx"); }

bool IsSearchMenuType(int menuType) { return menuType == 3 || menuType == 4 || menuType == 11 || menuType == 12; }

// The menu text of a file or folder name: every "&" doubled, so that the
// menu shows it rather than underlining the next character. "&" (0x26) is
// never the second byte of a double-byte character in the ANSI code pages
// (their trail bytes start at 0x40): doubling by byte is safe.
std::string MenuText(const std::string& name) {
  std::string text;
  text.reserve(name.size() + 2);
  for (char c : name) {
    text.push_back(c);
    if (c == '&')
      text.push_back('&');
  }
  return text;
}

// The menu text of an engine's item: before, the engine's name and after,
// with the engine's access key marked as menus of the language do. English
// underlines the first letter of the name that is the key, in either case,
// and adds "(&X)" only where the name lacks it; Japanese always adds "(&X)"
// (a name of kanji has no letter to mark).
std::string EngineMenuText(const std::string& before, const std::string& name, const std::string& after,
                           char accessKey) {
  std::size_t mark = std::string::npos;
  if (accessKey && CurrentUiLanguage() == UiLanguage::English) {
    // Character by character: a trail byte of a double-byte character may
    // look like a letter.
    for (std::size_t i = 0; i < name.size() && mark == std::string::npos; i += CharLength(name, i, IsAnsiLeadByte)) {
      if (ToUpperAscii(name[i]) == accessKey)
        mark = i;
    }
  }
  std::string text = MenuText(before);
  if (mark == std::string::npos) {
    text += MenuText(name) + MenuText(after);
    if (accessKey)
      text += std::string("(&") + accessKey + ")";
  } else {
    text += MenuText(name.substr(0, mark)) + '&' + MenuText(name.substr(mark)) + MenuText(after);
  }
  return text;
}

void WINAPI ToggleShowAll(HWND, LPARAM) { gShowAll = !gShowAll; }

// Whether another engine of a list has the same name: then each shows its
// folder, so that the user can tell them apart.
bool SharesItsName(const std::vector<MenuEngine>& engines, std::size_t index) {
  for (std::size_t i = 0; i < engines.size(); ++i) {
    if (i != index && SameTextIgnoringCase(engines[i].caption, engines[index].caption))
      return true;
  }
  return false;
}

// Whether the menu lists the engine at path below the store: its file is
// there, plainly below the store (the list is a file anyone may edit), and
// neither it nor a folder above it is hidden, unless hidden ones are shown.
bool IsListedEngine(const std::string& engine, bool showHidden) {
  if (engine.empty() || engine[0] == '\\' || FindChar(engine, ':', IsAnsiLeadByte) != std::string::npos)
    return false;
  std::string path = gEngineDir;
  for (std::size_t start = 0; start <= engine.size();) {
    std::size_t end = FindText(engine, "\\", start, IsAnsiLeadByte);
    if (end == std::string::npos)
      end = engine.size();
    const std::string part = engine.substr(start, end - start);
    if (part.empty() || part == "." || part == "..")
      return false;
    path += part;
    const DWORD attr = GetFileAttributesA(path.c_str());
    const bool last = end == engine.size();
    if (attr == INVALID_FILE_ATTRIBUTES || ((attr & FILE_ATTRIBUTE_DIRECTORY) != 0) == last ||
        (!showHidden && (attr & FILE_ATTRIBUTE_HIDDEN)))
      return false;
    path += '\\';
    start = end + 1;
  }
  return true;
}

// One build of the popup: it registers every command with the host for
// menuType and records what each means.
class MenuBuild {
 public:
  MenuBuild(int menuType, bool showHidden, bool searchAll)
      : menuType_(menuType), showHidden_(showHidden), searchAll_(searchAll) {}

  // "Show All", "Search for...", a separator, the engines used last, then
  // the store's folders and engines.
  void FillPopup(HMENU popup);
  // The first favourites by name, appended to the host's menu.
  void AppendFavourites(HMENU hostMenu);
  MenuCommands TakeCommands() { return std::move(commands_); }

 private:
  // Fills menu with the folder at path (ending in a backslash), folder being
  // its path below the store's top: "Search All" when the build offers it
  // and the folder is not the store's top, then one popup per listed
  // subfolder, each filled the same way, then the folder's engines sorted
  // by name, or a greyed "No Item". depth is the level of path's subfolders
  // below "Search engines" (1 for the store's top); below kMaxFolderDepth no
  // popups are added.
  void AddFolder(const std::string& path, const std::string& folder, HMENU menu, int depth);
  // The engines used last that are listed, numbered "&1 NAME" on, and a
  // separator; nothing while there are none. Their own keys are not shown:
  // the digits are theirs here. The list is a convenience: a failure leaves
  // it out.
  void AddRecentEngines(HMENU menu) noexcept;
  // "Search All (N)" and its separator; the index of its record, or -1 when
  // the folder does not offer it.
  int OfferSearchAll(HMENU menu, int depth, std::size_t engineCount);
  // A failure while adding subfolders ends them silently: what is there stays.
  void AddSubfolders(const std::string& path, const std::string& folder, const std::vector<StoreEntry>& folders,
                     HMENU menu, int depth) noexcept;
  // The engines of path sorted by name, each registered with the host, or a
  // greyed "No Item"; favourites are gathered. A failure is shown.
  void AddEngines(const std::string& path, const std::string& folder, const std::vector<StoreEntry>& files,
                  HMENU menu, int searchAllIndex) noexcept;
  void AppendEngines(const std::string& path, const std::string& folder, const std::vector<StoreEntry>& files,
                     HMENU menu);

  int menuType_;
  bool showHidden_;
  bool searchAll_;
  MenuCommands commands_;
  std::vector<MenuEngine> favourites_;  // every listed engine with pin=1
};

void MenuBuild::FillPopup(HMENU popup) {
  const UINT showAllId = gBeckyApi->RegisterCommand(kShowAllCommandName, menuType_, ToggleShowAll);
  AppendMenuA(popup, MF_STRING | (gShowAll ? MF_CHECKED : MF_UNCHECKED), showAllId, UiText(IDS_SHOW_ALL).c_str());
  const UINT searchForId = gBeckyApi->RegisterCommand(kSearchForCommandName, menuType_, SearchForCommand);
  AppendMenuA(popup, MF_STRING, searchForId, UiText(IDS_SEARCH_FOR).c_str());
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  EnsureStoreFolder(gEngineDir);
  AddRecentEngines(popup);
  AddFolder(gEngineDir, std::string(), popup, 1);
  // What "Search for..." lists: everything so far; the favourites follow.
  commands_.popupEngineCount = commands_.engines.size();
}

void MenuBuild::AddRecentEngines(HMENU menu) noexcept {
  try {
    const int count = RecentCount(gPluginIniPath);
    if (count == 0) {
      ForgetRecentEngines(gPluginIniPath);
      return;
    }
    std::vector<MenuEngine> recent;
    for (const std::string& engine : ReadRecentEngines(gPluginIniPath)) {
      if (static_cast<int>(recent.size()) == count)
        break;
      if (!IsListedEngine(engine, showHidden_))
        continue;
      MenuEngine entry;
      entry.filePath = gEngineDir + engine;
      entry.caption = ExtractEngineName(ExtractFileName(engine));
      entry.folder = ExcludeTrailingBackslash(ExtractFilePath(engine));
      recent.push_back(std::move(entry));
    }
    for (std::size_t i = 0; i < recent.size(); ++i) {
      MenuEngine& engine = recent[i];
      engine.commandId = gBeckyApi->RegisterCommand(engine.caption.c_str(), menuType_, SearchCommand);
      std::string text = "&" + std::to_string(i + 1) + " " + MenuText(engine.caption);
      if (!engine.folder.empty() && SharesItsName(recent, i))
        text += " (" + MenuText(engine.folder) + ")";
      AppendMenuA(menu, MF_STRING, engine.commandId, text.c_str());
      commands_.engines.push_back(engine);
    }
    if (!recent.empty())
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  } catch (...) {
  }
}

void MenuBuild::AddFolder(const std::string& path, const std::string& folder, HMENU menu, int depth) {
  FolderListing listing;
  try {
    listing = ListStoreFolder(path, showHidden_);
  } catch (...) {
    ShowCurrentException(nullptr);
    return;
  }
  const int searchAllIndex = OfferSearchAll(menu, depth, listing.engines.size());
  if (depth <= kMaxFolderDepth)
    AddSubfolders(path, folder, listing.folders, menu, depth);
  AddEngines(path, folder, listing.engines, menu, searchAllIndex);
}

int MenuBuild::OfferSearchAll(HMENU menu, int depth, std::size_t engineCount) {
  // Not in "Search engines" itself: a folder is what the user groups
  // engines by, the whole store is not.
  if (!searchAll_ || depth <= 1 || engineCount < 2)
    return -1;
  try {
    SearchAllItem item;
    item.commandId = gBeckyApi->RegisterCommand(kSearchAllCommandName, menuType_, SearchAllCommand);
    commands_.searchAll.push_back(item);
    AppendMenuA(menu, MF_STRING, item.commandId, UiText(IDS_SEARCH_ALL, {std::to_string(engineCount)}).c_str());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    return static_cast<int>(commands_.searchAll.size() - 1);
  } catch (...) {
    ShowCurrentException(nullptr);
    return -1;
  }
}

void MenuBuild::AddSubfolders(const std::string& path, const std::string& folder,
                              const std::vector<StoreEntry>& folders, HMENU menu, int depth) noexcept {
  try {
    for (const StoreEntry& sub : folders) {
      MenuHandle popup(CreatePopupMenu());
      if (!popup || !AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup.Get()),
                                 MenuText(sub.name).c_str()))
        return;
      // The parent menu owns the submenu now and destroys it with itself.
      const HMENU submenu = popup.Detach();
      AddFolder(path + sub.name + "\\", folder.empty() ? sub.name : folder + "\\" + sub.name, submenu, depth + 1);
    }
  } catch (...) {
  }
}

void MenuBuild::AddEngines(const std::string& path, const std::string& folder, const std::vector<StoreEntry>& files,
                           HMENU menu, int searchAllIndex) noexcept {
  try {
    const std::size_t first = commands_.engines.size();
    AppendEngines(path, folder, files, menu);
    if (searchAllIndex >= 0) {
      SearchAllItem& item = commands_.searchAll[static_cast<std::size_t>(searchAllIndex)];
      item.first = first;
      item.count = commands_.engines.size() - first;
    }
  } catch (...) {
    ShowCurrentException(nullptr);
  }
}

void MenuBuild::AppendEngines(const std::string& path, const std::string& folder,
                              const std::vector<StoreEntry>& files, HMENU menu) {
  if (files.empty()) {
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, UiText(IDS_NO_ITEM).c_str());
    return;
  }
  // No reserve to the folder's exact count: a store of many folders would
  // move every engine listed before at each folder. The vector's own growth
  // moves each about twice in all.
  std::vector<MenuEngine>& engines = commands_.engines;
  const std::size_t first = engines.size();
  std::string listedNames;
  for (const StoreEntry& file : files) {
    listedNames += file.name;
    listedNames.push_back('\0');
    MenuEngine entry;
    entry.filePath = path + file.name;
    entry.caption = ExtractEngineName(file.name);
    entry.folder = folder;
    const EngineMenuTraits traits = gMenuMemory.TraitsOf(entry.filePath, file);
    entry.accessKey = traits.accessKey;
    entry.commandId = gBeckyApi->RegisterCommand(entry.caption.c_str(), menuType_, SearchCommand);
    if (traits.favourite)
      favourites_.push_back(entry);
    engines.push_back(std::move(entry));
  }
  // The folder lists what it listed last time: the order is what it was
  // (one from the index is checked: a file anyone may edit).
  bool fromIndex = false;
  const std::vector<std::size_t>* order = gMenuMemory.OrderOf(path, listedNames, fromIndex);
  if (order && (!fromIndex || IsCaptionOrder(engines, first, *order))) {
    ApplyOrder(engines, first, *order);
  } else {
    std::vector<std::size_t> fresh = CaptionOrder(engines, first, engines.size() - 1);
    ApplyOrder(engines, first, fresh);
    gMenuMemory.KeepOrder(path, std::move(listedNames), std::move(fresh));
  }
  for (std::size_t i = first; i < engines.size(); ++i)
    AppendMenuA(menu, MF_STRING, engines[i].commandId,
                EngineMenuText(std::string(), engines[i].caption, std::string(), engines[i].accessKey).c_str());
}

void MenuBuild::AppendFavourites(HMENU hostMenu) {
  if (favourites_.empty())
    return;
  SortByCaption(favourites_, 0, favourites_.size() - 1);
  if (favourites_.size() > kMaxFavourites)
    favourites_.resize(kMaxFavourites);
  for (std::size_t i = 0; i < favourites_.size(); ++i) {
    MenuEngine& favourite = favourites_[i];
    // Registered again for the host's menu: the same engine keeps its own
    // item in its folder.
    favourite.commandId = gBeckyApi->RegisterCommand(favourite.caption.c_str(), menuType_, SearchCommand);
    // "Search with %1": the text on either side of the name.
    const std::string pattern = UiText(IDS_SEARCH_WITH);
    const std::size_t at = std::min(pattern.find("%1"), pattern.size());
    std::string after = FillPlaceholders(pattern.substr(std::min(at + 2, pattern.size())), {});
    if (!favourite.folder.empty() && SharesItsName(favourites_, i))
      after += " (" + favourite.folder + ")";
    AppendMenuA(hostMenu, MF_STRING, favourite.commandId,
                EngineMenuText(FillPlaceholders(pattern.substr(0, at), {}), favourite.caption, after,
                               favourite.accessKey)
                    .c_str());
    commands_.engines.push_back(favourite);
  }
}

}  // namespace

void AttachSearchMenu(HMENU hostMenu, int menuType) {
  if (!IsSearchMenuType(menuType) || !gBeckyApi || !gBeckyApi->IsUsable())
    return;
  // The commands of the menu before are the host's no longer.
  gMenuCommands = MenuCommands();
  if (!gRecalled) {
    gRecalled = true;
    gMenuMemory.Recall(MenuIndexPath(), gEngineDir);
  }
  MenuHandle popup(CreatePopupMenu());
  if (!popup) {
    // Nothing could hold the items: registering commands or attaching a
    // null popup to the host's menu would only leave dead entries there.
    ShowErrorBox(nullptr, UiText(IDS_NO_MENU));
    return;
  }
  MenuBuild build(menuType, gShowAll, IsPluginSettingOn(gPluginIniPath, kSearchAllSetting));
  build.FillPopup(popup.Get());
  // The host's menu owns the popup from here on, and destroys it with
  // itself; the plug-in keeps no handle to it.
  if (AppendMenuA(hostMenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup.Get()),
                  UiText(IDS_SEARCH_ENGINES).c_str())) {
    popup.Detach();
    try {
      build.AppendFavourites(hostMenu);
    } catch (...) {
      ShowCurrentException(nullptr);
    }
  }
  gMenuCommands = build.TakeCommands();
}

void KeepMenuMemory() noexcept {
  try {
    // Nothing to keep before the first menu; a failed write only costs the
    // next start a read of every engine file.
    if (gRecalled)
      gMenuMemory.Keep(MenuIndexPath(), gEngineDir);
  } catch (...) {
  }
}

}  // namespace kf
