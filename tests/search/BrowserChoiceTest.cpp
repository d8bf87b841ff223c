// Searches that open in a chosen browser or a private window. The browsers
// are copies of the URL recorder under their programs' names, which record
// their name and each argument they were given; the shell's own opens
// record the address alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "SearchFixture.h"

namespace kfsearch {
namespace {

using Strings = std::vector<std::string>;

constexpr char kUserChoice[] = "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoice";
constexpr char kProgId[] = "KestrelfindTest.Browser";

// The user's choice of default browser for https, pointing at program, for
// the life of the object.
class DefaultBrowser {
 public:
  explicit DefaultBrowser(const std::string& program) {
    SetString(HKEY_CURRENT_USER, kUserChoice, "ProgId", kProgId);
    // Quoted, with a switch before "%1", as browsers register themselves.
    const std::string command = "\"" + program + "\" --single-argument %1";
    SetString(HKEY_CLASSES_ROOT, (std::string(kProgId) + "\\shell\\open\\command").c_str(), nullptr, command);
  }
  ~DefaultBrowser() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kUserChoice);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
  }
  DefaultBrowser(const DefaultBrowser&) = delete;
  DefaultBrowser& operator=(const DefaultBrowser&) = delete;

 private:
  static void SetString(HKEY root, const char* path, const char* name, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                            static_cast<DWORD>(value.size() + 1)));
    RegCloseKey(key);
  }
};

class BrowserChoiceTest : public SearchFixture {
 protected:
  // A stand-in browser at rel below the sandbox; returns its full path.
  std::string Browser(const std::string& rel) {
    const std::string path = kft::Join(sandbox_.Folder() + "Browsers", rel);
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
      CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    EXPECT_TRUE(kft::CopyFileTo(kft::BinFile("urlrecorder.exe"), path)) << path;
    return path;
  }

  void WriteEngine(const std::string& rel, const char* privateWindow, const std::string& browser = std::string()) {
    sandbox_.WriteEngine(rel, "https://example.com/find?q=[WORD]", "utf8");
    SetEngineKey(rel, "private", privateWindow);
    SetEngineKey(rel, "browser", browser.empty() ? nullptr : browser.c_str());
  }

  // Searches "word" with the engine at rel and returns the one line recorded.
  std::string Search(const std::string& rel) {
    SelectInMail("one word here", "word");
    PickEngine(rel.substr(0, rel.size() - 4));
    return OpenedUrl();
  }
};

constexpr char kAddress[] = "https://example.com/find?q=word";

TEST_F(BrowserChoiceTest, APrivateWindowGetsTheDefaultBrowsersOwnSwitch) {
  const struct {
    const char* program;
    const char* privateSwitch;
  } kBrowsers[] = {
      {"Edge/msedge.exe", "--inprivate"},          {"Chrome/chrome.exe", "--incognito"},
      {"Chromium/chromium.exe", "--incognito"},    {"Brave/brave.exe", "--incognito"},
      {"Vivaldi/vivaldi.exe", "--incognito"},      {"Firefox/firefox.exe", "-private-window"},
      {"Opera GX/launcher.exe", "--private"},
  };
  WriteEngine("Engine.ini", "1");
  for (const auto& browser : kBrowsers) {
    const std::string program = Browser(browser.program);
    const DefaultBrowser chosen(program);
    const std::string name = program.substr(program.rfind('\\') + 1);
    EXPECT_EQ(name + "\t" + browser.privateSwitch + "\t" + kAddress, Search("Engine.ini")) << program;
    kft::RemoveTree(kft::Join(sandbox_.Folder(), "Browsers"));
    DeleteFileA(urls_.Path().c_str());
  }
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(BrowserChoiceTest, AnAddressOfQuotesBackslashesAndSpacesArrivesAsOneArgument) {
  const std::string program = Browser("Firefox/firefox.exe");
  // The template is the user's own: nothing in it may split the argument or
  // add a switch of its own.
  const std::string address = "https://example.com/a \"b\\\" --new c\\\\?q=";
  sandbox_.WriteEngine("Engine.ini", address + "[WORD]", "utf8");
  SetEngineKey("Engine.ini", "private", "1");
  SetEngineKey("Engine.ini", "browser", program.c_str());
  EXPECT_EQ("firefox.exe\t-private-window\t" + address + "word", Search("Engine.ini"));
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(BrowserChoiceTest, EachEngineOpensByItsOwnSettingOverThoseForAllEngines) {
  SetSetting("SearchAll", "1");
  SetSetting("Private", "1");
  SetSetting("Browser", Browser("Chrome/chrome.exe"));
  const std::string firefox = Browser("Firefox/firefox.exe");
  WriteEngine("Dict/1 All.ini", nullptr);
  WriteEngine("Dict/2 Normal.ini", "0");
  WriteEngine("Dict/3 Firefox.ini", nullptr, firefox);
  WriteEngine("Dict/4 Firefox normal.ini", "0", firefox);
  SelectInMail("one word here", "word");
  PickEngine("Dict/Search All (4)");
  ASSERT_TRUE(urls_.WaitForLines(4));
  EXPECT_EQ((Strings{std::string("chrome.exe\t--incognito\t") + kAddress, std::string("chrome.exe\t") + kAddress,
                     std::string("firefox.exe\t-private-window\t") + kAddress, std::string("firefox.exe\t") + kAddress}),
            urls_.Lines());
  EXPECT_EQ(0, boxes_.Count());
}

TEST_F(BrowserChoiceTest, NeitherSettingLeavesTheAddressToTheShell) {
  const DefaultBrowser chosen(Browser("Edge/msedge.exe"));
  WriteEngine("Engine.ini", nullptr);
  EXPECT_EQ(kAddress, Search("Engine.ini"));
}

TEST_F(BrowserChoiceTest, ABrowserThatCannotOpenTheSearchIsToldAndNothingOpens) {
  const std::string unknown = Browser("Other/mybrowser.exe");
  const std::string missing = sandbox_.Folder() + "chrome.exe";
  const struct {
    const char* privateWindow;
    std::string browser;
    std::string box;  // its beginning: the system's reason may follow
  } kCases[] = {
      {"1", unknown,
       "The search was not opened: \"" + unknown +
           "\" has no known switch for a private window. Choose a browser for the engine in the settings, or turn "
           "its private window off."},
      {"0", missing, "The browser \"" + missing + "\" could not be started to open \"" + kAddress + "\": "},
      {"0", "chrome.exe",
       "The browser \"chrome.exe\" was not started: a browser is named by the full path of its program. Choose its "
       "program in the settings."},
  };
  for (const auto& c : kCases) {
    WriteEngine("Engine.ini", c.privateWindow, c.browser);
    SelectInMail("one word here", "word");
    PickEngine("Engine");
    const Strings texts = BoxTexts();
    ASSERT_EQ(1u, texts.size()) << c.browser;
    EXPECT_EQ(c.box, texts[0].substr(0, c.box.size())) << texts[0];
    if (c.box.back() == ' ') {
      EXPECT_GT(texts[0].size(), c.box.size()) << "no reason in " << texts[0];
    }
    boxes_.Clear();
  }
  EXPECT_TRUE(urls_.ExpectNothingOpened());
}

}  // namespace
}  // namespace kfsearch
