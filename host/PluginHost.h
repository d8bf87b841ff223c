// Loads plug-in libraries the way a mail client does: LoadLibrary, look up
// the BKC_* callbacks, BKC_OnStart, ask for the plug-in information; at the
// end BKC_OnExit and FreeLibrary. A library that fails to load is recorded
// with its error and the host goes on.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace kfhost {

// The fifteen callbacks a plug-in exports; any of them may be missing (null).
struct BkcEntryPoints {
  int(WINAPI* OnStart)() = nullptr;
  int(WINAPI* OnExit)() = nullptr;
  int(WINAPI* OnMenuInit)(HWND, HMENU, int) = nullptr;
  int(WINAPI* OnOpenFolder)(LPCSTR) = nullptr;
  int(WINAPI* OnOpenMail)(LPCSTR) = nullptr;
  int(WINAPI* OnEveryMinute)() = nullptr;
  int(WINAPI* OnOpenCompose)(HWND, int) = nullptr;
  int(WINAPI* OnOutgoing)(HWND, int) = nullptr;
  int(WINAPI* OnKeyDispatch)(HWND, int, int) = nullptr;
  int(WINAPI* OnRetrieve)(LPCSTR, LPCSTR) = nullptr;
  int(WINAPI* OnSend)(LPCSTR) = nullptr;
  int(WINAPI* OnFinishRetrieve)(int) = nullptr;
  int(WINAPI* OnPlugInSetup)(HWND) = nullptr;
  int(WINAPI* OnPlugInInfo)(LPVOID) = nullptr;
  int(WINAPI* OnDragDrop)(LPCSTR, LPCSTR, int, int) = nullptr;

  // How many of the fifteen the library exports.
  int Count() const;
};

// The block a plug-in fills in BKC_OnPlugInInfo: four fields of 80 bytes.
constexpr size_t kInfoFieldSize = 80;
struct PluginInfo {
  std::string name, vendor, version, description;  // ANSI, up to the first NUL
  // The whole block as the plug-in left it, plus guard bytes behind it
  // (the host fills all of it with 0xCC before the call).
  unsigned char raw[4 * kInfoFieldSize + 16];
  int result = 0;
  bool BlockOverrun() const;  // a guard byte changed
};

class Plugin {
 public:
  Plugin(std::string path, HMODULE module);
  ~Plugin();  // BKC_OnExit, FreeLibrary
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  const std::string& Path() const { return path_; }
  HMODULE Module() const { return module_; }
  const BkcEntryPoints& Bkc() const { return bkc_; }
  const PluginInfo& Info() const { return info_; }  // as asked at load

  PluginInfo QueryInfo() const;
  int OnMenuInit(HWND window, HMENU menu, int type) const;
  // Frees the library without BKC_OnExit, as a careless host would; nothing
  // of it is called afterwards, not even by the destructor.
  void FreeWithoutExit();
  int OnPlugInSetup(HWND window) const;

 private:
  std::string path_;
  HMODULE module_;
  BkcEntryPoints bkc_;
  PluginInfo info_;
};

struct LoadRecord {
  std::string path;
  bool loaded = false;
  DWORD error = 0;  // GetLastError of the failed LoadLibrary
};

class PluginHost {
 public:
  PluginHost() = default;
  ~PluginHost() { UnloadAll(); }
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Loads one library; null when LoadLibrary failed (see Records()).
  Plugin* Load(const std::string& path);
  // Loads every *.dll of a folder, in name order.
  void LoadFolder(const std::string& folder);
  // Unloads the last loaded one first.
  void UnloadAll();
  // Unloads one plug-in; false when it is not ours.
  bool Unload(Plugin* plugin);

  const std::vector<std::unique_ptr<Plugin>>& Plugins() const { return plugins_; }
  const std::vector<LoadRecord>& Records() const { return records_; }

 private:
  std::vector<std::unique_ptr<Plugin>> plugins_;
  std::vector<LoadRecord> records_;
};

// "<folder of the running executable>\PlugIns".
std::string DefaultPluginFolder();
// folder, a backslash where it lacks one, then name (ANSI, DBCS-safe).
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace kfhost
