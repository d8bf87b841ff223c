// A private copy of the plug-in for one test: a fresh folder with
// Kestrelfind.dll (copied from beside the test program), an engine tree to
// fill, and the library loaded into this process through the host core. The
// test program is the host. Everything is unloaded and removed at the end.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostWindow.h"
#include "MenuTree.h"
#include "PluginHost.h"

namespace kft {

class PluginSandbox {
 public:
  struct Options {
    // A file beside the test program (a variant library, say).
    std::string sourceDll = "Kestrelfind.dll";
    // Its name in the sandbox folder.
    std::string dllName = "Kestrelfind.dll";
    // ANSI folder to use instead of a fresh temp folder ("R:\" for a drive
    // root). Then only what the sandbox put there is removed at the end.
    std::string folder;
    // Show the host window (for screenshots); hidden otherwise.
    bool visibleWindow = false;
    // The plug-in's Language setting, written into its INI file before
    // anything else: tests pin the language they read ("" writes no file).
    std::string language = "en";
  };

  PluginSandbox();
  explicit PluginSandbox(const Options& options);
  ~PluginSandbox();  // host window, Unload(), then remove the files
  PluginSandbox(const PluginSandbox&) = delete;
  PluginSandbox& operator=(const PluginSandbox&) = delete;

  // False when the folder could not be made or the library not copied.
  bool Ready() const { return ready_; }

  const std::string& Folder() const { return folder_; }  // ends in '\'
  std::string DllPath() const;
  std::string IniPath() const;    // the library's path with ".ini"
  std::string EngineDir() const;  // Folder() + "Kestrelfind\"

  // Loads the library through the host core (BKC_OnStart and the
  // information query included). False when LoadLibrary failed.
  bool Load();
  // BKC_OnExit and FreeLibrary.
  void Unload();
  // FreeLibrary alone, as a host that never calls BKC_OnExit.
  void UnloadWithoutExit();
  bool IsLoaded() const { return plugin_ != nullptr; }
  DWORD LoadError() const { return loadError_; }

  // Only while loaded.
  kfhost::Plugin& Plugin() const { return *plugin_; }
  const kfhost::BkcEntryPoints& Bkc() const { return plugin_->Bkc(); }

  kfhost::PluginHost& Host() { return host_; }
  // The host's main window (made at the first call): its handle goes to the
  // plug-in's callbacks and it answers the copy command.
  kfhost::HostWindow& Window();

  // The host's context menu of this type, freshly built, read back.
  std::vector<kfhost::MenuItem> BuildMenu(int type);
  // Builds the menu of this type and picks the item at the caption path
  // (UTF-8, "Search engines/Web/Google") the way the host does: WM_COMMAND
  // to the main window, which calls the registered callback. False when the
  // item is missing, a submenu or grayed.
  bool Pick(int type, const std::string& utf8Path);

  // The engine tree. rel is ANSI, relative to EngineDir(), '/' or '\'.
  std::string EnginePath(const std::string& rel) const;
  // Creates the folder (and its parents); attributes 0 leaves them as made.
  std::string MakeFolder(const std::string& rel, DWORD attributes = 0);
  // Writes an engine INI file (section "General"); a key whose value is
  // nullopt is left out. Parents are created. Returns the full path.
  std::string WriteEngine(const std::string& rel, const std::optional<std::string>& url,
                          const std::optional<std::string>& encode = std::string("sjis"), DWORD attributes = 0);
  bool SetAttributes(const std::string& rel, DWORD attributes);
  DWORD Attributes(const std::string& rel) const;

 private:
  void RemoveFiles();

  Options options_;
  bool ready_ = false;
  bool ownsFolder_ = false;
  std::string folder_;
  kfhost::PluginHost host_;
  std::unique_ptr<kfhost::HostWindow> window_;
  kfhost::Plugin* plugin_ = nullptr;
  DWORD loadError_ = 0;
};

}  // namespace kft
