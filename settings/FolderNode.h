// What the settings dialog holds of the store: one node per folder of its
// tree, and the engines of the folder selected, as the directories list
// them. Engine files are read only for the engine the user selects.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace kf {

// One engine of the dialog's list.
struct EngineRecord {
  std::string fileName;  // with extension, no directory
  DWORD attr = 0;        // attribute word; read again after each visibility change
};

// One folder node of the dialog's tree.
struct FolderNode {
  std::string path;  // the root: the engine folder with its backslash; others: no trailing backslash
  std::string name;  // "ROOT" for the root
  std::vector<EngineRecord> engines;  // listed when the folder is selected
  bool isRoot = false;
  HTREEITEM item = nullptr;
};

// The dialog keeps only the first 20 characters of "encode".
constexpr std::size_t kEncodeLimit = 20;

// Every engine file directly in dir (hidden, system and read-only ones
// included), from the directory listing alone.
std::vector<EngineRecord> ListEngineRecords(const std::string& dir);

// The first record whose engine name equals name exactly, or null.
EngineRecord* FindEngine(std::vector<EngineRecord>& list, const std::string& name);

}  // namespace kf
