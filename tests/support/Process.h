// Runs a program of the build (a host program, say) as a child process and
// captures what it prints.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kft {

struct ProcessResult {
  bool started = false;
  bool timedOut = false;  // it was still running after the timeout and was ended
  DWORD exitCode = 0;
  std::string out;  // stdout, bytes as printed (UTF-8 for the host)
  std::string err;  // stderr

  // stdout split at '\n' (a trailing '\r' dropped), without the empty last one.
  std::vector<std::string> OutLines() const;
};

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& arg);

// program: a path (ANSI); args: UTF-8, each quoted as needed. The child
// inherits this process's environment (KF_URL_LOG included).
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         DWORD timeoutMs = 30000, const std::string& workingDir = std::string());

}  // namespace kft
