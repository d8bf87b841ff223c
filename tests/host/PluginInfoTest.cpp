// The plug-in information the host asks for, read from the library's version
// resource: the real library, and test builds with other resources.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KfTest.h"
#include "Version.h"

namespace {

kfhost::PluginInfo InfoOf(const std::string& library) {
  kft::PluginSandbox::Options options;
  options.sourceDll = library;
  kft::PluginSandbox sandbox(options);
  EXPECT_TRUE(sandbox.Ready()) << library << " is not built";
  if (!sandbox.Load()) {
    ADD_FAILURE() << library << " did not load (error " << sandbox.LoadError() << ")";
    return kfhost::PluginInfo();
  }
  kfhost::PluginInfo info = sandbox.Plugin().QueryInfo();
  EXPECT_EQ(0, info.result);
  EXPECT_FALSE(info.BlockOverrun()) << "wrote past the four fields";
  return info;
}

// The four fields the host shows: what each build's version resource says,
// and Kestrelfind's own words where it says nothing usable.
TEST(PluginInfo, ComesFromTheVersionResourceWithTheDefaultsWhereItIsSilent) {
  struct Case {
    const char* library;
    std::string name, vendor, version, description;
  };
  const std::string fallbackDescription = "Sends the selected word to search engines.";
  const Case cases[] = {
      {"Kestrelfind.dll", "Kestrelfind", "Kestrel Software", KF_VERSION_QUAD_TEXT, fallbackDescription},
      {"Kestrelfind_NoCompany.dll", "Kestrelfind", "Kestrel Software", "2.0.1.0", fallbackDescription},
      // Blanks only keep the default; padded values are trimmed.
      {"Kestrelfind_Blanks.dll", "Kestrelfind", "Kestrel Software", "2.0.1.0", fallbackDescription},
      {"Kestrelfind_NoTranslation.dll", "Kestrelfind", "Kestrel Software", KF_VERSION_QUAD_TEXT,
       fallbackDescription},
      {"Kestrelfind_Japanese.dll", "Kestrelfind J", "Kestrel Software KK", "2.0.1.1", "Japanese build"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    const kfhost::PluginInfo info = InfoOf(c.library);
    EXPECT_EQ(c.name, info.name);
    EXPECT_EQ(c.vendor, info.vendor);
    EXPECT_EQ(c.version, info.version);
    EXPECT_EQ(c.description, info.description);
  }
}

// The host shows the description in the plug-in's language: Japanese from
// the resource's Japanese block, where the plug-in speaks Japanese.
TEST(PluginInfo, DescribesThePluginInItsLanguage) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  WritePrivateProfileStringA("General", "Language", "ja", sandbox.IniPath().c_str());
  ASSERT_TRUE(sandbox.Load());
  EXPECT_EQ(kft::IsCodePage932() ? u8"選択した語句を検索エンジンに送ります。" : "Sends the selected word to search engines.",
            kft::AnsiToUtf8(sandbox.Plugin().QueryInfo().description));
}

TEST(PluginInfo, IsTheSameWhenAskedAgainAndAtLoad) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Load());
  const kfhost::PluginInfo& atLoad = sandbox.Plugin().Info();
  const kfhost::PluginInfo again = sandbox.Plugin().QueryInfo();
  EXPECT_EQ(0, std::memcmp(atLoad.raw, again.raw, sizeof atLoad.raw));
  EXPECT_EQ("Kestrelfind", again.name);
}

TEST(PluginInfo, LongValuesArriveAsTheirFirst79Bytes) {
  const kfhost::PluginInfo info = InfoOf("Kestrelfind_LongInfo.dll");
  EXPECT_EQ(std::string(79, 'N'), info.name);     // 79: whole
  EXPECT_EQ(std::string(79, 'C'), info.vendor);   // 80: cut
  EXPECT_EQ(std::string(78, 'V'), info.version);  // 78: whole
  EXPECT_EQ(std::string(50, 'D') + std::string(29, 'E'), info.description);  // 100: cut
  // Each field ends in its NUL at byte 79 at the latest.
  for (size_t field = 0; field < 4; ++field) {
    const unsigned char* f = info.raw + field * kfhost::kInfoFieldSize;
    EXPECT_NE(nullptr, std::memchr(f, 0, kfhost::kInfoFieldSize)) << "field " << field;
  }
  EXPECT_EQ(0, info.raw[79]);
  EXPECT_EQ(0, info.raw[80 + 79]);
  EXPECT_EQ(0, info.raw[240 + 79]);
}

}  // namespace
