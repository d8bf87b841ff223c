// The engine store: a directory tree with one INI file per engine and one
// subdirectory per folder; the Hidden attribute says what the menu leaves out.
// The menu, the search command and the settings dialog all read it here.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kf {

// Section and keys of an engine file.
extern const char kEngineSection[];  // "General"
extern const char kUrlKey[];         // "url"
extern const char kEncodeKey[];      // "encode"
// Profile values are read through a buffer of this size (2047 characters used).
constexpr DWORD kProfileValueBuffer = 2048;

// One directory entry of the store, as the directory search reported it.
struct StoreEntry {
  std::string name;
  DWORD attr = 0;

  bool IsHidden() const { return (attr & FILE_ATTRIBUTE_HIDDEN) != 0; }
};

// The engine name of an engine file: its name up to, not including, the last
// "." ("a.b.ini" -> "a.b"; no "." or ".ini" -> "").
std::string ExtractEngineName(const std::string& fileName);

// The path exists and is a directory.
bool IsDirectory(const std::string& path);
// The path exists and is not a directory.
bool IsFile(const std::string& path);

// Subfolders of dir, in enumeration order: directories whose names do not
// begin with "."; hidden ones only when includeHidden. An unreadable dir
// gives an empty list.
std::vector<StoreEntry> ListFolders(const std::string& dir, bool includeHidden);

// Engine files directly in dir, in enumeration order: entries matching
// "*.ini" that are not directories; hidden ones only when includeHidden.
std::vector<StoreEntry> ListEngineFiles(const std::string& dir, bool includeHidden);

// Whether a directory entry answers the search pattern "*.ini", which the
// platform matches against the name and against the short name where the
// file system keeps one: either ends in ".ini", in any letter case.
bool MatchesEnginePattern(const WIN32_FIND_DATAA& data);

// ListFolders and ListEngineFiles at once, from a single listing of dir:
// each result as those give it (appended to folders and engines).
void ListFolderContents(const std::string& dir, bool includeHidden, std::vector<StoreEntry>& folders,
                        std::vector<StoreEntry>& engines);

// A value of section "General" of an INI file, at most 2047 characters;
// fallback when the file, the section or the key is missing.
std::string ReadEngineValue(const std::string& iniPath, const char* key, const std::string& fallback);

// Writes a value of section "General"; throws kf::Error naming the file when
// the profile layer refuses (read-only file, missing folder, bad name).
void WriteEngineValue(const std::string& iniPath, const char* key, const std::string& value);

}  // namespace kf

#include <commctrl.h>

#include <functional>
#include <memory>

namespace kf {

// One engine of the settings dialog, as its folder was last read.
struct TData {
  std::string FileName;  // with extension, no directory
  std::string URL;
  std::string Encode;    // at most 20 characters
  DWORD Attr = 0;        // attribute word; read again after each visibility change
};

// One folder node of the settings dialog's tree.
class TDataFolder {
 public:
  std::string Path;  // the root: EngineDir with its backslash; others: no trailing backslash
  std::string Name;  // "ROOT" for the root
  std::vector<TData> Engines;
  bool IsRoot = false;
  HTREEITEM ItemId = nullptr;
};

// The dialog keeps only the first 20 characters of "encode".
constexpr std::size_t kEncodeLimit = 20;

// Called from inside a catch block when one engine file could not be read;
// the caller reports the exception being handled.
using ReadFailure = std::function<void()>;

// Appends a record for every engine file directly in dir (hidden, system and
// read-only ones included). A failure on one file is handed to onFailure, the
// record keeps what was read, and the scan goes on.
void LoadEngines(const std::string& dir, std::vector<TData>& list, const ReadFailure& onFailure);

// The first record whose engine name equals name exactly, or null.
TData* FindEngine(std::vector<TData>& list, const std::string& name);

// Changes to the store, one file-system operation each. The plain file calls
// report nothing: a failure shows only as an unchanged store at the next read.
// Each one first makes the directory it works in current, and never restores
// the previous current directory.

// Clears (show) or sets (hide) the Hidden bit of the engine file, keeping
// every other bit, and stores the attribute word read back in engine.Attr.
void SetEngineVisible(const TDataFolder& folder, TData& engine, bool show);

// Flips the Hidden bit of the folder's directory (never call it for the
// root). Returns true when the directory is hidden afterwards.
bool ToggleFolderVisibility(const TDataFolder& folder);

// Writes url then encode into folder\name.ini. Returns false, creating
// nothing, when that file exists. Throws kf::Error when a write fails.
bool CreateEngine(const TDataFolder& folder, const std::string& name, const std::string& url,
                  const std::string& encode);

// Renames the engine's file to name.ini when the name differs (the record
// follows even when the rename fails), then writes url and encode into the
// record's file. Throws kf::Error when a write fails; keys written stay.
void ModifyEngine(const TDataFolder& folder, TData& engine, const std::string& name, const std::string& url,
                  const std::string& encode);

// Deletes the engine's file for good.
void DeleteEngine(const TDataFolder& folder, const TData& engine);

// Creates the first free "KFND<n>" directory in parent and returns its path.
std::string CreateFolder(const TDataFolder& parent);

// Renames the folder's directory through the shell (undoable, silent).
// Returns the new path on success, "" when the shell refused.
std::string RenameFolder(HWND owner, const std::string& rootDir, const std::string& folderPath,
                         const std::string& parentPath, const std::string& newName);

// Moves the folder's directory to the recycle bin, silently.
void DeleteFolder(HWND owner, const std::string& rootDir, const std::string& folderPath);

// Moves fromDir\name.ini to toDir\name.ini, replacing a file of that name.
void MoveEngine(const std::string& name, const std::string& fromDir, const std::string& toDir);

// Moves the folder's directory into toDir; the platform refuses a move onto
// an existing name or into the folder itself.
void MoveFolder(const TDataFolder& folder, const std::string& toDir);

}  // namespace kf
