// The plug-in's own settings, in section "General" of its INI file beside
// the library (Kestrelfind.ini, where the dialog also keeps its place).
#pragma once

#include <string>

namespace kf {

// "1" offers "Search All" in every folder's submenu; anything else is off.
extern const char kSearchAllSetting[];  // "SearchAll"
// "ja" or "en" (any letter case) chooses the language of the texts;
// anything else follows the system.
extern const char kLanguageSetting[];  // "Language"
// "1" opens every engine in a private window unless its file says
// "private=0"; "Browser" is the full path of the browser for every engine
// whose file names none.
extern const char kPrivateSetting[];  // "Private"
extern const char kBrowserSetting[];  // "Browser"

// The value of a setting (blanks around it trimmed by the profile layer);
// "" when the file or the key is missing.
std::string ReadPluginSetting(const std::string& iniPath, const char* key);
// Whether the setting is exactly "1".
bool IsPluginSettingOn(const std::string& iniPath, const char* key);
// Writes a setting; throws kf::Error naming the file when it is refused.
void WritePluginSetting(const std::string& iniPath, const char* key, const std::string& value);

}  // namespace kf
