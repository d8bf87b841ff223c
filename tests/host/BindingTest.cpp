// The plug-in's binding to the host: it loads only into a host that exports
// every required BKA_* name, and works only with one that has BKA_SetStatus
// from host version "2.00.06" on; the version is asked at the first menu,
// never under the loader lock. Each case runs a real host program with its
// own export table.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "KfTest.h"

namespace {

constexpr DWORD kDllInitFailed = 1114;  // ERROR_DLL_INIT_FAILED

struct HostRun {
  kft::ProcessResult process;
  std::vector<std::string> lines;
};

// Runs `program` with the plug-in in a fresh plug-ins folder and the given
// version: which libraries loaded, the API call counts after the load, the
// context menu of type 3, and the counts again.
HostRun RunHost(const std::string& program, const std::string& version, kft::PluginSandbox& sandbox) {
  HostRun run;
  run.process = kft::RunProgram(kft::BinFile(program),
                                {"--hidden", "--version", version, "--plugins", kft::AnsiToUtf8(sandbox.Folder()),
                                 "-e", "plugins", "-e", "apicalls", "-e", "menu 3", "-e", "apicalls", "-e", "windows"},
                                20000);
  run.lines = run.process.OutLines();
  return run;
}

bool HasSearchMenu(const HostRun& run) {
  return std::any_of(run.lines.begin(), run.lines.end(),
                     [](const std::string& line) { return line.find("Search engines") != std::string::npos; });
}

std::string Loaded(const kft::PluginSandbox& sandbox) { return "loaded " + kft::AnsiToUtf8(sandbox.DllPath()); }
std::string Failed(const kft::PluginSandbox& sandbox, DWORD error) {
  return "failed " + kft::AnsiToUtf8(sandbox.DllPath()) + " (error " + std::to_string(error) + ")";
}

struct VersionCase {
  const char* version;
  bool worksWithoutSetStatus;
};

// Test names and messages show the version text, not the case's bytes.
void PrintTo(const VersionCase& c, std::ostream* os) { *os << '"' << c.version << '"'; }

class HostVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(HostVersion, DecidesAtTheFirstMenuWhetherSetStatusIsRequired) {
  const VersionCase& c = GetParam();
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());

  // A host with every function gets the menu, whatever its version.
  const HostRun full = RunHost("BeckyHost.exe", c.version, sandbox);
  ASSERT_FALSE(full.process.timedOut) << "the host hung: a message box?";
  ASSERT_EQ(0u, full.process.exitCode) << full.process.err;
  ASSERT_LE(2u, full.lines.size());
  EXPECT_EQ(Loaded(sandbox), full.lines[0]);
  EXPECT_EQ("BKA_GetVersion: 0", full.lines[1]) << "nothing of the host is called under the loader lock";
  EXPECT_TRUE(HasSearchMenu(full)) << full.process.out;
  EXPECT_NE(full.lines.end(), std::find(full.lines.begin(), full.lines.end(), "BKA_GetVersion: 1"))
      << "the first menu asks for the version once\n" << full.process.out;

  // Without it the library loads, and adds nothing where the version says
  // the host must have it.
  const HostRun partial = RunHost("BeckyHost_NoSetStatus.exe", c.version, sandbox);
  ASSERT_FALSE(partial.process.timedOut) << "the host hung: a message box?";
  ASSERT_EQ(0u, partial.process.exitCode) << partial.process.err;
  ASSERT_FALSE(partial.lines.empty());
  EXPECT_EQ(Loaded(sandbox), partial.lines[0]);
  EXPECT_EQ(c.worksWithoutSetStatus, HasSearchMenu(partial)) << "version " << c.version << "\n" << partial.process.out;
}

INSTANTIATE_TEST_SUITE_P(Versions, HostVersion,
                         ::testing::Values(VersionCase{"2.00.05", true},  // below 2.00.06
                                           VersionCase{"2.00.06", false},  // equal
                                           VersionCase{"2.00.1", false},   // '1' > '0' at the sixth character
                                           VersionCase{"10.0.0", true},    // '1' < '2': ordinal, not numeric
                                           VersionCase{"2.00.06a", false},  // eight characters
                                           VersionCase{"2.00.05x", false},  // eight characters, though less
                                           VersionCase{"2.00.0", true},    // a prefix is the lesser
                                           VersionCase{"1.99.99", true},
                                           VersionCase{"2.81.05", false},
                                           VersionCase{"", true}));

TEST(HostBinding, AHostWithoutConnectGetsNoPlugInAndNoMessage) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  for (const char* version : {"2.00.05", "2.81.05"}) {
    const HostRun run = RunHost("BeckyHost_NoConnect.exe", version, sandbox);
    ASSERT_FALSE(run.process.timedOut) << "the host hung: a message box?";
    ASSERT_EQ(0u, run.process.exitCode) << run.process.err;
    // The host runs hidden, so "windows" lists no visible window at all: a
    // message box of the plug-in would show up there (or hang the run).
    const std::vector<std::string> noCalls = {"BKA_GetVersion: 0", "BKA_RegisterCommand: 0", "others: 0"};
    std::vector<std::string> expected = {Failed(sandbox, kDllInitFailed)};
    expected.insert(expected.end(), noCalls.begin(), noCalls.end());
    expected.insert(expected.end(), {"menu 3:", "  &Copy  #65281", "  Select &All  #65282"});
    expected.insert(expected.end(), noCalls.begin(), noCalls.end());
    ASSERT_EQ(expected, run.lines) << run.process.out;
  }
}

TEST(HostBinding, AHostThatLacksSetStatusGetsNoMenuNoStoreAndNoMessage) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  const auto run = kft::RunProgram(kft::BinFile("BeckyHost_NoSetStatus.exe"),
                                   {"--hidden", "--version", "2.00.06", "--plugins",
                                    kft::AnsiToUtf8(sandbox.Folder()), "-e", "menu 3", "-e", "windows"},
                                   20000);
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(0u, run.exitCode) << run.err;
  // Only the host's own items, and no window (a message box would be one).
  EXPECT_EQ((std::vector<std::string>{"menu 3:", "  &Copy  #65281", "  Select &All  #65282"}), run.OutLines())
      << run.out;
  EXPECT_FALSE(kft::DirectoryExists(sandbox.EngineDir()));
}

TEST(HostSetupCommand, TwoSetupCallsShowOneDialogAndReturnOne) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  const std::string dll = kft::AnsiToUtf8(sandbox.DllPath());
  // A child process: the dialog lives as long as the library, which is
  // simplest to end with the whole host.
  const auto run = kft::RunProgram(kft::BinFile("BeckyHost.exe"),
                                   {"--hidden", "--plugins", kft::AnsiToUtf8(sandbox.Folder()), "-e", "setup", "-e",
                                    "setup", "-e", "wait 300", "-e", "windows"},
                                   20000);
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(0u, run.exitCode) << run.err;
  const auto lines = run.OutLines();
  ASSERT_EQ(3u, lines.size()) << run.out;
  EXPECT_EQ("setup " + dll + ": 1", lines[0]);
  EXPECT_EQ("setup " + dll + ": 1", lines[1]);
  // The hidden host shows nothing of its own: the one window is the dialog.
  EXPECT_EQ(0u, lines[2].find("window ")) << lines[2];
}

}  // namespace
