// Runs the real Kestrelclean.exe (a copy of its own per test, so that each
// test has its own journal beside it) with the host's registry values set in
// the test prefix and the stand-in setup tool in its start directory; the
// stand-in reports what it saw while it ran. Kestrelclean's message boxes
// are read and answered as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TreeScan.h"
#include "Version.h"

namespace {

using kftest::AttrMap;

// Exit codes, as uninstall/README.md documents them.
constexpr DWORD kExitToolRan = 0;
constexpr DWORD kExitJournalTrouble = 1;
constexpr DWORD kExitToolNotStarted = 2;
constexpr DWORD kExitAlreadyRunning = 5;

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\B2";
const char kSettingsKey[] = "Software\\RimArts\\B2\\Settings";

std::string BinDir() {
  char buf[MAX_PATH];
  const DWORD n = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string path(buf, n);
  return path.substr(0, path.rfind('\\'));
}

// The build folder's test area, without ".." parts: the program reports
// the paths it works on as they are built.
std::string WorkDir() {
  char buf[MAX_PATH];
  const DWORD n = ::GetFullPathNameA((BinDir() + "\\..\\uninstall-work").c_str(), MAX_PATH, buf, nullptr);
  return std::string(buf, n);
}

void SetValue(HKEY root, const char* key, const char* name, DWORD type, const std::string& data) {
  HKEY h = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr));
  ::RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
  ::RegCloseKey(h);
}

void SetUninstallString(const std::string& v, DWORD type = REG_SZ) {
  SetValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", type, v);
}
void SetDataDir(const std::string& v, DWORD type = REG_SZ) {
  SetValue(HKEY_CURRENT_USER, kSettingsKey, "DataDir", type, v);
}

void ClearRegistry() {
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  ::RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

void RemoveTree(const std::string& dir) {
  AttrMap entries;
  kftest::ScanTree(dir, entries);
  // Deepest first: reverse order of the sorted paths puts children before parents.
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    ::SetFileAttributesA(it->first.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (it->second & FILE_ATTRIBUTE_DIRECTORY)
      ::RemoveDirectoryA(it->first.c_str());
    else
      ::DeleteFileA(it->first.c_str());
  }
  ::SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryA(dir.c_str());
}

// Offsets of the path delimiters of path, trail bytes of double-byte
// characters skipped.
std::vector<size_t> Delimiters(const std::string& path) {
  std::vector<size_t> out;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])))
      ++i;
    else if (path[i] == '\\')
      out.push_back(i);
  }
  return out;
}

// Creates every missing directory of path.
void MakeDirs(const std::string& path) {
  for (size_t d : Delimiters(path))
    ::CreateDirectoryA(path.substr(0, d).c_str(), nullptr);
  ::CreateDirectoryA(path.c_str(), nullptr);
}

void MakeFile(const std::string& path, DWORD attr = 0) {
  std::ofstream(path, std::ios::binary) << "[General]\r\nurl=http://example.com/?q=[WORD]\r\n";
  if (attr)
    ::SetFileAttributesA(path.c_str(), attr);
}

void MakeDir(const std::string& path, DWORD attr = 0) {
  MakeDirs(path);
  if (attr)
    ::SetFileAttributesA(path.c_str(), attr);
}

bool SameText(const std::string& a, const std::string& b) { return ::lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool IsFile(const std::string& path) {
  const DWORD attr = ::GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The whole of a file, also while a run holds it: that open denies the
// sharing of its own rights (writing and deletion) to every other opener.
std::string FileText(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "(cannot be read)";
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read != 0)
    text.append(buffer, read);
  ::CloseHandle(file);
  return text;
}

std::wstring Wide(const std::string& ansi) {
  std::wstring wide(ansi.size(), L'\0');
  wide.resize(static_cast<size_t>(
      ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], static_cast<int>(wide.size()))));
  return wide;
}

// ---------------------------------------------------------------------------
// Message boxes of another process: top-level dialog windows of its process
// id, their text read wide from the static control the platform gives the id
// 0xFFFF, answered with OK.

struct BoxSearch {
  DWORD pid = 0;
  HWND box = nullptr;
};

BOOL CALLBACK FindBoxOfProcess(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[16] = L"";
  ::GetClassNameW(hwnd, cls, ARRAYSIZE(cls));
  if (pid != search->pid || std::wcscmp(cls, L"#32770") != 0 || !::IsWindowVisible(hwnd))
    return TRUE;
  search->box = hwnd;
  return FALSE;
}

std::wstring BoxText(HWND box) {
  wchar_t text[4096] = L"";
  DWORD_PTR got = 0;
  ::SendMessageTimeoutW(::GetDlgItem(box, 0xFFFF), WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &got);
  return text;
}

// Waits for process to end, answering each box it shows; what the boxes
// said, in order.
std::vector<std::wstring> AnswerBoxesUntilEnd(HANDLE process) {
  std::vector<std::wstring> told;
  BoxSearch search;
  search.pid = ::GetProcessId(process);
  for (int waited = 0; ::WaitForSingleObject(process, 20) == WAIT_TIMEOUT; waited += 20) {
    if (waited > 30000) {
      ADD_FAILURE() << "Kestrelclean did not end";
      ::TerminateProcess(process, 98);
      break;
    }
    search.box = nullptr;
    ::EnumWindows(FindBoxOfProcess, reinterpret_cast<LPARAM>(&search));
    if (!search.box)
      continue;
    told.push_back(BoxText(search.box));
    ::PostMessageW(search.box, WM_COMMAND, IDOK, 0);
    for (int gone = 0; ::IsWindow(search.box) && gone < 5000; gone += 20)
      ::Sleep(20);
  }
  return told;
}

// Under code page 932 the user's language is Japanese too, and so are the
// boxes; phrase is the one of that language.
bool Says(const std::wstring& text, const wchar_t* english, const wchar_t* japanese) {
  return text.find(::GetACP() == 932 ? japanese : english) != std::wstring::npos;
}

bool Names(const std::wstring& text, const std::string& path) { return text.find(Wide(path)) != std::wstring::npos; }

struct Report {
  bool present = false;
  bool complete = false;
  DWORD pid = 0;
  std::string module, cmdline, cwd;
  AttrMap entries;
  std::vector<std::wstring> told;  // what Kestrelclean's message boxes said
};

Report ReadReport(const std::string& path) {
  Report report;
  std::ifstream in(path, std::ios::binary);
  report.present = in.good();
  std::string line;
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    const std::string key = line.substr(0, tab);
    const std::string rest = tab == std::string::npos ? "" : line.substr(tab + 1);
    if (key == "pid")
      report.pid = std::stoul(rest);
    else if (key == "module")
      report.module = rest;
    else if (key == "cmdline")
      report.cmdline = rest;
    else if (key == "cwd")
      report.cwd = rest;
    else if (key == "done")
      report.complete = true;
    else if (key == "entry") {
      const size_t t2 = rest.find('\t');
      report.entries[rest.substr(t2 + 1)] = std::stoul(rest.substr(0, t2), nullptr, 16);
    }
  }
  return report;
}

class Kestrelclean : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = WorkDir() + "\\cp" + std::to_string(::GetACP()) + "\\" + info->name();
    RemoveTree(root_);
    MakeDirs(root_);
    ClearRegistry();
    start_ = root_ + "\\start";
    MakeDir(start_);
    const std::string programDir = root_ + "\\program";
    MakeDir(programDir);
    program_ = programDir + "\\Kestrelclean.exe";
    journal_ = programDir + "\\Kestrelclean.journal";
    ASSERT_TRUE(::CopyFileA((BinDir() + "\\Kestrelclean.exe").c_str(), program_.c_str(), FALSE));
    holdName_ = "KestrelcleanTestHold" + std::to_string(::GetCurrentProcessId());
    hold_ = ::CreateEventA(nullptr, TRUE, FALSE, holdName_.c_str());
    ASSERT_NE(nullptr, hold_);
  }
  void TearDown() override {
    if (hold_) {
      ::SetEvent(hold_);
      ::CloseHandle(hold_);
    }
    ClearRegistry();
    if (!HasFailure())
      RemoveTree(root_);
  }

  // A small engine store: engine files of every attribute kind in nested
  // folders, with things the program must leave alone beside them.
  void MakeStore(const std::string& s) {
    MakeDir(s);
    MakeFile(s + "\\Google.ini", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(s + "\\Plain.ini");
    MakeFile(s + "\\.dot.ini", FILE_ATTRIBUTE_READONLY);
    MakeFile(s + "\\notes.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    MakeDir(s + "\\News", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(s + "\\News\\Yahoo.ini", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    MakeFile(s + "\\News\\Sys.ini", FILE_ATTRIBUTE_SYSTEM);
    MakeFile(s + "\\News\\All.ini", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    MakeDir(s + "\\News\\Deep", FILE_ATTRIBUTE_READONLY);
    MakeFile(s + "\\News\\Deep\\Wiki.ini", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(s + "\\News\\Deep\\readme.htm", FILE_ATTRIBUTE_SYSTEM);
    MakeDir(s + "\\x.ini", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(s + "\\x.ini\\Inner.ini", FILE_ATTRIBUTE_HIDDEN);
    MakeDir(s + "\\.svn", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(s + "\\.svn\\entries.ini", FILE_ATTRIBUTE_HIDDEN);
    MakeDir(s + "\\.svn\\Sub", FILE_ATTRIBUTE_READONLY);
  }

  static AttrMap Scan(const std::string& dir) {
    AttrMap m;
    kftest::ScanTree(dir, m);
    return m;
  }

  // Copies the stand-in into dir as file name `name`.
  void PlaceTool(const std::string& dir, const char* name = "bpisetup.exe") {
    ASSERT_TRUE(::CopyFileA((BinDir() + "\\bpisetup.exe").c_str(), (dir + "\\" + name).c_str(), FALSE));
  }

  std::string ReportPath() const { return root_ + "\\report.txt"; }

  // What the stand-in scans and removes while it runs, and the event it waits
  // for after its report ("": it ends at once).
  void SetStandIn(const std::vector<std::string>& scanRoots, const std::string& deleteWhileRunning = std::string(),
                  const std::string& holdEvent = std::string()) {
    ::DeleteFileA(ReportPath().c_str());
    std::string roots;
    for (const auto& r : scanRoots)
      roots += (roots.empty() ? "" : "|") + r;
    auto setOrClear = [](const char* name, const std::string& value) {
      ::SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
    };
    setOrClear("KF_BPISETUP_REPORT", ReportPath());
    setOrClear("KF_BPISETUP_SCAN", roots);
    setOrClear("KF_BPISETUP_DELETE", deleteWhileRunning);
    setOrClear("KF_BPISETUP_HOLD", holdEvent);
  }

  // Starts Kestrelclean in startDir; the caller owns the process handle.
  HANDLE Start(const std::string& startDir) {
    std::string cmd = "\"" + program_ + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(program_.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, startDir.c_str(), &si, &pi)) {
      ADD_FAILURE() << "cannot start Kestrelclean, error " << ::GetLastError();
      return nullptr;
    }
    ::CloseHandle(pi.hThread);
    return pi.hProcess;
  }

  // Waits for a started Kestrelclean to end, answering its message boxes,
  // and expects exitCode; closes the process handle.
  std::vector<std::wstring> Finish(HANDLE process, DWORD exitCode) {
    std::vector<std::wstring> told = AnswerBoxesUntilEnd(process);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process, &code);
    EXPECT_EQ(exitCode, code);
    ::CloseHandle(process);
    return told;
  }

  // Runs Kestrelclean in startDir to its end, expecting exitCode; the
  // stand-in scans the given roots while it runs. A run that gets as far as
  // the tool leaves no journal behind.
  Report Run(const std::string& startDir, const std::vector<std::string>& scanRoots, DWORD exitCode = kExitToolRan,
             const std::string& deleteWhileRunning = std::string()) {
    SetStandIn(scanRoots, deleteWhileRunning);
    HANDLE process = Start(startDir);
    if (!process)
      return Report();
    std::vector<std::wstring> told = Finish(process, exitCode);
    if (exitCode == kExitToolRan || exitCode == kExitToolNotStarted) {
      EXPECT_FALSE(IsFile(journal_)) << "the journal outlived the restore";
    }
    Report report = ReadReport(ReportPath());
    report.told = std::move(told);
    return report;
  }

  // Starts Kestrelclean in startDir and returns once the stand-in has made
  // its report of scanRoots and waits for hold_; held is that report.
  HANDLE StartHeld(const std::string& startDir, const std::vector<std::string>& scanRoots, Report& held) {
    SetStandIn(scanRoots, std::string(), holdName_);
    HANDLE process = Start(startDir);
    for (int waited = 0; process && !IsFile(ReportPath()) && waited < 30000; waited += 20)
      ::Sleep(20);
    held = ReadReport(ReportPath());
    return process;
  }

  // Lets the held stand-in end and waits until it has: it runs in the store,
  // which the test removes at its end.
  void ReleaseTool(const Report& held) {
    ::SetEvent(hold_);
    if (HANDLE tool = ::OpenProcess(SYNCHRONIZE, FALSE, held.pid)) {
      ::WaitForSingleObject(tool, 10000);
      ::CloseHandle(tool);
    }
  }

  std::string ExpectedCommandLine(const std::string& startDir) const {
    return "\"" + startDir + "\\bpisetup.exe\" Kestrelfind";
  }

  std::string root_;
  std::string start_;
  std::string program_;
  std::string journal_;
  std::string holdName_;
  HANDLE hold_ = nullptr;  // set: the held stand-in ends
};

bool IsIni(const std::string& path) { return path.size() >= 4 && SameText(path.substr(path.size() - 4), ".ini"); }

// The store's own items: INI entries and folders, not below a dot-folder.
bool IsStoreItem(const std::string& store, const std::string& path, DWORD attr) {
  const std::string rel = path.substr(store.size());  // starts with '\\'
  const std::vector<size_t> delims = Delimiters(rel);
  for (size_t i = 0; i + 1 < delims.size(); ++i)
    if (rel[delims[i] + 1] == '.')
      return false;  // inside a dot-folder
  const std::string name = rel.substr(delims.back() + 1);
  if (attr & FILE_ATTRIBUTE_DIRECTORY)
    return name[0] != '.' || IsIni(name);
  return IsIni(name);
}

// Wine reports every name that starts with '.' as hidden, whatever was set.
DWORD ComparableWord(const std::string& path, DWORD attr) {
  const std::vector<size_t> d = Delimiters(path);
  return path[d.back() + 1] == '.' ? attr & ~DWORD(FILE_ATTRIBUTE_HIDDEN) : attr;
}

// While the tool ran, the store's items were archive-only (Wine keeps no
// archive bit on folders) and everything else was as before.
void ExpectNormalisedWhileRunning(const std::string& store, const AttrMap& before, const Report& r) {
  ASSERT_TRUE(r.complete) << "the setup tool did not run to its end";
  for (const auto& e : before) {
    auto seen = r.entries.find(e.first);
    ASSERT_NE(seen, r.entries.end()) << e.first;
    if (IsStoreItem(store, e.first, e.second)) {
      const DWORD word = ComparableWord(e.first, seen->second);
      if (word & FILE_ATTRIBUTE_DIRECTORY)
        EXPECT_EQ(0u, word & ~DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE)) << e.first;
      else
        EXPECT_EQ(DWORD(FILE_ATTRIBUTE_ARCHIVE), word) << e.first;
    } else {
      EXPECT_EQ(e.second, seen->second) << e.first << " must not be touched";
    }
  }
}

TEST_F(Kestrelclean, NeitherLocationLeavesEverythingAndRunsToolInStartDir) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  const Report r = Run(start_, {store});
  ASSERT_TRUE(r.complete);
  EXPECT_TRUE(SameText(start_ + "\\bpisetup.exe", r.module)) << r.module;
  EXPECT_EQ(ExpectedCommandLine(start_), r.cmdline);
  EXPECT_TRUE(SameText(start_, r.cwd)) << r.cwd;
  EXPECT_EQ(before, r.entries);
  EXPECT_EQ(before, Scan(store));
}

TEST_F(Kestrelclean, SettingsLocationStoreIsNormalisedWhileToolRunsAndRestoredAfter) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  // Outside the store: must stay as it is.
  MakeFile(root_ + "\\data\\Outside.ini", FILE_ATTRIBUTE_HIDDEN);
  SetDataDir(root_ + "\\data\\");
  PlaceTool(start_);
  const AttrMap before = Scan(root_ + "\\data");
  const AttrMap storeBefore = Scan(store);

  const Report r = Run(start_, {root_ + "\\data"});
  EXPECT_TRUE(r.told.empty()) << "a run that goes well says nothing";
  ExpectNormalisedWhileRunning(store, storeBefore, r);
  EXPECT_EQ(before.at(root_ + "\\data\\Outside.ini"), r.entries.at(root_ + "\\data\\Outside.ini"));
  EXPECT_TRUE(SameText(store, r.cwd)) << r.cwd;
  EXPECT_EQ(ExpectedCommandLine(start_), r.cmdline);
  EXPECT_EQ(before, Scan(root_ + "\\data"));
}

TEST_F(Kestrelclean, UninstallLocationAloneIsPrepared) {
  const std::string store = root_ + "\\host\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetUninstallString(root_ + "\\host\\Uninst.exe");
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  const Report r = Run(start_, {store});
  ExpectNormalisedWhileRunning(store, before, r);
  EXPECT_TRUE(SameText(store, r.cwd)) << r.cwd;
  EXPECT_EQ(before, Scan(store));
}

TEST_F(Kestrelclean, QuotedUninstallCommandWithArgumentsLeadsToItsDirectory) {
  const std::string store = root_ + "\\Mail Host\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetUninstallString("\"" + root_ + "\\Mail Host\\Uninst.exe\" /uninstall /log=C:\\x\\y.log");
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  const Report r = Run(start_, {store});
  ExpectNormalisedWhileRunning(store, before, r);
  EXPECT_TRUE(SameText(store, r.cwd)) << r.cwd;
  EXPECT_EQ(before, Scan(store));
}

TEST_F(Kestrelclean, BothLocationsArePreparedAndToolRunsInSettingsOne) {
  const std::string hostStore = root_ + "\\host\\PlugIns\\Kestrelfind";
  const std::string dataStore = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(hostStore);
  MakeStore(dataStore);
  SetUninstallString(root_ + "\\host\\Uninst.exe");
  SetDataDir(root_ + "\\data\\");
  PlaceTool(start_);
  const AttrMap hostBefore = Scan(hostStore);
  const AttrMap dataBefore = Scan(dataStore);

  const Report r = Run(start_, {hostStore, dataStore});
  ExpectNormalisedWhileRunning(hostStore, hostBefore, r);
  ExpectNormalisedWhileRunning(dataStore, dataBefore, r);
  EXPECT_TRUE(SameText(dataStore, r.cwd)) << r.cwd;
  EXPECT_EQ(hostBefore, Scan(hostStore));
  EXPECT_EQ(dataBefore, Scan(dataStore));
}

TEST_F(Kestrelclean, ToolRunsInUninstallDirWhenSettingsDirIsMissing) {
  const std::string store = root_ + "\\host\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetUninstallString(root_ + "\\host\\Uninst.exe");
  SetDataDir(root_ + "\\nowhere\\");
  PlaceTool(start_);

  const Report r = Run(start_, {store});
  ASSERT_TRUE(r.complete);
  EXPECT_TRUE(SameText(store, r.cwd)) << r.cwd;
}

// Both values lead to one directory, spelt in different case: it is prepared
// twice, and the second pass must not make the archive-only word it finds
// the one that is restored.
TEST_F(Kestrelclean, SameDirectoryFromBothLocationsGetsItsOldAttributesBack) {
  const std::string store = root_ + "\\Host\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetUninstallString(root_ + "\\Host\\Uninst.exe");
  std::string lower = root_ + "\\host\\";
  ::CharLowerA(&lower[0]);
  SetDataDir(lower);
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  const Report r = Run(start_, {store});
  ExpectNormalisedWhileRunning(store, before, r);
  EXPECT_EQ(before, Scan(store));
  EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN),
            ::GetFileAttributesA((store + "\\x.ini").c_str()) & 0x3F);
}

// A DataDir value that names an existing directory means that directory,
// trailing backslash or not; one that names nothing leads beside itself, as
// a program path does.
TEST_F(Kestrelclean, DataDirWithoutTrailingBackslash) {
  const std::string beside = root_ + "\\PlugIns\\Kestrelfind";
  const std::string inside = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(beside);
  MakeStore(inside);
  PlaceTool(start_);
  const AttrMap besideBefore = Scan(beside);
  const AttrMap insideBefore = Scan(inside);
  auto expectUntouched = [](const AttrMap& before, const Report& r) {
    for (const auto& e : before)
      EXPECT_EQ(e.second, r.entries.at(e.first)) << e.first;
  };

  SetDataDir(root_ + "\\data");
  Report r = Run(start_, {beside, inside});
  ExpectNormalisedWhileRunning(inside, insideBefore, r);
  expectUntouched(besideBefore, r);
  EXPECT_TRUE(SameText(inside, r.cwd)) << r.cwd;
  EXPECT_EQ(insideBefore, Scan(inside));

  SetDataDir(root_ + "\\missing");
  r = Run(start_, {beside, inside});
  ExpectNormalisedWhileRunning(beside, besideBefore, r);
  expectUntouched(insideBefore, r);
  EXPECT_TRUE(SameText(beside, r.cwd)) << r.cwd;
  EXPECT_EQ(besideBefore, Scan(beside));
}

TEST_F(Kestrelclean, ValuesThatAreNotStringsCountAsAbsent) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetDataDir(root_ + "\\data\\", REG_BINARY);
  SetUninstallString(root_ + "\\data\\Uninst.exe", REG_MULTI_SZ);
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  const Report r = Run(start_, {store});
  ASSERT_TRUE(r.complete);
  EXPECT_EQ(before, r.entries);
  EXPECT_TRUE(SameText(start_, r.cwd)) << r.cwd;
}

TEST_F(Kestrelclean, ExpandableStringValueIsExpanded) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  ::SetEnvironmentVariableA("KF_TEST_MAILDATA", (root_ + "\\data").c_str());
  SetDataDir("%KF_TEST_MAILDATA%\\", REG_EXPAND_SZ);
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  const Report r = Run(start_, {store});
  ::SetEnvironmentVariableA("KF_TEST_MAILDATA", nullptr);
  ExpectNormalisedWhileRunning(store, before, r);
  EXPECT_TRUE(SameText(store, r.cwd)) << r.cwd;
  EXPECT_EQ(before, Scan(store));
}

// Unquoted and with no program name, Windows tries
// "...\Start Dir With Space\bpisetup.exe" as "...\Start.exe" first. (Wine
// happens to find the right program and quotes the line itself; the missing
// quotes still show in the other tests' command lines.)
TEST_F(Kestrelclean, StartDirWithSpacesStartsTheRightTool) {
  const std::string start = root_ + "\\Start Dir With Space";
  MakeDir(start);
  PlaceTool(start);
  PlaceTool(root_, "Start.exe");

  const Report r = Run(start, {});
  ASSERT_TRUE(r.complete);
  EXPECT_TRUE(SameText(start + "\\bpisetup.exe", r.module)) << r.module;
  EXPECT_EQ(ExpectedCommandLine(start), r.cmdline);
}

TEST_F(Kestrelclean, LongStartDirGivesTheWholeCommandLine) {
  // 256 characters: one more than the old fixed buffer, and still a
  // directory that the platform lets a process start in.
  std::string start = root_ + "\\long-start-directory-";
  ASSERT_LT(start.size(), 200u);
  start.append(256 - start.size(), 'x');
  MakeDir(start);
  PlaceTool(start);
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetDataDir(root_ + "\\data\\");
  const AttrMap before = Scan(store);

  const Report r = Run(start, {store});
  ExpectNormalisedWhileRunning(store, before, r);
  EXPECT_EQ(ExpectedCommandLine(start), r.cmdline);
  EXPECT_TRUE(SameText(store, r.cwd)) << r.cwd;
  EXPECT_EQ(before, Scan(store));
}

TEST_F(Kestrelclean, ToolThatCannotStartStillRestores) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetDataDir(root_ + "\\data\\");
  const AttrMap before = Scan(store);

  // No tool at all, then a file of that name that is no program.
  Report r = Run(start_, {store}, kExitToolNotStarted);
  EXPECT_FALSE(r.present);
  EXPECT_EQ(before, Scan(store));

  std::ofstream(start_ + "\\bpisetup.exe", std::ios::binary) << "not a program";
  r = Run(start_, {store}, kExitToolNotStarted);
  EXPECT_FALSE(r.present);
  EXPECT_EQ(before, Scan(store));
}

TEST_F(Kestrelclean, ItemRemovedByToolDoesNotStopTheRestore) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetDataDir(root_ + "\\data\\");
  PlaceTool(start_);
  AttrMap before = Scan(store);

  const Report r = Run(start_, {store}, kExitToolRan, store + "\\Google.ini");
  ASSERT_TRUE(r.complete);
  before.erase(store + "\\Google.ini");
  EXPECT_EQ(before, Scan(store));
}

// Ended from outside while the tool runs (log-off, an installer's time-out),
// Kestrelclean leaves its journal; the next start restores every word from
// it, then runs as usual. Under code page 932 the journal holds names whose
// trail bytes are 0x5C.
TEST_F(Kestrelclean, EndedWhileToolRunsThenStartedAgainRestoresEveryWord) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  if (::GetACP() == 932) {
    const std::string hyo = "\x95\x5C", so = "\x83\x5C";
    MakeDir(store + "\\" + hyo, FILE_ATTRIBUTE_HIDDEN);
    MakeFile(store + "\\" + hyo + "\\" + so + ".ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  }
  SetDataDir(root_ + "\\data\\");
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  Report held;
  HANDLE process = StartHeld(start_, {store}, held);
  ASSERT_NE(nullptr, process);
  ExpectNormalisedWhileRunning(store, before, held);
  EXPECT_TRUE(IsFile(journal_));

  ::TerminateProcess(process, 99);
  ::WaitForSingleObject(process, 10000);
  ::CloseHandle(process);
  ReleaseTool(held);
  EXPECT_NE(before, Scan(store)) << "the store was restored without its journal";
  EXPECT_TRUE(IsFile(journal_));

  const Report again = Run(start_, {store});
  ExpectNormalisedWhileRunning(store, before, again);
  EXPECT_EQ(before, Scan(store));
}

// A user who sees nothing happen starts Kestrelclean again. The second start
// says that one is running and changes nothing: the first run's tool keeps
// its plain store and the first run's journal stays as it is. That journal,
// held open by its run, can be neither removed nor replaced meanwhile, so
// the one the run removes when it ends as usual is its own.
TEST_F(Kestrelclean, SecondStartWhileOneRunsChangesNothingAndSaysSo) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetDataDir(root_ + "\\data\\");
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  Report held;
  HANDLE first = StartHeld(start_, {store}, held);
  ASSERT_NE(nullptr, first);
  ASSERT_TRUE(held.complete);
  const std::string journal = FileText(journal_);
  EXPECT_NE(std::string::npos, journal.find("\r\nstore\t" + store + "\r\n")) << journal;

  const std::vector<std::wstring> told = Finish(Start(start_), kExitAlreadyRunning);
  ASSERT_EQ(1u, told.size());
  EXPECT_TRUE(Says(told[0], L"already running", L"既に実行中")) << told[0];
  EXPECT_EQ(journal, FileText(journal_));
  EXPECT_FALSE(::DeleteFileA(journal_.c_str()));
  const std::string other = root_ + "\\other.journal";
  std::ofstream(other, std::ios::binary) << "Kestrelclean journal\r\nend\t0\r\n";
  EXPECT_FALSE(::MoveFileExA(other.c_str(), journal_.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(journal, FileText(journal_));
  Report now;
  now.complete = true;
  now.entries = Scan(store);
  ExpectNormalisedWhileRunning(store, before, now);

  ReleaseTool(held);
  EXPECT_TRUE(Finish(first, kExitToolRan).empty());
  EXPECT_FALSE(IsFile(journal_));
  EXPECT_EQ(before, Scan(store));
}

// A journal that cannot be written, or one left by an earlier run that can
// be neither read nor put aside (another program holds it), stops the run
// before anything changes; the tool does not start.
TEST_F(Kestrelclean, JournalTroubleStopsTheRunBeforeAnyChange) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetDataDir(root_ + "\\data\\");
  PlaceTool(start_);
  const AttrMap before = Scan(store);

  // A folder takes the journal's name.
  MakeDir(journal_);
  Report r = Run(start_, {store}, kExitJournalTrouble);
  EXPECT_FALSE(r.present);
  EXPECT_TRUE(r.told.empty());
  EXPECT_EQ(before, Scan(store));
  ::RemoveDirectoryA(journal_.c_str());

  const std::string left = "Kestrelclean journal\r\n00000022\t" + store + "\\Plain.ini\r\nend\t1\r\n";
  std::ofstream(journal_, std::ios::binary) << left;
  HANDLE holder = ::CreateFileA(journal_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  r = Run(start_, {store}, kExitJournalTrouble);
  ::CloseHandle(holder);
  EXPECT_FALSE(r.present);
  ASSERT_EQ(1u, r.told.size());
  EXPECT_TRUE(Names(r.told[0], journal_)) << r.told[0];
  EXPECT_EQ(before, Scan(store));
  EXPECT_EQ(left, FileText(journal_));
}

// A journal is trusted only inside the engine stores it names. One that
// names a file outside them (by its path or by ".." parts), names no store
// (as Kestrelclean 2.1.0 wrote them) or names a store that is no engine
// folder is not applied at all: the user is told what it names, the file is
// kept under another name, and the run goes on as usual.
TEST_F(Kestrelclean, JournalForAnotherStoreIsNotAppliedButPutAside) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetDataDir(root_ + "\\data\\");
  PlaceTool(start_);
  const AttrMap before = Scan(store);
  const std::string victim = root_ + "\\victim.txt";
  MakeFile(victim);
  const DWORD victimWord = ::GetFileAttributesA(victim.c_str());

  const std::string head = "Kestrelclean journal\r\nstore\t" + store + "\r\n";
  const std::string climbing = store + "\\..\\..\\..\\victim.txt";
  struct Case {
    std::string journal;
    std::string named;  // what the message must name
  };
  const Case cases[] = {
      {head + "00000007\t" + victim + "\r\n00000023\t" + store + "\\Plain.ini\r\nend\t2\r\n", victim},
      {head + "00000007\t" + climbing + "\r\nend\t1\r\n", climbing},
      {"Kestrelclean journal\r\n00000023\t" + store + "\\Plain.ini\r\nend\t1\r\n", store + "\\Plain.ini"},
      {"Kestrelclean journal\r\nstore\t" + root_ + "\r\n00000007\t" + victim + "\r\nend\t1\r\n", root_},
  };
  std::string aside = journal_ + ".rejected";
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    std::ofstream(journal_, std::ios::binary) << cases[i].journal;
    const Report r = Run(start_, {store});
    ASSERT_EQ(1u, r.told.size());
    EXPECT_TRUE(Names(r.told[0], journal_) && Names(r.told[0], cases[i].named) && Names(r.told[0], aside))
        << r.told[0];
    EXPECT_EQ(cases[i].journal, FileText(aside));
    EXPECT_EQ(victimWord, ::GetFileAttributesA(victim.c_str()));
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(before, Scan(store));
    aside = journal_ + ".rejected." + std::to_string(i + 2);
  }
}

// A damaged journal is no dead end: every item line it holds in full is
// restored, the user is told what could not be read, the file is kept
// under another name and the run goes on; the next run is an ordinary one.
TEST_F(Kestrelclean, DamagedJournalRestoresWhatItHoldsInFullAndIsPutAside) {
  const std::string store = root_ + "\\data\\PlugIns\\Kestrelfind";
  MakeStore(store);
  SetDataDir(root_ + "\\data\\");
  PlaceTool(start_);
  AttrMap expected = Scan(store);

  // A line that is none of a journal's, and a last line cut off in its word.
  const std::string damaged = "Kestrelclean journal\r\nstore\t" + store + "\r\n00000023\t" + store +
                              "\\Plain.ini\r\n0000002?\t" + store + "\\News\r\n00000021\t" + store +
                              "\\News\\Sys.ini\r\n0000002";
  std::ofstream(journal_, std::ios::binary) << damaged;
  Report r = Run(start_, {store});
  ASSERT_EQ(1u, r.told.size());
  EXPECT_TRUE(Names(r.told[0], journal_)) << r.told[0];
  EXPECT_TRUE(Names(r.told[0], journal_ + ".damaged")) << r.told[0];
  EXPECT_TRUE(Says(r.told[0], L"line 4", L"4 行目")) << r.told[0];
  EXPECT_EQ(damaged, FileText(journal_ + ".damaged"));
  EXPECT_TRUE(r.complete);
  expected[store + "\\Plain.ini"] = 0x23;
  expected[store + "\\News\\Sys.ini"] = 0x21;
  EXPECT_EQ(expected, Scan(store));

  // Nothing of it left but its name: an empty file, kept under the next number.
  std::ofstream(journal_, std::ios::binary).flush();
  r = Run(start_, {store});
  ASSERT_EQ(1u, r.told.size());
  EXPECT_TRUE(Names(r.told[0], journal_ + ".damaged.2")) << r.told[0];
  EXPECT_TRUE(IsFile(journal_ + ".damaged.2"));
  EXPECT_EQ(damaged, FileText(journal_ + ".damaged"));
  EXPECT_EQ(expected, Scan(store));

  r = Run(start_, {store});
  EXPECT_TRUE(r.told.empty());
  EXPECT_TRUE(r.complete);
}

// 0x95 0x5C, 0x83 0x5C and 0x94 0x5C end in the byte of '\\'.
TEST_F(Kestrelclean, DoubleByteNamesWithBackslashTrailBytes) {
  if (::GetACP() != 932)
    GTEST_SKIP() << "needs code page 932";
  const std::string hyo = "\x95\x5C", so = "\x83\x5C", no = "\x94\x5C";

  // A value that names a folder and ends in a character whose trail byte is
  // 0x5C has no trailing backslash: "PlugIns" goes inside that folder.
  const std::string dataStore = root_ + "\\data\\" + so + "\\PlugIns\\Kestrelfind";
  MakeDir(dataStore);
  MakeDir(dataStore + "\\" + hyo, FILE_ATTRIBUTE_HIDDEN);
  MakeFile(dataStore + "\\" + hyo + "\\" + no + ".ini", FILE_ATTRIBUTE_HIDDEN);
  MakeDir(dataStore + "\\" + hyo + "\\" + so, FILE_ATTRIBUTE_READONLY);
  MakeFile(dataStore + "\\" + hyo + "\\" + so + "\\" + hyo + ".ini", FILE_ATTRIBUTE_READONLY);
  MakeFile(dataStore + "\\" + so + ".ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetDataDir(root_ + "\\data\\" + so);

  // The last delimiter is the backslash before the file name, not the trail
  // byte inside it.
  const std::string hostStore = root_ + "\\host\\PlugIns\\Kestrelfind";
  MakeDir(hostStore);
  MakeFile(hostStore + "\\" + hyo + ".ini", FILE_ATTRIBUTE_HIDDEN);
  SetUninstallString(root_ + "\\host\\" + hyo + "Uninst.exe");

  const std::string start = root_ + "\\tool" + so;
  MakeDir(start);
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(start.c_str()))
      << "Wine cannot create Japanese file names: no UTF-8 Unix locale (LOCPATH)";
  PlaceTool(start);
  const AttrMap dataBefore = Scan(dataStore);
  const AttrMap hostBefore = Scan(hostStore);
  ASSERT_EQ(5u, dataBefore.size());

  const Report r = Run(start, {dataStore, hostStore});
  ExpectNormalisedWhileRunning(dataStore, dataBefore, r);
  ExpectNormalisedWhileRunning(hostStore, hostBefore, r);
  EXPECT_EQ(ExpectedCommandLine(start), r.cmdline);
  EXPECT_TRUE(SameText(dataStore, r.cwd)) << r.cwd;
  EXPECT_EQ(dataBefore, Scan(dataStore));
  EXPECT_EQ(hostBefore, Scan(hostStore));
}

std::string VersionString(const std::vector<char>& block, const char* key) {
  char* value = nullptr;
  UINT len = 0;
  const std::string query = std::string("\\StringFileInfo\\040904E4\\") + key;
  if (!::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &len) || !value)
    return std::string();
  return std::string(value, ::strnlen(value, len));
}

// Runs with no console and tells who made it.
TEST(KestrelcleanProgram, IsAWindowsProgramWithItsVersionResource) {
  const std::string exe = BinDir() + "\\Kestrelclean.exe";
  HMODULE image = ::LoadLibraryExA(exe.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(nullptr, image);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(image) + dos->e_lfanew);
  EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt->OptionalHeader.Subsystem);
  ::FreeLibrary(image);

  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(exe.c_str(), &handle);
  ASSERT_NE(0u, size);
  std::vector<char> block(size);
  ASSERT_TRUE(::GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));
  EXPECT_EQ("Kestrel Software", VersionString(block, "CompanyName"));
  EXPECT_EQ("Kestrelfind", VersionString(block, "ProductName"));
  EXPECT_EQ("Kestrelfind uninstall helper", VersionString(block, "FileDescription"));
  EXPECT_EQ(KF_VERSION_QUAD_TEXT, VersionString(block, "FileVersion"));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(MAKELONG(KF_VERSION_MINOR, KF_VERSION_MAJOR), fixed->dwFileVersionMS);
  EXPECT_EQ(MAKELONG(0, KF_VERSION_PATCH), fixed->dwFileVersionLS);
}

}  // namespace
