// The command line that opens an address in a chosen browser or a private
// window, read back by the platform's own parser.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BrowserCommand.h"

namespace {

// The arguments CommandLineToArgvW finds in command, the program first.
std::vector<std::wstring> ArgumentsOf(const std::wstring& command) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(command.c_str(), &count);
  std::vector<std::wstring> out(args, args + (args ? count : 0));
  LocalFree(args);
  return out;
}

TEST(BrowserCommand, TheAddressArrivesWholeAsOneArgumentWhateverItHolds) {
  const std::wstring program = L"C:\\Program Files\\Mozilla Firefox\\firefox.exe";
  const std::wstring addresses[] = {
      L"https://example.com/search?q=%E7%94%B0",
      L"https://example.com/a b\"c\\\"d\\",
      // A quote that would end the argument and start switches of its own.
      L"https://x/\" --user-data-dir=C:\\evil \"",
      L"https://x/\\\\\\\"\\\\",
      L"C:\\Users\\\u7530\u4e2d\\AppData\\Local\\Temp\\Kestrelfind-post-0000ABCD.html",
      L"trailing\\\\",
      L"",
  };
  for (const std::wstring& address : addresses) {
    const std::vector<std::wstring> withSwitch = ArgumentsOf(kf::BrowserCommandLine(program, L"-private-window", address));
    EXPECT_EQ(withSwitch, (std::vector<std::wstring>{program, L"-private-window", address}));
    const std::vector<std::wstring> plain = ArgumentsOf(kf::BrowserCommandLine(program, nullptr, address));
    EXPECT_EQ(plain, (std::vector<std::wstring>{program, address}));
  }
}

TEST(BrowserCommand, KnowsTheBrowsersByTheirProgramsFileName) {
  const struct {
    const wchar_t* program;
    const wchar_t* privateSwitch;  // null: none known
  } kCases[] = {
      {L"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\msedge.exe", L"--inprivate"},
      {L"C:\\Program Files\\Google\\Chrome\\Application\\CHROME.EXE", L"--incognito"},
      {L"C:\\Chromium\\chromium.exe", L"--incognito"},
      {L"C:\\BraveSoftware\\Brave-Browser\\Application\\brave.exe", L"--incognito"},
      {L"C:/Vivaldi/Application/vivaldi.exe", L"--incognito"},
      {L"C:\\Program Files\\Mozilla Firefox\\firefox.exe", L"-private-window"},
      {L"D:\\LibreWolf\\librewolf.exe", L"-private-window"},
      {L"opera.exe", L"--private"},
      {L"C:\\Users\\u\\AppData\\Local\\Programs\\Opera GX\\launcher.exe", L"--private"},
      {L"C:\\Tools\\launcher.exe", nullptr},
      {L"C:\\windows\\system32\\winebrowser.exe", nullptr},
      {L"C:\\Program Files\\Internet Explorer\\iexplore.exe", nullptr},
      {L"C:\\chrome.exe\\other.exe", nullptr},
      {L"", nullptr},
  };
  for (const auto& c : kCases) {
    const wchar_t* found = kf::PrivateWindowSwitch(c.program);
    if (c.privateSwitch)
      EXPECT_STREQ(found, c.privateSwitch) << c.program;
    else
      EXPECT_EQ(found, nullptr) << c.program;
  }
}

TEST(BrowserCommand, TheProgramOfARegisteredCommandAndWhatIsAFullPath) {
  EXPECT_EQ(kf::ProgramOfCommand(L"\"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe\" --single-argument %1"),
            L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe");
  EXPECT_EQ(kf::ProgramOfCommand(L"C:\\Program Files\\Mozilla Firefox\\firefox.exe -osint -url \"%1\""),
            L"C:\\Program Files\\Mozilla Firefox\\firefox.exe");
  EXPECT_EQ(kf::ProgramOfCommand(L"  C:\\PROGRA~1\\Opera\\launcher.EXE"), L"C:\\PROGRA~1\\Opera\\launcher.EXE");
  EXPECT_EQ(kf::ProgramOfCommand(L"C:\\tools\\open %1"), L"C:\\tools\\open");
  EXPECT_EQ(kf::ProgramOfCommand(L"\"C:\\unterminated"), L"C:\\unterminated");
  EXPECT_EQ(kf::ProgramOfCommand(L""), L"");

  for (const wchar_t* full : {L"C:\\b.exe", L"z:/b.exe", L"\\\\server\\share\\b.exe"})
    EXPECT_TRUE(kf::IsFullProgramPath(full)) << full;
  for (const wchar_t* bare : {L"b.exe", L"C:b.exe", L"\\b.exe", L".\\b.exe", L"1:\\b.exe", L"C:", L""})
    EXPECT_FALSE(kf::IsFullProgramPath(bare)) << bare;
}

TEST(BrowserCommand, AnEnginesOwnSettingsWinOverThoseForAllEngines) {
  const std::wstring mine = L"C:\\mine.exe";
  const std::wstring all = L"C:\\all.exe";
  EXPECT_TRUE(kf::ChooseBrowser("", L"", "", L"").UsesShell());
  EXPECT_TRUE(kf::ChooseBrowser("0", L"", "1", L"").UsesShell());
  EXPECT_TRUE(kf::ChooseBrowser("1", L"", "", L"").privateWindow);
  EXPECT_TRUE(kf::ChooseBrowser("", L"", "1", L"").privateWindow);
  // Only "1" and "0" are settings; anything else follows the one for all.
  EXPECT_TRUE(kf::ChooseBrowser("yes", L"", "1", L"").privateWindow);
  EXPECT_FALSE(kf::ChooseBrowser("yes", L"", "", L"").privateWindow);
  EXPECT_FALSE(kf::ChooseBrowser("", L"", "true", L"").privateWindow);
  EXPECT_EQ(kf::ChooseBrowser("", mine, "", all).program, mine);
  EXPECT_EQ(kf::ChooseBrowser("", L"", "", all).program, all);
}

}  // namespace
