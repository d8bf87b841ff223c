#include "Process.h"

#include <thread>

#include "Text.h"

namespace kft {
namespace {

// Reads a pipe until its writer is gone.
void Drain(HANDLE pipe, std::string* into) {
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
    into->append(buffer, got);
}

}  // namespace

std::vector<std::string> ProcessResult::OutLines() const {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos)
      end = out.size();
    std::string line = out.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    return arg;
  std::wstring quoted = L"\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++backslashes;
      ++i;
    }
    if (i == arg.size()) {
      // Doubled, so that they do not escape the closing quote.
      quoted.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
      quoted += L'"';
    } else {
      quoted.append(backslashes, L'\\');
      quoted += arg[i];
    }
  }
  quoted += L'"';
  return quoted;
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args, DWORD timeoutMs,
                         const std::string& workingDir) {
  ProcessResult result;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0))
    return result;
  if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    CloseHandle(outRead);
    CloseHandle(outWrite);
    return result;
  }
  // Our ends stay out of the child, or the pipes would never close.
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

  std::wstring commandLine = QuoteArgument(AnsiToWide(program));
  for (const std::string& arg : args)
    commandLine += L" " + QuoteArgument(Utf8ToWide(arg));

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process = {};
  const std::wstring dir = AnsiToWide(workingDir);
  result.started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  dir.empty() ? nullptr : dir.c_str(), &startup, &process) != FALSE;
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (!result.started) {
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
  }
  std::thread outReader(Drain, outRead, &result.out);
  std::thread errReader(Drain, errRead, &result.err);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
    result.timedOut = true;
    TerminateProcess(process.hProcess, 255);
    WaitForSingleObject(process.hProcess, 5000);
  }
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  outReader.join();
  errReader.join();
  CloseHandle(outRead);
  CloseHandle(errRead);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

}  // namespace kft
