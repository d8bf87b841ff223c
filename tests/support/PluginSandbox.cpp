#include "PluginSandbox.h"

#include "Files.h"
#include "Text.h"

namespace kft {
namespace {

void MakeParents(const std::string& fullPath) {
  // Each prefix that ends at a backslash, found on the wide form.
  const std::wstring wide = AnsiToWide(fullPath);
  for (size_t i = 3; i < wide.size(); ++i)
    if (wide[i] == L'\\')
      CreateDirectoryW(wide.substr(0, i).c_str(), nullptr);
}

}  // namespace

PluginSandbox::PluginSandbox() : PluginSandbox(Options()) {}

PluginSandbox::PluginSandbox(const Options& options) : options_(options) {
  if (options_.folder.empty()) {
    folder_ = MakeTempFolder("kf-sandbox");
    ownsFolder_ = true;
  } else {
    folder_ = Join(options_.folder, "");
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  ready_ = !folder_.empty() && CopyFileTo(BinFile(options_.sourceDll), DllPath());
  if (ready_ && !options_.language.empty())
    WritePrivateProfileStringA("General", "Language", options_.language.c_str(), IniPath().c_str());
}

PluginSandbox::~PluginSandbox() {
  // The host window first, while the library is still mapped: windows the
  // plug-in made as its children or owned windows go with it and still find
  // their window procedure.
  window_.reset();
  Unload();
  RemoveFiles();
}

std::string PluginSandbox::DllPath() const { return Join(folder_, options_.dllName); }

std::string PluginSandbox::IniPath() const {
  const std::wstring dll = AnsiToWide(DllPath());
  const size_t slash = dll.find_last_of(L'\\');
  const size_t dot = dll.find_last_of(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
    return WideToAnsi(dll + L".ini");
  return WideToAnsi(dll.substr(0, dot) + L".ini");
}

std::string PluginSandbox::EngineDir() const { return Join(folder_, "Kestrelfind\\"); }

bool PluginSandbox::Load() {
  if (plugin_)
    return true;
  plugin_ = host_.Load(DllPath());
  loadError_ = plugin_ ? 0 : host_.Records().back().error;
  return plugin_ != nullptr;
}

void PluginSandbox::Unload() {
  if (!plugin_)
    return;
  host_.Unload(plugin_);
  plugin_ = nullptr;
}

void PluginSandbox::UnloadWithoutExit() {
  if (!plugin_)
    return;
  plugin_->FreeWithoutExit();
  Unload();
}

kfhost::HostWindow& PluginSandbox::Window() {
  if (!window_)
    window_ = std::make_unique<kfhost::HostWindow>(host_, options_.visibleWindow);
  return *window_;
}

std::vector<kfhost::MenuItem> PluginSandbox::BuildMenu(int type) {
  HMENU menu = Window().BuildContextMenu(type);
  return menu ? kfhost::ReadMenu(menu) : std::vector<kfhost::MenuItem>();
}

bool PluginSandbox::Pick(int type, const std::string& utf8Path) {
  const std::vector<kfhost::MenuItem> items = BuildMenu(type);
  const kfhost::MenuItem* item = kfhost::FindMenuItem(items, Utf8ToAnsi(utf8Path));
  if (!item || item->IsPopup() || item->separator || item->grayed)
    return false;
  Window().SendMenuCommand(item->id);
  return true;
}

std::string PluginSandbox::EnginePath(const std::string& rel) const { return Join(EngineDir(), rel); }

std::string PluginSandbox::MakeFolder(const std::string& rel, DWORD attributes) {
  std::string path = EnginePath(rel);
  MakeParents(Join(path, ""));
  if (attributes)
    SetFileAttributesA(path.c_str(), attributes);
  return path;
}

std::string PluginSandbox::WriteEngine(const std::string& rel, const std::optional<std::string>& url,
                                       const std::optional<std::string>& encode, DWORD attributes) {
  const std::string path = EnginePath(rel);
  MakeParents(path);
  // The file exists even when both keys are left out.
  WriteBytes(path, "");
  if (url)
    WritePrivateProfileStringA("General", "url", url->c_str(), path.c_str());
  if (encode)
    WritePrivateProfileStringA("General", "encode", encode->c_str(), path.c_str());
  // Flush the profile cache so that the file on disk is complete now.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
  if (attributes)
    SetFileAttributesA(path.c_str(), attributes);
  return path;
}

bool PluginSandbox::SetAttributes(const std::string& rel, DWORD attributes) {
  return SetFileAttributesA(EnginePath(rel).c_str(), attributes) != FALSE;
}

DWORD PluginSandbox::Attributes(const std::string& rel) const { return kft::Attributes(EnginePath(rel)); }

void PluginSandbox::RemoveFiles() {
  if (folder_.empty())
    return;
  if (ownsFolder_) {
    RemoveTree(folder_);
    return;
  }
  // A folder we were given (a drive root): only what the plug-in and we made.
  RemoveTree(EngineDir());
  SetFileAttributesA(DllPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(DllPath().c_str());
  DeleteFileA(IniPath().c_str());
  // The menu's index, which the library writes beside its INI file.
  const std::string ini = IniPath();
  DeleteFileA((ini.substr(0, ini.size() - 4) + ".idx").c_str());
}

}  // namespace kft
