// The library's entry points: the loader's notifications and the fifteen
// callbacks the host calls. Every callback is an exception boundary: nothing
// may unwind into the host.
#include <windows.h>

#include <cstring>

#include "Clipboard.h"
#include "Dbcs.h"
#include "EnvironmentProbe.h"
#include "ErrorBox.h"
#include "HtmlHelp.h"
#include "Path.h"
#include "PluginSettings.h"
#include "PluginState.h"
#include "PostPage.h"
#include "SearchAddress.h"
#include "SearchCommand.h"
#include "SearchForWindow.h"
#include "SearchMenu.h"
#include "SearchQueue.h"
#include "SettingForm.h"
#include "UiText.h"
#include "WindowClass.h"

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

// What every call of the host's does first. Once: the start-up that does
// not decide whether the plug-in loads, the environment probe (files, the
// registry, the diagnostic file), the removal of old pages of post forms and
// the information read from the version resource (which maps the library
// file once more); none may run under the loader lock, so all run at the
// host's first call, whichever callback that is. Every time: a finished
// Search All's hold on the library goes, while the host holds a reference of
// its own.
void FinishStartup() {
  kf::LetGoOfFinishedQueue();
  static bool done = false;
  if (done)
    return;
  done = true;
  try {
    kf::ProbeEnvironment();
  } catch (...) {
  }
  // Pages of post forms that an earlier session could not take away.
  try {
    kf::RemoveOldPostPages(kf::TemporaryFolder());
  } catch (...) {
  }
  // The language holds for the life of the library: the user's setting is
  // read once, as the help file says ("start Becky! again").
  try {
    kf::SetUiLanguage(kf::ChooseUiLanguage(kf::ReadPluginSetting(kf::gPluginIniPath, kf::kLanguageSetting), GetACP(),
                                           GetUserDefaultUILanguage()));
  } catch (...) {
  }
  try {
    kf::LoadPluginInfo();  // in that language
  } catch (...) {
  }
}

// The answer of a callback the plug-in has nothing to do in.
int NothingToDo() {
  FinishStartup();
  return 0;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      // Only what decides whether the plug-in loads runs here, under the
      // loader lock: the host binding and the paths. The help control is
      // loaded at its first use, the rest at the host's first call.
      // The loader calls back with DLL_PROCESS_DETACH when this fails, which
      // runs ExitPlugin; the host never gets the plug-in.
      return kf::InitPlugin(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      // At process exit the system takes everything back; nothing to do.
      if (reserved)
        return TRUE;
      // Windows, hooks, window classes and the help control went at
      // BKC_OnExit: that work must not run under the loader lock. A host
      // that unloads without BKC_OnExit cannot get here while the dialog,
      // the "Search for" window or a Search All's timer exists, for they
      // keep the library loaded.
      // What is left is memory.
      kf::ExitPlugin();
      kf::ReleaseProbeValues();
      return TRUE;
    default:
      return TRUE;
  }
}

int WINAPI BKC_OnStart() {
  FinishStartup();
  return 0;
}

// The host is about to unload the plug-in: everything that could call into
// the library once it is gone goes now, outside the loader lock.
int WINAPI BKC_OnExit() {
  FinishStartup();
  kf::KeepMenuMemory();
  kf::ReleaseSettingForm();
  kf::ReleaseSearchForWindow();
  kf::ReleaseSearchQueue();
  kf::RemoveSessionPostPages();
  kf::ReleaseClipboardOwner();
  kf::UnloadHelpControl();
  kf::UnregisterWindowClasses();
  return 0;
}

int WINAPI BKC_OnMenuInit(HWND, HMENU hostMenu, int menuType) {
  FinishStartup();
  try {
    kf::AttachSearchMenu(hostMenu, menuType);
  } catch (...) {
  }
  return 0;
}

// Events the plug-in has nothing to do in.
int WINAPI BKC_OnOpenFolder(LPCSTR) { return NothingToDo(); }
int WINAPI BKC_OnOpenMail(LPCSTR) { return NothingToDo(); }
int WINAPI BKC_OnEveryMinute() { return NothingToDo(); }
int WINAPI BKC_OnOpenCompose(HWND, int) { return NothingToDo(); }
int WINAPI BKC_OnOutgoing(HWND, int) { return NothingToDo(); }
int WINAPI BKC_OnKeyDispatch(HWND, int, int) { return NothingToDo(); }
int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) { return NothingToDo(); }
int WINAPI BKC_OnSend(LPCSTR) { return NothingToDo(); }
int WINAPI BKC_OnFinishRetrieve(int) { return NothingToDo(); }
int WINAPI BKC_OnDragDrop(LPCSTR, LPCSTR, int, int) { return NothingToDo(); }

int WINAPI BKC_OnPlugInSetup(HWND) {
  FinishStartup();
  try {
    // The dialog's Test searches as a menu pick does, with the word of the
    // last search (or a word of its own).
    kf::ShowSettingForm(kf::gPluginIniPath, kf::gEngineDir, [](HWND owner, const kf::EngineDefinition& engine) {
      kf::SearchWithDefinition(owner, engine, kf::LastSearchedText());
    });
  } catch (...) {
    kf::ShowCurrentException(nullptr);
  }
  return 1;
}

int WINAPI BKC_OnPlugInInfo(PlugInInfoBlock* info) {
  FinishStartup();
  if (!info)
    return 0;
  try {
    CopyInfoField(info->name, kf::gPluginInfo.name);
    CopyInfoField(info->vendor, kf::gPluginInfo.vendor);
    CopyInfoField(info->version, kf::gPluginInfo.version);
    CopyInfoField(info->description, kf::gPluginInfo.description);
  } catch (...) {
  }
  return 0;
}

}  // extern "C"
