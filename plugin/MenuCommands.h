// What each command id of the latest "Search engines" build means: the one
// table the menu fills as it registers its commands with the host, and the
// commands read when the user picks an item.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace kf {

// One engine item of the current popup, or a favourite in the host's menu.
struct MenuEngine {
  std::string caption;   // the engine's name: the command's comment at the host
  std::string filePath;  // the engine's INI file
  std::string folder;    // its folder below the store's top, "A\B"; "" at the top
  DWORD commandId = 0;   // what the host returned when it was registered
  char accessKey = 0;    // shown as "(&X)" after the name; 0 for none
};

// A folder's "Search All" item: the engines its submenu lists, in menu
// order, are engines[first, first + count).
struct SearchAllItem {
  DWORD commandId = 0;
  std::size_t first = 0;
  std::size_t count = 0;
};

struct MenuCommands {
  // Per folder in menu order, the folders depth first, a folder's own
  // engines after those of its subfolders; then the favourites shown in
  // the host's menu.
  std::vector<MenuEngine> engines;
  std::vector<SearchAllItem> searchAll;
  // How many of engines the popup lists (the recent ones and the folders'):
  // the favourites follow them.
  std::size_t popupEngineCount = 0;

  // The engines an engine item stands for (the same engine may be listed
  // in its folder and as a favourite), copied: the message boxes of a
  // search run a message loop in which the host may build the menu again.
  // A menu item carries only the low 16 bits of the id the host gave, so
  // those are what is compared.
  std::vector<MenuEngine> EnginesOf(WORD id) const;
  // The engines of a "Search All" item, in menu order; none for another id.
  std::vector<MenuEngine> SearchAllEnginesOf(WORD id) const;
  // The engines the popup lists, in menu order: the recent ones first.
  std::vector<MenuEngine> PopupEngines() const;
};

// The latest build's table; replaced by every build.
extern MenuCommands gMenuCommands;

}  // namespace kf
