// What the settings dialog holds of the store: one node per folder of its
// tree, each with the engines of that folder as last read.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace kf {

// One engine of the dialog.
struct EngineRecord {
  std::string fileName;  // with extension, no directory
  std::string url;
  std::string encode;    // at most kEncodeLimit characters
  DWORD attr = 0;        // attribute word; read again after each visibility change
};

// One folder node of the dialog's tree.
struct FolderNode {
  std::string path;  // the root: the engine folder with its backslash; others: no trailing backslash
  std::string name;  // "ROOT" for the root
  std::vector<EngineRecord> engines;
  bool isRoot = false;
  HTREEITEM item = nullptr;
};

// The dialog keeps only the first 20 characters of "encode".
constexpr std::size_t kEncodeLimit = 20;

// Called from inside a catch block when one engine file could not be read;
// the caller reports the exception being handled.
using ReadFailure = std::function<void()>;

// Appends a record for every engine file directly in dir (hidden, system and
// read-only ones included). A failure on one file is handed to onFailure, the
// record keeps what was read, and the scan goes on.
void LoadEngineRecords(const std::string& dir, std::vector<EngineRecord>& list, const ReadFailure& onFailure);

// The first record whose engine name equals name exactly, or null.
EngineRecord* FindEngine(std::vector<EngineRecord>& list, const std::string& name);

}  // namespace kf
