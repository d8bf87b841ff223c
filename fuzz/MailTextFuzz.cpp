// CleanMailText over arbitrary text, in both forms. Whatever the input, the
// cleaned text is one line (no CR, LF or tab), has no blank at either end nor
// two in a row, is never longer than the input, and cleaning it again changes
// nothing (it has no line break left to join, nor a quote mark or blank at
// its start). Of Unicode text it loses no character but blanks, line breaks
// and quote marks, and a text without a web scheme, quote marks or anything
// outside ASCII has its line breaks treated as blanks: only an address or
// two characters outside ASCII are ever joined with nothing. A third mode
// builds the same text as UTF-16 and as Shift-JIS from a small alphabet and
// checks that both forms clean to the same text.
// Input: the last byte picks the mode (Unicode, ANSI in one of three kinds of
// code page, or both forms); the rest is the text (little-endian units for
// Unicode, bytes otherwise).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "AsciiText.h"
#include "FuzzInput.h"
#include "MailText.h"

namespace {

const kf::AnsiMarks kMarks932 = {"\x81\x40", "\x81\x84", "\x81\x62"};

template <typename Text>
void CheckOneLine(const Text& in, const Text& out) {
  KF_CHECK(out.size() <= in.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    KF_CHECK(out[i] != '\r' && out[i] != '\n' && out[i] != '\t');
    KF_CHECK(out[i] != ' ' || (i > 0 && i + 1 < out.size() && out[i - 1] != ' '));
  }
}

bool IsBlankOrBreak(char16_t unit) {
  return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n' || unit == u'\u3000';
}

bool IsQuoteMark(char16_t unit) { return unit == u'>' || unit == u'|' || unit == u'\uFF1E' || unit == u'\uFF5C'; }

std::u16string WithoutBlanksAndQuoteMarks(const std::u16string& text) {
  std::u16string out;
  for (const char16_t unit : text) {
    if (!IsBlankOrBreak(unit) && !IsQuoteMark(unit))
      out.push_back(unit);
  }
  return out;
}

// ASCII without quote marks, in which no line holds "http://" or "https://".
bool CannotHoldAWrappedAddress(const std::u16string& text) {
  std::string ascii;
  for (const char16_t unit : text) {
    if (unit >= 0x80 || IsQuoteMark(unit))
      return false;
    ascii.push_back(kf::ToLowerAscii(static_cast<char>(unit)));
  }
  return ascii.find("http://") == std::string::npos && ascii.find("https://") == std::string::npos;
}

void CheckUnicode(const std::u16string& text) {
  const std::u16string clean = kf::CleanMailText(text);
  CheckOneLine(text, clean);
  for (const char16_t unit : clean)
    KF_CHECK(unit != u'\u3000');
  KF_CHECK(kf::CleanMailText(clean) == clean);
  KF_CHECK(WithoutBlanksAndQuoteMarks(clean) == WithoutBlanksAndQuoteMarks(text));
  if (CannotHoldAWrappedAddress(text)) {
    std::u16string oneLine = text;
    for (char16_t& unit : oneLine) {
      if (unit == u'\r' || unit == u'\n')
        unit = u' ';
    }
    KF_CHECK(kf::CleanMailText(oneLine) == clean);
  }
}

void CheckAnsi(const std::string& text, kf::IsLeadByteFn isLead, const kf::AnsiMarks& marks) {
  const std::string clean = kf::CleanMailText(text, isLead, marks);
  CheckOneLine(text, clean);
  KF_CHECK(kf::CleanMailText(clean, isLead, marks) == clean);
}

// Characters with both a UTF-16 and a Shift-JIS form: the ones the cleaner
// knows, ones whose trail byte is '|', '\', '@' or 0x81, Japanese ones and a
// half-width one.
struct Letter {
  char16_t unit;
  const char* sjis;
};
const Letter kAlphabet[] = {
    {u'\u3000', "\x81\x40"}, {u'\uFF1E', "\x81\x84"}, {u'\uFF5C', "\x81\x62"},
    {u'\u691C', "\x8C\x9F"}, {u'\u30DD', "\x83\x7C"}, {u'\u8868', "\x95\x5C"},
    {u'\u666E', "\x95\x81"}, {u'\u30FC', "\x81\x5B"}, {u'\uFF71', "\xB1"},
};

// Bytes below 0x80 stand for themselves, the others for a letter; mostly
// ASCII, the Unicode form meets the properties that need it.
void CheckBothForms(const std::vector<std::uint8_t>& bytes) {
  std::u16string unicode;
  std::string sjis;
  for (const std::uint8_t b : bytes) {
    if (b < 0x80) {
      unicode.push_back(b);
      sjis.push_back(static_cast<char>(b));
    } else {
      const Letter& letter = kAlphabet[b % (sizeof kAlphabet / sizeof kAlphabet[0])];
      unicode.push_back(letter.unit);
      sjis += letter.sjis;
    }
  }
  CheckUnicode(unicode);
  std::string expected;
  for (const char16_t unit : kf::CleanMailText(unicode)) {
    if (unit < 0x80) {
      expected.push_back(static_cast<char>(unit));
      continue;
    }
    for (const Letter& letter : kAlphabet) {
      if (letter.unit == unit)
        expected += letter.sjis;
    }
  }
  KF_CHECK(kf::CleanMailText(sjis, kf::IsShiftJisLeadByte, kMarks932) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::uint8_t mode = input.ConsumeIntegral<std::uint8_t>() % 5;
  const std::vector<std::uint8_t> bytes = input.ConsumeRemainingBytes<std::uint8_t>();
  switch (mode) {
    case 0: {
      std::u16string units;
      for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
      CheckUnicode(units);
      break;
    }
    case 4:
      CheckBothForms(bytes);
      break;
    default: {
      const kf::IsLeadByteFn isLead = kffuzz::PickLeadBytes(mode - 1);
      CheckAnsi(std::string(bytes.begin(), bytes.end()), isLead,
                isLead == kf::NoLeadBytes ? kf::AnsiMarks() : kMarks932);
      break;
    }
  }
  return 0;
}
