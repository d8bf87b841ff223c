// Favourite engines (pin=1) straight in the host's context menu, and access
// keys (key=X) shown the way menus of the plug-in's language show them.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SearchFixture.h"

namespace kfsearch {
namespace {

using kft::Captions;
using Strings = std::vector<std::string>;

class FavouritesTest : public SearchFixture {
 protected:
  // The host's own items and what follows "Search engines".
  Strings HostCaptions() { return Captions(sandbox_.BuildMenu(3)); }
};

TEST_F(FavouritesTest, FavouritesFollowSearchEnginesSortedAndAtMostFive) {
  EXPECT_EQ(Strings({"&Copy", "Select &All", kSearchEngines}), HostCaptions()) << "none: as ever";
  for (const char* name : {"Web/Google", "Web/bing", "Dict/Eijiro", "Fifth", "Maps", "Zeta"}) {
    sandbox_.WriteEngine(std::string(name) + ".ini", std::string("kftest://x/?q="));
    SetEngineKey(std::string(name) + ".ini", "pin", "1");
  }
  sandbox_.WriteEngine("NotPinned.ini", std::string("kftest://n/?q="));
  SetEngineKey("NotPinned.ini", "pin", "yes");
  sandbox_.WriteEngine("Secret.ini", std::string("kftest://s/?q="), "sjis", FILE_ATTRIBUTE_HIDDEN);
  SetEngineKey("Secret.ini", "pin", "1");
  EXPECT_EQ(Strings({"&Copy", "Select &All", kSearchEngines, "Search with bing", "Search with Eijiro",
                     "Search with Fifth", "Search with Google", "Search with Maps"}),
            HostCaptions());
  EXPECT_TRUE(kft::FindMenuItem(sandbox_.BuildMenu(3), std::string(kSearchEngines) + "/Web/Google"))
      << "a favourite stays in its folder";
  // A hidden one only with Show All, and it still sorts among the others.
  ASSERT_TRUE(sandbox_.Pick(3, std::string(kSearchEngines) + "/Show All"));
  EXPECT_EQ(Strings({"&Copy", "Select &All", kSearchEngines, "Search with bing", "Search with Eijiro",
                     "Search with Fifth", "Search with Google", "Search with Maps"}),
            HostCaptions());
  ASSERT_TRUE(sandbox_.Pick(3, std::string(kSearchEngines) + "/Show All"));
  SetEngineKey("Web/bing.ini", "pin", "0");
  SetEngineKey("Fifth.ini", "pin", nullptr);
  EXPECT_EQ(Strings({"&Copy", "Select &All", kSearchEngines, "Search with Eijiro", "Search with Google",
                     "Search with Maps", "Search with Zeta"}),
            HostCaptions());
  EXPECT_EQ(0, boxes_.Count());
}

// Two favourites of one name each show their folder, so that the user can
// tell them apart; a name of its own stays as it is.
TEST_F(FavouritesTest, FavouritesOfTheSameNameShowTheirFolders) {
  for (const char* name : {"A/Google", "B/Sub/Google", "Maps"}) {
    sandbox_.WriteEngine(std::string(name) + ".ini", std::string("kftest://") + name + "/?q=");
    SetEngineKey(std::string(name) + ".ini", "pin", "1");
  }
  EXPECT_EQ(Strings({"&Copy", "Select &All", kSearchEngines, "Search with Google (A)",
                     "Search with Google (B\\Sub)", "Search with Maps"}),
            HostCaptions());
  SelectInMail("one word here", "word");
  ASSERT_TRUE(sandbox_.Pick(3, "Search with Google (B\\Sub)"));
  ASSERT_TRUE(urls_.WaitForLines(1));
  EXPECT_EQ("kftest://B/Sub/Google/?q=word", urls_.Lines()[0]);
}

// The first menu after a load takes what the files said from the index the
// library wrote beside itself when it last went, without opening an engine
// file that has not changed; a changed one is read, a damaged index is
// passed over.
TEST_F(FavouritesTest, TheFirstMenuAfterALoadTakesTheIndexForFilesThatDidNotChange) {
  const std::string google = sandbox_.WriteEngine("Web/Google.ini", std::string("kftest://g/?q="));
  const std::string maps = sandbox_.WriteEngine("Maps.ini", std::string("kftest://m/?q="));
  const std::string ask = sandbox_.WriteEngine("Web/Ask.ini", std::string("kftest://a/?q="));
  SetEngineKey("Web/Google.ini", "pin", "1");
  SetEngineKey("Maps.ini", "key", "M");
  // Written well before they are read, as a store is at a start.
  for (const std::string& path : {google, maps, ask})
    ASSERT_TRUE(kft::SetFileAge(path, 60));
  const Strings shown = {"&Copy", "Select &All", kSearchEngines, "Search with Google"};
  EXPECT_EQ(shown, HostCaptions());
  const std::string index = sandbox_.Folder() + "Kestrelfind.idx";
  sandbox_.Unload();
  ASSERT_TRUE(kft::FileExists(index)) << "written beside the library when it goes";
  // The index keeps each folder in menu order; one edited out of order is
  // not believed.
  std::string text = kft::ReadBytes(index);
  const std::size_t askLine = text.find("Web\\Ask.ini\r\n");
  const std::size_t googleLine = text.find("Web\\Google.ini\r\n");
  ASSERT_LT(askLine, googleLine);
  const std::size_t askStart = text.rfind("\r\n", askLine) + 2;
  const std::string askEntry = text.substr(askStart, askLine + 13 - askStart);
  text.erase(askStart, askEntry.size());
  text.insert(text.find("\r\n", text.find("Web\\Google.ini")) + 2, askEntry);
  ASSERT_TRUE(kft::WriteBytes(index, text));

  // Held open by another program, the file cannot be read: only the index
  // can say it is a favourite.
  ASSERT_TRUE(sandbox_.Load());
  {
    const kft::ExclusiveFile held(google);
    ASSERT_TRUE(held.IsOpen());
    const std::vector<MenuItem> host = sandbox_.BuildMenu(3);
    EXPECT_EQ(shown, Captions(host));
    const MenuItem* web = kft::FindMenuItem(host, std::string(kSearchEngines) + "/Web");
    ASSERT_NE(nullptr, web);
    EXPECT_EQ(Strings({"Ask", "Google"}), Captions(web->children));
  }
  // A file changed while the library was away is read again.
  SetEngineKey("Maps.ini", "pin", "1");
  ASSERT_TRUE(kft::SetFileAge(maps, 30));
  EXPECT_EQ(Strings({"&Copy", "Select &All", kSearchEngines, "Search with Google", "Search with &Maps"}),
            HostCaptions());
  sandbox_.Unload();

  ASSERT_TRUE(kft::WriteBytes(index, "Kestrelfind menu index 1\r\nstore\tX:\\\r\nend\t0\r\n"));
  ASSERT_TRUE(sandbox_.Load());
  EXPECT_EQ(Strings({"&Copy", "Select &All", kSearchEngines, "Search with Google", "Search with &Maps"}),
            HostCaptions())
      << "an index of another store is passed over";
  EXPECT_FALSE(kft::FileExists(sandbox_.EngineDir() + "Kestrelfind.idx")) << "nothing goes into the store";
}

TEST_F(FavouritesTest, AFavouriteSearchesAsItsFolderItemDoes) {
  sandbox_.WriteEngine("Web/Google.ini", std::string("kftest://g/?q=[WORD]&x"), "sjis");
  SetEngineKey("Web/Google.ini", "pin", "1");
  SelectInMail("one word here", "word");
  ASSERT_TRUE(sandbox_.Pick(3, "Search with Google"));
  ASSERT_TRUE(urls_.WaitForLines(1));
  PickEngine("Web/Google");
  ASSERT_TRUE(urls_.WaitForLines(2));
  EXPECT_EQ(Strings({"kftest://g/?q=word&x", "kftest://g/?q=word&x"}), urls_.Lines());
}

// An access key is one letter or digit. English menus underline it in the
// name (its first occurrence, in either case; "(&X)" only where the name
// lacks it); Japanese ones always show "(&X)" after the text.
class AccessKeyTest : public SearchFixture {
 protected:
  struct Shown {
    Strings folder;      // Web's items, sorted
    Strings favourites;  // the host's menu after "Search engines"
  };
  // Writes the cases' engines into Web (Google and A&B pinned) and builds
  // the menu; wanted gets what Web should show in the plug-in's language.
  Shown Build(Strings& wanted) {
    struct Case {
      std::string name;
      const char* key;
      std::string english, japanese;
    };
    std::vector<Case> cases = {{"Google", "G", "&Google", "Google(&G)"}, {"Maps", "p", "Ma&ps", "Maps(&P)"},
                               {"Nine", "9", "Nine(&9)", "Nine(&9)"},    {"Two", "GG", "Two", "Two"},
                               {"Bang", "!", "Bang", "Bang"},             {"Blank", "", "Blank", "Blank"},
                               {"A&B", "K", "A&&B(&K)", "A&&B(&K)"},      {"B&A", "a", "B&&&A", "B&&A(&A)"}};
    // The trail byte of "ア" is an "A": never the letter marked.
    if (kft::IsCodePage932())
      cases.push_back({kft::Utf8ToAnsi(u8"アA"), "a", kft::Utf8ToAnsi(u8"ア&A"), kft::Utf8ToAnsi(u8"アA(&A)")});
    for (const Case& c : cases) {
      sandbox_.WriteEngine("Web/" + c.name + ".ini", std::string("kftest://x/?q="));
      SetEngineKey("Web/" + c.name + ".ini", "key", c.key);
      wanted.push_back(Japanese() ? c.japanese : c.english);
    }
    std::sort(wanted.begin(), wanted.end());
    SetEngineKey("Web/Google.ini", "pin", "1");
    SetEngineKey("Web/A&B.ini", "pin", "1");
    const std::vector<MenuItem> host = sandbox_.BuildMenu(3);
    Shown shown;
    for (const MenuItem& item : host)
      shown.favourites.push_back(item.caption);
    shown.favourites.erase(shown.favourites.begin(), shown.favourites.begin() + 3);
    if (const MenuItem* web = kft::FindMenuItem(host, SearchEngines() + "/Web")) {
      for (const MenuItem& item : web->children)
        shown.folder.push_back(item.caption);
    }
    std::sort(shown.folder.begin(), shown.folder.end());
    return shown;
  }
  bool Japanese() const { return Language() == "ja" && kft::IsCodePage932(); }
  std::string SearchEngines() const { return Japanese() ? kft::Utf8ToAnsi(u8"検索エンジン") : kSearchEngines; }
};

class JapaneseAccessKeyTest : public AccessKeyTest {
 protected:
  std::string Language() const override { return "ja"; }
};

TEST_F(AccessKeyTest, EnglishMenusUnderlineTheKeyInTheName) {
  Strings wanted;
  const Shown shown = Build(wanted);
  EXPECT_EQ(wanted, shown.folder);
  EXPECT_EQ(Strings({"Search with A&&B(&K)", "Search with &Google"}), shown.favourites);
  // A key set since the last menu is shown by the next one.
  SetEngineKey("Web/Two.ini", "key", "t");
  EXPECT_NE(nullptr, kft::FindMenuItem(sandbox_.BuildMenu(3), std::string(kSearchEngines) + "/Web/&Two"));
}

TEST_F(JapaneseAccessKeyTest, JapaneseMenusShowTheKeyAfterTheText) {
  Strings wanted;
  const Shown shown = Build(wanted);
  EXPECT_EQ(wanted, shown.folder);
  if (Japanese()) {
    EXPECT_EQ(Strings({kft::Utf8ToAnsi(u8"A&&Bで検索(&K)"), kft::Utf8ToAnsi(u8"Googleで検索(&G)")}),
              shown.favourites);
  }
}

}  // namespace
}  // namespace kfsearch
