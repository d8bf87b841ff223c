// The help pages as the HTML Help viewer lays them out. It draws a line break
// in running text as a space: English wants that space, Japanese does not,
// and shows it in mid-sentence ("左の ツリー"), and after or before a Japanese
// punctuation mark even next to a Latin word ("、 COM1"). So a break (with
// any blanks around it) must have an ASCII character or a block tag on one
// side, and no Japanese punctuation on the other. Inline tags are looked
// through, since their text runs on with the line's ("の⏎<b>検索</b>" is such
// a break too); the lines of a <pre> stay lines and are left alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring text(n, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), &text[0], n);
  return text;
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &utf8[0], n, nullptr, nullptr);
  return utf8;
}

// Every *.html under the folder, as paths relative to it.
void ListPages(const std::wstring& root, const std::wstring& sub, std::vector<std::wstring>& pages) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((root + L"\\" + sub + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListPages(root, sub + name + L"\\", pages);
    } else if (name.size() > 5 && _wcsicmp(name.c_str() + name.size() - 5, L".html") == 0) {
      pages.push_back(sub + name);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  const BOOL ok = bytes.empty() || ReadFile(file, &bytes[0], DWORD(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return ok && read == bytes.size();
}

// Tags whose text flows on with the text around them; every other tag starts
// or ends a block (or a line, as <br> does), where a break draws nothing.
bool IsInline(const std::wstring& name) {
  static const wchar_t* const kInline[] = {L"a",    L"abbr",   L"b",   L"big", L"cite", L"code", L"em",
                                           L"font", L"i",      L"kbd", L"q",   L"s",    L"samp", L"small",
                                           L"span", L"strong", L"sub", L"sup", L"tt",   L"u",    L"var"};
  return std::any_of(std::begin(kInline), std::end(kInline),
                     [&](const wchar_t* tag) { return _wcsicmp(name.c_str(), tag) == 0; });
}

bool IsAsciiAlnum(wchar_t c) { return (c >= L'0' && c <= L'9') || ((c | 0x20) >= L'a' && (c | 0x20) <= L'z'); }
bool IsBlank(int c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// The first character an entity stands for: numeric ones and the named ones
// the pages use; any other stays text as it is, beginning with '&'.
wchar_t Decode(const std::wstring& entity) {
  static const struct {
    const wchar_t* name;
    wchar_t c;
  } kNamed[] = {{L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", 0xA0}};
  if (entity[0] == L'#') {
    const bool hex = entity.size() > 1 && (entity[1] | 0x20) == L'x';
    const wchar_t* digits = entity.c_str() + (hex ? 2 : 1);
    wchar_t* end = nullptr;
    const unsigned long code = std::wcstoul(digits, &end, hex ? 16 : 10);
    if (*digits == L'\0' || *end != L'\0')
      return L'&';
    return code > 0xFFFF ? wchar_t(0xD800 + ((code - 0x10000) >> 10)) : wchar_t(code);
  }
  for (const auto& named : kNamed) {
    if (entity == named.name)
      return named.c;
  }
  return L'&';
}

constexpr int kBoundary = -1;
struct Flowed {
  int c;      // a character, or kBoundary
  size_t at;  // where in the page it comes from
};

// The page as the viewer's text flow, with a boundary for every block tag.
std::vector<Flowed> Flow(const std::wstring& text) {
  std::vector<Flowed> flow;
  bool inPre = false;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 4, L"<!--") == 0) {
      const size_t end = text.find(L"-->", i + 4);
      if (end != std::wstring::npos) {
        i = end + 3;
        continue;
      }
    }
    if (text[i] == L'<') {
      const size_t open = i + 1 + (text.compare(i + 1, 1, L"/") == 0);
      size_t name = open;
      while (name < text.size() && IsAsciiAlnum(text[name]))
        ++name;
      const size_t close = text.find(L'>', name);
      if (name > open && close != std::wstring::npos) {
        const std::wstring tag = text.substr(open, name - open);
        if (_wcsicmp(tag.c_str(), L"pre") == 0)
          inPre = open == i + 1;
        if (!IsInline(tag))
          flow.push_back({kBoundary, i});
        i = close + 1;
        continue;
      }
    }
    if (text[i] == L'&') {
      const size_t start = i + 1 + (text.compare(i + 1, 1, L"#") == 0);
      size_t end = start;
      while (end < text.size() && IsAsciiAlnum(text[end]))
        ++end;
      if (end > start && end < text.size() && text[end] == L';') {
        if (!inPre)
          flow.push_back({Decode(text.substr(i + 1, end - i - 1)), i});
        i = end + 1;
        continue;
      }
    }
    // Plain text up to the next tag or entity; a stray '<' or '&' is text too.
    const size_t end = std::min(text.find_first_of(L"<&", i + 1), text.size());
    for (; i < end; ++i) {
      if (!inPre)
        flow.push_back({text[i], i});
    }
  }
  return flow;
}

// Whether a space between these two characters is out of place: both are
// Japanese (anything beyond ASCII), or either is a Japanese punctuation mark.
bool Stray(wchar_t before, wchar_t after) {
  int wide = 0;
  bool punctuation = false;
  for (const wchar_t c : {before, after}) {
    if (c <= 127)
      continue;
    ++wide;
    WORD type = 0;
    punctuation |= GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & C1_PUNCT);
  }
  return wide == 2 || punctuation;
}

// For every line break that the viewer would draw as a stray space, the
// offsets of the first and last blank it is drawn from.
std::vector<std::pair<size_t, size_t>> Faults(const std::wstring& text) {
  std::vector<std::pair<size_t, size_t>> faults;
  const std::vector<Flowed> flow = Flow(text);
  for (size_t i = 0; i < flow.size();) {
    if (!IsBlank(flow[i].c)) {
      ++i;
      continue;
    }
    const size_t start = i;
    bool breaks = false;
    for (; i < flow.size() && IsBlank(flow[i].c); ++i)
      breaks |= flow[i].c == L'\n';
    if (!breaks || start == 0 || i == flow.size())
      continue;
    const int before = flow[start - 1].c, after = flow[i].c;
    if (before != kBoundary && after != kBoundary && Stray(wchar_t(before), wchar_t(after))) {
      faults.emplace_back(flow[start].at, flow[i - 1].at);
    }
  }
  return faults;
}

TEST(HelpPages, BreakLinesOnlyWhereTheViewerDrawsNoStraySpace) {
  const std::wstring root = Wide(KF_HELP_SOURCE_DIR);
  std::vector<std::wstring> pages;
  ListPages(root, L"", pages);
  std::sort(pages.begin(), pages.end());
  ASSERT_TRUE(
      std::any_of(pages.begin(), pages.end(), [](const std::wstring& page) { return page.rfind(L"ja\\", 0) == 0; }))
      << "no Japanese pages found in " << KF_HELP_SOURCE_DIR;

  for (const std::wstring& page : pages) {
    std::wstring shown = L"docs/help/" + page;
    std::replace(shown.begin(), shown.end(), L'\\', L'/');
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(root + L"\\" + page, bytes)) << Utf8(shown);
    const std::wstring text = Wide(bytes);
    ASSERT_TRUE(bytes.empty() || !text.empty()) << Utf8(shown) << ": not UTF-8";

    for (const auto& [first, last] : Faults(text)) {
      const size_t line = std::count(text.begin(), text.begin() + first, L'\n') + 1;
      const size_t from = first < 12 ? 0 : first - 12;
      std::wstring around = text.substr(from, last + 13 - from);
      for (size_t at = 0; (at = around.find(L'\n', at)) != std::wstring::npos;)
        around.replace(at, 1, L"\u23CE");
      ADD_FAILURE() << Utf8(shown) << ":" << line << ": line break shown as a stray space: " << Utf8(around);
    }
  }
}

}  // namespace
