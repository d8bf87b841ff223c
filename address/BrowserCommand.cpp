#include "BrowserCommand.h"

#include "AsciiText.h"

namespace kf {

namespace {

struct KnownBrowser {
  const char* program;  // the program's file name
  const wchar_t* privateSwitch;
};

constexpr KnownBrowser kKnownBrowsers[] = {
    {"msedge.exe", L"--inprivate"},
    {"chrome.exe", L"--incognito"},
    {"chromium.exe", L"--incognito"},
    {"brave.exe", L"--incognito"},
    {"vivaldi.exe", L"--incognito"},
    {"firefox.exe", L"-private-window"},
    {"librewolf.exe", L"-private-window"},
    {"waterfox.exe", L"-private-window"},
    {"opera.exe", L"--private"},
};

constexpr wchar_t kOperaSwitch[] = L"--private";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The last component of path, and the one before it.
std::wstring_view FileNameOf(std::wstring_view path) {
  std::size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1]))
    --start;
  return path.substr(start);
}

std::wstring_view FolderNameOf(std::wstring_view path) {
  const std::wstring_view name = FileNameOf(path);
  std::wstring_view folder = path.substr(0, path.size() - name.size());
  while (!folder.empty() && IsSeparator(folder.back()))
    folder.remove_suffix(1);
  return FileNameOf(folder);
}

}  // namespace

BrowserChoice ChooseBrowser(std::string_view enginePrivate, const std::wstring& engineBrowser,
                            std::string_view allPrivate, const std::wstring& allBrowser) {
  BrowserChoice choice;
  if (enginePrivate == "1" || enginePrivate == "0")
    choice.privateWindow = enginePrivate == "1";
  else
    choice.privateWindow = allPrivate == "1";
  choice.program = engineBrowser.empty() ? allBrowser : engineBrowser;
  return choice;
}

bool IsFullProgramPath(std::wstring_view path) {
  if (path.size() < 3)
    return false;
  const wchar_t drive = ToLowerAscii(path[0]);
  return (drive >= L'a' && drive <= L'z' && path[1] == L':' && IsSeparator(path[2])) ||
         (path[0] == L'\\' && path[1] == L'\\');
}

const wchar_t* PrivateWindowSwitch(std::wstring_view programPath) {
  const std::wstring_view name = FileNameOf(programPath);
  for (const KnownBrowser& browser : kKnownBrowsers) {
    if (EqualsIgnoringAsciiCase(name, browser.program))
      return browser.privateSwitch;
  }
  // Opera registers its launcher, a name too common to know it by alone.
  if (EqualsIgnoringAsciiCase(name, "launcher.exe") && StartsWithIgnoringAsciiCase(FolderNameOf(programPath), "opera"))
    return kOperaSwitch;
  return nullptr;
}

std::wstring QuoteArgument(std::wstring_view arg) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only in front of a quote: there each one is doubled
    // and the quote escaped; elsewhere they stand as they are.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    quoted += c;
    backslashes = 0;
  }
  // The closing quote must not be escaped by backslashes at the end.
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

std::wstring BrowserCommandLine(const std::wstring& program, const wchar_t* privateSwitch,
                                const std::wstring& address) {
  std::wstring command = QuoteArgument(program);
  if (privateSwitch) {
    command += L' ';
    command += privateSwitch;
  }
  command += L' ';
  command += QuoteArgument(address);
  return command;
}

std::wstring ProgramOfCommand(std::wstring_view command) {
  while (!command.empty() && IsBlank(command.front()))
    command.remove_prefix(1);
  if (!command.empty() && command.front() == L'"') {
    command.remove_prefix(1);
    return std::wstring(command.substr(0, command.find(L'"')));
  }
  // Unquoted, a path may still hold spaces: it ends at the first ".exe" that
  // ends a word, or else at the first blank.
  constexpr std::string_view kExe = ".exe";
  for (std::size_t at = 0; at + kExe.size() <= command.size(); ++at) {
    const std::size_t end = at + kExe.size();
    if (EqualsIgnoringAsciiCase(command.substr(at, kExe.size()), kExe) &&
        (end == command.size() || IsBlank(command[end])))
      return std::wstring(command.substr(0, end));
  }
  std::size_t end = 0;
  while (end < command.size() && !IsBlank(command[end]))
    ++end;
  return std::wstring(command.substr(0, end));
}

}  // namespace kf
