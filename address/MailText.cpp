#include "MailText.h"

#include <cstddef>
#include <vector>

#include "AsciiText.h"

namespace kf {

namespace {

enum class CharKind { LineBreak, Blank, QuoteMark, Other };

// One character of the selection, as the rules see it. Both forms of the
// text are first cut into these, so that one set of rules serves both.
struct MailChar {
  std::size_t begin;
  std::size_t size;
  CharKind kind;
  char ascii;  // the character itself when it is ASCII, else '\0'
  bool outsideAscii;
  // A lead byte without its trail byte: whatever byte comes right after it
  // would be read as its trail.
  bool brokenLead;
};

using MailChars = std::vector<MailChar>;

CharKind AsciiKind(unsigned char b) {
  switch (b) {
    case '\r':
    case '\n':
      return CharKind::LineBreak;
    case ' ':
    case '\t':
      return CharKind::Blank;
    case '>':
    case '|':
      return CharKind::QuoteMark;
    default:
      return CharKind::Other;
  }
}

MailChars SplitUnicode(std::u16string_view text) {
  MailChars chars;
  chars.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    CharKind kind = CharKind::Other;
    if (unit < 0x80)
      kind = AsciiKind(static_cast<unsigned char>(unit));
    else if (unit == u'\u3000')
      kind = CharKind::Blank;
    else if (unit == u'\uFF1E' || unit == u'\uFF5C')
      kind = CharKind::QuoteMark;
    // The two halves of a surrogate pair are both outside ASCII, and no rule
    // looks further into them.
    const char ascii = unit < 0x80 ? static_cast<char>(unit) : '\0';
    chars.push_back({i, 1, kind, ascii, unit >= 0x80, false});
  }
  return chars;
}

CharKind AnsiKind(std::string_view ch, const AnsiMarks& marks) {
  if (ch.size() == 1 && static_cast<unsigned char>(ch[0]) < 0x80)
    return AsciiKind(static_cast<unsigned char>(ch[0]));
  if (ch == marks.ideographicSpace)
    return CharKind::Blank;
  if (ch == marks.fullWidthGreater || ch == marks.fullWidthBar)
    return CharKind::QuoteMark;
  return CharKind::Other;
}

MailChars SplitAnsi(std::string_view text, IsLeadByteFn isLead, const AnsiMarks& marks) {
  // Every trail byte of the double-byte code pages (932, 936, 949, 950) is
  // 0x40 or above; a lower byte after a lead byte is a character of its own.
  constexpr unsigned char kLowestTrailByte = 0x40;
  MailChars chars;
  chars.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    const bool lead = b >= 0x80 && isLead(b);
    const bool paired = lead && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= kLowestTrailByte;
    const std::size_t size = paired ? 2 : 1;
    const char ascii = b < 0x80 ? static_cast<char>(b) : '\0';
    chars.push_back({i, size, AnsiKind(text.substr(i, size), marks), ascii, b >= 0x80, lead && !paired});
    i += size;
  }
  return chars;
}

bool IsBlank(const MailChar& c) { return c.kind == CharKind::Blank; }

// A line as ranges of chars: [begin, end) as selected but for its trailing
// blanks, [first, end) its text without quote marks and blanks.
struct Line {
  std::size_t begin;
  std::size_t first;
  std::size_t end;
};

// The line chars [begin, end) without the run of quote marks and blanks at
// its start (without a quote mark that run holds only blanks, which the trim
// takes anyway) and without blanks at its end.
Line StripQuoteMarksAndBlanks(const MailChars& chars, std::size_t begin, std::size_t end) {
  std::size_t first = begin;
  while (first < end && (IsBlank(chars[first]) || chars[first].kind == CharKind::QuoteMark))
    ++first;
  while (end > first && IsBlank(chars[end - 1]))
    --end;
  return {begin, first, end};
}

// The lines that hold some text. A CR LF ends a line at the CR and leaves an
// empty one at the LF, which is dropped like any other empty line.
std::vector<Line> CutIntoLines(const MailChars& chars) {
  std::vector<Line> lines;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= chars.size(); ++i) {
    if (i < chars.size() && chars[i].kind != CharKind::LineBreak)
      continue;
    const Line line = StripQuoteMarksAndBlanks(chars, begin, i);
    if (line.first < line.end)
      lines.push_back(line);
    begin = i + 1;
  }
  return lines;
}

// The characters an address may hold unencoded.
bool IsAddressChar(const MailChar& c) {
  const char a = c.ascii;
  if ((a >= 'A' && a <= 'Z') || (a >= 'a' && a <= 'z') || (a >= '0' && a <= '9'))
    return true;
  return a != '\0' && std::string_view("-._~:/?#[]@!$&'()*+,;=%").find(a) != std::string_view::npos;
}

// Whether the characters from i on begin with lowerAscii, in any case.
bool StartsWithAscii(const MailChars& chars, std::size_t i, std::size_t end, std::string_view lowerAscii) {
  if (end - i < lowerAscii.size())
    return false;
  for (std::size_t k = 0; k < lowerAscii.size(); ++k) {
    if (ToLowerAscii(chars[i + k].ascii) != lowerAscii[k])
      return false;
  }
  return true;
}

// Whether chars [first, end) hold "http://" or "https://" in any case.
bool HoldsWebScheme(const MailChars& chars, std::size_t first, std::size_t end) {
  for (std::size_t i = first; i < end; ++i) {
    if (StartsWithAscii(chars, i, end, "http://") || StartsWithAscii(chars, i, end, "https://"))
      return true;
  }
  return false;
}

std::size_t LastWordStart(const MailChars& chars, const Line& line) {
  std::size_t i = line.end;
  while (i > line.first && !IsBlank(chars[i - 1]))
    --i;
  return i;
}

std::size_t FirstWordEnd(const MailChars& chars, const Line& line) {
  std::size_t i = line.first;
  while (i < line.end && !IsBlank(chars[i]))
    ++i;
  return i;
}

// A line this long, quote marks included, may have been wrapped: mail
// programs wrap at 72 to 76 characters, and a line cut before a long word
// falls somewhat short of that. A shorter one was ended by its writer.
constexpr std::size_t kWrappedLineLength = 60;

// Whether the break after line falls inside a web address that next goes on
// with. The address reaches the break when the line's last word holds
// "http://" or "https://", or when the line is one word and the break before
// it fell inside the address too (addressRunsIn). next goes on with it when
// its first word holds no scheme of its own and either next is that one word
// or line is as long as a wrapped one: a short line followed by words was
// ended by its writer.
bool WrapsAddress(const MailChars& chars, const Line& line, bool addressRunsIn, const Line& next) {
  if (!IsAddressChar(chars[line.end - 1]))
    return false;
  const std::size_t lastWord = LastWordStart(chars, line);
  if (!(addressRunsIn && lastWord == line.first) && !HoldsWebScheme(chars, lastWord, line.end))
    return false;
  const std::size_t nextWordEnd = FirstWordEnd(chars, next);
  if (HoldsWebScheme(chars, next.first, nextWordEnd))
    return false;
  return nextWordEnd == next.end || line.end - line.begin >= kWrappedLineLength;
}

// Two words of one Japanese sentence. A lead byte without its trail never
// meets the next line's first byte, which would become that trail.
bool JoinsWithoutSpace(const MailChar& last, const MailChar& next) {
  return !last.brokenLead && last.outsideAscii && next.outsideAscii;
}

template <typename Char>
void AppendFoldingBlanks(std::basic_string<Char>& out, std::basic_string_view<Char> text, const MailChars& chars,
                         const Line& line) {
  bool inBlanks = false;
  for (std::size_t i = line.first; i < line.end; ++i) {
    const MailChar& c = chars[i];
    if (IsBlank(c)) {
      if (!inBlanks)
        out.push_back(Char(' '));
      inBlanks = true;
    } else {
      out.append(text.data() + c.begin, c.size);
      inBlanks = false;
    }
  }
}

template <typename Char>
std::basic_string<Char> Clean(std::basic_string_view<Char> text, const MailChars& chars) {
  const std::vector<Line> lines = CutIntoLines(chars);
  std::basic_string<Char> out;
  out.reserve(text.size());
  bool addressRunsIn = false;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k > 0) {
      const Line& line = lines[k - 1];
      addressRunsIn = WrapsAddress(chars, line, addressRunsIn, lines[k]);
      if (!addressRunsIn && !JoinsWithoutSpace(chars[line.end - 1], chars[lines[k].first]))
        out.push_back(Char(' '));
    }
    AppendFoldingBlanks(out, text, chars, lines[k]);
  }
  return out;
}

template <typename Char>
std::basic_string_view<Char> TrimBlanks(std::basic_string_view<Char> text, const MailChars& chars) {
  const auto isBlank = [](const MailChar& c) { return c.kind == CharKind::Blank || c.kind == CharKind::LineBreak; };
  std::size_t first = 0;
  std::size_t end = chars.size();
  while (first < end && isBlank(chars[first]))
    ++first;
  while (end > first && isBlank(chars[end - 1]))
    --end;
  if (first == end)
    return {};
  return text.substr(chars[first].begin, chars[end - 1].begin + chars[end - 1].size - chars[first].begin);
}

}  // namespace

std::u16string CleanMailText(std::u16string_view text) { return Clean(text, SplitUnicode(text)); }

std::string CleanMailText(std::string_view ansi, IsLeadByteFn isLead, const AnsiMarks& marks) {
  return Clean(ansi, SplitAnsi(ansi, isLead, marks));
}

std::u16string_view TrimMailBlanks(std::u16string_view text) { return TrimBlanks(text, SplitUnicode(text)); }

std::string_view TrimMailBlanks(std::string_view ansi, IsLeadByteFn isLead, const AnsiMarks& marks) {
  return TrimBlanks(ansi, SplitAnsi(ansi, isLead, marks));
}

}  // namespace kf
