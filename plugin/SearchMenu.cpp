#include "SearchMenu.h"

#include <algorithm>

#include "EngineStore.h"
#include "ErrorBox.h"
#include "Handles.h"
#include "Path.h"
#include "PluginState.h"
#include "SearchCommand.h"
#include "resource.h"

namespace kf {

TArrayOfMenu MenuTable;
HMENU SearchMenu = nullptr;
UINT ShowAllCommandId = 0;

namespace {

const char kEngineFolderName[] = "Kestrelfind\\";

std::string LoadResourceText(UINT id) {
  // LoadStringA copies at most the buffer; the menu texts are short.
  char buffer[256];
  const int n = LoadStringA(PluginInstance, id, buffer, ARRAYSIZE(buffer));
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// Folds single-byte characters to lower case, leaving double-byte ones
// alone. A whole-string CharLowerBuffA would also fold the ASCII letters that
// are trail bytes of double-byte characters in some code pages, changing the
// character; each run of single-byte characters is folded in one call, which
// is the same as folding its characters one by one.
std::string LowerSingleByteChars(const std::string& text) {
  std::string lower = text;
  std::size_t run = 0;
  auto foldRun = [&](std::size_t end) {
    if (end > run)
      CharLowerBuffA(&lower[run], static_cast<DWORD>(end - run));
  };
  for (std::size_t i = 0; i < lower.size();) {
    if (IsDBCSLeadByte(static_cast<BYTE>(lower[i]))) {
      foldRun(i);
      // A lone lead byte at the end is left alone too: converting it on its
      // own would turn it into some other byte.
      i = std::min(i + 2, lower.size());
      run = i;
      continue;
    }
    ++i;
  }
  foldRun(lower.size());
  return lower;
}

// CompareStringA converts through the ANSI code page of the locale it is
// given, which need not be the process's.
UINT UserLocaleCodePage() {
  DWORD codePage = 0;
  if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                      reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) ||
      codePage == 0)
    return CP_ACP;
  return codePage;
}

std::wstring ToWide(const std::string& text, UINT codePage) {
  if (text.empty())
    return std::wstring();
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  if (n > 0)
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

// The user locale's sort key of a name: comparing two keys byte by byte
// orders them as the locale's collation does, at one call per name instead of
// one per comparison. False when the locale gives none.
bool SortKey(const std::wstring& wide, std::string& key) {
  key.clear();
  if (wide.empty())
    return true;  // nothing sorts before the empty name
  std::string buffer(wide.size() * 8 + 32, '\0');
  int n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, wide.data(), static_cast<int>(wide.size()),
                       reinterpret_cast<LPWSTR>(&buffer[0]), static_cast<int>(buffer.size()));
  if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, wide.data(), static_cast<int>(wide.size()), nullptr, 0);
    if (n <= 0)
      return false;
    buffer.assign(static_cast<std::size_t>(n), '\0');
    n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, wide.data(), static_cast<int>(wide.size()),
                     reinterpret_cast<LPWSTR>(&buffer[0]), n);
  }
  if (n <= 0)
    return false;
  // The key ends in a NUL of its own.
  key.assign(buffer.data(), static_cast<std::size_t>(n) - 1);
  return true;
}

// One caption, folded, in the forms the sort compares.
struct SortName {
  std::string folded;  // single-byte characters in lower case
  std::wstring wide;   // folded, in the user locale's code page
  std::string key;     // the locale's sort key of wide
  Tmenu entry;
};

// The comparison itself: the user locale's collation of the folded names,
// as CompareStringA makes it (it converts to UTF-16 and compares those).
int CompareNames(const SortName& a, const SortName& b) {
  const int r = CompareStringW(LOCALE_USER_DEFAULT, 0, a.wide.data(), static_cast<int>(a.wide.size()),
                               b.wide.data(), static_cast<int>(b.wide.size()));
  if (r == 0)
    return a.folded.compare(b.folded);  // the locale refused the text: fall back to bytes
  return r - CSTR_EQUAL;
}

// The library's folder is where the engine folder is created on the fly.
void CreateEngineDir() {
  const std::string libraryDir = ExtractFileDir(ModuleFileName(PluginInstance));
  SetCurrentDirectoryA(libraryDir.c_str());
  CreateDirectoryA(kEngineFolderName, nullptr);
}

void AppendNoItem(HMENU menu) {
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, LoadResourceText(IDS_NO_ITEM).c_str());
}

}  // namespace

std::string MenuText(const std::string& name) {
  // "&" (0x26) is never the second byte of a double-byte character in the
  // ANSI code pages (their trail bytes start at 0x40): doubling by byte is safe.
  std::string text;
  text.reserve(name.size() + 2);
  for (char c : name) {
    text.push_back(c);
    if (c == '&')
      text.push_back('&');
  }
  return text;
}

bool IsSearchMenuType(int menuType) {
  return menuType == 3 || menuType == 4 || menuType == 11 || menuType == 12;
}

void SortMenuRange(std::size_t first, std::size_t last) {
  if (first >= last || last >= MenuTable.size())
    return;
  // Each caption is folded, converted and given its sort key once; the sort
  // then compares keys. A menu of thousands of engines would otherwise make
  // the locale compare some hundred thousand pairs of names.
  const UINT codePage = UserLocaleCodePage();
  std::vector<SortName> names;
  names.reserve(last - first + 1);
  bool keyed = true;
  for (std::size_t i = first; i <= last; ++i) {
    SortName name;
    name.folded = LowerSingleByteChars(MenuTable[i].Caption);
    name.wide = ToWide(name.folded, codePage);
    keyed = keyed && SortKey(name.wide, name.key);
    name.entry = std::move(MenuTable[i]);
    names.push_back(std::move(name));
  }
  if (keyed)
    std::stable_sort(names.begin(), names.end(), [](const SortName& x, const SortName& y) { return x.key < y.key; });
  // The keys are the locale's own, but the collation is what decides: one
  // pass over neighbours proves the order, and a sort by comparisons mends it
  // wherever a key disagrees.
  bool ordered = keyed;
  for (std::size_t i = 1; ordered && i < names.size(); ++i)
    ordered = CompareNames(names[i - 1], names[i]) <= 0;
  if (!ordered)
    std::stable_sort(names.begin(), names.end(),
                     [](const SortName& x, const SortName& y) { return CompareNames(x, y) < 0; });
  for (std::size_t i = 0; i < names.size(); ++i)
    MenuTable[first + i] = std::move(names[i].entry);
}

namespace {

// Appends the listed engine files of path, sorted by name, each registered
// with the host; a greyed "No Item" when there is none.
void AppendEngines(const std::string& path, const std::vector<StoreEntry>& files, HMENU menu, int menuType) {
  if (files.empty()) {
    AppendNoItem(menu);
    return;
  }
  const std::size_t first = MenuTable.size();
  for (const StoreEntry& file : files) {
    Tmenu entry;
    entry.FilePath = path + file.name;
    entry.Caption = ExtractEngineName(file.name);
    entry.CommandId = BeckyAPI->RegisterCommand(entry.Caption.c_str(), menuType, SearchCommand);
    MenuTable.push_back(std::move(entry));
  }
  SortMenuRange(first, MenuTable.size() - 1);
  for (std::size_t i = first; i < MenuTable.size(); ++i)
    AppendMenuA(menu, MF_STRING, MenuTable[i].CommandId, MenuText(MenuTable[i].Caption).c_str());
}

}  // namespace

void AddFolderItems(const std::string& path, HMENU menu, bool showHidden, int menuType, int depth) {
  // One listing gives both the subfolders and the engines: under Wine the
  // listing of a folder costs about as much as the menu's own items.
  std::vector<StoreEntry> folders, engines;
  try {
    ListFolderContents(path, showHidden, folders, engines);
  } catch (...) {
    ShowCurrentException(nullptr);
    return;
  }
  if (depth <= kMaxFolderDepth) {
    try {
      for (const StoreEntry& folder : folders) {
        MenuHandle sub(CreatePopupMenu());
        if (!sub)
          break;
        if (!AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub.Get()),
                         MenuText(folder.name).c_str()))
          break;
        // The parent menu owns the submenu now and destroys it with itself.
        HMENU submenu = sub.Detach();
        AddFolderItems(path + folder.name + "\\", submenu, showHidden, menuType, depth + 1);
      }
    } catch (...) {
      // A folder that cannot be walked just ends its listing; what is there stays.
    }
  }
  try {
    AppendEngines(path, engines, menu, menuType);
  } catch (...) {
    ShowCurrentException(nullptr);
  }
}

bool BuildSearchMenu(int menuType) {
  // The host may have destroyed the previous popup together with the menu it
  // was attached to; only a live menu is destroyed here.
  if (SearchMenu && IsMenu(SearchMenu))
    DestroyMenu(SearchMenu);
  SearchMenu = CreatePopupMenu();
  MenuTable.clear();
  if (!SearchMenu) {
    ShowErrorBox(nullptr, LoadResourceText(IDS_NO_MENU));
    // Nothing could hold the items: registering commands or attaching a
    // null popup to the host's menu would only leave dead entries there.
    return false;
  }

  const std::string showAllText = LoadResourceText(IDS_SHOW_ALL);
  ShowAllCommandId = BeckyAPI->RegisterCommand(showAllText.c_str(), menuType, ToggleShowAll);

  if (!IsDirectory(EngineDir))
    CreateEngineDir();

  AppendMenuA(SearchMenu, MF_STRING | (ShowAll ? MF_CHECKED : MF_UNCHECKED), ShowAllCommandId,
              showAllText.c_str());
  AppendMenuA(SearchMenu, MF_SEPARATOR, 0, nullptr);
  AddFolderItems(EngineDir, SearchMenu, ShowAll, menuType, 1);
  return true;
}

void AttachSearchMenu(HMENU hostMenu, int menuType) {
  if (!IsSearchMenuType(menuType) || !BeckyAPI)
    return;
  if (!BuildSearchMenu(menuType))
    return;
  AppendMenuA(hostMenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(SearchMenu),
              LoadResourceText(IDS_SEARCH_ENGINES).c_str());
}

void WINAPI ToggleShowAll(HWND, LPARAM) {
  ShowAll = !ShowAll;
}

}  // namespace kf
