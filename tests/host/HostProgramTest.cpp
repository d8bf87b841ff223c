// The host program as a separate process, the way the demo and the
// end-to-end scripts use it.
#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "KfTest.h"
#include "SettingForm.h"
#include "SettingLayout.h"

namespace {

std::string HostExe() { return kft::BinFile("BeckyHost.exe"); }

// A plug-ins folder with nothing in it, so the host loads nothing.
class EmptyPluginFolder {
 public:
  EmptyPluginFolder() : path_(kft::MakeTempFolder("kf-empty")) {}
  ~EmptyPluginFolder() { kft::RemoveTree(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

TEST(HostProgram, RunsCommandsAndPrintsUtf8) {
  EmptyPluginFolder plugins;
  const std::string mail = plugins.Path() + "mail.txt";
  ASSERT_TRUE(kft::WriteBytes(mail, u8"\xEF\xBB\xBFSubject: 日本語\nBody with a word.\n"));
  const auto run = kft::RunProgram(
      HostExe(), {"--hidden", "--plugins", kft::AnsiToUtf8(plugins.Path()), "-e", "mail " + kft::AnsiToUtf8(mail),
                  "-e", u8"select 日本語", "-e", "selection", "-e", "echo done", "-e", "menu 5", "-e", "plugins"});
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(0u, run.exitCode) << run.err;
  EXPECT_EQ((std::vector<std::string>{u8"日本語", "done", "menu 5:", "  &Copy  #65281", "  Select &All  #65282"}),
            run.OutLines());
}

TEST(HostProgram, ScriptFileStopsAtTheFirstError) {
  EmptyPluginFolder plugins;
  const std::string script = plugins.Path() + "script.txt";
  ASSERT_TRUE(kft::WriteBytes(script, "# a comment\n\necho one\nfrobnicate now\necho never\n"));
  const auto run =
      kft::RunProgram(HostExe(), {"--hidden", "--plugins", kft::AnsiToUtf8(plugins.Path()), "--script",
                                  kft::AnsiToUtf8(script)});
  ASSERT_TRUE(run.started);
  EXPECT_EQ(1u, run.exitCode);
  EXPECT_EQ((std::vector<std::string>{"one"}), run.OutLines());
  EXPECT_NE(std::string::npos, run.err.find("error: line 4: unknown command: frobnicate")) << run.err;
}

TEST(HostProgram, ReportsBadArgumentsOfCommands) {
  EmptyPluginFolder plugins;
  for (const char* command : {"menu three", "pick 3", "wait -1", "select", "selectrange 1", "mail", "screenshot x.gif",
                              "showmenu 3", "showmenu 3 \"\"", "boxes", "boxes p maybe", "click Form",
                              "settext Form 1", "keys Form 1", "click NoSuchClass 1"}) {
    const auto run =
        kft::RunProgram(HostExe(), {"--hidden", "--plugins", kft::AnsiToUtf8(plugins.Path()), "-e", command});
    EXPECT_EQ(1u, run.exitCode) << command;
    EXPECT_NE(std::string::npos, run.err.find("error: line 1:")) << command << ": " << run.err;
  }
  const auto unknownArgument = kft::RunProgram(HostExe(), {"--bogus"});
  EXPECT_EQ(2u, unknownArgument.exitCode);
}

TEST(HostProgram, PickOfAMissingOrHostItemIsReported) {
  EmptyPluginFolder plugins;
  const auto run = kft::RunProgram(
      HostExe(), {"--hidden", "--plugins", kft::AnsiToUtf8(plugins.Path()), "-e", "pick 3 \"Search engines/Web\""});
  EXPECT_EQ(1u, run.exitCode);
  EXPECT_NE(std::string::npos, run.err.find("no such menu item: Search engines/Web")) << run.err;
}

TEST(HostProgram, LoadFailuresAreRecordedAndTheHostGoesOn) {
  EmptyPluginFolder plugins;
  ASSERT_TRUE(kft::WriteBytes(plugins.Path() + "broken.dll", "MZ this is not a library"));
  const auto run = kft::RunProgram(HostExe(), {"--hidden", "--plugins", kft::AnsiToUtf8(plugins.Path()), "-e",
                                               "plugins", "-e", "echo still here"});
  EXPECT_EQ(0u, run.exitCode) << run.err;
  const auto lines = run.OutLines();
  ASSERT_EQ(2u, lines.size()) << run.out;
  EXPECT_EQ(0u, lines[0].find("failed ")) << lines[0];
  EXPECT_NE(std::string::npos, lines[0].find("broken.dll (error ")) << lines[0];
  EXPECT_EQ("still here", lines[1]);
}

TEST(HostProgram, ScreenshotWritesAnImage) {
  EmptyPluginFolder plugins;
  const std::string png = plugins.Path() + "shot.png";
  const std::string bmp = plugins.Path() + "shot.bmp";
  const auto run = kft::RunProgram(HostExe(), {"--plugins", kft::AnsiToUtf8(plugins.Path()), "-e", "wait 200", "-e",
                                               "screenshot " + kft::AnsiToUtf8(png), "-e",
                                               "screenshot " + kft::AnsiToUtf8(bmp) + " window"});
  EXPECT_EQ(0u, run.exitCode) << run.err;
  EXPECT_EQ(0u, kft::ReadBytes(png).find("\x89PNG"));
  EXPECT_EQ(0u, kft::ReadBytes(bmp).find("BM"));
}

// The menu on screen, its submenus opened by keys, the picture taken, and the
// menu closed again without running any engine.
TEST(HostProgram, ShowMenuOpensSubmenusAndClosesWithNothingChosen) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  sandbox.WriteEngine("Web/Google.ini", "kftest://g/?q=[WORD]", "utf8");
  sandbox.WriteEngine("Web/Bing.ini", "kftest://b/?q=[WORD]", "utf8");
  const std::string mail = sandbox.Folder() + "mail.txt";
  const std::string png = sandbox.Folder() + "menu.png";
  ASSERT_TRUE(kft::WriteBytes(mail, "Subject: test\nA word to search.\n"));
  kft::UrlLog urls;
  const auto run = kft::RunProgram(
      HostExe(), {"--plugins", kft::AnsiToUtf8(sandbox.Folder()), "-e", "mail " + kft::AnsiToUtf8(mail), "-e",
                  "select word", "-e", "showmenu 3 \"Search engines/Web\" " + kft::AnsiToUtf8(png), "-e",
                  "showmenu 3 \"Search engines/Nothing here\""});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(1u, run.exitCode) << run.err;  // the second command fails
  const auto lines = run.OutLines();
  ASSERT_FALSE(lines.empty()) << run.err;
  EXPECT_EQ("menu 3 shown, opened Search engines > Web, closed with nothing chosen", lines[0]);
  EXPECT_EQ(0u, kft::ReadBytes(png).find("\x89PNG"));
  EXPECT_NE(std::string::npos, run.err.find("no such submenu: Search engines/Nothing here")) << run.err;
  EXPECT_TRUE(urls.ExpectNothingOpened(1000));
}

// The plug-in's boxes met from a script that goes on: each photographed over
// its owner, told on a line, and answered (a question with Cancel: the
// engine stays); the menu item named by a pattern, the dialog's controls by
// their ids.
TEST(HostProgram, BoxesArePhotographedToldAndAnswered) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  const std::string engine = sandbox.WriteEngine("Web/Google.ini", "kftest://g/?q=[WORD]", "utf8");
  sandbox.WriteEngine("Open as address.ini", std::string(), "utf8");
  const std::string mail = sandbox.Folder() + "mail.txt";
  ASSERT_TRUE(kft::WriteBytes(mail, "Subject: test\nA word to search.\n"));
  const std::string prefix = kft::AnsiToUtf8(sandbox.Folder()) + "box";
  const auto control = [](kf::ControlId id) { return std::string(kf::kSettingFormClass) + " " + std::to_string(id); };
  kft::UrlLog urls;
  const auto run = kft::RunProgram(
      HostExe(), {"--plugins", kft::AnsiToUtf8(sandbox.Folder()), "-e", "mail " + kft::AnsiToUtf8(mail), "-e",
                  "select word", "-e", "boxes " + prefix + " cancel", "-e", "pick 3 \"*/Open as*\"", "-e", "setup",
                  "-e", "keys " + control(kf::kFolderTree) + " Web", "-e", "keys " + control(kf::kEngineList) + " Home",
                  "-e", "click " + control(kf::kDeleteEngineButton), "-e", "boxes off", "-e", "echo done"});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(0u, run.exitCode) << run.err;
  std::vector<std::string> boxes;
  for (const std::string& line : run.OutLines()) {
    if (line.compare(0, 4, "box ") == 0)
      boxes.push_back(line);
  }
  ASSERT_EQ(2u, boxes.size()) << run.out;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    EXPECT_EQ(0u, boxes[i].find("box " + number + " [")) << boxes[i];
    const size_t file = boxes[i].find("; " + prefix + "-0" + number + "-");
    ASSERT_NE(std::string::npos, file) << boxes[i];
    EXPECT_EQ(0u, kft::ReadBytes(kft::Utf8ToAnsi(boxes[i].substr(file + 2))).find("\x89PNG")) << boxes[i];
  }
  EXPECT_TRUE(kft::FileExists(engine));
  EXPECT_EQ("done", run.OutLines().back());
  EXPECT_TRUE(urls.ExpectNothingOpened(500));
}

}  // namespace
