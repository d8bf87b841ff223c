// The engines the user searched with last, for the menu to offer first: kept
// in section "Recent" of the plug-in's INI file, keys "1" to "9", each an
// engine file's path below the store ("Web\Google.ini"), the most recent
// first, so that the list outlives the mail client.
#pragma once

#include <string>
#include <vector>

namespace kf {

// How many the menu lists, in section "General": 0 to 9; 0 lists none and
// forgets the list.
extern const char kRecentSetting[];  // "Recent"
constexpr int kDefaultRecentCount = 5;
constexpr int kMaxRecentCount = 9;

// The engine last searched with from the "Search for..." window, in section
// "General": its file's path below the store, as the list keeps paths.
extern const char kLastTypedEngineSetting[];  // "LastTypedEngine"

// The Recent setting's value; kDefaultRecentCount for anything but 0 to 9.
int RecentCount(const std::string& iniPath);

// The list as kept, the most recent first, at most kMaxRecentCount paths.
std::vector<std::string> ReadRecentEngines(const std::string& iniPath);

// The path of fullPath below storeDir (which ends in a backslash), or "" when
// it is not below it.
std::string PathBelowStore(const std::string& storeDir, const std::string& fullPath);

// Puts engine (a path below storeDir) at the top, once, and keeps at most
// count of the list, leaving out engines whose files are gone. Written only
// when the list changes; count 0 forgets it. Never throws: the list is a
// convenience, and a search must not fail for it.
void NoteRecentEngine(const std::string& iniPath, const std::string& storeDir, const std::string& engine,
                      int count) noexcept;

// Removes the list where there is one.
void ForgetRecentEngines(const std::string& iniPath) noexcept;

// An engine file or folder renamed or moved from one path below the store to
// another (a folder's without a trailing backslash): the entries of it, or
// below it, follow and keep their places; so does the last typed engine.
void MoveRecentEngines(const std::string& iniPath, const std::string& from, const std::string& to) noexcept;

}  // namespace kf
