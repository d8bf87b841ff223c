// Load-time start-up: the host binding, the plug-in's paths and the
// information the host shows for it.
#include <windows.h>

#include <memory>
#include <vector>

#include "AsciiText.h"
#include "EngineStore.h"
#include "Module.h"
#include "Path.h"
#include "PluginState.h"
#include "Version.h"

namespace kf {

BeckyApi* gBeckyApi = nullptr;
std::string gPluginIniPath;
std::string gEngineDir;
bool gShowAll = false;
PluginInfoText gPluginInfo;

namespace {

// A string value of the version resource, or "" when the key is missing.
std::string QueryVersionString(const std::vector<char>& block, const std::string& key) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), key.c_str(), &value, &length) || !value || length == 0)
    return std::string();
  const char* text = static_cast<const char*>(value);
  std::size_t n = 0;
  while (n < length && text[n] != '\0')
    ++n;
  return std::string(text, n);
}

}  // namespace

bool InitPlugin(HINSTANCE instance) {
  try {
    auto api = std::make_unique<BeckyApi>();
    const bool bound = api->BindEntryPoints();
    gBeckyApi = api.release();
    if (!bound)
      return false;

    const std::string modulePath = ModuleFileName(instance);
    if (modulePath.empty())
      return false;
    gPluginIniPath = ChangeFileExt(modulePath, ".ini");
    gEngineDir = IncludeTrailingBackslash(ExtractFileDir(gPluginIniPath)) + kEngineFolderName + "\\";
    gShowAll = false;
    return true;
  } catch (...) {
    return false;
  }
}

void LoadPluginInfo() {
  // What the host shows when the version resource cannot be read.
  gPluginInfo = {"Kestrelfind", "Kestrel Software", KF_VERSION_QUAD_TEXT,
                 "This plug-in passes selected word to search engines."};

  const std::string path = ModuleFileName(ThisModule());
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0)
    return;
  std::vector<char> block(size, '\0');
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
    return;

  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) || !value ||
      length < 2 * sizeof(WORD))
    return;
  const WORD* translation = static_cast<const WORD*>(value);
  char language[16];
  wsprintfA(language, "%04X%04X", translation[0], translation[1]);
  const std::string prefix = std::string("\\StringFileInfo\\") + language;

  struct Field {
    const char* key;
    std::string PluginInfoText::*field;
  };
  const Field fields[] = {
      {"\\ProductName", &PluginInfoText::name},
      {"\\CompanyName", &PluginInfoText::vendor},
      {"\\ProductVersion", &PluginInfoText::version},
      {"\\FileDescription", &PluginInfoText::description},
  };
  for (const Field& f : fields) {
    const std::string text(TrimSpaces(QueryVersionString(block, prefix + f.key)));
    if (!text.empty())
      gPluginInfo.*f.field = text;
  }
}

void ExitPlugin() {
  delete gBeckyApi;
  gBeckyApi = nullptr;
}

}  // namespace kf
