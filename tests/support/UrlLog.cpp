#include "UrlLog.h"

#include "Files.h"
#include "HostWindow.h"
#include "Text.h"

namespace kft {

UrlLog::UrlLog() {
  char old[4096];
  const DWORD n = GetEnvironmentVariableA("KF_URL_LOG", old, sizeof old);
  if (n > 0 && n < sizeof old) {
    hadOldValue_ = true;
    oldValue_.assign(old, n);
  }
  static unsigned counter = 0;
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + "kf-urls-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(GetTickCount()) + "-" + std::to_string(++counter) + ".log";
  DeleteFileA(path_.c_str());
  // Child processes (the shell's handler among them) get it from here.
  SetEnvironmentVariableA("KF_URL_LOG", path_.c_str());
}

UrlLog::~UrlLog() {
  SetEnvironmentVariableA("KF_URL_LOG", hadOldValue_ ? oldValue_.c_str() : nullptr);
  DeleteFileA(path_.c_str());
}

std::vector<std::string> UrlLog::Lines() const {
  const std::string bytes = ReadBytes(path_);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string::npos)
      break;  // a line still being written
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

::testing::AssertionResult UrlLog::WaitForLines(size_t n, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    const std::vector<std::string> lines = Lines();
    if (lines.size() >= n)
      return ::testing::AssertionSuccess();
    if (GetTickCount() - start >= timeoutMs) {
      auto failure = ::testing::AssertionFailure();
      failure << "expected " << n << " opened URL(s) within " << timeoutMs << " ms, got " << lines.size();
      for (const std::string& line : lines)
        failure << "\n  " << AnsiToUtf8(line);
      return failure;
    }
    kfhost::PumpMessages(50);
  }
}

::testing::AssertionResult UrlLog::ExpectNothingOpened(DWORD ms) const {
  kfhost::PumpMessages(ms);
  const std::vector<std::string> lines = Lines();
  if (lines.empty())
    return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure();
  failure << "expected no opened URL, got " << lines.size();
  for (const std::string& line : lines)
    failure << "\n  " << AnsiToUtf8(line);
  return failure;
}

}  // namespace kft
