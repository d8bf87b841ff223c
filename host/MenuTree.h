// Reads a real menu back as a tree: what a plug-in appended to a host menu
// is checked through the menu itself, not through the plug-in's own records.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kfhost {

struct MenuItem {
  std::string caption;  // ANSI bytes as stored in the menu
  UINT id = 0;          // command id (0 for separators and popups)
  bool separator = false;
  bool checked = false;
  bool grayed = false;  // MFS_GRAYED / MFS_DISABLED
  HMENU submenu = nullptr;
  std::vector<MenuItem> children;  // the submenu's items

  bool IsPopup() const { return submenu != nullptr; }
  std::string CaptionUtf8() const;
};

std::vector<MenuItem> ReadMenu(HMENU menu);

// One line per item, two blanks of indentation per submenu level, captions in
// UTF-8:
//   Caption  #40001  [checked]
//   ----
//   Folder  >
//     No Item  #0  [grayed]
std::string MenuToText(const std::vector<MenuItem>& items);
inline std::string MenuToText(HMENU menu) { return MenuToText(ReadMenu(menu)); }

// The item reached by a path of captions separated by '/' ("Search
// engines/Web/Google"), compared as ANSI bytes; null when there is none.
const MenuItem* FindMenuItem(const std::vector<MenuItem>& items, const std::string& ansiPath);

// The item a script names by a path of patterns, one a level, separated by
// '/' (UTF-8). A pattern is a caption in which '*' stands for any run of
// characters ("*Google*"; "*" alone for any item), or "#N", the Nth item of
// its level counted from 1, separators included. So a script names a
// plug-in's items by what it made itself (engines, folders) or by place,
// and goes on working when the plug-in's wording changes. On each level the
// first item that matches and leads on to the rest of the path is taken;
// positions gets its place on each level (from 0). Null when none matches.
const MenuItem* MatchMenuPath(const std::vector<MenuItem>& items, const std::string& utf8Path,
                              std::vector<int>& positions);

}  // namespace kfhost
