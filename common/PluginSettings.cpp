#include "PluginSettings.h"

#include <windows.h>

namespace kf {

const char kSettingsSection[] = "General";
const char kSearchAllSetting[] = "SearchAll";
const char kLanguageSetting[] = "Language";

std::string ReadPluginSetting(const std::string& iniPath, const char* key) {
  char value[64] = "";
  const DWORD n = GetPrivateProfileStringA(kSettingsSection, key, "", value, ARRAYSIZE(value), iniPath.c_str());
  return std::string(value, n);
}

bool IsPluginSettingOn(const std::string& iniPath, const char* key) { return ReadPluginSetting(iniPath, key) == "1"; }

}  // namespace kf
