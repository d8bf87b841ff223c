// Engines that post a form, end to end: the shell is asked to open a page
// file the plug-in wrote, which the test prefix's handler for .html files
// records; the test reads the page while the plug-in is loaded, and finds it
// gone once it is unloaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "SearchFixture.h"

namespace kfsearch {
namespace {

using Strings = std::vector<std::string>;

class PostSearchTest : public SearchFixture {
 protected:
  void WritePostEngine(const std::string& rel, const std::string& action, const char* post,
                       const std::string& encode = "utf8") {
    sandbox_.WriteEngine(rel, action, encode);
    SetEngineKey(rel, "method", "Post");
    SetEngineKey(rel, "post", post);
  }

  // Checks that each part is in the page file at path.
  static void ExpectPage(const std::string& path, const std::vector<std::string>& parts) {
    ASSERT_TRUE(kft::FileExists(path)) << path;
    const std::string page = kft::ReadBytes(path);
    for (const std::string& part : parts)
      EXPECT_NE(std::string::npos, page.find(part)) << part << "\nnot in\n" << page;
    EXPECT_EQ(std::string::npos, page.find("<script>alert"));
  }
};

TEST_F(PostSearchTest, APickOpensAPageThatPostsTheEscapedWordAndUnloadingRemovesIt) {
  WritePostEngine("Engine.ini", "https://example.com/find?x=1&y=2", "q=[WORD]&lang=ja&flag");
  // A UTF-8 engine takes the Unicode selection in either code page.
  const std::string page = SearchFor(u8"検索\"><script>alert(1)</script>&");
  EXPECT_EQ(0, boxes_.Count());
  EXPECT_EQ(".html", page.substr(page.size() < 5 ? 0 : page.size() - 5)) << page;
  ExpectPage(page, {
                       "<meta charset=\"UTF-8\">",
                       "<form action=\"https://example.com/find?x=1&amp;y=2\" method=\"post\" "
                       "accept-charset=\"UTF-8\">",
                       "<input type=\"hidden\" name=\"q\" value=\"" + std::string(u8"検索") +
                           "&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;&amp;\">",
                       "<input type=\"hidden\" name=\"lang\" value=\"ja\">",
                       "<input type=\"hidden\" name=\"flag\" value=\"\">",
                       "<input type=\"submit\" value=\"",
                   });
  sandbox_.Unload();
  EXPECT_FALSE(kft::FileExists(page)) << page;
}

TEST_F(PostSearchTest, SearchAllOpensPostEnginesInTurnWithTheOthers) {
  SetSetting("SearchAll", "1");
  sandbox_.WriteEngine("Dict/A.ini", "kftest://a/?q=");
  WritePostEngine("Dict/B.ini", "http://example.com/b", "w=[WORD]", "sjis");
  SelectInMail("one word here", "word");
  PickEngine("Dict/Search All (2)");
  ASSERT_TRUE(urls_.WaitForLines(2));
  const Strings lines = urls_.Lines();
  EXPECT_EQ("kftest://a/?q=word", lines[0]);
  ExpectPage(lines[1], {"<meta charset=\"Shift_JIS\">", "<input type=\"hidden\" name=\"w\" value=\"word\">"});
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(PostSearchTest, AFormThatCannotBeSentIsToldAndNothingOpens) {
  const struct {
    const char* action;
    const char* post;
    const char* box;
  } cases[] = {
      {"kftest://example.com/", "q=[WORD]",
       "The form was not sent: the engine's address \"kftest://example.com/\" is not an http or https address."},
      {"https://example.com/?q=[WORD]", "q=[WORD]",
       "The form was not sent: the engine's address \"https://example.com/?q=[WORD]\" takes the word; an engine "
       "that posts a form puts [WORD] in its form (post=)."},
      {"https://example.com/", "q=fixed",
       "The form was not sent: the engine's form (post=) has no [WORD] for the word."},
  };
  SelectInMail("one word here", "word");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    WritePostEngine("Engine.ini", c.action, c.post);
    boxes_.Clear();
    PickEngine("Engine");
    EXPECT_EQ(Strings({c.box}), BoxTexts());
  }
  EXPECT_TRUE(urls_.ExpectNothingOpened(300));
}

}  // namespace
}  // namespace kfsearch
