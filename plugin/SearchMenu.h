// The "Search engines" popup that the plug-in adds to the host's menus. It is
// built afresh from the engine store for every menu, and the engine commands
// of the latest build are kept in gMenuEngines for the search command.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "Handles.h"

namespace kf {

// One engine item of the current popup, or a favourite in the host's menu.
struct MenuEngine {
  std::string caption;   // the engine's name: the command's comment at the host
  std::string filePath;  // the engine's INI file
  DWORD commandId = 0;   // what the host returned when it was registered
  char accessKey = 0;    // shown as "(&X)" after the name; 0 for none
};

// A folder's "Search All" item: the engines its submenu lists, in menu
// order, are gMenuEngines[first, first + count).
struct SearchAllItem {
  DWORD commandId = 0;
  std::size_t first = 0;
  std::size_t count = 0;
};

// Engine commands of the latest build: per folder in menu order, the folders
// depth first, a folder's own engines after those of its subfolders; then
// the favourites shown in the host's menu.
extern std::vector<MenuEngine> gMenuEngines;
extern std::vector<SearchAllItem> gSearchAllItems;
extern UINT gShowAllCommandId;
// The names "Show All" and "Search All" are registered under with the host,
// in every language.
extern const char kShowAllCommandName[];
extern const char kSearchAllCommandName[];

// Favourites shown in the host's menu at most.
constexpr std::size_t kMaxFavourites = 5;


// Whether the host menu of this type gets the popup (3, 4, 11 and 12).
bool IsSearchMenuType(int menuType);

// Builds the popup afresh for the menu types 3, 4, 11 and 12 and appends it
// to the host's menu, followed by the first favourites by name; other types
// get nothing.
void AttachSearchMenu(HMENU hostMenu, int menuType);

// A build of the menu: what it lists, and what it gathers on its way.
struct MenuBuild {
  int menuType = 0;
  bool showHidden = false;
  bool searchAll = false;
  std::vector<MenuEngine> favourites;  // every listed engine with pin=1
};

// A new "Search engines" popup; gMenuEngines, gSearchAllItems and
// gShowAllCommandId are replaced by this build's, every command registered
// for build.menuType. Empty when no popup could be created (the warning has
// been shown).
MenuHandle BuildSearchMenu(MenuBuild& build);

// Folder levels shown below "Search engines". The menu system refuses a popup
// nested deeper than a fixed limit (about 30 levels under Wine; Windows has
// one too) and then loses the whole chain: "Search engines" itself would be
// left without its popup and every engine out of reach. The host's context
// menu and "Search engines" take two levels above the folders, and a host may
// hang its context menu below menus of its own; 25 leaves room for that.
// Folders deeper down are left out; the rest of the menu is always built.
constexpr int kMaxFolderDepth = 25;

// Fills menu with the folder at path (ending in a backslash): "Search All"
// when the build offers it and the folder is not the store's top, then one
// popup per listed subfolder, each filled the same way, then the folder's
// engines sorted by name, or a greyed "No Item". depth is the level of
// path's subfolders below "Search engines" (1 for the engine folder's own);
// below kMaxFolderDepth no popups are added. A failure while adding
// subfolders ends them silently; one while adding engines is shown as a
// warning.
void AddFolderItems(const std::string& path, HMENU menu, MenuBuild& build, int depth);

// The menu text of a file or folder name: every "&" doubled, so that the
// menu shows it rather than underlining the next character.
std::string MenuText(const std::string& name);
// The menu text of an engine: its name, and its access key as Japanese menus
// show one, "(&X)" after the text (a name of kanji has no letter to mark).
std::string EngineMenuText(const std::string& text, char accessKey);

// Sorts items[first..last] (inclusive) by caption in the platform's
// file-name order: single-byte characters folded to lower case (double-byte
// ones left alone), then the user locale's collation.
void SortByCaption(std::vector<MenuEngine>& items, std::size_t first, std::size_t last);

// The "Show All" command: flips gShowAll for the next build.
void WINAPI ToggleShowAll(HWND window, LPARAM param);

}  // namespace kf
