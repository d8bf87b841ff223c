// Opening an address in a browser of the user's choice, or in a private
// window: which program, which switch, and the command line that hands it the
// address. The program comes only from the settings or the registry, never
// from the mail.
#pragma once

#include <string>
#include <string_view>

namespace kf {

// How an engine's searches open.
struct BrowserChoice {
  std::wstring program;  // full path of the browser's program; "" for the default browser
  bool privateWindow = false;

  // Neither setting: the shell opens the address in the default browser.
  bool UsesShell() const { return program.empty() && !privateWindow; }
};

// What an engine file says, with the settings for all engines behind it: the
// engine's "private" ("1" or "0"; anything else follows allPrivate, which is
// on only for "1") and its "browser" (empty follows allBrowser).
BrowserChoice ChooseBrowser(std::string_view enginePrivate, const std::wstring& engineBrowser,
                            std::string_view allPrivate, const std::wstring& allBrowser);

// Whether path is a drive's or a share's full path (C:\x\y.exe,
// \\server\x\y.exe): a program named any other way would be searched for,
// in the host's folders among others.
bool IsFullProgramPath(std::wstring_view path);

// The switch that makes the browser whose program is programPath open a new
// private window, known by the program's file name in any letter case; null
// for a browser whose switch is not known.
const wchar_t* PrivateWindowSwitch(std::wstring_view programPath);

// arg as one argument of a command line, quoted so that the platform's rules
// (CommandLineToArgvW, the C runtime) read back exactly arg: a '"' or a
// trailing '\' inside can neither end it nor start another.
std::wstring QuoteArgument(std::wstring_view arg);

// The command line that starts program with the private-window switch when
// there is one (privateSwitch may be null) and address as its last argument.
std::wstring BrowserCommandLine(const std::wstring& program, const wchar_t* privateSwitch, const std::wstring& address);

// The program a "shell\open\command" value starts: its first argument,
// quoted or not ("C:\Program Files\X\x.exe" -a "%1" and
// C:\Program Files\X\x.exe -a "%1" both give C:\Program Files\X\x.exe).
std::wstring ProgramOfCommand(std::wstring_view command);

}  // namespace kf
