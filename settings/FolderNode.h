// What the settings dialog holds of the store: one node per folder of its
// tree, and the engines of the folder selected, as its directory lists them.
// Engine files are read only for the engine the user selects.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "EngineStore.h"

namespace kf {

// One folder node of the dialog's tree.
struct FolderNode {
  std::string path;  // the root: the engine folder with its backslash; others: no trailing backslash
  std::string name;  // "ROOT" for the root
  std::vector<StoreEntry> engines;  // listed when the folder is selected
  bool isRoot = false;
  HTREEITEM item = nullptr;
};

// The dialog keeps only the first 20 characters of "encode".
constexpr std::size_t kEncodeLimit = 20;

}  // namespace kf
