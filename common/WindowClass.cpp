#include "WindowClass.h"

#include "ErrorBox.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc, LPCSTR cursor, int extraBytes) {
  WNDCLASSEXA cls = {};
  cls.cbSize = sizeof(cls);
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = proc;
  cls.cbWndExtra = extraBytes;
  cls.hInstance = instance;
  cls.hCursor = LoadCursor(nullptr, cursor);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = name;
  if (!RegisterClassExA(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Error(UiText(IDS_DIALOG_NOT_CREATED));
}

}  // namespace kf
