#include "VersionNames.h"

#include <cstddef>
#include <iterator>

namespace kf {

namespace {

struct TReleaseRow {
  FileVersion threshold;
  const char* name;
};

// The first row matches a version above its threshold, every other row one
// at or above it; a version below them all gets the fallback.
template <std::size_t N>
std::string ReleaseName(const VersionInfo& info, const TReleaseRow (&rows)[N], const char* fallback) {
  if (info.text.empty())
    return std::string();
  for (std::size_t i = 0; i < N; ++i) {
    const int c = CompareVersions(info.version, rows[i].threshold);
    if (i == 0 ? c > 0 : c >= 0)
      return rows[i].name;
  }
  return fallback;
}

const TReleaseRow kHtmlHelpReleases[] = {
    {{4, 74, 8793, 0}, "> 1.31"}, {{4, 74, 8793, 0}, "1.31"}, {{4, 74, 8702, 0}, "1.3"},
    {{4, 73, 8561, 0}, "1.22"},   {{4, 73, 8474, 0}, "1.21a"}, {{4, 73, 8412, 0}, "1.21"},
    {{4, 73, 8252, 0}, "1.2"},    {{4, 72, 8164, 0}, "1.1b"},  {{4, 72, 7325, 0}, "1.1a"},
    {{4, 72, 7323, 0}, "1.1"},    {{4, 72, 7290, 0}, "1.0"},
};

const TReleaseRow kBrowserReleases[] = {
    {{5, 50, 3825, 1300}, "> Internet Explorer 5.5 Developer Preview"},
    {{5, 50, 3825, 1300}, "Internet Explorer 5.5 Developer Preview"},
    {{5, 0, 2919, 6400}, "Internet Explorer 5.01"},
    {{5, 0, 2919, 6307}, "Internet Explorer 5.01"},
    {{5, 0, 2919, 3800}, "Internet Explorer 5.01 (Windows 2000 RC2, build 5.00.2128)"},
    {{5, 0, 2919, 800}, "Internet Explorer 5.01 (Windows 2000 RC1, build 5.00.2072)"},
    {{5, 0, 2723, 2900}, "Internet Explorer 5.0 updated"},
    {{5, 0, 2721, 1400}, "Internet Explorer 5.0 updated"},
    {{5, 0, 2614, 0}, "Internet Explorer 5.0b"},
    {{5, 0, 2314, 0}, "Internet Explorer 5.0a"},
    {{5, 0, 2014, 0}, "Internet Explorer 5.0"},
    {{5, 0, 910, 0}, "Internet Explorer 5 Beta (Beta 2)"},
    {{5, 0, 518, 0}, "Internet Explorer 5 Developer Preview (Beta 1)"},
    {{4, 72, 3612, 0}, "Internet Explorer 4.01 Service Pack 2 (SP2)"},
    {{4, 72, 3110, 0}, "Internet Explorer 4.01 Service Pack 1 (SP1)"},
    {{4, 72, 2106, 0}, "Internet Explorer 4.01"},
    {{4, 71, 1712, 0}, "Internet Explorer 4.0"},
    {{4, 71, 1008, 0}, "Internet Explorer 4.0 Platform Preview 2.0 (PP2)"},
    {{4, 71, 544, 0}, "Internet Explorer 4.0 Platform Preview 1.0 (PP1)"},
    {{4, 70, 1300, 0}, "Internet Explorer 3.02"},
    {{4, 70, 1215, 0}, "Internet Explorer 3.01"},
    {{4, 70, 1158, 0}, "Internet Explorer 3.0 (OSR2)"},
    {{4, 70, 1155, 0}, "Internet Explorer 3.0"},
    {{4, 40, 520, 0}, "Internet Explorer 2.0"},
    {{4, 40, 308, 0}, "Internet Explorer 1.0 (Plus!)"},
};

}  // namespace

std::string VersionText(const FileVersion& v) {
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build) + "." +
         std::to_string(v.revision);
}

VersionInfo MakeVersionInfo(const FileVersion& v) { return VersionInfo{v, VersionText(v)}; }

int CompareVersions(const FileVersion& a, const FileVersion& b) {
  const std::uint16_t left[] = {a.major, a.minor, a.build, a.revision};
  const std::uint16_t right[] = {b.major, b.minor, b.build, b.revision};
  for (std::size_t i = 0; i < std::size(left); ++i) {
    if (left[i] != right[i])
      return left[i] > right[i] ? 1 : -1;
  }
  return 0;
}

VersionInfo ShiftBrowserVersion(const VersionInfo& read) {
  const FileVersion& v = read.version;
  if (read.text.empty() || v.major != 4 || v.minor > 70 || v.build != 0)
    return read;
  return MakeVersionInfo(FileVersion{v.major, v.minor, v.revision, 0});
}

std::string HtmlHelpVersionName(const VersionInfo& info) {
  return ReleaseName(info, kHtmlHelpReleases, "< 1.0");
}

std::string BrowserVersionName(const VersionInfo& info) {
  return ReleaseName(info, kBrowserReleases, "< Internet Explorer 1.0 (Plus!)");
}

}  // namespace kf
