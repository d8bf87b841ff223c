// Stand-in for the host's plug-in setup tool. While it runs it writes a
// report to the file named by KF_BPISETUP_REPORT:
//   module <tab> its own path
//   cmdline <tab> its command line
//   cwd <tab> its current directory
//   entry <tab> attribute word (hex) <tab> path     for everything below the
//                                                   '|'-separated roots of KF_BPISETUP_SCAN
//   done
// KF_BPISETUP_DELETE names a file it removes, as the real tool removes files.
#include <windows.h>

#include <cstdio>
#include <string>

#include "TreeScan.h"

namespace {

std::string Env(const char* name) {
  char buf[32768];
  const DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
  return (n == 0 || n >= sizeof buf) ? std::string() : std::string(buf, n);
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
  std::fprintf(f, "module\t%.*s\n", static_cast<int>(m), module);
  std::fprintf(f, "cmdline\t%s\n", ::GetCommandLineA());
  std::fprintf(f, "cwd\t%.*s\n", static_cast<int>(c), cwd);
  for (const auto& e : entries)
    std::fprintf(f, "entry\t%08lx\t%s\n", static_cast<unsigned long>(e.second), e.first.c_str());
  std::fprintf(f, "done\n");
  std::fclose(f);
  ::MoveFileExA(partial.c_str(), reportPath.c_str(), MOVEFILE_REPLACE_EXISTING);
  // Its exit code means nothing to the caller.
  return 3;
}
