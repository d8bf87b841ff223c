// urlrecorder.exe "URL": stands in for the browser. The test prefix's URL
// handlers run it with the URL the shell was asked to open; it appends that
// argument, byte for byte, and a newline to the file named by KF_URL_LOG (or
// urls.log beside itself).
//
// A copy under another name (msedge.exe, firefox.exe) stands in for a browser
// the plug-in starts itself: it records its own file name and every argument
// after it as the platform's parser splits them, separated by tabs.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

// The first argument exactly as the shell put it on the command line: the
// handler's "%1" is quoted, so the quotes are the only thing to take off.
// The C run-time's own parsing would also eat backslashes before quotes.
std::string FirstArgument() {
  const char* p = GetCommandLineA();
  if (*p == '"') {
    ++p;
    while (*p && *p != '"')
      ++p;
    if (*p)
      ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t')
      ++p;
  }
  while (*p == ' ' || *p == '\t')
    ++p;
  std::string arg(p);
  while (!arg.empty() && (arg.back() == ' ' || arg.back() == '\t'))
    arg.pop_back();
  if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"')
    arg = arg.substr(1, arg.size() - 2);
  return arg;
}

std::string Ansi(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &ansi[0], n, nullptr, nullptr);
  return ansi;
}

std::wstring OwnFileName() {
  wchar_t self[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring path(self);
  return path.substr(path.find_last_of(L'\\') + 1);
}

std::string NameAndArguments() {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string line = Ansi(OwnFileName());
  for (int i = 1; args && i < count; ++i)
    line += "\t" + Ansi(args[i]);
  LocalFree(args);
  return line;
}

std::string LogPath() {
  char value[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableA("KF_URL_LOG", value, sizeof value);
  if (n > 0 && n < sizeof value)
    return std::string(value, n);
  // Beside the program; the path is split on the wide form so a Shift-JIS
  // trail byte is never taken for a backslash.
  wchar_t self[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir(self);
  dir = dir.substr(0, dir.find_last_of(L'\\') + 1) + L"urls.log";
  char ansi[MAX_PATH * 2] = "";
  WideCharToMultiByte(CP_ACP, 0, dir.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
  return ansi;
}

}  // namespace

int main() {
  const std::string line = (lstrcmpiW(OwnFileName().c_str(), L"urlrecorder.exe") == 0 ? FirstArgument() : NameAndArguments()) + "\n";
  const std::string path = LogPath();
  // Several recorders may run at once; one appending write each keeps their
  // lines whole. A writer that finds the file busy retries for a while.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
      return ok && written == line.size() ? 0 : 1;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION)
      return 1;
    Sleep(10);
  }
  return 1;
}
