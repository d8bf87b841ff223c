#include "RecentEngines.h"

#include <windows.h>

#include "FileSystem.h"
#include "Path.h"
#include "PluginSettings.h"
#include "Profile.h"

namespace kf {

const char kRecentSetting[] = "Recent";
const char kLastTypedEngineSetting[] = "LastTypedEngine";

namespace {

const char kRecentSection[] = "Recent";

// The list into the section, replacing whatever it held. A failure is
// passed over: the next search writes it again.
void WriteRecentEngines(const std::string& iniPath, const std::vector<std::string>& engines) {
  if (engines.empty()) {
    WritePrivateProfileStringA(kRecentSection, nullptr, nullptr, iniPath.c_str());
    return;
  }
  std::string lines;
  for (std::size_t i = 0; i < engines.size(); ++i)
    lines += std::to_string(i + 1) + '=' + engines[i] + '\0';
  lines.push_back('\0');
  WritePrivateProfileSectionA(kRecentSection, lines.c_str(), iniPath.c_str());
}

}  // namespace

int RecentCount(const std::string& iniPath) {
  const int count = ProfileInt(ReadPluginSetting(iniPath, kRecentSetting), kDefaultRecentCount);
  return count >= 0 && count <= kMaxRecentCount ? count : kDefaultRecentCount;
}

std::vector<std::string> ReadRecentEngines(const std::string& iniPath) {
  const ProfileSection section(iniPath, kRecentSection);
  std::vector<std::string> engines;
  for (int i = 1; i <= kMaxRecentCount; ++i) {
    const std::string_view engine = section.Value(std::to_string(i));
    if (!engine.empty())
      engines.emplace_back(engine);
  }
  return engines;
}

std::string PathBelowStore(const std::string& storeDir, const std::string& fullPath) {
  if (fullPath.size() <= storeDir.size() || !SameTextIgnoringCase(fullPath.substr(0, storeDir.size()), storeDir))
    return std::string();
  return fullPath.substr(storeDir.size());
}

void NoteRecentEngine(const std::string& iniPath, const std::string& storeDir, const std::string& engine,
                      int count) noexcept {
  try {
    const std::vector<std::string> before = ReadRecentEngines(iniPath);
    std::vector<std::string> after;
    if (count > 0)
      after.push_back(engine);
    for (const std::string& kept : before) {
      if (static_cast<int>(after.size()) >= count)
        break;
      if (!SameTextIgnoringCase(kept, engine) && IsFile(storeDir + kept))
        after.push_back(kept);
    }
    if (before != after)
      WriteRecentEngines(iniPath, after);
  } catch (...) {
  }
}

void ForgetRecentEngines(const std::string& iniPath) noexcept {
  try {
    if (!ReadRecentEngines(iniPath).empty())
      WriteRecentEngines(iniPath, {});
  } catch (...) {
  }
}

void MoveRecentEngines(const std::string& iniPath, const std::string& from, const std::string& to) noexcept {
  // Whether engine is the one moved, or one below the folder moved: the text
  // up to a backslash that is a character of its own (an equal text ends on
  // a character boundary); it then follows.
  const auto follow = [&from, &to](std::string& engine) {
    const bool itself = SameTextIgnoringCase(engine, from);
    const bool below = engine.size() > from.size() && engine[from.size()] == '\\' &&
                       SameTextIgnoringCase(engine.substr(0, from.size()), from);
    if (itself || below)
      engine = to + engine.substr(from.size());
    return itself || below;
  };
  try {
    std::vector<std::string> engines = ReadRecentEngines(iniPath);
    bool moved = false;
    for (std::string& engine : engines)
      moved = follow(engine) || moved;
    if (moved)
      WriteRecentEngines(iniPath, engines);
    std::string typed = ReadPluginSetting(iniPath, kLastTypedEngineSetting);
    if (!typed.empty() && follow(typed))
      WritePluginSetting(iniPath, kLastTypedEngineSetting, typed);
  } catch (...) {
  }
}

}  // namespace kf
