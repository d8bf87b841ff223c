#include "Process.h"

#include "Text.h"

namespace kft {
namespace {

// Reads what the pipe holds now, without blocking. Blocking reads until the
// end of the pipe would hang when a process the child started (Wine's
// explorer.exe, say) inherited the pipe and lives on.
bool ReadAvailable(HANDLE pipe, std::string& into) {
  bool any = false;
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0)
      return any;
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr) || got == 0)
      return any;
    into.append(buffer, got);
    any = true;
  }
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
  // Poll both pipes while the child runs (so that it never blocks on a full
  // pipe), then take what is left once it has ended.
  const DWORD start = GetTickCount();
  for (;;) {
    const bool gotOut = ReadAvailable(outRead, result.out);
    const bool gotErr = ReadAvailable(errRead, result.err);
    if (WaitForSingleObject(process.hProcess, gotOut || gotErr ? 0 : 10) == WAIT_OBJECT_0)
      break;
    if (GetTickCount() - start >= timeoutMs) {
      result.timedOut = true;
      TerminateProcess(process.hProcess, 255);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
  }
  ReadAvailable(outRead, result.out);
  ReadAvailable(errRead, result.err);
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(outRead);
  CloseHandle(errRead);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

}  // namespace kft
