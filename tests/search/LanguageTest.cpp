// The plug-in in Japanese or English: the menus it builds, the names its
// commands are registered under, and its string tables.
#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "SearchFixture.h"

namespace kfsearch {
namespace {

using kft::Captions;
using Strings = std::vector<std::string>;

class JapaneseMenuTest : public SearchFixture {
 protected:
  // The setting is read without regard to case.
  std::string Language() const override { return "Ja"; }
};

// Japanese under the Japanese code page; English whatever the setting says
// under any other, where the plug-in's ANSI windows cannot show Japanese.
TEST_F(JapaneseMenuTest, MenusReadInJapaneseAndCommandsKeepTheirNames) {
  SetSetting("SearchAll", "1");
  sandbox_.WriteEngine("Web/Google.ini", std::string("kftest://g/?q="));
  sandbox_.WriteEngine("Web/Bing.ini", std::string("kftest://b/?q="));
  SetEngineKey("Web/Google.ini", "pin", "1");
  const size_t registered = kfhost::Registrations().size();
  const std::vector<MenuItem> host = sandbox_.BuildMenu(3);
  const bool japanese = kft::IsCodePage932();
  const std::string engines = japanese ? u8"検索エンジン" : "Search engines";
  const MenuItem* popup = kft::FindMenuItem(host, kft::Utf8ToAnsi(engines));
  ASSERT_NE(nullptr, popup) << kft::MenuToText(host);
  EXPECT_EQ(japanese ? u8"すべて表示" : "Show All", popup->children[0].CaptionUtf8());
  EXPECT_EQ(japanese ? u8"検索語を入力(&F)..." : "Search &for...", popup->children[1].CaptionUtf8());
  EXPECT_EQ(japanese ? u8"Googleで検索" : "Search with Google", host.back().CaptionUtf8());
  const MenuItem* web = kft::FindMenuItem(host, kft::Utf8ToAnsi(engines) + "/Web");
  ASSERT_NE(nullptr, web);
  EXPECT_EQ(japanese ? u8"すべてで検索 (2)" : "Search All (2)", web->children[0].CaptionUtf8());
  // What the host may have stored stays as it is, in either language.
  std::set<std::string> names;
  for (size_t i = registered; i < kfhost::Registrations().size(); ++i)
    names.insert(kfhost::Registrations()[i].text);
  EXPECT_EQ((std::set<std::string>{"Show All", "Search for", "Search All", "Google", "Bing"}), names);

  sandbox_.MakeFolder("Empty");
  const std::vector<MenuItem> again = sandbox_.BuildMenu(3);
  const MenuItem* none = kft::FindMenuItem(again, kft::Utf8ToAnsi(engines) + "/Empty");
  ASSERT_NE(nullptr, none);
  EXPECT_EQ(japanese ? u8"（なし）" : "No Item", none->children[0].CaptionUtf8());

  // The search is the same in either language.
  SelectInMail("one word here", "word");
  ASSERT_TRUE(sandbox_.Pick(3, engines + "/Web/Google"));
  EXPECT_EQ("kftest://g/?q=word", OpenedUrl());
}

// Both string tables of the library hold the same texts.
TEST(StringTables, EveryTextHasBothLanguages) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  const auto idsOf = [&](LANGID language) {
    std::set<UINT> ids;
    for (const auto& text : kft::StringTable(sandbox.DllPath(), language))
      ids.insert(text.first);
    return ids;
  };
  const std::set<UINT> english = idsOf(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  const std::set<UINT> japanese = idsOf(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN));
  EXPECT_GT(english.size(), 60u);
  EXPECT_EQ(english, japanese);
}

}  // namespace
}  // namespace kfsearch
