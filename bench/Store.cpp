#include "Store.h"

#include <commctrl.h>

#include <cstdint>
#include <cstring>

#include "Files.h"

namespace kfbench {
namespace {

// A small deterministic generator: the same stores on every run.
class Words {
 public:
  std::string Next(int serial) {
    // The listing (which Wine sorts by name, letter case ignored) puts the
    // punctuation first; the locale's collation skips "-" and "'" and puts
    // "_" before the letters, so the menu's order is not the listing's.
    static const char* const kPrefixes[] = {"", "-", "'", "_"};
    std::string word = kPrefixes[Step() % 4];
    const int length = 5 + static_cast<int>(Step() % 8);
    for (int i = 0; i < length; ++i) {
      const char base = (Step() & 1) ? 'A' : 'a';
      word.push_back(static_cast<char>(base + Step() % 26));
    }
    // The serial keeps names unique without deciding their order.
    return word + "-" + std::to_string(serial);
  }

 private:
  std::uint32_t Step() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  std::uint32_t state_ = 12345;
};

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool EndsWithIni(const char* name) {
  const std::size_t n = std::strlen(name);
  return n >= 4 && lstrcmpiA(name + n - 4, ".ini") == 0;
}

void FloorMenuFolder(const std::string& dir, HMENU menu) {
  std::vector<std::string> engines;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (data.cFileName[0] == '.')
        continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        HMENU sub = CreatePopupMenu();
        AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), data.cFileName);
        FloorMenuFolder(dir + data.cFileName + "\\", sub);
      } else if (EndsWithIni(data.cFileName)) {
        engines.emplace_back(data.cFileName, std::strlen(data.cFileName) - 4);
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  if (engines.empty())
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, "No Item");
  UINT id = 40000;
  for (const std::string& name : engines)
    AppendMenuA(menu, MF_STRING, id++, name.c_str());
}

HTREEITEM InsertTreeItem(HWND tree, HTREEITEM parent, const char* text) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<LPSTR>(text);
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

int FloorTreeFolder(HWND tree, const std::string& dir, HTREEITEM parent) {
  int count = 0;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return 0;
  do {
    if (data.cFileName[0] == '.' || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      continue;
    const HTREEITEM item = InsertTreeItem(tree, parent, data.cFileName);
    if (!item)
      continue;
    count += 1 + FloorTreeFolder(tree, dir + data.cFileName + "\\", item);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return count;
}

int FloorReadFolder(const std::string& dir) {
  int count = 0;
  char value[2048];
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return 0;
  do {
    if (data.cFileName[0] == '.')
      continue;
    const std::string path = dir + data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      count += FloorReadFolder(path + "\\");
    } else if (EndsWithIni(data.cFileName)) {
      GetPrivateProfileStringA("General", "url", "", value, sizeof value, path.c_str());
      GetPrivateProfileStringA("General", "encode", "", value, sizeof value, path.c_str());
      ++count;
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return count;
}

}  // namespace

std::string ShapeLabel(const StoreShape& shape) {
  std::string engines = std::to_string(shape.engines);
  if (engines.size() > 3)
    engines.insert(engines.size() - 3, ",");
  return engines + (shape.folders == 1 ? " in 1 folder" : " in " + std::to_string(shape.folders) + " folders");
}

std::string GenerateStore(const std::string& dir, const StoreShape& shape, const std::string& urlTemplate) {
  kft::RemoveTree(dir);
  CreateDirectoryA(dir.c_str(), nullptr);
  Words words;
  std::vector<std::string> folders = {dir};
  for (int i = 1; i < shape.folders; ++i) {
    const std::string folder = dir + words.Next(i) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    folders.push_back(folder);
  }
  std::string rootEngine;
  for (int i = 0; i < shape.engines; ++i) {
    const std::string name = words.Next(i);
    const std::size_t folder = static_cast<std::size_t>(i) % folders.size();
    WriteFileBytes(folders[folder] + name + ".ini", "[General]\r\nurl=" + urlTemplate + "\r\nencode=sjis\r\n");
    if (folder == 0 && rootEngine.empty())
      rootEngine = name;
  }
  return rootEngine;
}

void GenerateFolderStore(const std::string& dir, const std::string& folder, int engines,
                         const std::string& urlTemplate) {
  kft::RemoveTree(dir);
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string path = dir + folder + "\\";
  CreateDirectoryA(path.c_str(), nullptr);
  Words words;
  for (int i = 0; i < engines; ++i)
    WriteFileBytes(path + words.Next(i) + ".ini", "[General]\r\nurl=" + urlTemplate + "\r\nencode=sjis\r\n");
}

HMENU FloorMenu(const std::string& engineDir) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 39999, "Show All");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  FloorMenuFolder(engineDir, menu);
  return menu;
}

HWND CreateFloorTree(HWND parent) {
  // Registers comctl32's tree-view class in this process, if it is not yet.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  return CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | TVS_HASBUTTONS | TVS_HASLINES |
                             TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                         0, 0, 200, 320, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

int FloorFolderTree(HWND tree, const std::string& engineDir) {
  // The dialog's tree has a node for the engine folder itself.
  const HTREEITEM root = InsertTreeItem(tree, nullptr, "ROOT");
  return root ? 1 + FloorTreeFolder(tree, engineDir, root) : 0;
}

int FloorReadStore(const std::string& engineDir) { return FloorReadFolder(engineDir); }

}  // namespace kfbench
