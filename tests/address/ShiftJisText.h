// The few Japanese characters of the address tests in code page 932, so that
// a test states a selection once, as UTF-16, and checks both the Unicode and
// the ANSI (Shift-JIS) way through the plug-in's pure code.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "MailText.h"

namespace kft {

// What the plug-in fills in under code page 932.
inline const kf::AnsiMarks kMarks932 = {"\x81\x40", "\x81\x84", "\x81\x62"};

// ASCII as it is, the table's characters as their Shift-JIS bytes; any other
// character fails the test.
inline std::string ToShiftJis(std::u16string_view text) {
  struct Entry {
    char16_t unit;
    const char* sjis;
  };
  static const Entry kTable[] = {
      {u'検', "\x8C\x9F"}, {u'索', "\x8D\xF5"}, {u'エ', "\x83\x47"}, {u'ン', "\x83\x93"},
      {u'ジ', "\x83\x57"}, {u'引', "\x88\xF8"}, {u'用', "\x97\x70"}, {u'表', "\x95\x5C"},
      {u'ポ', "\x83\x7C"}, {u'ー', "\x81\x5B"}, {u'普', "\x95\x81"}, {u'　', "\x81\x40"},
      {u'＞', "\x81\x84"}, {u'｜', "\x81\x62"}, {u'ｱ', "\xB1"},      {u'ｲ', "\xB2"},
  };
  std::string out;
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    const Entry* found = nullptr;
    for (const Entry& entry : kTable) {
      if (entry.unit == unit)
        found = &entry;
    }
    if (found == nullptr) {
      ADD_FAILURE() << "no Shift-JIS form in the test table for U+" << std::hex << static_cast<unsigned>(unit);
      continue;
    }
    out += found->sjis;
  }
  return out;
}

}  // namespace kft
