#include "PluginHost.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "HostText.h"

namespace kfhost {
namespace {

template <typename Fn>
void Bind(HMODULE module, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

BkcEntryPoints BindCallbacks(HMODULE module) {
  BkcEntryPoints e;
  Bind(module, "BKC_OnStart", e.OnStart);
  Bind(module, "BKC_OnExit", e.OnExit);
  Bind(module, "BKC_OnMenuInit", e.OnMenuInit);
  Bind(module, "BKC_OnOpenFolder", e.OnOpenFolder);
  Bind(module, "BKC_OnOpenMail", e.OnOpenMail);
  Bind(module, "BKC_OnEveryMinute", e.OnEveryMinute);
  Bind(module, "BKC_OnOpenCompose", e.OnOpenCompose);
  Bind(module, "BKC_OnOutgoing", e.OnOutgoing);
  Bind(module, "BKC_OnKeyDispatch", e.OnKeyDispatch);
  Bind(module, "BKC_OnRetrieve", e.OnRetrieve);
  Bind(module, "BKC_OnSend", e.OnSend);
  Bind(module, "BKC_OnFinishRetrieve", e.OnFinishRetrieve);
  Bind(module, "BKC_OnPlugInSetup", e.OnPlugInSetup);
  Bind(module, "BKC_OnPlugInInfo", e.OnPlugInInfo);
  Bind(module, "BKC_OnDragDrop", e.OnDragDrop);
  return e;
}

constexpr unsigned char kGuardByte = 0xCC;

std::string FieldText(const unsigned char* field) {
  const char* text = reinterpret_cast<const char*>(field);
  return std::string(text, strnlen(text, kInfoFieldSize));
}

}  // namespace

int BkcEntryPoints::Count() const {
  const void* all[] = {reinterpret_cast<const void*>(OnStart), reinterpret_cast<const void*>(OnExit),
                       reinterpret_cast<const void*>(OnMenuInit), reinterpret_cast<const void*>(OnOpenFolder),
                       reinterpret_cast<const void*>(OnOpenMail), reinterpret_cast<const void*>(OnEveryMinute),
                       reinterpret_cast<const void*>(OnOpenCompose), reinterpret_cast<const void*>(OnOutgoing),
                       reinterpret_cast<const void*>(OnKeyDispatch), reinterpret_cast<const void*>(OnRetrieve),
                       reinterpret_cast<const void*>(OnSend), reinterpret_cast<const void*>(OnFinishRetrieve),
                       reinterpret_cast<const void*>(OnPlugInSetup), reinterpret_cast<const void*>(OnPlugInInfo),
                       reinterpret_cast<const void*>(OnDragDrop)};
  return static_cast<int>(std::count_if(std::begin(all), std::end(all), [](const void* p) { return p != nullptr; }));
}

bool PluginInfo::BlockOverrun() const {
  for (size_t i = 4 * kInfoFieldSize; i < sizeof raw; ++i)
    if (raw[i] != kGuardByte)
      return true;
  return false;
}

Plugin::Plugin(std::string path, HMODULE module)
    : path_(std::move(path)), module_(module), bkc_(BindCallbacks(module)) {
  if (bkc_.OnStart)
    bkc_.OnStart();
  info_ = QueryInfo();
}

Plugin::~Plugin() {
  if (!module_)
    return;
  if (bkc_.OnExit)
    bkc_.OnExit();
  FreeLibrary(module_);
}

void Plugin::FreeWithoutExit() {
  bkc_ = BkcEntryPoints();
  FreeLibrary(std::exchange(module_, nullptr));
}

PluginInfo Plugin::QueryInfo() const {
  PluginInfo info;
  std::memset(info.raw, kGuardByte, sizeof info.raw);
  if (!bkc_.OnPlugInInfo)
    return info;
  info.result = bkc_.OnPlugInInfo(info.raw);
  info.name = FieldText(info.raw);
  info.vendor = FieldText(info.raw + kInfoFieldSize);
  info.version = FieldText(info.raw + 2 * kInfoFieldSize);
  info.description = FieldText(info.raw + 3 * kInfoFieldSize);
  return info;
}

int Plugin::OnMenuInit(HWND window, HMENU menu, int type) const {
  return bkc_.OnMenuInit ? bkc_.OnMenuInit(window, menu, type) : 0;
}

int Plugin::OnPlugInSetup(HWND window) const {
  return bkc_.OnPlugInSetup ? bkc_.OnPlugInSetup(window) : 0;
}

Plugin* PluginHost::Load(const std::string& path) {
  LoadRecord record;
  record.path = path;
  SetLastError(0);
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    record.error = GetLastError();
    records_.push_back(record);
    return nullptr;
  }
  record.loaded = true;
  records_.push_back(record);
  plugins_.push_back(std::make_unique<Plugin>(path, module));
  return plugins_.back().get();
}

void PluginHost::LoadFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(JoinPath(folder, "*.dll").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names)
    Load(JoinPath(folder, name));
}

bool PluginHost::Unload(Plugin* plugin) {
  for (auto it = plugins_.begin(); it != plugins_.end(); ++it) {
    if (it->get() == plugin) {
      plugins_.erase(it);
      return true;
    }
  }
  return false;
}

void PluginHost::UnloadAll() {
  while (!plugins_.empty())
    plugins_.pop_back();
}

std::string DefaultPluginFolder() {
  // Through the wide form, so that a Shift-JIS trail byte 0x5C in the path is
  // never taken for a backslash.
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring exe(path);
  return WideToAnsi(exe.substr(0, exe.find_last_of(L'\\') + 1) + L"PlugIns");
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::wstring dir = AnsiToWide(folder);
  if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/' && dir.back() != L':')
    dir += L'\\';
  return WideToAnsi(dir) + name;
}

}  // namespace kfhost
