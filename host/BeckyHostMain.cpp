// BeckyHost.exe: the stand-in mail client. Loads the plug-ins of its PlugIns
// folder, shows its main window and either runs a script (and ends) or the
// normal message loop until the window is closed.
//
//   BeckyHost [--version V] [--plugins DIR] [--hidden] [--script FILE] [-e COMMAND]...
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
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
};

void Usage() {
  std::fputs("usage: BeckyHost [--version V] [--plugins DIR] [--hidden] [--script FILE] [-e COMMAND]...\n",
             stderr);
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
    else if (arg == L"--hidden")
      options.hidden = true;
    else {
      std::fprintf(stderr, "error: unknown argument %s\n", kfhost::WideToUtf8(arg).c_str());
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
  // UTF-8 goes out byte for byte, with plain "\n" line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);

  Options options;
  if (!ParseArguments(options)) {
    Usage();
    return 2;
  }
  if (options.hasVersion)
    kfhost::SetHostVersion(options.version);

  kfhost::PluginHost plugins;
  plugins.LoadFolder(options.pluginFolder.empty() ? kfhost::DefaultPluginFolder() : options.pluginFolder);

  int code = 0;
  {
    kfhost::HostWindow window(plugins, !options.hidden);
    if (!window.Handle()) {
      std::fputs("error: cannot create the main window\n", stderr);
      return 3;
    }
    if (options.scriptFile.empty() && options.commands.empty()) {
      window.SetQuitOnDestroy(true);
      code = RunMessageLoop();
    } else {
      kfhost::ScriptRunner runner(plugins, window, stdout, stderr);
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
