// The host's script language, one command a line (UTF-8), so that the demo
// and end-to-end tests drive the host like a user would:
//
//   mail FILE                    show a UTF-8 text file in the mail view
//   select TEXT                  select the first occurrence of TEXT ("\n" in
//                                it is a line break, for text over lines)
//   selectrange START LEN        select by character position
//   selection                    print the selected text
//   menu TYPE                    build that context menu and print it
//   pick TYPE "A/B/C"            build it and pick the item at that caption path
//   showmenu TYPE "A/B" [FILE]   build it, show it on screen at the selection,
//                                open the submenus A, then B, save a
//                                screenshot of the window and its open menus
//                                (.png/.bmp), and close it with nothing chosen
//                                (in both paths '*' stands for any run of
//                                characters, and "#N" is the Nth item of its
//                                level: MatchMenuPath in MenuTree.h)
//   setup                        every plug-in's BKC_OnPlugInSetup
//   info                         the plug-ins' information
//   plugins                      which libraries loaded, which failed
//   commands                     the commands registered so far
//   apicalls                     how often the plug-ins called the host API
//   copy                         send the copy command to the main window
//   clipboard                    print the clipboard's text
//   windows                      the visible top-level windows of the host
//   wait MS                      pump messages for MS milliseconds
//   screenshot FILE [window]     the screen (or the active window), .png/.bmp
//   boxes PREFIX [ok|cancel]     from now on catch every message box shown
//                                on this thread: save a screenshot of it over
//                                its owner to PREFIX-NN-slug.png, print
//                                "box N [caption] text -> button; file", and
//                                answer it with OK, or with Cancel where the
//                                box offers it
//   boxes off                    boxes block the script again
//   click CLASS ID               click the button with that control id in the
//                                visible window of that class
//   settext CLASS ID TEXT        set that control's text (an edit's change
//                                notification follows)
//   keys CLASS ID KEY...         focus that control and post it each KEY: a
//                                key's name (Enter, Escape, Tab, Space,
//                                Delete, Home, End, Up, Down, F1...) is
//                                pressed and released, any other word typed
//   drop CLASS ID FILE...        drop the files on the middle of that control,
//                                as Explorer does: WM_DROPFILES to the
//                                nearest window that accepts files
//   echo TEXT                    print TEXT
//   quit                         stop the script
//   run                          hand the window to the user: the normal
//                                message loop until it is closed; the
//                                script ends there
//
// Blank lines and lines starting with '#' are skipped. Arguments are
// separated by blanks; double quotes group one with blanks in it.
#pragma once

#include <string>
#include <vector>

#include <memory>

#include "BoxCatcher.h"
#include "HostWindow.h"
#include "PluginHost.h"

namespace kfhost {

class ScriptRunner {
 public:
  ScriptRunner(PluginHost& plugins, HostWindow& window, HANDLE out, HANDLE err);

  // Runs one command; false (after printing the error) when it failed.
  bool RunLine(const std::string& line);
  // Runs the lines until the first failure or quit.
  bool RunLines(const std::vector<std::string>& lines);
  bool RunFile(const std::string& utf8Path);

  bool QuitRequested() const { return quit_; }

 private:
  void Print(const std::string& utf8);
  bool Fail(const std::string& utf8);

  bool CmdMail(const std::vector<std::string>& args);
  bool CmdSelect(const std::string& rest);
  bool CmdSelectRange(const std::vector<std::string>& args);
  // The context menu of the type args[0] names, built; null after saying
  // why (usage when args are not count words beginning with a type).
  HMENU ContextMenuOf(const std::vector<std::string>& args, std::size_t count, const char* usage);
  bool CmdMenu(const std::vector<std::string>& args);
  bool CmdPick(const std::vector<std::string>& args);
  bool CmdShowMenu(const std::vector<std::string>& args);
  bool CmdSetup();
  bool CmdInfo();
  bool CmdPlugins();
  bool CmdCommands();
  bool CmdApiCalls();
  bool CmdClipboard();
  bool CmdWindows();
  bool CmdWait(const std::vector<std::string>& args);
  bool CmdScreenshot(const std::vector<std::string>& args);
  bool CmdBoxes(const std::vector<std::string>& args);
  // The control args[1] names in the window of class args[0], visible;
  // null after saying why (usage when countOk is false).
  HWND ControlOf(const std::vector<std::string>& args, bool countOk, const char* usage);
  bool CmdClick(const std::vector<std::string>& args);
  bool CmdSetText(const std::vector<std::string>& args);
  bool CmdKeys(const std::vector<std::string>& args);
  bool CmdDrop(const std::vector<std::string>& args);
  bool CmdRun();

  PluginHost& plugins_;
  HostWindow& window_;
  HANDLE out_;
  HANDLE err_;
  int lineNumber_ = 0;
  bool quit_ = false;
  std::unique_ptr<BoxCatcher> boxes_;
};

// Splits a command line into words; "..." groups, \" inside quotes is a quote.
std::vector<std::string> SplitWords(const std::string& line);

// Reads a UTF-8 text file (a BOM is dropped); false when it cannot be read.
bool ReadUtf8File(const std::wstring& path, std::wstring& text);

}  // namespace kfhost
