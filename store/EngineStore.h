// The engine store: a directory tree beside the plug-in with one INI file per
// engine and one subdirectory per folder; the Hidden attribute says what the
// menu leaves out. The menu, the search command and the settings dialog all
// list, read and change it here, by path.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace kf {

// The store's folder beside the plug-in library (and beside Kestrelclean's
// idea of it in the host's data folders).
constexpr char kEngineFolderName[] = "Kestrelfind";

// Keys of an engine file, in its section "General" (kGeneralSection).
extern const char kUrlKey[];     // "url"
extern const char kEncodeKey[];  // "encode"
extern const char kCleanKey[];   // "clean": "0" keeps the selection as it is
extern const char kPinKey[];     // "pin": "1" makes the engine a favourite
extern const char kAccessKey[];  // "key": its access key, one letter or digit
// An engine that posts a form: "method" says "post" (any letter case), "post"
// is the form body, "name=value" pairs joined by "&" with [WORD] for the
// word; the URL is the form's action.
extern const char kMethodKey[];  // "method"
extern const char kPostKey[];    // "post"
extern const char kPostMethod[];  // "post"
// Where the engine's searches open: "private" "1" in a private window, "0"
// never in one (whatever the setting for all engines says); "browser" the
// full path of the browser's program.
extern const char kPrivateKey[];  // "private"
extern const char kBrowserKey[];  // "browser"

// One directory entry of the store, as the directory search reported it.
struct StoreEntry {
  std::string name;  // file name with its extension, or folder name
  DWORD attr = 0;
  FILETIME written = {0, 0};
  ULONGLONG size = 0;

  bool IsHidden() const { return (attr & FILE_ATTRIBUTE_HIDDEN) != 0; }
};

// The engine name of an engine file: its name up to, not including, the last
// "." ("a.b.ini" -> "a.b"; no "." or ".ini" -> "").
std::string ExtractEngineName(const std::string& fileName);

// What one folder of the store holds, from a single listing of its
// directory, in enumeration order: its subfolders (directories whose names
// do not begin with ".") and its engine files (entries that answer the
// pattern "*.ini", as the platform matches it: the name or, where the file
// system keeps one, the short name ends in ".ini" in any letter case).
// Hidden entries only when includeHidden. An unreadable directory holds
// nothing.
struct FolderListing {
  std::vector<StoreEntry> folders;
  std::vector<StoreEntry> engines;
};
enum class Listed { FoldersAndEngines, FoldersOnly };
FolderListing ListStoreFolder(const std::string& dir, bool includeHidden,
                              Listed listed = Listed::FoldersAndEngines);

// The first engine of engines whose engine name is name exactly, or null.
StoreEntry* FindEngine(std::vector<StoreEntry>& engines, const std::string& name);

// Creates the store's top folder where it is missing, by its full path (the
// process's current directory is the host's): the first engine must have
// somewhere to go.
void EnsureStoreFolder(const std::string& storeDir);

// The access key a value of "key" gives: one ASCII letter (as upper case) or
// digit, 0 for anything else.
char AccessKeyOf(std::string_view value);

// A value of an engine file, at most kMaxProfileValue characters; fallback
// when the file or the key is missing. Where a key stands on several lines
// its first one counts, for every reader of the store.
std::string ReadEngineValue(const std::string& iniPath, const char* key, const std::string& fallback);

// Why a URL cannot be stored as it is: the profile layer cuts a value at
// kMaxProfileValue characters, and a line break ends it (and with it the
// file's line).
enum class UrlProblem { None, TooLong, ControlCharacter };
UrlProblem CheckEngineUrl(const std::string& url);

// Changes to the store, one file-system operation each, on full paths: the
// process's current directory belongs to the host and is never changed. A
// failure throws kf::Error saying what was tried, on which path, and the
// system's reason.

// Clears (show) or sets (hide) the Hidden bit of the engine file, keeping
// every other bit; returns the attribute word read back.
DWORD SetEngineVisible(const std::string& enginePath, bool show);

// Flips the Hidden bit of the folder's directory (never call it for the
// root). Returns true when the directory is hidden afterwards.
bool ToggleFolderVisibility(const std::string& folderPath);

// What the settings dialog writes of an engine.
struct EngineFields {
  std::string url;
  std::string encode;
  bool favourite = false;  // pin=1; the key is removed when false
  char accessKey = 0;      // key=X; the key is removed when 0
  bool post = false;       // method=post and post=postBody; both removed when false
  std::string postBody{};
  std::string privateWindow{};  // "1" or "0"; the key is removed when ""
  std::string browser{};        // the key is removed when ""
};

// Writes the fields into dir\name.ini (url first) and reads the URL back.
// Returns false, creating nothing, when that file exists. Throws kf::Error
// when a write fails or the URL does not read back as written.
bool CreateEngine(const std::string& dir, const std::string& name, const EngineFields& fields);

// Renames dir\fileName to name.ini when the name differs, then writes the
// fields into it. Returns the engine's file name. Throws kf::Error when the
// rename fails (nothing is written then) or a write fails (keys written stay).
std::string ModifyEngine(const std::string& dir, const std::string& fileName, const std::string& name,
                         const EngineFields& fields);

// Moves the engine's file to the recycle bin, as DeleteFolder does a folder:
// a wrong click loses nothing.
void DeleteEngine(HWND owner, const std::string& enginePath);

// The engine files in the folder and in every folder below it, hidden ones
// too: what deleting the folder takes with it.
std::size_t CountEnginesBelow(const std::string& folderPath);

// Creates a "KFND<n>" directory in parentDir, n the first number no file or
// folder there has taken, and returns its path.
std::string CreateFolder(const std::string& parentDir);

// Renames the folder's directory through the shell (undoable, silent) and
// returns its new path.
std::string RenameFolder(HWND owner, const std::string& folderPath, const std::string& parentPath,
                         const std::string& newName);

// Moves the folder's directory with everything in it to the recycle bin.
void DeleteFolder(HWND owner, const std::string& folderPath);

// Moves fromDir\name.ini to toDir\name.ini, replacing a file of that name.
void MoveEngine(const std::string& name, const std::string& fromDir, const std::string& toDir);

// Moves the folder's directory into toDir under its own name. A folder of
// that name in toDir is never replaced; the platform refuses a move into the
// folder itself.
void MoveFolder(const std::string& folderPath, const std::string& toDir);

}  // namespace kf
