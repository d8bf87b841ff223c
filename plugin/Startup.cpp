// Load-time start-up: the host binding, the plug-in's paths and the
// information the host shows for it.
#include <windows.h>

#include <memory>

#include "AsciiText.h"
#include "EngineStore.h"
#include "Module.h"
#include "Path.h"
#include "PluginState.h"
#include "TextIds.h"
#include "UiText.h"
#include "Version.h"
#include "VersionResource.h"

namespace kf {

BeckyApi* gBeckyApi = nullptr;
std::string gPluginIniPath;
std::string gEngineDir;
bool gShowAll = false;
PluginInfoText gPluginInfo;
std::optional<SelectionText> gLastSearchedText;

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
  gPluginInfo = {"Kestrelfind", "Kestrel Software", KF_VERSION_QUAD_TEXT, UiText(IDS_PLUGIN_DESCRIPTION)};
  const LANGID language = LanguageId(CurrentUiLanguage());

  const VersionResource resource(ModuleFileName(ThisModule()));
  struct Field {
    const char* key;
    std::string PluginInfoText::*field;
  };
  const Field fields[] = {
      {"ProductName", &PluginInfoText::name},
      {"CompanyName", &PluginInfoText::vendor},
      {"ProductVersion", &PluginInfoText::version},
      {"FileDescription", &PluginInfoText::description},
  };
  for (const Field& f : fields) {
    const std::string text(TrimSpaces(resource.String(f.key, language)));
    if (!text.empty())
      gPluginInfo.*f.field = text;
  }
}

void ExitPlugin() {
  delete gBeckyApi;
  gBeckyApi = nullptr;
  gLastSearchedText.reset();
}

}  // namespace kf
