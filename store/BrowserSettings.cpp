#include "BrowserSettings.h"

#include <windows.h>

#include "PluginSettings.h"
#include "Profile.h"
#include "WideText.h"

namespace kf {

namespace {

// A browser's path as written in a settings file, its environment variables
// expanded (a browser installed per user lives under %LOCALAPPDATA%).
std::wstring ExpandedPath(const std::string& path) {
  const std::wstring written = AnsiToWide(path);
  if (written.find(L'%') == std::wstring::npos)
    return written;
  std::wstring expanded(MAX_PATH, L'\0');
  for (;;) {
    const DWORD needed = ExpandEnvironmentStringsW(written.c_str(), &expanded[0], static_cast<DWORD>(expanded.size()));
    if (needed == 0)
      return written;
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return expanded;
    }
    expanded.resize(needed);
  }
}

}  // namespace

BrowserChoice ReadBrowserChoice(std::string_view enginePrivate, const std::string& engineBrowser,
                                const std::string& pluginIniPath) {
  const ProfileSection settings(pluginIniPath, kGeneralSection);
  return ChooseBrowser(enginePrivate, ExpandedPath(engineBrowser), settings.Value(kPrivateSetting),
                       ExpandedPath(std::string(settings.Value(kBrowserSetting))));
}

}  // namespace kf
