// probe_host <plug-in> [parameters...]: loads the plug-in, makes the host's
// first call and unloads it. Exit code 0 when it loaded, 1 when not, 2 for
// no arguments.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 2)
    return 2;
  HMODULE plugin = LoadLibraryA(argv[1]);
  if (!plugin)
    return 1;
  using StartFn = int(WINAPI*)();
  if (const auto start = reinterpret_cast<StartFn>(GetProcAddress(plugin, "BKC_OnStart")))
    start();
  FreeLibrary(plugin);
  return 0;
}
