// The "Search engines" popup, read back from the real menu handles of the
// host's context menus after the real library built it from a real engine
// tree on disk.
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

class SearchMenuTest : public PluginFixture {};

// Directory entries in the order the file system lists them.
Strings ListedNames(const std::string& dir, bool wantDirs) {
  Strings names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return names;
  do {
    const bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isDir == wantDirs && data.cFileName[0] != '.')
      names.push_back(kft::AnsiToUtf8(data.cFileName));
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

// --- shape ---------------------------------------------------------------

TEST_F(SearchMenuTest, AnEmptyStoreGivesShowAllSearchForASeparatorAndAGreyedNoItem) {
  const std::vector<MenuItem> host = sandbox_.BuildMenu(3);
  ASSERT_FALSE(host.empty());
  EXPECT_EQ(kSearchEngines, host.back().caption) << "appended at the end of the host's menu";
  EXPECT_TRUE(host.back().IsPopup());

  const std::vector<MenuItem> items = SearchItems();
  ASSERT_EQ(4u, items.size()) << kft::MenuToText(items);
  EXPECT_EQ("Show All", items[0].caption);
  EXPECT_FALSE(items[0].checked);
  EXPECT_NE(0u, items[0].id);
  EXPECT_EQ("Search &for...", items[1].caption);
  EXPECT_NE(0u, items[1].id);
  EXPECT_TRUE(items[2].separator);
  EXPECT_EQ("No Item", items[3].caption);
  EXPECT_TRUE(items[3].grayed);
  EXPECT_EQ(0u, items[3].id);
  EXPECT_EQ(0, boxes_.Count());
}

class MissingStoreTest : public SearchMenuTest {
 protected:
  bool CreateStore() const override { return false; }
};

// The folder is made by its full path: the host's current directory stays
// the host's.
TEST_F(MissingStoreTest, IsCreatedBesideTheLibraryAtTheFirstBuildAndThenActsEmpty) {
  ASSERT_FALSE(kft::DirectoryExists(sandbox_.EngineDir()));
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  const Strings captions = Captions(SearchItems());
  char after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(before, after);
  EXPECT_TRUE(kft::DirectoryExists(sandbox_.EngineDir()));
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "No Item"}), captions);
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(SearchMenuTest, EnginesAreSortedByNameIgnoringCase) {
  for (const char* name : {"b.ini", "A.ini", "c.ini", "B2.ini", "a1.ini"})
    sandbox_.WriteEngine(name, "https://example.com/?q=");
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "A", "a1", "b", "B2", "c"}), Captions(SearchItems()));
}

TEST_F(SearchMenuTest, EnginesAreSortedByTheLocalesCollationNotByBytes) {
  // The collation ignores the hyphen ("a-c" sorts as "ac"); the listing
  // order of the file system does not.
  for (const char* name : {"a-c.ini", "ab.ini", "ad.ini"})
    sandbox_.WriteEngine(name, "https://example.com/?q=");
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "ab", "a-c", "ad"}), Captions(SearchItems()));
}

TEST_F(SearchMenuTest, TheEngineNameIsTheFileNameUpToItsLastDot) {
  sandbox_.WriteEngine("a.b.c.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Web.ini", "https://example.com/?q=");
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "a.b.c", "Web"}), Captions(SearchItems()));
}

TEST_F(SearchMenuTest, FoldersComeFirstInListingOrderEachWithItsSubfoldersThenItsEngines) {
  sandbox_.WriteEngine("Zeta/z.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Alpha/Inner/i.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Alpha/y.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Alpha/x.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Mid/m.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("root.ini", "https://example.com/?q=");

  const std::vector<MenuItem> items = SearchItems();
  Strings expected = {"Show All", "Search &for...", "----"};
  for (const std::string& folder : ListedNames(sandbox_.EngineDir(), true))
    expected.push_back(folder);
  expected.push_back("root");
  EXPECT_EQ(expected, Captions(items));

  const MenuItem* alpha = kft::FindMenuItem(items, "Alpha");
  ASSERT_NE(nullptr, alpha);
  ASSERT_TRUE(alpha->IsPopup());
  EXPECT_EQ(Strings({"Inner", "x", "y"}), Captions(alpha->children));
  const MenuItem* inner = kft::FindMenuItem(items, "Alpha/Inner/i");
  ASSERT_NE(nullptr, inner);
  EXPECT_FALSE(inner->grayed);
}

TEST_F(SearchMenuTest, AFolderWithOnlySubfoldersEndsInAGreyedNoItem) {
  sandbox_.WriteEngine("Outer/Inner/e.ini", "https://example.com/?q=");
  const std::vector<MenuItem> items = SearchItems();
  const MenuItem* outer = kft::FindMenuItem(items, "Outer");
  ASSERT_NE(nullptr, outer);
  ASSERT_EQ(Strings({"Inner", "No Item"}), Captions(outer->children));
  EXPECT_TRUE(outer->children[1].grayed);
  EXPECT_EQ(Strings({"e"}), Captions(outer->children[0].children));
  EXPECT_EQ("No Item", items.back().caption) << "the root has no engines either";
}

TEST_F(SearchMenuTest, DotFoldersAreNeverListedNorAnythingInside) {
  sandbox_.WriteEngine(".old/x.ini", "https://example.com/?q=");
  sandbox_.WriteEngine(".old/Sub/y.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Kept/k.ini", "https://example.com/?q=");
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "Kept", "No Item"}), Captions(SearchItems()));
}

TEST_F(SearchMenuTest, ADirectoryNamedLikeAnEngineFileIsAFolder) {
  sandbox_.MakeFolder("x.ini");
  const std::vector<MenuItem> items = SearchItems();
  ASSERT_EQ(Strings({"Show All", "Search &for...", "----", "x.ini", "No Item"}), Captions(items));
  EXPECT_TRUE(items[3].IsPopup());
  EXPECT_EQ(Strings({"No Item"}), Captions(items[3].children));
}

// --- the menus that get it -------------------------------------------------

TEST_F(SearchMenuTest, OnlyMenuTypes3_4_11And12GetThePopup) {
  sandbox_.WriteEngine("Web.ini", "https://example.com/?q=");
  for (int type : {3, 4, 11, 12}) {
    const std::vector<MenuItem> host = sandbox_.BuildMenu(type);
    const MenuItem* web = kft::FindMenuItem(host, "Search engines/Web");
    ASSERT_NE(nullptr, web) << "type " << type;
    const kfhost::Registration* reg = kfhost::FindRegistration(web->id);
    ASSERT_NE(nullptr, reg);
    EXPECT_EQ(type, reg->type) << "registered for the menu being built";
    EXPECT_EQ("Web", reg->text);
  }
  for (int type : {5, 0, 1, 2, 6, 13}) {
    const std::vector<MenuItem> host = sandbox_.BuildMenu(type);
    EXPECT_EQ(nullptr, kft::FindMenuItem(host, kSearchEngines)) << "type " << type;
  }
}

TEST_F(SearchMenuTest, EveryBuildRegistersShowAllSearchForAndEachEngineAgainWithNewIds) {
  sandbox_.WriteEngine("One.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Sub/Two.ini", "https://example.com/?q=");
  std::set<UINT> seen;
  for (int build = 0; build < 3; ++build) {
    const std::size_t before = kfhost::Registrations().size();
    const std::vector<MenuItem> items = SearchItems(build == 1 ? 4 : 3);
    ASSERT_EQ(before + 4, kfhost::Registrations().size());
    const MenuItem* showAll = kft::FindMenuItem(items, "Show All");
    const MenuItem* searchFor = kft::FindMenuItem(items, "Search &for...");
    const MenuItem* one = kft::FindMenuItem(items, "One");
    const MenuItem* two = kft::FindMenuItem(items, "Sub/Two");
    ASSERT_TRUE(showAll && searchFor && one && two);
    EXPECT_EQ("Show All", kfhost::FindRegistration(showAll->id)->text);
    EXPECT_EQ("Search for", kfhost::FindRegistration(searchFor->id)->text);
    for (UINT id : {showAll->id, searchFor->id, one->id, two->id})
      EXPECT_TRUE(seen.insert(id).second) << "id " << id << " reused";
  }
}

TEST_F(SearchMenuTest, RebuildingAfterTheHostDestroyedItsMenuIsHarmless) {
  sandbox_.WriteEngine("Web.ini", "https://example.com/?q=");
  // The host throws its previous menu of a type away, popup included, before
  // it builds the next; other types' menus stay while the popup moves on.
  for (int type : {3, 3, 4, 3, 11, 12, 12, 4}) {
    const std::vector<MenuItem> host = sandbox_.BuildMenu(type);
    EXPECT_NE(nullptr, kft::FindMenuItem(host, "Search engines/Web")) << "type " << type;
  }
  EXPECT_EQ(0, boxes_.Count());
}

// --- visibility ------------------------------------------------------------

TEST_F(SearchMenuTest, ShowAllTogglesHiddenEnginesAndItsCheckMark) {
  sandbox_.WriteEngine("Shown.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Secret.ini", "https://example.com/?q=", std::string("sjis"), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(sandbox_.Attributes("Secret.ini") & FILE_ATTRIBUTE_HIDDEN);

  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "Shown"}), Captions(SearchItems()));
  EXPECT_FALSE(SearchItems()[0].checked);

  ASSERT_TRUE(sandbox_.Pick(3, "Search engines/Show All"));
  std::vector<MenuItem> items = SearchItems();
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "Secret", "Shown"}), Captions(items));
  EXPECT_TRUE(items[0].checked);
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "Secret", "Shown"}), Captions(SearchItems(11)))
      << "the state is the plug-in's, not one menu's";

  ASSERT_TRUE(sandbox_.Pick(4, "Search engines/Show All"));
  items = SearchItems();
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "Shown"}), Captions(items));
  EXPECT_FALSE(items[0].checked);
}

TEST_F(SearchMenuTest, AHiddenFolderHidesEverythingBelowItUntilShowAll) {
  sandbox_.WriteEngine("Secret/Visible.ini", "https://example.com/?q=");
  sandbox_.WriteEngine("Secret/Deeper/Also.ini", "https://example.com/?q=");
  sandbox_.SetAttributes("Secret", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(sandbox_.Attributes("Secret") & FILE_ATTRIBUTE_HIDDEN);

  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", "No Item"}), Captions(SearchItems()));
  ASSERT_TRUE(sandbox_.Pick(3, "Search engines/Show All"));
  const std::vector<MenuItem> items = SearchItems();
  EXPECT_NE(nullptr, kft::FindMenuItem(items, "Secret/Visible"));
  EXPECT_NE(nullptr, kft::FindMenuItem(items, "Secret/Deeper/Also"));
}

// --- Shift-JIS names -------------------------------------------------------

TEST_F(SearchMenuTest, NamesWhoseTrailByteIsABackslashWork) {
  SKIP_UNLESS_CODE_PAGE_932();
  // 表 = 95 5C, ソ = 83 5C, 能 = 94 5C: their second byte is a backslash.
  const std::string folder = kft::Sjis(u8"表示");
  sandbox_.WriteEngine(folder + "\\" + kft::Sjis(u8"ソフト.ini"), "https://example.com/?q=");
  sandbox_.WriteEngine(folder + "\\" + kft::Sjis(u8"能.ini"), "https://example.com/?q=");
  sandbox_.WriteEngine(folder + "\\" + kft::Sjis(u8"ソ") + "\\x.ini", "https://example.com/?q=");
  sandbox_.WriteEngine(kft::Sjis(u8"表.ini"), "https://example.com/?q=");

  const std::vector<MenuItem> items = SearchItems();
  EXPECT_EQ(Strings({"Show All", "Search &for...", "----", u8"表示", u8"表"}), Captions(items));
  const MenuItem* sub = kft::FindMenuItem(items, folder);
  ASSERT_NE(nullptr, sub) << kft::MenuToText(items);
  EXPECT_EQ(Strings({u8"ソ", u8"ソフト", u8"能"}), Captions(sub->children)) << kft::MenuToText(items);
  EXPECT_NE(nullptr, kft::FindMenuItem(items, folder + "/" + kft::Sjis(u8"ソ") + "/x"));
}

// --- stores that strain the menu system ------------------------------------

class SearchMenuLimitsTest : public SearchFixture {
 protected:
  // Picks each engine path in turn with "abc" selected; the URLs opened.
  // The recorder runs asynchronously: each URL is waited for before the next
  // pick, so that the log keeps their order.
  std::vector<std::string> SearchEach(const Strings& paths) {
    SelectInMail("Subject: test\r\n\r\nBefore abc after.\r\n", "abc");
    for (std::size_t i = 0; i < paths.size(); ++i) {
      PickEngine(paths[i]);
      EXPECT_TRUE(urls_.WaitForLines(i + 1)) << paths[i];
    }
    return urls_.Lines();
  }
};

TEST_F(SearchMenuLimitsTest, AStoreNestedTooDeepKeepsTheMenuUpToTheDepthLimit) {
  // 40 nested folders: deeper than the menu system nests popups. Folders
  // below the 25th are left out; everything above stays reachable.
  std::string rel, path25;
  for (int level = 1; level <= 40; ++level) {
    const std::string name = (level < 10 ? "D0" : "D") + std::to_string(level);
    rel += name + "/";
    if (level == 2)
      sandbox_.WriteEngine(rel + "Shallow.ini", "kftest://shallow/?q=");
    if (level == 25) {
      sandbox_.WriteEngine(rel + "Edge.ini", "kftest://edge/?q=");
      path25 = rel;
    }
  }
  sandbox_.WriteEngine(rel + "Deep.ini", "kftest://deep/?q=");
  sandbox_.WriteEngine("Top.ini", "kftest://top/?q=");

  const std::vector<MenuItem> items = SearchItems();
  ASSERT_EQ(Strings({"Show All", "Search &for...", "----", "D01", "Top"}), Captions(items));
  const MenuItem* edgeFolder = kft::FindMenuItem(items, path25.substr(0, path25.size() - 1));
  ASSERT_NE(nullptr, edgeFolder);
  EXPECT_EQ(Strings({"Edge"}), Captions(edgeFolder->children)) << "no submenus below the limit";

  EXPECT_EQ(Strings({"kftest://top/?q=abc", "kftest://shallow/?q=abc", "kftest://edge/?q=abc"}),
            SearchEach({"Top", "D01/D02/Shallow", path25 + "Edge"}));
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(SearchMenuLimitsTest, AnAmpersandInANameIsShownAndSearchedAsItself) {
  sandbox_.WriteEngine("AT&T.ini", "kftest://root/?q=");
  sandbox_.WriteEngine("R&D/AT&T.ini", "kftest://folder/?q=");

  // A menu draws "&&" as one "&"; a single one would underline the next letter.
  const std::vector<MenuItem> items = SearchItems();
  ASSERT_EQ(Strings({"Show All", "Search &for...", "----", "R&&D", "AT&&T"}), Captions(items));
  EXPECT_EQ("AT&T", kfhost::FindRegistration(items[4].id)->text) << "the host gets the name itself";

  EXPECT_EQ(Strings({"kftest://root/?q=abc", "kftest://folder/?q=abc"}), SearchEach({"AT&&T", "R&&D/AT&&T"}));
}

}  // namespace
}  // namespace kfsearch
