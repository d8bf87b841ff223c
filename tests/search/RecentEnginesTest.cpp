// The engines used last, numbered at the top of "Search engines", kept in
// the plug-in's INI file across loads.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SearchFixture.h"

namespace kfsearch {
namespace {

using Strings = std::vector<std::string>;

class RecentEnginesTest : public SearchFixture {
 protected:
  void SetUp() override {
    SearchFixture::SetUp();
    for (const char* engine : {"Web/Google", "Web/Bing", "Dict/Eijiro", "Maps"})
      sandbox_.WriteEngine(std::string(engine) + ".ini", "kftest://" + std::string(engine) + "/?q=[WORD]");
  }

  void SearchWith(const std::string& item) {
    const std::size_t before = urls_.Lines().size();
    SelectInMail("one word here", "word");
    PickEngine(item);
    ASSERT_TRUE(urls_.WaitForLines(before + 1));
  }

  // The popup's items between "Show All", "Search for..." and their
  // separator and the folders: the list and its separator, or nothing.
  Strings RecentItems() {
    Strings texts;
    const std::vector<MenuItem> items = SearchItems();
    for (std::size_t i = 3; i < items.size() && !items[i].IsPopup(); ++i)
      texts.push_back(items[i].separator ? "-" : items[i].caption);
    return texts;
  }

  std::string RecentSection() {
    char text[1024] = {};
    const DWORD n = GetPrivateProfileSectionA("Recent", text, sizeof text, sandbox_.IniPath().c_str());
    std::string lines(text, n);
    for (char& c : lines)
      c = c ? c : '|';
    return lines;
  }
};

TEST_F(RecentEnginesTest, SearchesPutTheirEngineAtTheTopAndTheListOutlivesALoad) {
  EXPECT_EQ(Strings(), RecentItems()) << "none used yet: the popup as ever";
  SearchWith("Web/Google");
  SearchWith("Dict/Eijiro");
  SearchWith("Maps");
  SearchWith("Dict/Eijiro");
  EXPECT_EQ(Strings({"&1 Eijiro", "&2 Maps", "&3 Google", "-"}), RecentItems());
  EXPECT_EQ("1=Dict\\Eijiro.ini|2=Maps.ini|3=Web\\Google.ini|", RecentSection());

  // Picking "&1" searches with that engine, as its own item does.
  SearchWith("&1 Eijiro");
  EXPECT_EQ("kftest://Dict/Eijiro/?q=word", urls_.Lines().back());
  // Search All leaves the list alone.
  SetSetting("SearchAll", "1");
  SelectInMail("one word here", "word");
  ASSERT_TRUE(sandbox_.Pick(3, std::string(kSearchEngines) + "/Web/Search All (2)"));
  ASSERT_TRUE(urls_.WaitForLines(7));
  EXPECT_EQ("1=Dict\\Eijiro.ini|2=Maps.ini|3=Web\\Google.ini|", RecentSection());

  SetSetting("Recent", "2");
  EXPECT_EQ(Strings({"&1 Eijiro", "&2 Maps", "-"}), RecentItems());
  SetSetting("Recent", "x");
  sandbox_.Unload();
  ASSERT_TRUE(sandbox_.Load());
  EXPECT_EQ(Strings({"&1 Eijiro", "&2 Maps", "&3 Google", "-"}), RecentItems()) << "after a load, at the default";

  // A hidden engine only with Show All; a deleted one drops out.
  ASSERT_TRUE(SetFileAttributesA(sandbox_.EnginePath("Maps.ini").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(DeleteFileA(sandbox_.EnginePath("Web/Google.ini").c_str()));
  EXPECT_EQ(Strings({"&1 Eijiro", "-"}), RecentItems());
  ASSERT_TRUE(sandbox_.Pick(3, std::string(kSearchEngines) + "/Show All"));
  EXPECT_EQ(Strings({"&1 Eijiro", "&2 Maps", "-"}), RecentItems());

  SetSetting("Recent", "0");
  EXPECT_EQ(Strings(), RecentItems());
  EXPECT_EQ("", RecentSection()) << "0 forgets the list";
}

TEST_F(RecentEnginesTest, EnginesOfTheSameNameShowTheirFolders) {
  sandbox_.WriteEngine("Dict/Google.ini", std::string("kftest://d/?q=[WORD]"));
  SetEngineKey("Web/Google.ini", "key", "G");
  SearchWith("Web/&Google");
  SearchWith("Dict/Google");
  SearchWith("Maps");
  EXPECT_EQ(Strings({"&1 Maps", "&2 Google (Dict)", "&3 Google (Web)", "-"}), RecentItems())
      << "the engine's own key is not shown here";
  // A list edited by hand names nothing outside the store.
  WritePrivateProfileStringA("Recent", "1", "..\\Kestrelfind.ini", sandbox_.IniPath().c_str());
  WritePrivateProfileStringA("Recent", "2", "C:\\Windows\\win.ini", sandbox_.IniPath().c_str());
  EXPECT_EQ(Strings({"&1 Google", "-"}), RecentItems());
}

}  // namespace
}  // namespace kfsearch
