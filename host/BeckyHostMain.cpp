// BeckyHost.exe: the stand-in mail client. Loads the plug-ins of its PlugIns
// folder, shows its main window and either runs a script (and ends) or the
// normal message loop until the window is closed.
//
//   BeckyHost [--version V] [--plugins DIR] [--first-id N] [--hidden] [--script FILE] [-e COMMAND]...
//
// --first-id N starts the command ids at N (40000 otherwise): a mail client
// that counts its ids up gets past 65535 after some thousand menus.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "HostApi.h"
#include "HostText.h"
#include "HostWindow.h"
#include "PluginHost.h"
#include "Script.h"

namespace {

struct Options {
  bool hasVersion = false;
  std::string version;
  std::string pluginFolder;  // ANSI
  std::string scriptFile;    // UTF-8
  std::vector<std::string> commands;
  bool hidden = false;
  UINT firstCommandId = 0;  // 0: the host's own first id
};

bool ParseCommandId(const wchar_t* text, UINT& id) {
  wchar_t* end = nullptr;
  const unsigned long value = std::wcstoul(text, &end, 10);
  if (!end || *end || end == text || value == 0 || value > 0xFFFFFFF0ul) {
    kfhost::WriteLine(GetStdHandle(STD_ERROR_HANDLE), "error: --first-id needs a number from 1 up");
    return false;
  }
  id = static_cast<UINT>(value);
  return true;
}

void Usage() {
  kfhost::WriteLine(GetStdHandle(STD_ERROR_HANDLE),
                    "usage: BeckyHost [--version V] [--plugins DIR] [--first-id N] [--hidden] [--script FILE] [-e COMMAND]...");
}

bool ParseArguments(Options& options) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv)
    return false;
  bool ok = true;
  for (int i = 1; i < argc && ok; ++i) {
    const std::wstring arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == L"--version" && hasValue) {
      options.hasVersion = true;
      options.version = kfhost::WideToAnsi(argv[++i]);
    } else if (arg == L"--plugins" && hasValue)
      options.pluginFolder = kfhost::WideToAnsi(argv[++i]);
    else if (arg == L"--script" && hasValue)
      options.scriptFile = kfhost::WideToUtf8(argv[++i]);
    else if (arg == L"-e" && hasValue)
      options.commands.push_back(kfhost::WideToUtf8(argv[++i]));
    else if (arg == L"--first-id" && hasValue)
      ok = ParseCommandId(argv[++i], options.firstCommandId);
    else if (arg == L"--hidden")
      options.hidden = true;
    else {
      kfhost::WriteLine(GetStdHandle(STD_ERROR_HANDLE), "error: unknown argument " + kfhost::WideToUtf8(arg));
      ok = false;
    }
  }
  LocalFree(argv);
  return ok;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int main() {
  Options options;
  if (!ParseArguments(options)) {
    Usage();
    return 2;
  }
  if (options.hasVersion)
    kfhost::SetHostVersion(options.version);
  if (options.firstCommandId)
    kfhost::SetNextCommandId(options.firstCommandId);

  kfhost::PluginHost plugins;
  plugins.LoadFolder(options.pluginFolder.empty() ? kfhost::DefaultPluginFolder() : options.pluginFolder);

  int code = 0;
  {
    kfhost::HostWindow window(plugins, !options.hidden);
    if (!window.Handle()) {
      kfhost::WriteLine(GetStdHandle(STD_ERROR_HANDLE), "error: cannot create the main window");
      return 3;
    }
    if (options.scriptFile.empty() && options.commands.empty()) {
      window.SetQuitOnDestroy(true);
      code = RunMessageLoop();
    } else {
      kfhost::ScriptRunner runner(plugins, window, GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE));
      bool ok = true;
      if (!options.scriptFile.empty())
        ok = runner.RunFile(options.scriptFile);
      if (ok && !runner.QuitRequested())
        ok = runner.RunLines(options.commands);
      code = ok ? 0 : 1;
    }
  }
  plugins.UnloadAll();
  return code;
}
