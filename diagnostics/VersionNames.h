// File versions and the release names the diagnostic file gives them. Pure:
// no windows.h, so the tables can be checked without the platform.
#pragma once

#include <cstdint>
#include <string>

namespace kf {

// A file version as the fixed version information holds it.
struct FileVersion {
  std::uint16_t major = 0;
  std::uint16_t minor = 0;
  std::uint16_t build = 0;
  std::uint16_t revision = 0;
};

// A version read from a file; text is empty (and the numbers 0) when the
// file has none.
struct VersionInfo {
  FileVersion version;
  std::string text;
};

// "major.minor.build.revision" in decimal.
std::string VersionText(const FileVersion& v);
VersionInfo MakeVersionInfo(const FileVersion& v);

// 1 when a is greater, 0 when equal, -1 when smaller.
int CompareVersions(const FileVersion& a, const FileVersion& b);

// Old Shdocvw.dll files (4.70 and before) keep their build number in the
// revision field; such a version is moved to where the tables expect it.
VersionInfo ShiftBrowserVersion(const VersionInfo& read);

// Release names; "" for a version with an empty text.
std::string HtmlHelpVersionName(const VersionInfo& info);
std::string BrowserVersionName(const VersionInfo& info);

}  // namespace kf
