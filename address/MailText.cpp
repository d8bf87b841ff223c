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
  bool outsideAscii;
  // A lead byte without its trail byte: whatever byte comes right after it
  // would be read as its trail.
  bool brokenLead;
};

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

std::vector<MailChar> SplitUnicode(std::u16string_view text) {
  std::vector<MailChar> chars;
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
    chars.push_back({i, 1, kind, unit >= 0x80, false});
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

std::vector<MailChar> SplitAnsi(std::string_view text, IsLeadByteFn isLead, const AnsiMarks& marks) {
  // Every trail byte of the double-byte code pages (932, 936, 949, 950) is
  // 0x40 or above; a lower byte after a lead byte is a character of its own.
  constexpr unsigned char kLowestTrailByte = 0x40;
  std::vector<MailChar> chars;
  chars.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    const bool lead = b >= 0x80 && isLead(b);
    const bool paired = lead && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= kLowestTrailByte;
    const std::size_t size = paired ? 2 : 1;
    chars.push_back({i, size, AnsiKind(text.substr(i, size), marks), b >= 0x80, lead && !paired});
    i += size;
  }
  return chars;
}

template <typename Char>
std::basic_string<Char> Clean(std::basic_string_view<Char> text, const std::vector<MailChar>& chars) {
  // Lines as ranges of chars. A CR LF ends a line at the CR and leaves an
  // empty one at the LF, which is dropped like any other empty line.
  struct Line {
    std::size_t first;
    std::size_t end;
  };
  std::vector<Line> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= chars.size(); ++i) {
    if (i < chars.size() && chars[i].kind != CharKind::LineBreak)
      continue;
    std::size_t first = start;
    std::size_t end = i;
    // The run of quote marks and blanks at the start; without a quote mark
    // it holds only blanks, which the trim takes anyway.
    while (first < end && (chars[first].kind == CharKind::Blank || chars[first].kind == CharKind::QuoteMark))
      ++first;
    while (end > first && chars[end - 1].kind == CharKind::Blank)
      --end;
    if (first < end)
      lines.push_back({first, end});
    start = i + 1;
  }

  // The first characters of the lines joined with nothing, as ASCII, every
  // other character standing in as 0x80; enough to tell a wrapped address.
  std::string head;
  for (const Line& line : lines) {
    for (std::size_t i = line.first; i < line.end && head.size() < 8; ++i) {
      const MailChar& c = chars[i];
      head.push_back(c.outsideAscii ? '\x80' : static_cast<char>(text[c.begin]));
    }
  }
  const bool wrappedAddress =
      StartsWithIgnoringAsciiCase(head, "http://") || StartsWithIgnoringAsciiCase(head, "https://");

  std::basic_string<Char> out;
  out.reserve(text.size());
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k > 0) {
      const MailChar& last = chars[lines[k - 1].end - 1];
      const MailChar& next = chars[lines[k].first];
      const bool glued = !last.brokenLead && (wrappedAddress || (last.outsideAscii && next.outsideAscii));
      if (!glued)
        out.push_back(Char(' '));
    }
    bool inBlanks = false;
    for (std::size_t i = lines[k].first; i < lines[k].end; ++i) {
      const MailChar& c = chars[i];
      if (c.kind == CharKind::Blank) {
        if (!inBlanks)
          out.push_back(Char(' '));
        inBlanks = true;
      } else {
        out.append(text.data() + c.begin, c.size);
        inBlanks = false;
      }
    }
  }
  return out;
}

}  // namespace

std::u16string CleanMailText(std::u16string_view text) { return Clean(text, SplitUnicode(text)); }

std::string CleanMailText(std::string_view ansi, IsLeadByteFn isLead, const AnsiMarks& marks) {
  return Clean(ansi, SplitAnsi(ansi, isLead, marks));
}

}  // namespace kf
