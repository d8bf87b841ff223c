#include "HtmlHelp.h"

#include "FileSystem.h"
#include "Module.h"
#include "Registry.h"

namespace kf {

Library& gHelpControl = Resident<Library>();
HtmlHelpAnsiFn gHtmlHelpAnsi = nullptr;

namespace {

const char kControlKey[] = "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";

bool gLoadAttempted = false;

}  // namespace

std::string LocateHelpControl() {
  // Taken as stored: a REG_EXPAND_SZ value is not expanded.
  const std::string path = ReadRegistryString(HKEY_CLASSES_ROOT, kControlKey, nullptr, false);
  return path.empty() || IsFile(path) ? path : std::string();
}

void LoadHelpControl() {
  if (gHelpControl)
    return;
  const std::string path = LocateHelpControl();
  if (path.empty() || !IsFile(path))
    return;
  gHelpControl.Attach(LoadLibraryA(path.c_str()));
  if (!gHelpControl)
    return;
  gHtmlHelpAnsi = reinterpret_cast<HtmlHelpAnsiFn>(GetProcAddress(gHelpControl.Get(), "HtmlHelpA"));
}

void UnloadHelpControl() {
  if (!gHelpControl)
    return;
  gHtmlHelpAnsi = nullptr;
  gHelpControl.Close();
}

HtmlHelpAnsiFn BoundHtmlHelp() {
  if (!gLoadAttempted) {
    gLoadAttempted = true;
    LoadHelpControl();
  }
  return gHtmlHelpAnsi;
}

}  // namespace kf
