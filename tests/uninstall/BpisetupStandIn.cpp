// Stand-in for the host's plug-in setup tool. While it runs it writes a
// report to the file named by KF_BPISETUP_REPORT:
//   pid <tab> its process id
//   module <tab> its own path
//   cmdline <tab> its command line
//   cwd <tab> its current directory
//   entry <tab> attribute word (hex) <tab> path     for everything below the
//                                                   '|'-separated roots of KF_BPISETUP_SCAN
//   done
// KF_BPISETUP_DELETE names a file it removes, as the real tool removes files.
// KF_BPISETUP_HOLD names an event: after its report the stand-in waits until
// the event is set (at most a minute), so that a test can end its caller
// while it runs.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "TreeScan.h"

namespace {

std::string Env(const char* name) {
  // Read wide and converted here: Wine's ANSI call cuts a value with
  // double-byte characters short by one byte for each of them.
  const std::wstring wideName(name, name + std::strlen(name));
  wchar_t buf[32768];
  const DWORD n = ::GetEnvironmentVariableW(wideName.c_str(), buf, 32768);
  if (n == 0 || n >= 32768)
    return std::string();
  const int len = ::WideCharToMultiByte(CP_ACP, 0, buf, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string value(static_cast<size_t>(len), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, buf, static_cast<int>(n), &value[0], len, nullptr, nullptr);
  return value;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string reportPath = Env("KF_BPISETUP_REPORT");
  if (reportPath.empty())
    return 1;

  // Long enough that a caller which does not wait has restored the store
  // before the scan below.
  ::Sleep(300);

  char module[32768];
  const DWORD m = ::GetModuleFileNameA(nullptr, module, sizeof module);
  char cwd[32768];
  const DWORD c = ::GetCurrentDirectoryA(sizeof cwd, cwd);

  kftest::AttrMap entries;
  const std::string roots = Env("KF_BPISETUP_SCAN");
  for (size_t start = 0; start < roots.size();) {
    size_t end = roots.find('|', start);
    if (end == std::string::npos)
      end = roots.size();
    kftest::ScanTree(roots.substr(start, end - start), entries);
    start = end + 1;
  }

  const std::string victim = Env("KF_BPISETUP_DELETE");
  if (!victim.empty()) {
    ::SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(victim.c_str());
  }

  // Written under another name and renamed, so a reader never sees half a report.
  const std::string partial = reportPath + ".part";
  FILE* f = std::fopen(partial.c_str(), "wb");
  if (!f)
    return 1;
  std::fprintf(f, "pid\t%lu\n", static_cast<unsigned long>(::GetCurrentProcessId()));
  std::fprintf(f, "module\t%.*s\n", static_cast<int>(m), module);
  std::fprintf(f, "cmdline\t%s\n", ::GetCommandLineA());
  std::fprintf(f, "cwd\t%.*s\n", static_cast<int>(c), cwd);
  for (const auto& e : entries)
    std::fprintf(f, "entry\t%08lx\t%s\n", static_cast<unsigned long>(e.second), e.first.c_str());
  std::fprintf(f, "done\n");
  std::fclose(f);
  ::MoveFileExA(partial.c_str(), reportPath.c_str(), MOVEFILE_REPLACE_EXISTING);

  const std::string hold = Env("KF_BPISETUP_HOLD");
  if (!hold.empty()) {
    HANDLE event = ::OpenEventA(SYNCHRONIZE, FALSE, hold.c_str());
    if (event) {
      ::WaitForSingleObject(event, 60000);
      ::CloseHandle(event);
    }
  }
  // Its exit code means nothing to the caller.
  return 3;
}
