#include "FileDialogs.h"

#include <commdlg.h>

#include "FileSystem.h"
#include "Path.h"
#include "SettingTextIds.h"
#include "UiText.h"

namespace kf {

std::string FileDialogFilter(UINT textId) {
  // '|' stands for the NULs the dialog wants between the parts.
  std::string filter = UiText(textId);
  for (char& c : filter) {
    if (c == '|')
      c = '\0';
  }
  return filter + '\0';
}

bool ChooseProgram(HWND owner, std::string& path) {
  std::string name(MAX_PATH * 2, '\0');
  std::string folder;
  if (!path.empty() && IsFile(path)) {
    folder = ExtractFilePath(path);
    path.copy(&name[0], name.size() - 1);
  }
  const std::string filter = FileDialogFilter(IDS_PROGRAM_FILTER);
  OPENFILENAMEA open = {};
  open.lStructSize = sizeof(open);
  open.hwndOwner = owner;
  open.lpstrFilter = filter.c_str();
  open.lpstrFile = &name[0];
  open.nMaxFile = static_cast<DWORD>(name.size());
  open.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  open.lpstrDefExt = "exe";
  // OFN_NOCHANGEDIR: the process's current directory is the host's.
  open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
               OFN_DONTADDTORECENT;
  if (!GetOpenFileNameA(&open))
    return false;
  path = name.c_str();
  return true;
}

}  // namespace kf
