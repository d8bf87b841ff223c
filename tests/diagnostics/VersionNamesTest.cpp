// The release-name tables and the browser version shift, without the
// platform: every threshold is tried at, just below and just above itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "VersionNames.h"

using namespace kf;

namespace {

struct Row {
  FileVersion threshold;
  std::string name;
};

std::uint64_t Packed(const FileVersion& v) {
  return (std::uint64_t{v.major} << 48) | (std::uint64_t{v.minor} << 32) | (std::uint64_t{v.build} << 16) |
         v.revision;
}

FileVersion Unpacked(std::uint64_t n) {
  return FileVersion{static_cast<std::uint16_t>(n >> 48), static_cast<std::uint16_t>(n >> 32),
                      static_cast<std::uint16_t>(n >> 16), static_cast<std::uint16_t>(n)};
}

VersionInfo At(std::uint64_t n) { return MakeVersionInfo(Unpacked(n)); }

// rows[0] matches above its threshold only, the others at or above theirs;
// below the last row comes the fallback name.
void CheckTable(std::string (*nameOf)(const VersionInfo&), const std::vector<Row>& rows,
                const std::string& fallback) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::uint64_t t = Packed(rows[i].threshold);
    const std::string below = i + 1 < rows.size() ? rows[i + 1].name : fallback;
    SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + VersionText(rows[i].threshold));
    if (i == 0) {
      // Row 2 has the same threshold: at it is row 2, below it row 3.
      EXPECT_EQ(rows[1].name, nameOf(At(t)));
      EXPECT_EQ(rows[2].name, nameOf(At(t - 1)));
    } else {
      EXPECT_EQ(rows[i].name, nameOf(At(t)));
      EXPECT_EQ(below, nameOf(At(t - 1)));
    }
    // Just above row 2's threshold is row 1's "greater than" range.
    EXPECT_EQ(i == 1 ? rows[0].name : rows[i].name, nameOf(At(t + 1)));
  }
  EXPECT_EQ(fallback, nameOf(MakeVersionInfo(FileVersion{})));
  EXPECT_EQ("", nameOf(VersionInfo{}));  // no version information at all
}

TEST(VersionTables, HtmlHelpReleaseNames) {
  CheckTable(HtmlHelpVersionName,
             {{{4, 74, 8793, 0}, "> 1.31"},
              {{4, 74, 8793, 0}, "1.31"},
              {{4, 74, 8702, 0}, "1.3"},
              {{4, 73, 8561, 0}, "1.22"},
              {{4, 73, 8474, 0}, "1.21a"},
              {{4, 73, 8412, 0}, "1.21"},
              {{4, 73, 8252, 0}, "1.2"},
              {{4, 72, 8164, 0}, "1.1b"},
              {{4, 72, 7325, 0}, "1.1a"},
              {{4, 72, 7323, 0}, "1.1"},
              {{4, 72, 7290, 0}, "1.0"}},
             "< 1.0");
  EXPECT_EQ("1.3", HtmlHelpVersionName(MakeVersionInfo({4, 74, 8702, 5})));
  EXPECT_EQ("< 1.0", HtmlHelpVersionName(MakeVersionInfo({4, 72, 7289, 0})));
}

TEST(VersionTables, BrowserReleaseNames) {
  const std::string ie = "Internet Explorer ";
  CheckTable(BrowserVersionName,
             {{{5, 50, 3825, 1300}, "> " + ie + "5.5 Developer Preview"},
              {{5, 50, 3825, 1300}, ie + "5.5 Developer Preview"},
              {{5, 0, 2919, 6400}, ie + "5.01"},
              {{5, 0, 2919, 6307}, ie + "5.01"},
              {{5, 0, 2919, 3800}, ie + "5.01 (Windows 2000 RC2, build 5.00.2128)"},
              {{5, 0, 2919, 800}, ie + "5.01 (Windows 2000 RC1, build 5.00.2072)"},
              {{5, 0, 2723, 2900}, ie + "5.0 updated"},
              {{5, 0, 2721, 1400}, ie + "5.0 updated"},
              {{5, 0, 2614, 0}, ie + "5.0b"},
              {{5, 0, 2314, 0}, ie + "5.0a"},
              {{5, 0, 2014, 0}, ie + "5.0"},
              {{5, 0, 910, 0}, ie + "5 Beta (Beta 2)"},
              {{5, 0, 518, 0}, ie + "5 Developer Preview (Beta 1)"},
              {{4, 72, 3612, 0}, ie + "4.01 Service Pack 2 (SP2)"},
              {{4, 72, 3110, 0}, ie + "4.01 Service Pack 1 (SP1)"},
              {{4, 72, 2106, 0}, ie + "4.01"},
              {{4, 71, 1712, 0}, ie + "4.0"},
              {{4, 71, 1008, 0}, ie + "4.0 Platform Preview 2.0 (PP2)"},
              {{4, 71, 544, 0}, ie + "4.0 Platform Preview 1.0 (PP1)"},
              {{4, 70, 1300, 0}, ie + "3.02"},
              {{4, 70, 1215, 0}, ie + "3.01"},
              {{4, 70, 1158, 0}, ie + "3.0 (OSR2)"},
              {{4, 70, 1155, 0}, ie + "3.0"},
              {{4, 40, 520, 0}, ie + "2.0"},
              {{4, 40, 308, 0}, ie + "1.0 (Plus!)"}},
             "< " + ie + "1.0 (Plus!)");
}

// Old Shdocvw.dll files keep the build in the revision field.
TEST(VersionTables, BrowserVersionShift) {
  struct Case {
    FileVersion read;
    std::string text, name;
  };
  const Case cases[] = {
      {{4, 70, 0, 1155}, "4.70.1155.0", "Internet Explorer 3.0"},
      {{4, 40, 0, 520}, "4.40.520.0", "Internet Explorer 2.0"},
      {{4, 71, 0, 1712}, "4.71.0.1712", "Internet Explorer 3.02"},  // minor above 70: as read
      {{4, 70, 1, 1155}, "4.70.1.1155", "Internet Explorer 2.0"},  // build set: as read
      {{6, 0, 2900, 2180}, "6.0.2900.2180", "> Internet Explorer 5.5 Developer Preview"},
  };
  for (const Case& c : cases) {
    const VersionInfo shifted = ShiftBrowserVersion(MakeVersionInfo(c.read));
    EXPECT_EQ(c.text, shifted.text);
    EXPECT_EQ(c.name, BrowserVersionName(shifted)) << c.text;
  }
  EXPECT_EQ("", ShiftBrowserVersion(VersionInfo{}).text);
}

TEST(VersionTables, CompareVersionsOrdersComponentsAsUnsignedNumbers) {
  EXPECT_EQ(0, CompareVersions({4, 74, 8793, 0}, {4, 74, 8793, 0}));
  EXPECT_EQ(1, CompareVersions({5, 0, 0, 0}, {4, 65535, 65535, 65535}));
  EXPECT_EQ(-1, CompareVersions({4, 74, 8702, 65535}, {4, 74, 8793, 0}));
  EXPECT_EQ(1, CompareVersions({1, 2, 3, 65535}, {1, 2, 3, 32768}));
  EXPECT_EQ("65535.0.7.32768", VersionText({65535, 0, 7, 32768}));
}

}  // namespace
