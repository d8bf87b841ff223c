// The search end to end: a word selected in the host's mail view, an engine
// picked from the real menu, the host copying its selection on the plug-in's
// request, and the URL that the shell really ran the test prefix's URL
// handler with. The clipboard is checked before and after.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "SearchFixture.h"
#include "../support/ClipboardHolder.h"

namespace kfsearch {
namespace {

using Strings = std::vector<std::string>;

const char kDefaultUrl[] =
    "https://www.google.com/search?as_qt=w&lr=lang_ja&num=20&btnG=Google+%8C%9F%8D%F5&as_q=";

class SearchCommandTest : public SearchFixture {};

// --- building the URL ----------------------------------------------------

TEST_F(SearchCommandTest, TheWordGoesWhereThePlaceholderIs) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/A[WORD]B?x=1");
  EXPECT_EQ("https://example.com/AabcB?x=1", SearchFor("abc"));
  EXPECT_EQ(1, sandbox_.Window().CopyRequestCount());
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(SearchCommandTest, EveryPlaceholderGetsTheWord) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/[WORD]?q=[WORD]&r=[word]");
  EXPECT_EQ("https://example.com/abc?q=abc&r=[word]", SearchFor("abc"));
}

TEST_F(SearchCommandTest, WithoutAPlaceholderTheWordIsAppended) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/search?q=");
  EXPECT_EQ("https://example.com/search?q=abc", SearchFor("abc"));
}

TEST_F(SearchCommandTest, TheWordIsUrlEncodedWithABlankAsPlus) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=[WORD]");
  EXPECT_EQ("https://example.com/?q=a+b%26c%3D%5Bd%5D%25", SearchFor("a b&c=[d]%"));
}

TEST_F(SearchCommandTest, AWordHoldingThePlaceholderIsInsertedOnce) {
  sandbox_.WriteEngine("Engine.ini", "kftest:[WORD]/[WORD]");
  // Encoded, "[WORD]" is no placeholder any more; the engine's own scheme
  // decides what opens.
  EXPECT_EQ("kftest:%5BWORD%5D/%5BWORD%5D", SearchFor("[WORD]"));
}

TEST_F(SearchCommandTest, AnEngineWithItsOwnSchemeOpensThroughThatScheme) {
  sandbox_.WriteEngine("Engine.ini", "kftest:lookup?[WORD]");
  EXPECT_EQ("kftest:lookup?x+y", SearchFor("x y"));
}

TEST_F(SearchCommandTest, WithoutAUrlKeyTheBuiltInSearchIsUsed) {
  sandbox_.WriteEngine("Engine.ini", std::nullopt);
  EXPECT_EQ(std::string(kDefaultUrl) + "abc", SearchFor("abc"));
}

bool RunsOnWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TEST_F(SearchCommandTest, ATemplateOf2048CharactersOrMoreIsCutTo2047) {
  const std::string head = "https://example.com/";
  const std::string tmpl = head + std::string(3000 - head.size(), 'p') + "[WORD]";
  sandbox_.WriteEngine("Engine.ini", tmpl);
  // The cut takes the placeholder away, so the word is appended.
  const std::string expected = tmpl.substr(0, 2047) + "abc";
  if (!RunsOnWine()) {
    EXPECT_EQ(expected, SearchFor("abc"));
    return;
  }
  // Wine's shell cannot take an address this long (it would crash the
  // host), so the plug-in refuses it; the length it names shows the cut.
  SelectInMail("find abc here", "abc");
  PickEngine("Engine");
  EXPECT_TRUE(urls_.ExpectNothingOpened(300));
  EXPECT_EQ(Strings({"The address of " + std::to_string(expected.size()) +
                     " characters was not opened: it is too long for this system's shell."}),
            BoxTexts());
}

// Size in bytes of the test prefix's https handler command.
std::size_t HttpsHandlerCommandSize() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "https\\shell\\open\\command", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return 0;
  DWORD size = 0;
  RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size);
  RegCloseKey(key);
  return size;
}

TEST_F(SearchCommandTest, TheLongestAddressWinesShellCanTakeStillOpens) {
  if (!RunsOnWine())
    GTEST_SKIP() << "only Wine's shell has the limit";
  const std::size_t commandSize = HttpsHandlerCommandSize();
  ASSERT_GT(commandSize, 10u);
  const std::size_t longest = 1024 - 32 - commandSize;
  const std::string head = "https://example.com/?q=";
  sandbox_.WriteEngine("Longest.ini", head + std::string(longest - head.size() - 3, 'x'));
  sandbox_.WriteEngine("TooLong.ini", head + std::string(longest - head.size() - 2, 'x'));
  SelectInMail("find abc here", "abc");
  PickEngine("Longest");
  PickEngine("TooLong");
  ASSERT_TRUE(urls_.WaitForLines(1));
  kfhost::PumpMessages(500);  // time for a second recorder, were one started
  ASSERT_EQ(1u, urls_.Lines().size());
  EXPECT_EQ(longest, urls_.Lines()[0].size());
  ASSERT_EQ(1u, boxes_.Count());
  EXPECT_NE(std::string::npos, BoxTexts()[0].find(std::to_string(longest + 1) + " characters"));
}

TEST_F(SearchCommandTest, AnEmptyTemplateOpensAWebAddressSelectedInTheMailAsItIs) {
  sandbox_.WriteEngine("Engine.ini", "");
  // Not encoded: the % and the brackets stay.
  EXPECT_EQ("https://example.org/a?b=%41&c=[d]", SearchFor("https://example.org/a?b=%41&c=[d]"));
}

// --- encodings -----------------------------------------------------------

TEST_F(SearchCommandTest, OnlyTheExactValuesEucAndUtf8ChangeTheEncoding) {
  SKIP_UNLESS_CODE_PAGE_932();
  sandbox_.WriteEngine("Euc.ini", "https://example.com/?q=", std::string("euc"));
  sandbox_.WriteEngine("Upper.ini", "https://example.com/?q=", std::string("EUC"));
  sandbox_.WriteEngine("Missing.ini", "https://example.com/?q=", std::nullopt);
  sandbox_.WriteEngine("Sjis.ini", "https://example.com/?q=", std::string("sjis"));
  sandbox_.WriteEngine("Utf8.ini", "https://example.com/?q=", std::string("utf8"));
  sandbox_.WriteEngine("Utf8Upper.ini", "https://example.com/?q=", std::string("UTF-8"));
  SelectInMail(u8"件名: テスト\r\n\r\n検索エンジンで検索します。\r\n", u8"検索");
  const Strings engines = {"Euc", "Upper", "Missing", "Sjis", "Utf8", "Utf8Upper"};
  for (std::size_t i = 0; i < engines.size(); ++i) {
    PickEngine(engines[i]);
    ASSERT_TRUE(urls_.WaitForLines(i + 1)) << engines[i];
  }
  EXPECT_EQ(Strings({"https://example.com/?q=%B8%A1%BA%F7", "https://example.com/?q=%8C%9F%8D%F5",
                     "https://example.com/?q=%8C%9F%8D%F5", "https://example.com/?q=%8C%9F%8D%F5",
                     "https://example.com/?q=%E6%A4%9C%E7%B4%A2", "https://example.com/?q=%8C%9F%8D%F5"}),
            urls_.Lines());
}

// Name kanji from the IBM rows of code page 932 arrive as eucJP-ms, which
// sites that take EUC-JP read; a byte that is no character never swallows
// the next one.
TEST_F(SearchCommandTest, AnEucEngineSendsOnlyEucJp) {
  SKIP_UNLESS_CODE_PAGE_932();
  sandbox_.WriteEngine("Euc.ini", "https://example.com/?q=", std::string("euc"));
  EXPECT_EQ("https://example.com/?q=%8F%F4%FB%B6%B6", SearchFor(u8"髙橋", "Euc"));
  SelectInMail(u8"x \u0080abc y", u8"\u0080abc");
  PickEngine("Euc");
  ASSERT_TRUE(urls_.WaitForLines(2));
  EXPECT_EQ("https://example.com/?q=%3Fabc", urls_.Lines()[1]);
}

TEST_F(SearchCommandTest, AUtf8EngineSearchesAnyCharacterOfTheMailAndKeepsTheClipboard) {
  sandbox_.WriteEngine("Utf8.ini", "https://example.com/?q=[WORD]&ie=utf-8", std::string("utf8"));
  const std::wstring users = L"\uD55C\uAE00 \U0001F600";
  ASSERT_TRUE(kft::clip::PutUnicode(users));
  sandbox_.Window().ShowMail(kft::Utf8ToWide(u8"件名: 検索\r\n\r\ncafé 中 / \U0001F600 / a b\r\n"));
  const Strings words = {u8"検索", u8"café 中", u8"\U0001F600", "a b"};
  for (std::size_t i = 0; i < words.size(); ++i) {
    ASSERT_TRUE(sandbox_.Window().SelectText(kft::Utf8ToWide(words[i])));
    PickEngine("Utf8");
    ASSERT_TRUE(urls_.WaitForLines(i + 1)) << i;
  }
  EXPECT_EQ(Strings({"https://example.com/?q=%E6%A4%9C%E7%B4%A2&ie=utf-8",
                     "https://example.com/?q=caf%C3%A9+%E4%B8%AD&ie=utf-8",
                     "https://example.com/?q=%F0%9F%98%80&ie=utf-8", "https://example.com/?q=a+b&ie=utf-8"}),
            urls_.Lines());
  EXPECT_EQ(0, boxes_.Count());
  EXPECT_EQ(std::optional<std::wstring>(users), kft::clip::GetUnicode());
}

TEST_F(SearchCommandTest, AUtf8EngineWithAnEmptyTemplateOpensTheAddressWithOnlyItsNonAsciiEscaped) {
  // Raw UTF-8 bytes would reach the browser read in the ANSI code page.
  sandbox_.WriteEngine("Engine.ini", "", std::string("utf8"));
  EXPECT_EQ("https://example.org/wiki/%E6%A4%9C%E7%B4%A2?q=caf%C3%A9&x=%41[d]",
            SearchFor(u8"https://example.org/wiki/検索?q=café&x=%41[d]"));
}

TEST_F(SearchCommandTest, AJapaneseWordWhoseTrailByteIsABackslashIsSearchedWhole) {
  SKIP_UNLESS_CODE_PAGE_932();
  // 表 = 95 5C, 能 = 94 5C, ソ = 83 5C.
  const std::string folder = kft::Sjis(u8"表示");
  sandbox_.WriteEngine(folder + "\\" + kft::Sjis(u8"ソフト.ini"), "https://example.com/?q=[WORD]&e=1");
  sandbox_.WriteEngine(folder + "\\" + kft::Sjis(u8"能.ini"), "https://example.com/?q=", std::string("euc"));
  SelectInMail(u8"本文: 表示能力のテスト\r\n", u8"表示能力");
  // One at a time: the shell starts a recorder per address, and two
  // recorders may finish in either order.
  PickEngine(u8"表示/ソフト");
  ASSERT_TRUE(urls_.WaitForLines(1));
  PickEngine(u8"表示/能");
  ASSERT_TRUE(urls_.WaitForLines(2));
  EXPECT_EQ(Strings({"https://example.com/?q=%95%5C%8E%A6%94%5C%97%CD&e=1",
                     "https://example.com/?q=%C9%BD%BC%A8%C7%BD%CE%CF"}),
            urls_.Lines());
}

TEST_F(SearchCommandTest, ATrailByteThatLooksLikeABracketStartsNoPlaceholder) {
  SKIP_UNLESS_CODE_PAGE_932();
  // ー = 81 5B: its trail byte followed by "WORD]" reads as "[WORD]" byte-wise.
  const std::string tmpl = "https://example.com/" + kft::Sjis(u8"ー") + "WORD]?q=";
  sandbox_.WriteEngine("Engine.ini", tmpl);
  EXPECT_EQ(tmpl + "abc", SearchFor("abc"));
}

TEST_F(SearchCommandTest, ASelectionOutsideTheAnsiCodePageArrivesAsTheHostCopiedIt) {
  // The host copies Unicode; the word is read as the system's ANSI rendering.
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  const std::string word = u8"caf\u00E9\uD55C";
  const std::string ansi = kft::WideToAnsi(kft::Utf8ToWide(word));
  std::string expected = "https://example.com/?q=";
  for (unsigned char b : ansi) {
    char hex[4];
    wsprintfA(hex, (b >= 0x80 || b == '?') ? "%%%02X" : "%c", b);
    expected += hex;
  }
  EXPECT_EQ(expected, SearchFor(word));
}

// --- which command -----------------------------------------------------------

TEST_F(SearchCommandTest, TheHighWordOfTheCommandValueIsIgnored) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  kfhost::SetNextCommandId(5);
  EXPECT_EQ("https://example.com/?q=abc", SearchFor("abc"));
  const kfhost::CommandDispatch& dispatch = sandbox_.Window().LastDispatch();
  EXPECT_EQ(dispatch.registeredId, LOWORD(dispatch.param));
  EXPECT_LT(dispatch.registeredId, 16u);
  EXPECT_NE(0, HIWORD(dispatch.param));
}

TEST_F(SearchCommandTest, AnIdFromBeforeTheLastBuildSearchesNothing) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  SelectInMail("one two three", "two");
  const MenuItem* old = nullptr;
  std::vector<MenuItem> first = sandbox_.BuildMenu(3);
  old = kft::FindMenuItem(first, "Search engines/Engine");
  ASSERT_NE(nullptr, old);
  const UINT oldId = old->id;
  const std::vector<MenuItem> second = sandbox_.BuildMenu(4);
  const MenuItem* fresh = kft::FindMenuItem(second, "Search engines/Engine");
  ASSERT_NE(nullptr, fresh);
  ASSERT_NE(oldId, fresh->id);

  sandbox_.Window().SendMenuCommand(oldId);
  ASSERT_TRUE(sandbox_.Window().LastDispatch().found) << "the host still knows the old command";
  EXPECT_TRUE(urls_.ExpectNothingOpened());
  EXPECT_EQ(0, boxes_.Count());

  sandbox_.Window().SendMenuCommand(fresh->id);
  EXPECT_EQ("https://example.com/?q=two", OpenedUrl());
}

TEST_F(SearchCommandTest, AnEngineDeletedAfterTheMenuWasBuiltIsPassedOverSilently) {
  const std::string ini = sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  SelectInMail("one two three", "two");
  const std::vector<MenuItem> host = sandbox_.BuildMenu(3);
  const MenuItem* item = kft::FindMenuItem(host, "Search engines/Engine");
  ASSERT_NE(nullptr, item);
  ASSERT_TRUE(DeleteFileA(ini.c_str()));
  sandbox_.Window().SendMenuCommand(item->id);
  EXPECT_TRUE(urls_.ExpectNothingOpened());
  EXPECT_EQ(0, boxes_.Count());
}

// --- nothing selected --------------------------------------------------------

TEST_F(SearchCommandTest, NothingSelectedSearchesNothingAndLeavesTheClipboardText) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  sandbox_.Window().ShowMail(L"a mail with nothing selected");
  sandbox_.Window().SelectRange(0, 0);
  ASSERT_TRUE(kft::clip::PutText("kept text"));
  PickEngine("Engine");
  EXPECT_EQ(1, sandbox_.Window().CopyRequestCount());
  EXPECT_TRUE(urls_.ExpectNothingOpened());
  EXPECT_EQ(0, boxes_.Count());
  EXPECT_EQ(std::optional<std::string>("kept text"), kft::clip::GetText());
}

TEST_F(SearchCommandTest, NothingSelectedKeepsAnImageOnTheClipboard) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  sandbox_.Window().ShowMail(L"a mail with nothing selected");
  sandbox_.Window().SelectRange(0, 0);
  ASSERT_TRUE(kft::clip::PutBitmap(5, 4));
  PickEngine("Engine");
  EXPECT_TRUE(urls_.ExpectNothingOpened(300));
  EXPECT_TRUE(kft::clip::HasFormat(CF_BITMAP));
  EXPECT_FALSE(kft::clip::HasFormat(CF_TEXT));
}

TEST_F(SearchCommandTest, NothingSelectedOnAnEmptyClipboardLeavesItEmpty) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  sandbox_.Window().ShowMail(L"a mail");
  sandbox_.Window().SelectRange(0, 0);
  PickEngine("Engine");
  EXPECT_TRUE(urls_.ExpectNothingOpened(300));
  EXPECT_EQ(0, kft::clip::CountFormats());
}

// --- the user's clipboard survives a search ----------------------------------

TEST_F(SearchCommandTest, ClipboardTextIsTheSameAfterTheSearch) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  ASSERT_TRUE(kft::clip::PutText("the user's own text"));
  EXPECT_EQ("https://example.com/?q=word", SearchFor("word"));
  EXPECT_EQ(std::optional<std::string>("the user's own text"), kft::clip::GetText());
}

TEST_F(SearchCommandTest, UnicodeClipboardTextKeepsCharactersOutsideTheAnsiCodePage) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  const std::wstring text = L"\uD55C\uAE00 \u0107 \u20AC \U0001F600 \u691C\u7D22";
  ASSERT_TRUE(kft::clip::PutUnicode(text));
  EXPECT_EQ("https://example.com/?q=word", SearchFor("word"));
  EXPECT_EQ(std::optional<std::wstring>(text), kft::clip::GetUnicode());
}

TEST_F(SearchCommandTest, AnImageOnTheClipboardSurvivesTheSearch) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  ASSERT_TRUE(kft::clip::PutBitmap(7, 3));
  const std::optional<std::string> dibBefore = kft::clip::GetBytes(CF_DIB);
  ASSERT_TRUE(dibBefore.has_value());
  EXPECT_EQ("https://example.com/?q=word", SearchFor("word"));
  EXPECT_TRUE(kft::clip::HasFormat(CF_BITMAP));
  EXPECT_EQ(dibBefore, kft::clip::GetBytes(CF_DIB));
  EXPECT_FALSE(kft::clip::HasFormat(CF_TEXT)) << "the copied word is gone again";
}

TEST_F(SearchCommandTest, AProgramsOwnFormatSurvivesByteForByte) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  const std::string bytes("\x00\x01private\xFF\x00\x5C", 12);
  const UINT format = kft::clip::PutCustom("Kestrelfind Test Format", bytes);
  ASSERT_NE(0u, format);
  EXPECT_EQ("https://example.com/?q=word", SearchFor("word"));
  const std::optional<std::string> back = kft::clip::GetBytes(format);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(bytes, back->substr(0, bytes.size()));
}

TEST_F(SearchCommandTest, ABusyClipboardIsReportedAndNeitherCopiedOverNorSearched) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  ASSERT_TRUE(kft::clip::PutText("precious"));
  SelectInMail("one two three", "two");
  {
    kft::clip::Holder holder(1500);
    PickEngine("Engine");
  }
  EXPECT_EQ(0, sandbox_.Window().CopyRequestCount()) << "the host's copy would overwrite unsaved data";
  ASSERT_EQ(1u, boxes_.Count());
  EXPECT_EQ(u8"Cannot open the clipboard: another program is using it.", BoxTexts()[0]);
  EXPECT_TRUE(urls_.ExpectNothingOpened(300));
  EXPECT_EQ(std::optional<std::string>("precious"), kft::clip::GetText());
}

TEST_F(SearchCommandTest, AClipboardBusyForAMomentDoesNotStopTheSearch) {
  sandbox_.WriteEngine("Engine.ini", "https://example.com/?q=");
  SelectInMail("one two three", "two");
  {
    kft::clip::Holder holder(150);
    PickEngine("Engine");
  }
  EXPECT_EQ("https://example.com/?q=two", OpenedUrl());
  EXPECT_EQ(0, boxes_.Count());
}

// --- what the shell may be asked to open -------------------------------------

struct RefusedCase {
  const char* name;
  const char* selection;
  const char* tmpl;
  const char* shownAddress;
};

// Test names and messages show the case's name, not its bytes.
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedAddressTest : public SearchFixture, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedAddressTest, MailTextNeverChoosesWhatTheShellStarts) {
  const RefusedCase& c = GetParam();
  sandbox_.WriteEngine("Engine.ini", c.tmpl);
  SelectInMail(std::string("Please open ") + c.selection + " now", c.selection);
  PickEngine("Engine");
  EXPECT_TRUE(urls_.ExpectNothingOpened());
  ASSERT_EQ(1u, boxes_.Count());
  const kft::SeenMessageBox& box = boxes_.Boxes()[0];
  EXPECT_EQ(std::string("The address \"") + c.shownAddress +
                "\" was not opened: it is not a web address.",
            box.TextUtf8());
  EXPECT_TRUE(box.IsOkOnly());
  EXPECT_EQ(kft::BoxIcon::Warning, box.icon);
  EXPECT_EQ("Kestrelfind", box.CaptionUtf8()) << "the caption names who speaks; the text does not";
}

INSTANTIATE_TEST_SUITE_P(
    EmptyAndPlaceholderTemplates, RefusedAddressTest,
    ::testing::Values(
        RefusedCase{"ProgramBare", "calc.exe", "", "calc.exe"},
        RefusedCase{"ProgramInPlaceholder", "calc.exe", "[WORD]", "calc.exe"},
        RefusedCase{"UncPathBare", "\\\\server\\share\\x", "", "\\\\server\\share\\x"},
        RefusedCase{"UncPathInPlaceholder", "\\\\server\\share\\x", "[WORD]", "%5C%5Cserver%5Cshare%5Cx"},
        RefusedCase{"ProtocolBare", "ms-msdt:/id", "", "ms-msdt:/id"},
        RefusedCase{"ProtocolInPlaceholder", "ms-msdt:/id", "[WORD]", "ms-msdt%3A%2Fid"},
        RefusedCase{"SearchProtocolBare", "search-ms:query=x", "", "search-ms:query=x"},
        RefusedCase{"DrivePathBare", "C:\\Windows\\notepad.exe", "", "C:\\Windows\\notepad.exe"},
        RefusedCase{"WebAddressWithABlankBare", "https://example.com/a b", "", "https://example.com/a b"},
        RefusedCase{"QuotedWebAddressBare", "https://example.com/a\"b", "", "https://example.com/a\"b"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

// The rules of what may be opened, with the reason each refusal gives.
TEST_F(SearchCommandTest, TheWordNeverPicksAPathExtendsAHostOrBendsABareAddress) {
  sandbox_.WriteEngine("File.ini", "file:///C:/x/[WORD]");
  sandbox_.WriteEngine("Host.ini", "https://www.google.com");
  sandbox_.WriteEngine("Sub.ini", "https://[WORD].example.com/");
  sandbox_.WriteEngine("Bare.ini", "");
  sandbox_.WriteEngine("NoHandler.ini", "kfnohandler://x?q=[WORD]");
  const struct {
    const char* selection;
    const char* engine;
    const char* opened;  // or the refusal's words
  } cases[] = {
      {"calc.exe", "File", "A URL of the scheme \"file:\" cannot take the selected word"},
      {".evil.com", "Host", "https://www.google.com/.evil.com"},
      {"a", "Sub", "https://a.example.com/"},
      {"http://\\\\evil\\share", "Bare", "a \"\\\" or \"@\" stands before its path"},
      {"https://google.com@evil.com/", "Bare", "a \"\\\" or \"@\" stands before its path"},
      {"http://x%../a", "Bare", "not followed by two hexadecimal digits"},
      {"word", "NoHandler", "\"kfnohandler://x?q=word\" could not be opened: "},
  };
  std::size_t opened = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selection);
    boxes_.Clear();
    SelectInMail(std::string("x ") + c.selection + " y", c.selection);
    PickEngine(c.engine);
    if (std::string(c.opened).rfind("https://", 0) == 0) {
      ASSERT_TRUE(urls_.WaitForLines(++opened));
      EXPECT_EQ(c.opened, urls_.Lines().back());
      EXPECT_EQ(0, boxes_.Count());
    } else {
      kfhost::PumpMessages(200);
      EXPECT_EQ(opened, urls_.Lines().size()) << "nothing more opened";
      ASSERT_EQ(1, boxes_.Count());
      EXPECT_NE(std::string::npos, BoxTexts()[0].find(c.opened)) << BoxTexts()[0];
    }
  }
}

// The selection as people make it in a mail, cleaned of line breaks, quote
// marks and stray spaces before it is encoded, for every encoding; raw for an
// engine that says clean=0.
TEST_F(SearchCommandTest, MailTextIsCleanedForEveryEncodingUnlessTheEngineSaysNot) {
  sandbox_.WriteEngine("S.ini", "https://e/?q=", std::string("sjis"));
  sandbox_.WriteEngine("E.ini", "https://e/?q=", std::string("euc"));
  sandbox_.WriteEngine("U.ini", "https://e/?q=", std::string("utf8"));
  sandbox_.WriteEngine("Raw.ini", "https://e/?q=", std::string("sjis"));
  SetEngineKey("Raw.ini", "clean", "0");
  sandbox_.WriteEngine("Bare.ini", "", std::string("utf8"));
  const bool japanese = kft::IsCodePage932();
  struct Case {
    const char* mail;
    const char* selection;
    const char* engine;
    const char* url;  // "" when nothing is searched
    bool needs932;    // the ANSI form of the selection exists only under 932
  };
  const Case cases[] = {
      {u8"検索\r\nエンジンです", u8"検索\r\nエンジン", "S", "https://e/?q=%8C%9F%8D%F5%83G%83%93%83W%83%93", true},
      {u8"検索\r\nエンジンです", u8"検索\r\nエンジン", "E", "https://e/?q=%B8%A1%BA%F7%A5%A8%A5%F3%A5%B8%A5%F3", true},
      {u8"検索\r\nエンジンです", u8"検索\r\nエンジン", "U",
       "https://e/?q=%E6%A4%9C%E7%B4%A2%E3%82%A8%E3%83%B3%E3%82%B8%E3%83%B3", false},
      {"> quoted\r\n> text\r\n", "> quoted\r\n> text", "S", "https://e/?q=quoted+text", false},
      {"> quoted\r\n> text\r\n", "> quoted\r\n> text", "U", "https://e/?q=quoted+text", false},
      {u8"＞＞　引用です", u8"＞＞　引用", "S", "https://e/?q=%88%F8%97p", true},
      {u8"＞＞　引用です", u8"＞＞　引用", "E", "https://e/?q=%B0%FA%CD%D1", true},
      {u8"＞＞　引用です", u8"＞＞　引用", "U", "https://e/?q=%E5%BC%95%E7%94%A8", false},
      {u8"x   word　 y", u8"  word　", "U", "https://e/?q=word", false},
      {"x a  \t b y", "a  \t b", "S", "https://e/?q=a+b", false},
      {"x a|b y", "a|b", "E", "https://e/?q=a%7Cb", false},
      {">>\r\n>> \r\nz", ">>\r\n>> ", "S", "https://e/?q=%3E%3E%0D%0A%3E%3E", false},
      {"x  \r\n  y", "  \r\n  ", "S", "", false},
      {"x a\r\nb y", "a\r\nb", "Raw", "https://e/?q=a%0D%0Ab", false},
      {"see https://example.com/a\r\nb/c now", "https://example.com/a\r\nb/c", "Bare", "https://example.com/ab/c",
       false},
  };
  std::size_t opened = 0;
  for (const Case& c : cases) {
    if (c.needs932 && !japanese)
      continue;
    SCOPED_TRACE(std::string(c.engine) + ": " + c.selection);
    SelectInMail(c.mail, c.selection);
    PickEngine(c.engine);
    if (*c.url) {
      ASSERT_TRUE(urls_.WaitForLines(++opened));
      EXPECT_EQ(c.url, urls_.Lines().back());
    } else {
      kfhost::PumpMessages(200);
      EXPECT_EQ(opened, urls_.Lines().size()) << "nothing more opened";
    }
  }
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(SearchCommandTest, APlaceholderOnlyTemplateRefusesEvenAWebAddress) {
  sandbox_.WriteEngine("Engine.ini", "[WORD]");
  // Encoded, the selection is no longer a web address: refused like any other.
  SelectInMail("see https://example.com/x", "https://example.com/x");
  PickEngine("Engine");
  EXPECT_TRUE(urls_.ExpectNothingOpened());
  ASSERT_EQ(1u, boxes_.Count());
  EXPECT_NE(std::string::npos, BoxTexts()[0].find("https%3A%2F%2Fexample.com%2Fx"));
}

TEST_F(SearchCommandTest, ARefusedAddressIsShortenedInTheMessage) {
  sandbox_.WriteEngine("Engine.ini", "");
  const std::string longWord = "calc" + std::string(400, 'x') + ".exe";
  SelectInMail("open " + longWord, longWord);
  PickEngine("Engine");
  EXPECT_TRUE(urls_.ExpectNothingOpened(300));
  ASSERT_EQ(1u, boxes_.Count());
  const std::string text = BoxTexts()[0];
  EXPECT_LT(text.size(), 320u);
  EXPECT_NE(std::string::npos, text.find("calcxxxx"));
  EXPECT_NE(std::string::npos, text.find("...\" was not opened"));
}

}  // namespace
}  // namespace kfsearch

namespace kfsearch {
namespace {

// The library itself in a folder whose name holds 0x5C trail bytes: the
// engine folder is found, created and searched beside it all the same.
TEST(PluginInJapaneseFolderTest, CreatesItsStoreThereAndSearchesFromIt) {
  SKIP_UNLESS_CODE_PAGE_932();
  const std::string parent = kft::MakeTempFolder("kf");
  ASSERT_FALSE(parent.empty());
  const std::string folder = kft::Join(parent, kft::Sjis(u8"表ソ能"));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  {
    kft::PluginSandbox::Options options;
    options.folder = folder;
    kft::PluginSandbox sandbox(options);
    ASSERT_TRUE(sandbox.Ready());
    ASSERT_TRUE(sandbox.Load());
    kft::MessageBoxWatcher boxes;
    kft::UrlLog urls;

    ASSERT_FALSE(kft::DirectoryExists(sandbox.EngineDir()));
    const std::vector<kft::MenuItem> host = sandbox.BuildMenu(3);
    ASSERT_TRUE(kft::DirectoryExists(sandbox.EngineDir())) << kft::AnsiToUtf8(sandbox.EngineDir());
    EXPECT_NE(nullptr, kft::FindMenuItem(host, "Search engines/No Item"));

    sandbox.WriteEngine(kft::Sjis(u8"表/ソ.ini"), "https://example.com/?q=");
    sandbox.Window().ShowMail(kft::Utf8ToWide(u8"機能を表示"));
    ASSERT_TRUE(sandbox.Window().SelectText(kft::Utf8ToWide(u8"機能")));
    ASSERT_TRUE(sandbox.Pick(3, u8"Search engines/表/ソ"));
    ASSERT_TRUE(urls.WaitForLines(1));
    EXPECT_EQ("https://example.com/?q=%8B@%94%5C", urls.Lines()[0]);
    EXPECT_EQ(0u, boxes.Count());
  }
  kft::RemoveTree(parent);
}

}  // namespace
}  // namespace kfsearch
