// "Search All (N)" at the top of a folder's submenu when the setting
// SearchAll=1 offers it: what the menu shows, and one pick searching with
// every engine the submenu lists.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "SearchFixture.h"

namespace kfsearch {
namespace {

using kft::Captions;
using Strings = std::vector<std::string>;

class SearchAllTest : public SearchFixture {
 protected:
  // The captions of a submenu of "Search engines".
  Strings FolderCaptions(const std::string& folder) {
    const std::vector<MenuItem> host = sandbox_.BuildMenu(3);
    const MenuItem* popup = kft::FindMenuItem(host, std::string(kSearchEngines) + "/" + folder);
    return popup ? Captions(popup->children) : Strings{"<no such folder>"};
  }
  // Engines Folder/A.ini ... named by letters, each opening kftest://<letter>/.
  void WriteEngines(const std::string& folder, const std::string& letters) {
    for (char c : letters)
      sandbox_.WriteEngine(folder + "/" + c + ".ini", std::string("kftest://") + c + "/?q=");
  }
};

TEST_F(SearchAllTest, FoldersOfTwoOrMoreListedEnginesBeginWithItWhenTheSettingIsOn) {
  WriteEngines("Dict", "CAB");
  WriteEngines("Dict/Sub", "D");
  WriteEngines("One", "E");
  WriteEngines("", "FG");
  sandbox_.WriteEngine("Dict/Hidden.ini", std::string("kftest://h/?q="), "sjis", FILE_ATTRIBUTE_HIDDEN);
  const Strings today = {"Sub", "A", "B", "C"};
  EXPECT_EQ(today, FolderCaptions("Dict")) << "off by default";
  SetSetting("SearchAll", "yes");
  EXPECT_EQ(today, FolderCaptions("Dict")) << "only 1 turns it on";

  SetSetting("SearchAll", "1");
  EXPECT_EQ(Strings({"Search All (3)", "----", "Sub", "A", "B", "C"}), FolderCaptions("Dict"));
  EXPECT_EQ(Strings({"E"}), FolderCaptions("One")) << "one engine is no reason";
  EXPECT_EQ(Strings({"D"}), FolderCaptions("Dict/Sub"));
  EXPECT_EQ("Show All", SearchItems()[0].caption) << "not in \"Search engines\" itself";
  // Hidden engines are listed, counted and searched with Show All only.
  ASSERT_TRUE(sandbox_.Pick(3, std::string(kSearchEngines) + "/Show All"));
  EXPECT_EQ(Strings({"Search All (4)", "----", "Sub", "A", "B", "C", "Hidden"}), FolderCaptions("Dict"));
}

TEST_F(SearchAllTest, OnePickCapturesOnceAndOpensEveryEngineInMenuOrder) {
  SetSetting("SearchAll", "1");
  WriteEngines("Dict", "CAB");
  SelectInMail("one word here", "word");
  const int copies = sandbox_.Window().CopyRequestCount();
  PickEngine("Dict/Search All (3)");
  ASSERT_TRUE(urls_.WaitForLines(3));
  EXPECT_EQ(Strings({"kftest://A/?q=word", "kftest://B/?q=word", "kftest://C/?q=word"}), urls_.Lines());
  EXPECT_EQ(copies + 1, sandbox_.Window().CopyRequestCount()) << "one capture of the selection";
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(SearchAllTest, MoreThanEightEnginesAskFirstAndCancelOpensNothing) {
  SetSetting("SearchAll", "1");
  WriteEngines("Shops", "ABCDEFGHI");
  SelectInMail("one word here", "word");
  boxes_.SetAnswer(IDCANCEL);
  PickEngine("Shops/Search All (9)");
  ASSERT_EQ(1, boxes_.Count());
  EXPECT_EQ("Open 9 searches?", boxes_.Boxes()[0].TextUtf8());
  EXPECT_TRUE(boxes_.Boxes()[0].HasButton(IDCANCEL));
  EXPECT_TRUE(urls_.ExpectNothingOpened());

  boxes_.SetAnswer(IDOK);
  PickEngine("Shops/Search All (9)");
  EXPECT_TRUE(urls_.WaitForLines(9));
}

TEST_F(SearchAllTest, ARefusedOrVanishedEngineIsPassedOverAndToldOnceAtTheEnd) {
  SetSetting("SearchAll", "1");
  WriteEngines("Mixed", "AC");
  sandbox_.WriteEngine("Mixed/B.ini", std::string("file:///C:/x/[WORD]"));
  sandbox_.WriteEngine("Mixed/D.ini", std::string("kftest://d/?q="));
  SelectInMail("one word here", "word");
  const std::vector<MenuItem> host = sandbox_.BuildMenu(3);
  const MenuItem* all = kft::FindMenuItem(host, std::string(kSearchEngines) + "/Mixed/Search All (4)");
  ASSERT_NE(nullptr, all);
  ASSERT_TRUE(DeleteFileA(sandbox_.EnginePath("Mixed/D.ini").c_str()));
  sandbox_.Window().SendMenuCommand(all->id);
  ASSERT_TRUE(urls_.WaitForLines(2));
  EXPECT_EQ(Strings({"kftest://A/?q=word", "kftest://C/?q=word"}), urls_.Lines());
  ASSERT_TRUE(boxes_.WaitForCount(1));
  ASSERT_EQ(1, boxes_.Count());
  const std::string text = boxes_.Boxes()[0].TextUtf8();
  EXPECT_NE(std::string::npos, text.find("B: A URL of the scheme \"file:\"")) << text;
  EXPECT_NE(std::string::npos, text.find("D: The engine file")) << text;
}

// The opens after the first run on the host's timer: the host's exit drops
// those still waiting and lets the library go.
TEST_F(SearchAllTest, TheHostsExitDropsTheOpensStillWaitingAndUnloadsTheLibrary) {
  SetSetting("SearchAll", "1");
  WriteEngines("Dict", "ABC");
  SelectInMail("one word here", "word");
  PickEngine("Dict/Search All (3)");
  sandbox_.Unload();
  EXPECT_EQ(nullptr, GetModuleHandleA(sandbox_.DllPath().c_str()));
  urls_.WaitForLines(3, 2500);
  EXPECT_LT(urls_.Lines().size(), 3u);
  EXPECT_EQ(Strings(), BoxTexts());
}

// While its opens run, the queue keeps the library loaded; once they are
// done its hold goes at the host's next call (BKC_OnEveryMinute at the
// latest), so that a host that frees the library without BKC_OnExit
// unloads it.
TEST_F(SearchAllTest, TheQueuesHoldOnTheLibraryGoesOnceItsOpensAreDone) {
  SetSetting("SearchAll", "1");
  WriteEngines("Dict", "AB");
  SelectInMail("one word here", "word");
  PickEngine("Dict/Search All (2)");
  ASSERT_TRUE(urls_.WaitForLines(2));
  sandbox_.Bkc().OnEveryMinute();
  const std::string dll = sandbox_.DllPath();
  sandbox_.UnloadWithoutExit();
  EXPECT_EQ(nullptr, GetModuleHandleA(dll.c_str()));
}

}  // namespace
}  // namespace kfsearch
