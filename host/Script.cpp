#include "Script.h"

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "ControlInput.h"
#include "HostApi.h"
#include "HostText.h"
#include "MenuTree.h"
#include "Screenshot.h"

namespace kfhost {
namespace {

bool ParseInt(const std::string& text, long& value) {
  if (text.empty())
    return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && end && *end == '\0';
}

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos)
    return std::string();
  const size_t last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

std::string ClipboardTextUtf8(bool& hasText) {
  hasText = false;
  std::string text;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (OpenClipboard(nullptr))
      break;
    if (attempt == 19)
      return text;
    Sleep(10);
  }
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = WideToUtf8(wide);
      hasText = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

struct WindowList {
  DWORD process;
  std::vector<std::string> lines;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<WindowList*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != list->process || !IsWindowVisible(hwnd))
    return TRUE;
  wchar_t cls[256] = L"";
  wchar_t title[512] = L"";
  GetClassNameW(hwnd, cls, ARRAYSIZE(cls));
  GetWindowTextW(hwnd, title, ARRAYSIZE(title));
  list->lines.push_back(WideToUtf8(cls) + " | " + WideToUtf8(title));
  return TRUE;
}

}  // namespace

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
      ++i;
    if (i >= line.size())
      break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"')
          ++i;
        word += line[i++];
      }
      ++i;  // the closing quote
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t')
        word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

bool ReadUtf8File(const std::wstring& path, std::wstring& text) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes))
    return false;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    bytes.erase(0, 3);
  text = Utf8ToWide(bytes);
  return true;
}

ScriptRunner::ScriptRunner(PluginHost& plugins, HostWindow& window, HANDLE out, HANDLE err)
    : plugins_(plugins), window_(window), out_(out), err_(err) {}

void ScriptRunner::Print(const std::string& utf8) {
  WriteLine(out_, utf8);
}

bool ScriptRunner::Fail(const std::string& utf8) {
  WriteLine(err_, "error: line " + std::to_string(lineNumber_) + ": " + utf8);
  return false;
}

bool ScriptRunner::RunLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (!RunLine(line))
      return false;
    if (quit_)
      break;
  }
  return true;
}

bool ScriptRunner::RunFile(const std::string& utf8Path) {
  std::wstring text;
  if (!ReadUtf8File(Utf8ToWide(utf8Path), text))
    return Fail("cannot read the script " + utf8Path);
  std::vector<std::string> lines;
  std::istringstream in(WideToUtf8(text));
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return RunLines(lines);
}

bool ScriptRunner::RunLine(const std::string& rawLine) {
  ++lineNumber_;
  const std::string line = Trim(rawLine);
  if (line.empty() || line[0] == '#')
    return true;
  const std::vector<std::string> words = SplitWords(line);
  const std::string& cmd = words[0];
  const std::vector<std::string> args(words.begin() + 1, words.end());
  const size_t gap = line.find_first_of(" \t");
  const std::string rest = gap == std::string::npos ? std::string() : Trim(line.substr(gap));

  if (cmd == "mail") return CmdMail(args);
  if (cmd == "select") return CmdSelect(rest);
  if (cmd == "selectrange") return CmdSelectRange(args);
  if (cmd == "selection") {
    Print(WideToUtf8(window_.Selection()));
    return true;
  }
  if (cmd == "menu") return CmdMenu(args);
  if (cmd == "pick") return CmdPick(args);
  if (cmd == "showmenu") return CmdShowMenu(args);
  if (cmd == "setup") return CmdSetup();
  if (cmd == "info") return CmdInfo();
  if (cmd == "plugins") return CmdPlugins();
  if (cmd == "commands") return CmdCommands();
  if (cmd == "apicalls") return CmdApiCalls();
  if (cmd == "copy") {
    SendMessageA(window_.Handle(), WM_COMMAND, kCopySelectionCommand, 0);
    return true;
  }
  if (cmd == "clipboard") return CmdClipboard();
  if (cmd == "windows") return CmdWindows();
  if (cmd == "wait") return CmdWait(args);
  if (cmd == "screenshot") return CmdScreenshot(args);
  if (cmd == "boxes") return CmdBoxes(args);
  if (cmd == "click") return CmdClick(args);
  if (cmd == "drop") return CmdDrop(args);
  if (cmd == "settext") return CmdSetText(args);
  if (cmd == "keys") return CmdKeys(args);
  if (cmd == "echo") {
    Print(rest);
    return true;
  }
  if (cmd == "run") return CmdRun();
  if (cmd == "quit") {
    quit_ = true;
    return true;
  }
  return Fail("unknown command: " + cmd);
}

bool ScriptRunner::CmdMail(const std::vector<std::string>& args) {
  if (args.size() != 1)
    return Fail("usage: mail FILE");
  std::wstring text;
  if (!ReadUtf8File(Utf8ToWide(args[0]), text))
    return Fail("cannot read " + args[0]);
  window_.ShowMail(text);
  return true;
}

bool ScriptRunner::CmdSelect(const std::string& rest) {
  std::string needle = rest;
  if (needle.size() >= 2 && needle.front() == '"' && needle.back() == '"')
    needle = needle.substr(1, needle.size() - 2);
  if (needle.empty())
    return Fail("usage: select TEXT");
  for (std::size_t at = needle.find("\\n"); at != std::string::npos; at = needle.find("\\n", at + 2))
    needle.replace(at, 2, "\r\n");
  if (!window_.SelectText(Utf8ToWide(needle)))
    return Fail("text not found in the mail: " + needle);
  return true;
}

bool ScriptRunner::CmdSelectRange(const std::vector<std::string>& args) {
  long start = 0, length = 0;
  if (args.size() != 2 || !ParseInt(args[0], start) || !ParseInt(args[1], length) || start < 0 || length < 0)
    return Fail("usage: selectrange START LEN");
  window_.SelectRange(static_cast<int>(start), static_cast<int>(length));
  return true;
}

HMENU ScriptRunner::ContextMenuOf(const std::vector<std::string>& args, std::size_t count, const char* usage) {
  long type = 0;
  if (args.size() != count || !ParseInt(args[0], type)) {
    Fail(usage);
    return nullptr;
  }
  HMENU menu = window_.BuildContextMenu(static_cast<int>(type));
  if (!menu)
    Fail("cannot create the menu");
  return menu;
}

bool ScriptRunner::CmdMenu(const std::vector<std::string>& args) {
  HMENU menu = ContextMenuOf(args, 1, "usage: menu TYPE");
  if (!menu)
    return false;
  Print("menu " + args[0] + ":");
  std::istringstream lines(MenuToText(menu));
  for (std::string item; std::getline(lines, item);)
    Print("  " + item);
  return true;
}

bool ScriptRunner::CmdPick(const std::vector<std::string>& args) {
  HMENU menu = ContextMenuOf(args, 2, "usage: pick TYPE \"Caption/Caption/...\"");
  if (!menu)
    return false;
  const std::vector<MenuItem> items = ReadMenu(menu);
  std::vector<int> positions;
  const MenuItem* item = MatchMenuPath(items, args[1], positions);
  if (!item || item->separator)
    return Fail("no such menu item: " + args[1]);
  if (item->IsPopup())
    return Fail("menu item is a submenu: " + args[1]);
  if (item->grayed)
    return Fail("menu item is grayed: " + args[1]);
  // A pattern's last part says what it matched.
  const std::string last = args[1].substr(args[1].rfind('/') + 1);
  Print("picked " + args[1] + (last == item->CaptionUtf8() ? "" : " (" + item->CaptionUtf8() + ")") + " #" +
        std::to_string(item->id));
  window_.SendMenuCommand(item->id);
  return true;
}

bool ScriptRunner::CmdShowMenu(const std::vector<std::string>& args) {
  long type = 0;
  if (args.size() < 2 || args.size() > 3 || !ParseInt(args[0], type))
    return Fail("usage: showmenu TYPE \"Caption/Caption/...\" [FILE.png|FILE.bmp]");
  HMENU menu = window_.BuildContextMenu(static_cast<int>(type));
  if (!menu)
    return Fail("cannot create the menu");
  // The item position of each level's submenu; an empty path opens none.
  std::vector<int> positions;
  std::string opened;
  if (!args[1].empty()) {
    const std::vector<MenuItem> items = ReadMenu(menu);
    const MenuItem* item = MatchMenuPath(items, args[1], positions);
    if (!item || !item->IsPopup())
      return Fail("no such submenu: " + args[1]);
    const std::vector<MenuItem>* level = &items;
    for (const int position : positions) {
      const MenuItem& at = (*level)[static_cast<size_t>(position)];
      opened += (opened.empty() ? "" : " > ") + at.CaptionUtf8();
      level = &at.children;
    }
  }
  const std::string file = args.size() == 3 ? args[2] : std::string();
  std::string error;
  const bool ok = window_.TourMenu(
      menu, positions,
      [&file](const RECT& shown, const std::vector<HWND>& menuWindows, std::string& why) {
        if (file.empty())
          return true;
        // A margin, so that the menus' edges show whole.
        RECT rect = shown;
        InflateRect(&rect, 8, 8);
        return SaveScreenshotOfRect(Utf8ToWide(file), rect, menuWindows, why);
      },
      error);
  if (!ok)
    return Fail("showmenu: " + error);
  Print("menu " + args[0] + " shown" + (opened.empty() ? std::string() : ", opened " + opened) +
        ", closed with nothing chosen");
  if (!file.empty())
    Print("screenshot " + file);
  return true;
}

bool ScriptRunner::CmdSetup() {
  for (const auto& plugin : plugins_.Plugins())
    Print("setup " + AnsiToUtf8(plugin->Path()) + ": " + std::to_string(plugin->OnPlugInSetup(window_.Handle())));
  return true;
}

bool ScriptRunner::CmdInfo() {
  for (const auto& plugin : plugins_.Plugins()) {
    const PluginInfo info = plugin->QueryInfo();
    Print("plug-in " + AnsiToUtf8(plugin->Path()));
    Print("  name: " + AnsiToUtf8(info.name));
    Print("  vendor: " + AnsiToUtf8(info.vendor));
    Print("  version: " + AnsiToUtf8(info.version));
    Print("  description: " + AnsiToUtf8(info.description));
    Print("  result: " + std::to_string(info.result));
  }
  return true;
}

bool ScriptRunner::CmdPlugins() {
  for (const LoadRecord& record : plugins_.Records()) {
    if (record.loaded)
      Print("loaded " + AnsiToUtf8(record.path));
    else
      Print("failed " + AnsiToUtf8(record.path) + " (error " + std::to_string(record.error) + ")");
  }
  return true;
}

bool ScriptRunner::CmdCommands() {
  for (const Registration& reg : Registrations())
    Print("#" + std::to_string(reg.id) + " type " + std::to_string(reg.type) + " " + AnsiToUtf8(reg.text));
  return true;
}

bool ScriptRunner::CmdApiCalls() {
  Print("BKA_GetVersion: " + std::to_string(VersionCallCount()));
  Print("BKA_RegisterCommand: " + std::to_string(Registrations().size()));
  Print("others: " + std::to_string(OtherApiCallCount()));
  return true;
}

bool ScriptRunner::CmdClipboard() {
  bool hasText = false;
  const std::string text = ClipboardTextUtf8(hasText);
  Print(hasText ? "clipboard: " + text : "clipboard: (no text)");
  return true;
}

bool ScriptRunner::CmdWindows() {
  WindowList list{GetCurrentProcessId(), {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&list));
  for (const std::string& line : list.lines)
    Print("window " + line);
  return true;
}

bool ScriptRunner::CmdWait(const std::vector<std::string>& args) {
  long ms = 0;
  if (args.size() != 1 || !ParseInt(args[0], ms) || ms < 0)
    return Fail("usage: wait MS");
  PumpMessages(static_cast<DWORD>(ms));
  return true;
}

bool ScriptRunner::CmdScreenshot(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2 || (args.size() == 2 && args[1] != "window"))
    return Fail("usage: screenshot FILE.png|FILE.bmp [window]");
  HWND window = args.size() == 2 ? GetForegroundWindow() : nullptr;
  if (args.size() == 2 && !window)
    window = window_.Handle();
  // Whatever changed since the last wait gets painted first.
  RedrawWindow(window_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages(100);
  std::string error;
  if (!SaveScreenshot(Utf8ToWide(args[0]), window, error))
    return Fail("screenshot " + args[0] + ": " + error);
  Print("screenshot " + args[0]);
  return true;
}

bool ScriptRunner::CmdBoxes(const std::vector<std::string>& args) {
  if (args.size() == 1 && args[0] == "off") {
    boxes_.reset();
    return true;
  }
  if (args.empty() || args.size() > 2 || (args.size() == 2 && args[1] != "ok" && args[1] != "cancel"))
    return Fail("usage: boxes PREFIX [ok|cancel] | boxes off");
  const BoxCatcher::Answer answer =
      args.size() == 2 && args[1] == "cancel" ? BoxCatcher::Answer::Cancel : BoxCatcher::Answer::Ok;
  if (boxes_) {
    boxes_->Change(args[0], answer);
    return true;
  }
  boxes_ = std::make_unique<BoxCatcher>(args[0], answer, out_);
  if (!boxes_->Hooked()) {
    const DWORD error = GetLastError();
    boxes_.reset();
    return Fail("boxes: cannot hook the thread (error " + std::to_string(error) + ")");
  }
  return true;
}

HWND ScriptRunner::ControlOf(const std::vector<std::string>& args, bool countOk, const char* usage) {
  long id = 0;
  if (!countOk || args.size() < 2 || !ParseInt(args[1], id)) {
    Fail(usage);
    return nullptr;
  }
  const HWND window = FindThreadWindow(Utf8ToWide(args[0]));
  if (!window) {
    Fail("no visible window of class " + args[0]);
    return nullptr;
  }
  const HWND control = FindControl(window, static_cast<int>(id));
  if (!control || !IsWindowVisible(control)) {
    Fail("no visible control " + args[1] + " in " + args[0]);
    return nullptr;
  }
  return control;
}

bool ScriptRunner::CmdClick(const std::vector<std::string>& args) {
  const HWND button = ControlOf(args, args.size() == 2, "usage: click CLASS ID");
  if (!button)
    return false;
  if (!IsWindowEnabled(button))
    return Fail("control " + args[1] + " of " + args[0] + " is disabled");
  Print("click " + args[1] + " (" + ControlCaption(button) + ")");
  // Returns once the click is handled: a box it shows is answered first.
  SendMessageW(button, BM_CLICK, 0, 0);
  return true;
}

bool ScriptRunner::CmdDrop(const std::vector<std::string>& args) {
  const HWND control = ControlOf(args, args.size() >= 3, "usage: drop CLASS ID FILE...");
  if (!control)
    return false;
  HWND target = control;
  while (target && !(GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
    target = GetParent(target);
  if (!target)
    return Fail("no window under control " + args[1] + " accepts files");
  // The names as Explorer hands them over: wide, each ended by a NUL, and
  // one more NUL after the last.
  std::wstring names;
  for (size_t i = 2; i < args.size(); ++i)
    names += Utf8ToWide(args[i]) + L'\0';
  names += L'\0';
  const size_t bytes = names.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
  auto* drop = memory ? static_cast<DROPFILES*>(GlobalLock(memory)) : nullptr;
  if (!drop) {
    if (memory)
      GlobalFree(memory);
    return Fail("drop: out of memory");
  }
  RECT rc = {};
  GetClientRect(control, &rc);
  POINT at = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  MapWindowPoints(control, target, &at, 1);
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = at;
  drop->fWide = TRUE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), bytes);
  GlobalUnlock(memory);
  Print("drop " + std::to_string(args.size() - 2) + " file(s) on " + args[1] + " (" + ControlCaption(control) + ")");
  // The receiver frees the block (DragFinish).
  SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  return true;
}

bool ScriptRunner::CmdSetText(const std::vector<std::string>& args) {
  const HWND control = ControlOf(args, args.size() == 3, "usage: settext CLASS ID TEXT");
  if (!control)
    return false;
  SetWindowTextW(control, Utf8ToWide(args[2]).c_str());
  return true;
}

bool ScriptRunner::CmdKeys(const std::vector<std::string>& args) {
  const HWND control = ControlOf(args, args.size() >= 3, "usage: keys CLASS ID KEY...");
  if (!control)
    return false;
  for (size_t i = 2; i < args.size(); ++i) {
    if (const UINT key = KeyOfName(args[i]))
      PostKey(control, key);
    else
      PostText(control, Utf8ToWide(args[i]));
    // Each word handled before the next, with whatever it set off (a box
    // it shows is answered inside).
    PumpMessages(100);
  }
  return true;
}

bool ScriptRunner::CmdRun() {
  quit_ = true;
  if (!window_.Handle())
    return Fail("run: the window is gone");
  ShowWindow(window_.Handle(), SW_SHOW);
  SetForegroundWindow(window_.Handle());
  window_.SetQuitOnDestroy(true);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

}  // namespace kfhost
