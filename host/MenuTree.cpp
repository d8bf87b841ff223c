#include "MenuTree.h"

#include <cwchar>

#include "HostText.h"

namespace kfhost {
namespace {

void AppendItemLines(const std::vector<MenuItem>& items, int depth, std::string& out) {
  for (const MenuItem& item : items) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
    if (item.separator) {
      out += "----\n";
      continue;
    }
    out += item.CaptionUtf8();
    if (item.IsPopup())
      out += "  >";
    else
      out += "  #" + std::to_string(item.id);
    if (item.checked && item.grayed)
      out += "  [checked,grayed]";
    else if (item.checked)
      out += "  [checked]";
    else if (item.grayed)
      out += "  [grayed]";
    out += '\n';
    if (item.IsPopup())
      AppendItemLines(item.children, depth + 1, out);
  }
}

// '/' is never the trail byte of a double-byte character (those start at
// 0x40), so a plain split is safe in code page 932 too.
std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('/', start);
    parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos)
      return parts;
    start = slash + 1;
  }
}

// '*' matches any run of characters, everything else itself.
bool GlobMatches(const wchar_t* pattern, const wchar_t* text) {
  if (*pattern == L'*') {
    for (;; ++text) {
      if (GlobMatches(pattern + 1, text))
        return true;
      if (!*text)
        return false;
    }
  }
  if (!*pattern)
    return !*text;
  return *pattern == *text && GlobMatches(pattern + 1, text + 1);
}

bool IsPlace(const std::wstring& pattern) {
  return pattern.size() >= 2 && pattern[0] == L'#' && pattern.find_first_not_of(L"0123456789", 1) == std::wstring::npos;
}

bool PartMatches(const std::wstring& pattern, const MenuItem& item, size_t place) {
  if (IsPlace(pattern))
    return std::wcstoul(pattern.c_str() + 1, nullptr, 10) == place + 1;
  return !item.separator && GlobMatches(pattern.c_str(), AnsiToWide(item.caption).c_str());
}

const MenuItem* MatchFrom(const std::vector<MenuItem>& items, const std::vector<std::wstring>& parts, size_t depth,
                          std::vector<int>& positions) {
  for (size_t place = 0; place < items.size(); ++place) {
    const MenuItem& item = items[place];
    if (!PartMatches(parts[depth], item, place))
      continue;
    positions.push_back(static_cast<int>(place));
    if (depth + 1 == parts.size())
      return &item;
    if (const MenuItem* found = MatchFrom(item.children, parts, depth + 1, positions))
      return found;
    positions.pop_back();
  }
  return nullptr;
}

}  // namespace

std::string MenuItem::CaptionUtf8() const { return AnsiToUtf8(caption); }

std::vector<MenuItem> ReadMenu(HMENU menu) {
  std::vector<MenuItem> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info))
      continue;
    MenuItem item;
    item.id = info.wID;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    item.checked = (info.fState & MFS_CHECKED) != 0;
    item.grayed = (info.fState & (MFS_GRAYED | MFS_DISABLED)) != 0;
    item.submenu = info.hSubMenu;
    if (!item.separator && info.cch > 0) {
      std::string caption(info.cch + 1, '\0');
      info.dwTypeData = &caption[0];
      info.cch = static_cast<UINT>(caption.size());
      info.fMask = MIIM_STRING;
      if (GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info))
        caption.resize(info.cch);
      else
        caption.clear();
      item.caption = caption;
    }
    if (item.submenu) {
      item.id = 0;
      item.children = ReadMenu(item.submenu);
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::string MenuToText(const std::vector<MenuItem>& items) {
  std::string text;
  AppendItemLines(items, 0, text);
  return text;
}

const MenuItem* FindMenuItem(const std::vector<MenuItem>& items, const std::string& ansiPath) {
  const std::vector<MenuItem>* level = &items;
  const MenuItem* found = nullptr;
  for (const std::string& part : SplitPath(ansiPath)) {
    if (!level)
      return nullptr;
    found = nullptr;
    for (const MenuItem& item : *level) {
      if (!item.separator && item.caption == part) {
        found = &item;
        break;
      }
    }
    if (!found)
      return nullptr;
    level = found->IsPopup() ? &found->children : nullptr;
  }
  return found;
}

const MenuItem* MatchMenuPath(const std::vector<MenuItem>& items, const std::string& utf8Path,
                              std::vector<int>& positions) {
  positions.clear();
  std::vector<std::wstring> parts;
  for (const std::string& part : SplitPath(utf8Path))
    parts.push_back(Utf8ToWide(part));
  return MatchFrom(items, parts, 0, positions);
}

}  // namespace kfhost
