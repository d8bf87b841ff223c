// The engine store: a directory tree beside the plug-in with one INI file per
// engine and one subdirectory per folder; the Hidden attribute says what the
// menu leaves out. The menu, the search command and the settings dialog all
// read and change it here, by path.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kf {

// The store's folder beside the plug-in library (and beside Kestrelclean's
// idea of it in the host's data folders).
constexpr char kEngineFolderName[] = "Kestrelfind";

// Section and keys of an engine file.
extern const char kEngineSection[];  // "General"
extern const char kUrlKey[];         // "url"
extern const char kEncodeKey[];      // "encode"
// Profile values are read through a buffer of this size (2047 characters used).
constexpr DWORD kProfileValueBuffer = 2048;
// The longest value an engine file gives back as it was written.
constexpr std::size_t kMaxEngineValue = kProfileValueBuffer - 1;

// One directory entry of the store, as the directory search reported it.
struct StoreEntry {
  std::string name;
  DWORD attr = 0;
  FILETIME written = {0, 0};
  ULONGLONG size = 0;

  bool IsHidden() const { return (attr & FILE_ATTRIBUTE_HIDDEN) != 0; }
};

// The engine name of an engine file: its name up to, not including, the last
// "." ("a.b.ini" -> "a.b"; no "." or ".ini" -> "").
std::string ExtractEngineName(const std::string& fileName);

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

// Keys of an engine file besides "url" and "encode".
extern const char kCleanKey[];  // "clean": "0" keeps the selection as it is
extern const char kPinKey[];    // "pin": "1" makes the engine a favourite
extern const char kAccessKey[];  // "key": its access key, one letter or digit

// What the search menu shows of an engine besides its name.
struct EngineMenuTraits {
  bool favourite = false;  // pin=1 exactly
  char accessKey = 0;      // key= one ASCII letter (upper case) or digit; 0 for none
};

// The traits of the engine file at path, listed as entry. A file is read
// again only when its time or size changed since it was last read, so that
// a menu of thousands of engines does not read them all at every build.
EngineMenuTraits MenuTraitsOf(const std::string& path, const StoreEntry& entry);

// The access key a value of "key" gives: one ASCII letter (as upper case) or
// digit, 0 for anything else.
char AccessKeyOf(const std::string& value);

// A value of section "General" of an INI file, at most 2047 characters;
// fallback when the file, the section or the key is missing.
std::string ReadEngineValue(const std::string& iniPath, const char* key, const std::string& fallback);

// Why a URL cannot be stored as it is: the profile layer cuts a value at
// kMaxEngineValue characters, and a line break ends it (and with it the
// file's line).
enum class UrlProblem { None, TooLong, ControlCharacter };
UrlProblem CheckEngineUrl(const std::string& url);

// Writes a value of section "General"; throws kf::Error naming the file when
// the profile layer refuses (read-only file, missing folder, bad name).
void WriteEngineValue(const std::string& iniPath, const char* key, const std::string& value);
// Removes a key of section "General"; throws kf::Error as WriteEngineValue.
void RemoveEngineValue(const std::string& iniPath, const char* key);

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

// Deletes the engine's file for good.
void DeleteEngine(const std::string& enginePath);

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
