// The library's entry points: the loader's notifications and the fifteen
// callbacks the host calls. Every callback is an exception boundary: nothing
// may unwind into the host.
#include <windows.h>

#include <cstring>

#include "Dbcs.h"
#include "ErrorBox.h"
#include "Path.h"
#include "PluginState.h"
#include "SearchMenu.h"
#include "SettingForm.h"
#include "hh.h"

namespace {

// The host's information block: four fields of 80 bytes.
struct PlugInInfoBlock {
  char name[80];
  char vendor[80];
  char version[80];
  char description[80];
};

template <std::size_t N>
void CopyInfoField(char (&field)[N], const std::string& text) {
  // Never split a double-byte character: a lone lead byte before the NUL
  // would swallow it when the host shows the text.
  const std::string cut = kf::TruncateText(text, N - 1, kf::IsAnsiLeadByte);
  std::memcpy(field, cut.data(), cut.size());
  field[cut.size()] = '\0';
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: {
      kf::PluginInstance = instance;
      DisableThreadLibraryCalls(instance);
      kf::LoadHelpControl();
      // The loader calls back with DLL_PROCESS_DETACH when this fails, which
      // runs ExitPlugin; the host never gets the plug-in.
      const bool ready = kf::InitPlugin(instance);
      try {
        kf::LoadPluginInfo(instance);
      } catch (...) {
      }
      return ready ? TRUE : FALSE;
    }
    case DLL_PROCESS_DETACH:
      // Freed by its host (not process exit): the dialog's window and hook
      // must not outlive the code behind them.
      if (!reserved)
        kf::ReleaseSettingForm();
      kf::ExitPlugin();
      kf::UnloadHelpControl();
      return TRUE;
    default:
      return TRUE;
  }
}

int WINAPI BKC_OnStart() { return 0; }
int WINAPI BKC_OnExit() { return 0; }

int WINAPI BKC_OnMenuInit(HWND, HMENU hostMenu, int menuType) {
  try {
    kf::AttachSearchMenu(hostMenu, menuType);
  } catch (...) {
  }
  return 0;
}

int WINAPI BKC_OnOpenFolder(LPCSTR) { return 0; }
int WINAPI BKC_OnOpenMail(LPCSTR) { return 0; }
int WINAPI BKC_OnEveryMinute() { return 0; }
int WINAPI BKC_OnOpenCompose(HWND, int) { return 0; }
int WINAPI BKC_OnOutgoing(HWND, int) { return 0; }
int WINAPI BKC_OnKeyDispatch(HWND, int, int) { return 0; }
int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) { return 0; }
int WINAPI BKC_OnSend(LPCSTR) { return 0; }
int WINAPI BKC_OnFinishRetrieve(int) { return 0; }

int WINAPI BKC_OnPlugInSetup(HWND) {
  try {
    kf::ShowSettingForm(kf::PluginIniPath, kf::EngineDir);
  } catch (...) {
    kf::ShowCurrentException(nullptr);
  }
  return 1;
}

int WINAPI BKC_OnPlugInInfo(PlugInInfoBlock* info) {
  if (!info)
    return 0;
  try {
    CopyInfoField(info->name, kf::PluginInfo.name);
    CopyInfoField(info->vendor, kf::PluginInfo.vendor);
    CopyInfoField(info->version, kf::PluginInfo.version);
    CopyInfoField(info->description, kf::PluginInfo.description);
  } catch (...) {
  }
  return 0;
}

int WINAPI BKC_OnDragDrop(LPCSTR, LPCSTR, int, int) { return 0; }

}  // extern "C"
