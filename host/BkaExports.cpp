// The host's plug-in API. The executable exports these by their plain names
// (through a module-definition file); a plug-in binds them with
// GetProcAddress(GetModuleHandle(NULL), name). Kestrelfind calls only
// BKA_GetVersion and BKA_RegisterCommand; the others answer harmlessly and
// are counted, so a test can tell whether a plug-in ever called one.
#include <windows.h>

#include <cstdlib>

#include "HostApiInternal.h"

using kfhost::CountOtherCall;

namespace {

// Text answers of the functions nobody calls: an empty, writable string.
char g_empty[1] = "";

using UICallback = void(WINAPI*)(HWND, LPARAM);

}  // namespace

extern "C" {

LPCSTR WINAPI BKA_GetVersion() { return kfhost::AnswerVersion(); }

void WINAPI BKA_Command(HWND, LPCSTR) { CountOtherCall(); }

BOOL WINAPI BKA_GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view) {
  CountOtherCall();
  for (HWND* out : {main, tree, list, view})
    if (out)
      *out = nullptr;
  return FALSE;
}

UINT WINAPI BKA_RegisterCommand(LPCSTR text, int type, kfhost::CommandCallback callback) {
  return kfhost::AddRegistration(text, type, callback);
}

UINT WINAPI BKA_RegisterUICallback(UINT, UICallback) { CountOtherCall(); return 0; }
LPCSTR WINAPI BKA_GetDataFolder() { CountOtherCall(); return g_empty; }
LPCSTR WINAPI BKA_GetTempFolder() { CountOtherCall(); return g_empty; }
LPSTR WINAPI BKA_GetTempFileName(LPCSTR) { CountOtherCall(); return g_empty; }
LPCSTR WINAPI BKA_GetCurrentMailBox() { CountOtherCall(); return g_empty; }
void WINAPI BKA_SetCurrentMailBox(LPCSTR) { CountOtherCall(); }
LPCSTR WINAPI BKA_GetCurrentFolder() { CountOtherCall(); return g_empty; }
void WINAPI BKA_SetCurrentFolder(LPCSTR) { CountOtherCall(); }
LPCSTR WINAPI BKA_GetFolderDisplayName(LPCSTR) { CountOtherCall(); return g_empty; }
void WINAPI BKA_SetMessageText(HWND, LPCSTR) { CountOtherCall(); }
LPCSTR WINAPI BKA_GetCurrentMail() { CountOtherCall(); return g_empty; }
void WINAPI BKA_SetCurrentMail(LPCSTR) { CountOtherCall(); }
int WINAPI BKA_GetNextMail(int, LPSTR, int, BOOL) { CountOtherCall(); return -1; }
void WINAPI BKA_SetSel(LPCSTR, BOOL) { CountOtherCall(); }
BOOL WINAPI BKA_AppendMessage(LPCSTR, LPCSTR) { CountOtherCall(); return FALSE; }
BOOL WINAPI BKA_MoveSelectedMessages(LPCSTR, BOOL) { CountOtherCall(); return FALSE; }
DWORD WINAPI BKA_GetStatus(LPCSTR) { CountOtherCall(); return 0; }
DWORD WINAPI BKA_SetStatus(LPCSTR, DWORD, DWORD) { CountOtherCall(); return 0; }
HWND WINAPI BKA_ComposeMail(LPCSTR) { CountOtherCall(); return nullptr; }
int WINAPI BKA_GetCharSet(LPCSTR, LPSTR, int) { CountOtherCall(); return 0; }
LPSTR WINAPI BKA_GetSource(LPCSTR) { CountOtherCall(); return nullptr; }
void WINAPI BKA_SetSource(LPCSTR, LPCSTR) { CountOtherCall(); }
LPSTR WINAPI BKA_GetHeader(LPCSTR) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_GetText(LPSTR, int) { CountOtherCall(); return nullptr; }
BOOL WINAPI BKA_SetText(int, LPCSTR) { CountOtherCall(); return FALSE; }
void WINAPI BKA_GetSpecifiedHeader(LPCSTR, LPSTR buffer, int size) {
  CountOtherCall();
  if (buffer && size > 0)
    buffer[0] = '\0';
}
void WINAPI BKA_SetSpecifiedHeader(LPCSTR, LPCSTR) { CountOtherCall(); }
int WINAPI BKA_CompGetCharSet(HWND, LPSTR, int) { CountOtherCall(); return 0; }
LPSTR WINAPI BKA_CompGetSource(HWND) { CountOtherCall(); return nullptr; }
void WINAPI BKA_CompSetSource(HWND, LPCSTR) { CountOtherCall(); }
LPSTR WINAPI BKA_CompGetHeader(HWND) { CountOtherCall(); return nullptr; }
void WINAPI BKA_CompGetSpecifiedHeader(HWND, LPCSTR, LPSTR buffer, int size) {
  CountOtherCall();
  if (buffer && size > 0)
    buffer[0] = '\0';
}
void WINAPI BKA_CompSetSpecifiedHeader(HWND, LPCSTR, LPCSTR) { CountOtherCall(); }
LPSTR WINAPI BKA_CompGetText(HWND, LPSTR, int) { CountOtherCall(); return nullptr; }
void WINAPI BKA_CompSetText(HWND, int, LPCSTR) { CountOtherCall(); }
void WINAPI BKA_CompAttachFile(HWND, LPCSTR, LPCSTR) { CountOtherCall(); }
LPVOID WINAPI BKA_Alloc(DWORD size) { CountOtherCall(); return std::malloc(size ? size : 1); }
LPVOID WINAPI BKA_ReAlloc(LPVOID block, DWORD size) { CountOtherCall(); return std::realloc(block, size ? size : 1); }
void WINAPI BKA_Free(LPVOID block) { CountOtherCall(); std::free(block); }
LPSTR WINAPI BKA_ISO_2022_JP(LPCSTR, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_ISO_2022_KR(LPCSTR, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_HZ_GB2312(LPCSTR, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_ISO_8859_2(LPCSTR, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_EUC_JP(LPCSTR, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_UTF_7(LPCSTR, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_UTF_8(LPCSTR, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_B64Convert(LPSTR, LPCSTR, int, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_QPConvert(LPSTR, LPCSTR, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_MIMEHeader(LPCSTR, LPSTR, int, BOOL) { CountOtherCall(); return nullptr; }
LPSTR WINAPI BKA_SerializeRcpts(LPCSTR) { CountOtherCall(); return nullptr; }
BOOL WINAPI BKA_Connect(BOOL) { CountOtherCall(); return FALSE; }

}  // extern "C"
