#include "SearchMenu.h"

#include <algorithm>

#include "EngineStore.h"
#include "ErrorBox.h"
#include "FileSystem.h"
#include "Handles.h"
#include "Module.h"
#include "Path.h"
#include "PluginSettings.h"
#include "PluginState.h"
#include "SearchCommand.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

const char kShowAllCommandName[] = "Show All";
const char kSearchAllCommandName[] = "Search All";
std::vector<MenuEngine> gMenuEngines;
std::vector<SearchAllItem> gSearchAllItems;
UINT gShowAllCommandId = 0;

namespace {

// Folds the single-byte characters of text to lower case in place, leaving
// double-byte ones alone. A whole-string CharLowerBuffA would also fold the
// ASCII letters that are trail bytes of double-byte characters in some code
// pages, changing the character; each run of single-byte characters is
// folded in one call, which is the same as folding them one by one.
void LowerSingleByteChars(char* text, std::size_t length) {
  std::size_t run = 0;
  auto foldRun = [&](std::size_t end) {
    if (end > run)
      CharLowerBuffA(text + run, static_cast<DWORD>(end - run));
  };
  for (std::size_t i = 0; i < length;) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
      foldRun(i);
      // A lone lead byte at the end is left alone too: converting it on its
      // own would turn it into some other byte.
      i = std::min(i + 2, length);
      run = i;
      continue;
    }
    ++i;
  }
  foldRun(length);
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

// The names of a range being sorted, each folded, converted and keyed once.
// Everything lives in three shared buffers: thousands of small blocks of
// their own cost more than the collation itself.
class SortNames {
 public:
  SortNames(std::size_t count, UINT codePage) : codePage_(codePage) {
    names_.reserve(count);
    folded_.reserve(count * 24);
    wide_.reserve(count * 24);
    keys_.reserve(count * 96);
  }

  // False when the locale gives no sort key for this name.
  bool Add(const std::string& caption) {
    Name name;
    name.folded = Span{folded_.size(), caption.size()};
    folded_ += caption;
    LowerSingleByteChars(&folded_[name.folded.start], name.folded.length);
    name.wide = WideOf(name.folded);
    name.key = KeyOf(name.wide);
    names_.push_back(name);
    return name.key.length != kNoKey;
  }

  std::size_t Count() const { return names_.size(); }

  // Compares the sort keys byte by byte.
  bool KeyLess(std::size_t a, std::size_t b) const {
    const Span& x = names_[a].key;
    const Span& y = names_[b].key;
    const int r = std::string::traits_type::compare(keys_.data() + x.start, keys_.data() + y.start,
                                                    std::min(x.length, y.length));
    return r < 0 || (r == 0 && x.length < y.length);
  }

  // The comparison itself: the user locale's collation of the folded names,
  // as CompareStringA makes it (it converts to UTF-16 and compares those).
  int Compare(std::size_t a, std::size_t b) const {
    const Span& x = names_[a].wide;
    const Span& y = names_[b].wide;
    const int r = CompareStringW(LOCALE_USER_DEFAULT, 0, wide_.data() + x.start, static_cast<int>(x.length),
                                 wide_.data() + y.start, static_cast<int>(y.length));
    if (r == 0) {
      // The locale refused the text: fall back to bytes.
      const Span& fa = names_[a].folded;
      const Span& fb = names_[b].folded;
      return folded_.compare(fa.start, fa.length, folded_, fb.start, fb.length);
    }
    return r - CSTR_EQUAL;
  }

 private:
  static constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  struct Span {
    std::size_t start = 0, length = 0;
  };
  struct Name {
    Span folded, wide, key;
  };

  Span WideOf(const Span& folded) {
    Span span{wide_.size(), 0};
    if (folded.length == 0)
      return span;
    const char* text = folded_.data() + folded.start;
    // No ANSI code page gives more UTF-16 units than bytes.
    wide_.resize(span.start + folded.length);
    const int n = MultiByteToWideChar(codePage_, 0, text, static_cast<int>(folded.length), &wide_[span.start],
                                      static_cast<int>(folded.length));
    wide_.resize(span.start + static_cast<std::size_t>(std::max(n, 0)));
    if (n <= 0)
      return span;
    span.length = static_cast<std::size_t>(n);
    return span;
  }

  // The user locale's sort key: comparing two keys byte by byte orders them
  // as the locale's collation does, at one call per name instead of one per
  // comparison.
  Span KeyOf(const Span& wide) {
    Span span{keys_.size(), 0};
    if (wide.length == 0)
      return span;  // nothing sorts before the empty name
    const wchar_t* text = wide_.data() + wide.start;
    const int length = static_cast<int>(wide.length);
    // Room for the usual key; a longer one is asked for its size first.
    keys_.resize(span.start + wide.length * 8 + 32);
    int n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, length, reinterpret_cast<LPWSTR>(&keys_[span.start]),
                         static_cast<int>(keys_.size() - span.start));
    if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, length, nullptr, 0);
      if (n > 0) {
        keys_.resize(span.start + static_cast<std::size_t>(n));
        n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, length,
                         reinterpret_cast<LPWSTR>(&keys_[span.start]), n);
      }
    }
    if (n <= 0) {
      keys_.resize(span.start);
      return Span{0, kNoKey};
    }
    // The key ends in a NUL of its own.
    span.length = static_cast<std::size_t>(n) - 1;
    keys_.resize(span.start + span.length);
    return span;
  }

  UINT codePage_;
  std::vector<Name> names_;
  std::string folded_;
  std::wstring wide_;
  std::string keys_;
};

void AppendNoItem(HMENU menu) {
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, UiText(IDS_NO_ITEM).c_str());
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

std::string EngineMenuText(const std::string& text, char accessKey) {
  std::string shown = MenuText(text);
  if (accessKey)
    shown += std::string("(&") + accessKey + ")";
  return shown;
}

void SortByCaption(std::vector<MenuEngine>& items, std::size_t first, std::size_t last) {
  if (first >= last || last >= items.size())
    return;
  // Each caption is folded, converted and given its sort key once; the sort
  // then compares keys. A menu of thousands of engines would otherwise make
  // the locale compare some hundred thousand pairs of names.
  const std::size_t count = last - first + 1;
  SortNames names(count, UserLocaleCodePage());
  bool keyed = true;
  for (std::size_t i = first; i <= last; ++i)
    keyed = names.Add(items[i].caption) && keyed;
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i)
    order[i] = i;
  if (keyed)
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return names.KeyLess(x, y); });
  // The keys are the locale's own, but the collation is what decides: one
  // pass over neighbours proves the order, and a sort by comparisons mends it
  // wherever a key disagrees.
  bool ordered = keyed;
  for (std::size_t i = 1; ordered && i < count; ++i)
    ordered = names.Compare(order[i - 1], order[i]) <= 0;
  if (!ordered)
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return names.Compare(x, y) < 0; });
  std::vector<MenuEngine> sorted;
  sorted.reserve(count);
  for (std::size_t i : order)
    sorted.push_back(std::move(items[first + i]));
  std::move(sorted.begin(), sorted.end(), items.begin() + static_cast<std::ptrdiff_t>(first));
}

namespace {

// Appends the listed engine files of path, sorted by name, each registered
// with the host; a greyed "No Item" when there is none. Favourites are
// gathered into build.
void AppendEngines(const std::string& path, const std::vector<StoreEntry>& files, HMENU menu, MenuBuild& build) {
  if (files.empty()) {
    AppendNoItem(menu);
    return;
  }
  const std::size_t first = gMenuEngines.size();
  gMenuEngines.reserve(first + files.size());
  for (const StoreEntry& file : files) {
    MenuEngine entry;
    entry.filePath = path + file.name;
    entry.caption = ExtractEngineName(file.name);
    const EngineMenuTraits traits = MenuTraitsOf(entry.filePath, file);
    entry.accessKey = traits.accessKey;
    entry.commandId = gBeckyApi->RegisterCommand(entry.caption.c_str(), build.menuType, SearchCommand);
    if (traits.favourite)
      build.favourites.push_back(entry);
    gMenuEngines.push_back(std::move(entry));
  }
  SortByCaption(gMenuEngines, first, gMenuEngines.size() - 1);
  for (std::size_t i = first; i < gMenuEngines.size(); ++i) {
    const MenuEngine& engine = gMenuEngines[i];
    AppendMenuA(menu, MF_STRING, engine.commandId, EngineMenuText(engine.caption, engine.accessKey).c_str());
  }
}

// "Search All (N)" and its separator at the top of a folder's submenu; the
// engines it searches are filled in once they are sorted.
void AppendSearchAll(HMENU menu, std::size_t engines, MenuBuild& build) {
  SearchAllItem item;
  item.commandId = gBeckyApi->RegisterCommand(kSearchAllCommandName, build.menuType, SearchAllCommand);
  item.count = engines;
  gSearchAllItems.push_back(item);
  AppendMenuA(menu, MF_STRING, item.commandId, UiText(IDS_SEARCH_ALL, {std::to_string(engines)}).c_str());
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
}

// The favourites first by name, registered again for the host's menu (the
// same engine keeps its own item in its folder).
void AppendFavourites(HMENU hostMenu, MenuBuild& build) {
  std::vector<MenuEngine>& favourites = build.favourites;
  if (favourites.empty())
    return;
  SortByCaption(favourites, 0, favourites.size() - 1);
  if (favourites.size() > kMaxFavourites)
    favourites.resize(kMaxFavourites);
  for (MenuEngine& favourite : favourites) {
    favourite.commandId = gBeckyApi->RegisterCommand(favourite.caption.c_str(), build.menuType, SearchCommand);
    // EngineMenuText doubles the name's "&" once, with the rest of the item's text.
    const std::string text = UiText(IDS_SEARCH_WITH, {favourite.caption});
    AppendMenuA(hostMenu, MF_STRING, favourite.commandId, EngineMenuText(text, favourite.accessKey).c_str());
    gMenuEngines.push_back(favourite);
  }
}

}  // namespace

void AddFolderItems(const std::string& path, HMENU menu, MenuBuild& build, int depth) {
  // One listing gives both the subfolders and the engines: under Wine the
  // listing of a folder costs about as much as the menu's own items.
  std::vector<StoreEntry> folders, engines;
  try {
    ListFolderContents(path, build.showHidden, folders, engines);
  } catch (...) {
    ShowCurrentException(nullptr);
    return;
  }
  // Not in "Search engines" itself: a folder is what the user groups
  // engines by, the whole store is not.
  bool searchAll = build.searchAll && depth > 1 && engines.size() >= 2;
  const std::size_t searchAllIndex = gSearchAllItems.size();
  if (searchAll) {
    try {
      AppendSearchAll(menu, engines.size(), build);
    } catch (...) {
      searchAll = false;
      ShowCurrentException(nullptr);
    }
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
        AddFolderItems(path + folder.name + "\\", submenu, build, depth + 1);
      }
    } catch (...) {
      // A folder that cannot be walked just ends its listing; what is there stays.
    }
  }
  try {
    const std::size_t first = gMenuEngines.size();
    AppendEngines(path, engines, menu, build);
    if (searchAll) {
      gSearchAllItems[searchAllIndex].first = first;
      gSearchAllItems[searchAllIndex].count = gMenuEngines.size() - first;
    }
  } catch (...) {
    ShowCurrentException(nullptr);
  }
}

MenuHandle BuildSearchMenu(MenuBuild& build) {
  MenuHandle popup(CreatePopupMenu());
  gMenuEngines.clear();
  gSearchAllItems.clear();
  if (!popup) {
    ShowErrorBox(nullptr, UiText(IDS_NO_MENU));
    // Nothing could hold the items: registering commands or attaching a
    // null popup to the host's menu would only leave dead entries there.
    return popup;
  }

  // The command's name is the same in every language: the host may keep it.
  gShowAllCommandId = gBeckyApi->RegisterCommand(kShowAllCommandName, build.menuType, ToggleShowAll);

  // Made by its full path: the current directory is the host's.
  if (!IsDirectory(gEngineDir))
    CreateDirectoryA(gEngineDir.c_str(), nullptr);

  AppendMenuA(popup.Get(), MF_STRING | (gShowAll ? MF_CHECKED : MF_UNCHECKED), gShowAllCommandId,
              UiText(IDS_SHOW_ALL).c_str());
  AppendMenuA(popup.Get(), MF_SEPARATOR, 0, nullptr);
  AddFolderItems(gEngineDir, popup.Get(), build, 1);
  return popup;
}

void AttachSearchMenu(HMENU hostMenu, int menuType) {
  if (!IsSearchMenuType(menuType) || !gBeckyApi)
    return;
  MenuBuild build;
  build.menuType = menuType;
  build.showHidden = gShowAll;
  build.searchAll = IsPluginSettingOn(gPluginIniPath, kSearchAllSetting);
  MenuHandle popup = BuildSearchMenu(build);
  if (!popup)
    return;
  // The host's menu owns the popup from here on, and destroys it with
  // itself; the plug-in keeps no handle to it.
  if (!AppendMenuA(hostMenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup.Get()),
                   UiText(IDS_SEARCH_ENGINES).c_str()))
    return;
  popup.Detach();
  try {
    AppendFavourites(hostMenu, build);
  } catch (...) {
    ShowCurrentException(nullptr);
  }
}

void WINAPI ToggleShowAll(HWND, LPARAM) {
  gShowAll = !gShowAll;
}

}  // namespace kf
