// Synthetic engine stores for the benchmark, and the floors: the least work
// any implementation must do on the same store.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kfbench {

struct StoreShape {
  int engines;  // in all
  int folders;  // the engine folder itself counts as one
};

std::string ShapeLabel(const StoreShape& shape);

// Empties dir and fills it: folders - 1 subfolders directly in dir, the
// engines dealt round-robin over dir and those subfolders. Names are mixed-
// case pseudo-random words, so that neither the listing nor the byte order
// is the menu's order. Returns the name of one engine of dir itself.
std::string GenerateStore(const std::string& dir, const StoreShape& shape, const std::string& urlTemplate);

// The menu's floor: walks the tree with FindFirstFileA / FindNextFileA and
// appends "Show All", a separator, one popup per folder and one item per
// engine to a new popup menu, in listing order. The caller destroys it.
HMENU FloorMenu(const std::string& engineDir);

// Empties dir and makes one subfolder of it, named folder, holding engines
// engine files that all open urlTemplate: a folder for "Search All".
void GenerateFolderStore(const std::string& dir, const std::string& folder, int engines,
                         const std::string& urlTemplate);

// A tree-view control made as the settings dialog makes its folder tree
// (class, styles, extended styles), a child of parent. The caller destroys it.
HWND CreateFloorTree(HWND parent);

// The dialog's floor: walks the tree with FindFirstFileA / FindNextFileA and
// inserts one item per folder, the engine folder itself included, into tree
// in listing order. No file is read. Returns the number of items inserted.
int FloorFolderTree(HWND tree, const std::string& engineDir);

// What a dialog that reads every engine file must do: walks the tree and
// reads both keys of every engine once through the profile functions.
// Returns the number of engines read.
int FloorReadStore(const std::string& engineDir);

}  // namespace kfbench
