// The plug-in information the host asks for, read from the library's version
// resource: the real library, and test builds with other resources.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KfTest.h"

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

TEST(PluginInfo, ComesFromTheLibrarysVersionResource) {
  const kfhost::PluginInfo info = InfoOf("Kestrelfind.dll");
  EXPECT_EQ("Kestrelfind", info.name);
  EXPECT_EQ("Kestrel Software", info.vendor);
  EXPECT_EQ("2.0.1.0", info.version);
  EXPECT_EQ("This plug-in passes selected word to search engines.", info.description);
}

TEST(PluginInfo, IsTheSameWhenAskedAgainAndAtLoad) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Load());
  const kfhost::PluginInfo& atLoad = sandbox.Plugin().Info();
  const kfhost::PluginInfo again = sandbox.Plugin().QueryInfo();
  EXPECT_EQ(0, std::memcmp(atLoad.raw, again.raw, sizeof atLoad.raw));
  EXPECT_EQ("Kestrelfind", again.name);
}

TEST(PluginInfo, AMissingCompanyNameLeavesTheDefaultVendor) {
  const kfhost::PluginInfo info = InfoOf("Kestrelfind_NoCompany.dll");
  EXPECT_EQ("Kestrelfind", info.name);
  EXPECT_EQ("RimArts, Inc.", info.vendor);
  EXPECT_EQ("2.0.1.0", info.version);
  EXPECT_EQ("This plug-in passes selected word to search engines.", info.description);
}

TEST(PluginInfo, BlankValuesKeepTheDefaultsAndPaddedOnesAreTrimmed) {
  const kfhost::PluginInfo info = InfoOf("Kestrelfind_Blanks.dll");
  EXPECT_EQ("Becky! Hoge Hoge plug-in", info.name);        // blanks only
  EXPECT_EQ("Kestrel Software", info.vendor);              // blanks and tabs around it
  EXPECT_EQ("2.0.1.0", info.version);                      // blanks around it
  EXPECT_EQ("Enables Becky! to do Hoge.", info.description);  // blanks and a tab only
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

TEST(PluginInfo, WithoutATranslationEntryEveryDefaultStays) {
  const kfhost::PluginInfo info = InfoOf("Kestrelfind_NoTranslation.dll");
  EXPECT_EQ("Becky! Hoge Hoge plug-in", info.name);
  EXPECT_EQ("RimArts, Inc.", info.vendor);
  EXPECT_EQ("1.0", info.version);
  EXPECT_EQ("Enables Becky! to do Hoge.", info.description);
}

TEST(PluginInfo, TheStringTableIsFoundThroughTheTranslationEntry) {
  const kfhost::PluginInfo info = InfoOf("Kestrelfind_Japanese.dll");
  EXPECT_EQ("Kestrelfind J", info.name);
  EXPECT_EQ("Kestrel Software KK", info.vendor);
  EXPECT_EQ("2.0.1.1", info.version);
  EXPECT_EQ("Japanese build", info.description);
}

}  // namespace
