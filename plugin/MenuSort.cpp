#include "MenuSort.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace kf {

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

  // Without its sort key: for comparisons alone.
  void AddUnkeyed(const std::string& caption) {
    Name name;
    name.folded = Span{folded_.size(), caption.size()};
    folded_ += caption;
    LowerSingleByteChars(&folded_[name.folded.start], name.folded.length);
    name.wide = WideOf(name.folded);
    names_.push_back(name);
  }

  // False when the locale gives no sort key for this name.
  bool Add(const std::string& caption) {
    AddUnkeyed(caption);
    Name& name = names_.back();
    name.key = KeyOf(name.wide);
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

}  // namespace

std::vector<std::size_t> CaptionOrder(const std::vector<MenuEngine>& items, std::size_t first, std::size_t last) {
  if (first > last || last >= items.size())
    return {};
  const std::size_t count = last - first + 1;
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i)
    order[i] = i;
  if (count < 2)
    return order;
  // Each caption is folded, converted and given its sort key once; the sort
  // then compares keys. A menu of thousands of engines would otherwise make
  // the locale compare some hundred thousand pairs of names.
  SortNames names(count, UserLocaleCodePage());
  bool keyed = true;
  for (std::size_t i = first; i <= last; ++i)
    keyed = names.Add(items[i].caption) && keyed;
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
  return order;
}

bool IsCaptionOrder(const std::vector<MenuEngine>& items, std::size_t first, const std::vector<std::size_t>& order) {
  if (first + order.size() > items.size())
    return false;
  SortNames names(order.size(), UserLocaleCodePage());
  for (const std::size_t i : order) {
    if (i >= order.size())
      return false;
    names.AddUnkeyed(items[first + i].caption);
  }
  for (std::size_t k = 1; k < names.Count(); ++k) {
    if (names.Compare(k - 1, k) > 0)
      return false;
  }
  return true;
}

void ApplyOrder(std::vector<MenuEngine>& items, std::size_t first, const std::vector<std::size_t>& order) {
  std::vector<MenuEngine> sorted;
  sorted.reserve(order.size());
  for (std::size_t i : order)
    sorted.push_back(std::move(items[first + i]));
  std::move(sorted.begin(), sorted.end(), items.begin() + static_cast<std::ptrdiff_t>(first));
}

void SortByCaption(std::vector<MenuEngine>& items, std::size_t first, std::size_t last) {
  ApplyOrder(items, first, CaptionOrder(items, first, last));
}

}  // namespace kf
