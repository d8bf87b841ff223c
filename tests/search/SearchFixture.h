// The test program is the host: it loads a private copy of Kestrelfind.dll,
// builds its context menus, and picks items the way a user would.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostApi.h"
#include "KfTest.h"

namespace kfsearch {

using kft::MenuItem;

constexpr char kSearchEngines[] = "Search engines";

class PluginFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sandbox_.Ready());
    // Ids in the host's usual range, fresh for this test, whatever an
    // earlier test of the same run moved the counter to.
    kfhost::SetNextCommandId(40000 + static_cast<UINT>(kfhost::Registrations().size()));
    if (CreateStore())
      sandbox_.MakeFolder("");
    if (!Language().empty())
      WritePrivateProfileStringA("General", "Language", Language().c_str(), sandbox_.IniPath().c_str());
    ASSERT_TRUE(sandbox_.Load()) << "LoadLibrary error " << sandbox_.LoadError();
  }

  // Whether the engine folder exists before the library is loaded.
  virtual bool CreateStore() const { return true; }
  // The plug-in's Language setting when the library is loaded ("": none).
  virtual std::string Language() const { return std::string(); }

  // The items of the "Search engines" popup of a fresh host menu; fails the
  // test when the popup is missing.
  std::vector<MenuItem> SearchItems(int type = 3) {
    const std::vector<MenuItem> host = sandbox_.BuildMenu(type);
    const MenuItem* popup = kft::FindMenuItem(host, kSearchEngines);
    if (!popup || !popup->IsPopup()) {
      ADD_FAILURE() << "no \"Search engines\" popup in\n" << kft::MenuToText(host);
      return {};
    }
    return popup->children;
  }

  // Sets a key of an engine file's section "General" (written by
  // WriteEngine); a null value removes it.
  void SetEngineKey(const std::string& rel, const char* key, const char* value) {
    WritePrivateProfileStringA("General", key, value, sandbox_.EnginePath(rel).c_str());
  }
  // Sets a setting of the plug-in's own INI file.
  void SetSetting(const char* key, const std::string& value) {
    WritePrivateProfileStringA("General", key, value.c_str(), sandbox_.IniPath().c_str());
  }

  kft::PluginSandbox sandbox_;
  kft::MessageBoxWatcher boxes_;
};

// The search command's surroundings: a mail in the host window, the URL
// recorder's log, and the clipboard.
class SearchFixture : public PluginFixture {
 protected:
  void SetUp() override {
    PluginFixture::SetUp();
    ASSERT_TRUE(kft::clip::Clear());
  }

  // Shows the mail and selects the first occurrence of word (both UTF-8).
  void SelectInMail(const std::string& mailUtf8, const std::string& wordUtf8) {
    sandbox_.Window().ShowMail(kft::Utf8ToWide(mailUtf8));
    ASSERT_TRUE(sandbox_.Window().SelectText(kft::Utf8ToWide(wordUtf8)));
  }

  // Picks the engine at the UTF-8 menu path below "Search engines".
  void PickEngine(const std::string& utf8Path, int type = 3) {
    ASSERT_TRUE(sandbox_.Pick(type, std::string(kSearchEngines) + "/" + utf8Path))
        << "no engine item " << utf8Path << " in\n"
        << kft::MenuToText(sandbox_.BuildMenu(type));
  }

  // The one URL the shell was asked to open (ANSI bytes).
  std::string OpenedUrl() {
    EXPECT_TRUE(urls_.WaitForLines(1));
    const std::vector<std::string> lines = urls_.Lines();
    EXPECT_EQ(1u, lines.size());
    return lines.empty() ? std::string() : lines[0];
  }

  // Selects word in a mail, picks the engine whose file is engine.ini in the
  // root, and returns what the shell opened.
  std::string SearchFor(const std::string& wordUtf8, const std::string& engine = "Engine") {
    SelectInMail("Subject: test\r\n\r\nBefore " + wordUtf8 + " after.\r\n", wordUtf8);
    PickEngine(engine);
    return OpenedUrl();
  }

  // The error boxes seen so far, each its text in UTF-8.
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const kft::SeenMessageBox& box : boxes_.Boxes())
      texts.push_back(box.TextUtf8());
    return texts;
  }

  kft::UrlLog urls_;
};

#define SKIP_UNLESS_CODE_PAGE_932()                                   \
  do {                                                                \
    if (GetACP() != 932)                                              \
      GTEST_SKIP() << "needs the Japanese ANSI code page (932)";      \
  } while (0)

}  // namespace kfsearch
