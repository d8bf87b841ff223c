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

// A value of section "General" of an INI file, at most 2047 characters;
// fallback when the file, the section or the key is missing.
std::string ReadEngineValue(const std::string& iniPath, const char* key, const std::string& fallback);

// Writes a value of section "General"; throws kf::Error naming the file when
// the profile layer refuses (read-only file, missing folder, bad name).
void WriteEngineValue(const std::string& iniPath, const char* key, const std::string& value);

}  // namespace kf
