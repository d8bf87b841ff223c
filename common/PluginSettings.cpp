#include "PluginSettings.h"

#include "Profile.h"

namespace kf {

const char kSearchAllSetting[] = "SearchAll";
const char kLanguageSetting[] = "Language";
const char kPrivateSetting[] = "Private";
const char kBrowserSetting[] = "Browser";

std::string ReadPluginSetting(const std::string& iniPath, const char* key) {
  return ReadProfileText(iniPath, kGeneralSection, key, std::string());
}

bool IsPluginSettingOn(const std::string& iniPath, const char* key) { return ReadPluginSetting(iniPath, key) == "1"; }

void WritePluginSetting(const std::string& iniPath, const char* key, const std::string& value) {
  WriteProfileValue(iniPath, kGeneralSection, key, &value);
}

}  // namespace kf
