// The environment probe inside the real plug-in: when it runs, the
// diagnostic file line by line, where it goes, and the debug switch.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "KfTest.h"
#include "ReadOnlyFolder.h"
#include "HtmlHelp.h"
#include "EnvironmentProbe.h"

namespace {

const char kDebugFile[] = "HHDebug.txt";

std::string WithoutBackslash(const std::string& dir) {
  return !dir.empty() && dir.back() == '\\' ? dir.substr(0, dir.size() - 1) : dir;
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%.4X", value);
  return text;
}

// The file split at CR LF; false (with a failure) when any other line end
// is in it or the last line lacks one.
bool SplitCrLf(const std::string& text, std::vector<std::string>& lines) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "the last line has no CR LF";
      return false;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  for (const std::string& line : lines) {
    if (line.find_first_of("\r\n") != std::string::npos) {
      ADD_FAILURE() << "a lone CR or LF in: " << line;
      return false;
    }
  }
  return true;
}

std::string ExePath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

TEST(Probe, DebugFileBesideThePluginHasItsTwentyLines) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  ASSERT_TRUE(kft::WriteBytes(sandbox.Folder() + "debug.debug", ""));
  ASSERT_TRUE(sandbox.Load());

  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLf(kft::ReadBytes(sandbox.Folder() + kDebugFile), lines));
  ASSERT_EQ(20u, lines.size());

  const kf::VersionInfo hh = kf::ReadFileVersion(kf::LocateHelpControl());
  const kf::VersionInfo ie = kf::ReadBrowserVersion();
  ASSERT_NE("", hh.text) << "Wine's control has a version";
  const LCID locale = GetThreadLocale();
  const std::string separator(79, '-');
  const std::string expected[20] = {
      "Filename:             \t" + sandbox.Folder() + kDebugFile,
      "",  // the date: checked below
      "SysLocale.DefaultLCID: \t" + Hex(locale),
      "SysLocale.PriLangID:   \t" + Hex(PRIMARYLANGID(LANGIDFROMLCID(locale))),
      "SysLocale.SubLangID:   \t" + Hex(SUBLANGID(LANGIDFROMLCID(locale))),
      "DecimalSeparator:      \t.",
      separator,
      "EXE Path =          \t" + ExePath(),
      "_RunDir =           \t" + WithoutBackslash(kft::ExeDir()),
      "_ModuleName =       \tKestrelfind.dll",
      "_ModuleDir =        \t" + WithoutBackslash(sandbox.Folder()),
      separator,
      "_hhInstalled =      \tYES",
      "_hhVerStr =         \t" + hh.text,
      "_hhFriendlyVerStr = \t" + kf::HtmlHelpVersionName(hh),
      separator,
      std::string("_ieInstalled =      \t") + (ie.text.empty() ? "NO" : "YES"),
      "_ieVerStr =         \t" + ie.text,
      "_ieFriendlyVerStr = \t" + kf::BrowserVersionName(ie),
      std::string(79, '='),
  };
  for (int i = 0; i < 20; ++i) {
    if (i == 1) {
      EXPECT_EQ(0u, lines[i].find("Date:                 \t")) << lines[i];
      EXPECT_GT(lines[i].size(), 30u) << "a date and a time";
    } else {
      EXPECT_EQ(expected[i], lines[i]) << "line " << i + 1;
    }
  }
}

// Nothing of the probe, and no help control, under the loader lock: the old
// file is still there after LoadLibrary and goes at the host's first call.
// Only the plug-in's own dump goes: a file of that name that names another
// library is somebody else's.
TEST(Probe, RunsAtTheFirstCallAndDeletesOnlyItsOwnOldFileWithDebugOff) {
  for (const bool own : {true, false}) {
    SCOPED_TRACE(own ? "its own dump" : "somebody else's file");
    kft::PluginSandbox sandbox;
    ASSERT_TRUE(sandbox.Ready());
    const std::string debugFile = sandbox.Folder() + kDebugFile;
    const std::string old = own ? "Filename: \tx\r\n_ModuleName =       \tKestrelfind.dll\r\n"
                                : "Filename: \tx\r\n_ModuleName =       \tOther.dll\r\n";
    ASSERT_TRUE(kft::WriteBytes(debugFile, old));

    HMODULE plugin = LoadLibraryA(sandbox.DllPath().c_str());
    ASSERT_TRUE(plugin);
    EXPECT_TRUE(kft::FileExists(debugFile));
    EXPECT_FALSE(GetModuleHandleA("hhctrl.ocx")) << "loaded at its first use only";
    using InfoFn = int(WINAPI*)(void*);
    const auto info = reinterpret_cast<InfoFn>(GetProcAddress(plugin, "BKC_OnPlugInInfo"));
    ASSERT_TRUE(info);
    char block[4 * 80] = {};
    info(block);
    EXPECT_EQ(own, !kft::FileExists(debugFile));
    if (!own) {
      EXPECT_EQ(old, kft::ReadBytes(debugFile));
    }
    EXPECT_STREQ("Kestrelfind", block) << "the version resource is read at the first call too";
    FreeLibrary(plugin);
    EXPECT_FALSE(GetModuleHandleA("hhctrl.ocx"));
  }
}

TEST(Probe, ReadOnlyPluginFolderSendsTheFileToTheTempFolder) {
  const std::string folder = kft::ReadOnlyPluginFolder();
  if (folder.empty())
    GTEST_SKIP() << "no read-only folder on this system";
  const std::string tempFile = kf::TempDirectory() + "\\" + kDebugFile;
  DeleteFileA(tempFile.c_str());
  {
    kfhost::PluginHost host;  // loads it with the host's first call
    ASSERT_TRUE(host.Load(folder + "Kestrelfind.dll"));
  }
  EXPECT_FALSE(kft::FileExists(folder + kDebugFile));
  const std::string text = kft::ReadBytes(tempFile);
  DeleteFileA(tempFile.c_str());
  EXPECT_EQ(0u, text.find("Filename:             \t" + tempFile + "\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\n_ModuleDir =        \t" + WithoutBackslash(folder) + "\r\n"));
}

TEST(Probe, PluginAtADriveRootUsesTheRootItself) {
  ASSERT_TRUE(kft::DirectoryExists("R:\\")) << "drive R: is mapped by the build's wine-run";
  kft::PluginSandbox::Options options;
  options.folder = "R:\\";
  options.dllName = "kfprobe.dll";  // the load tests use R:\Kestrelfind.dll
  kft::PluginSandbox sandbox(options);
  ASSERT_TRUE(sandbox.Ready());
  ASSERT_TRUE(kft::WriteBytes("R:\\debug.debug", ""));
  ASSERT_TRUE(sandbox.Load());
  const std::string text = kft::ReadBytes("R:\\HHDebug.txt");
  DeleteFileA("R:\\debug.debug");
  DeleteFileA("R:\\HHDebug.txt");
  EXPECT_EQ(0u, text.find("Filename:             \tR:\\HHDebug.txt\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\n_ModuleDir =        \tR:\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\n_ModuleName =       \tkfprobe.dll\r\n")) << text;
}

TEST(Probe, HostParameterSwitchesDebugOnOnlyWithItsLeadingCharacter) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  const std::string debugFile = sandbox.Folder() + kDebugFile;
  const std::string host = kft::BinFile("probe_host.exe");

  const kft::ProcessResult plain = kft::RunProgram(host, {kft::AnsiToUtf8(sandbox.DllPath()), "debug"});
  ASSERT_TRUE(plain.started);
  EXPECT_EQ(0u, plain.exitCode);
  EXPECT_FALSE(kft::FileExists(debugFile));

  const kft::ProcessResult on = kft::RunProgram(host, {kft::AnsiToUtf8(sandbox.DllPath()), "x", "/DEBUG"});
  EXPECT_EQ(0u, on.exitCode);
  EXPECT_EQ(0u, kft::ReadBytes(debugFile).find("Filename:             \t" + debugFile + "\r\n"));
}

}  // namespace
