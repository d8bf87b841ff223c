// BuildSearchAddress over arbitrary selections and engines: every address it
// lets through satisfies the open policy's properties (AddressProperties.h),
// a file: or shell: template with [WORD] is always PathSchemeWithWord, and
// for any other template a refusal as Empty comes exactly for a selection
// that is empty or, for an engine that cleans, holds only blanks: cleaning
// never throws a selection away.
// Input: the template (backslash-escaped, ended by a backslash and any other
// byte), then the selection: its bytes are the ANSI form and, read as
// little-endian units, the Unicode form. The last byte picks the code page,
// the encoding and whether the engine cleans.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "AddressProperties.h"
#include "FuzzInput.h"
#include "SearchAddress.h"

namespace {

const kf::AnsiMarks kMarks932 = {"\x81\x40", "\x81\x84", "\x81\x62"};

bool IsAsciiBlankOrBreak(unsigned unit) { return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n'; }

bool OnlyBlanks(const std::u16string& text) {
  for (const char16_t unit : text) {
    if (!IsAsciiBlankOrBreak(unit) && unit != u'\u3000')
      return false;
  }
  return true;
}

// Read from the start, so that the ideographic space is only ever taken
// where a character begins.
bool OnlyBlanks(const std::string& text, const kf::AnsiMarks& marks) {
  const std::string& space = marks.ideographicSpace;
  for (std::size_t i = 0; i < text.size();) {
    if (IsAsciiBlankOrBreak(static_cast<unsigned char>(text[i])))
      i += 1;
    else if (!space.empty() && text.compare(i, space.size(), space) == 0)
      i += space.size();
    else
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::uint8_t selector = input.ConsumeIntegral<std::uint8_t>();
  const kf::IsLeadByteFn isLead = kffuzz::PickLeadBytes(selector % 3);
  const kf::AnsiMarks marks = isLead == kf::NoLeadBytes ? kf::AnsiMarks() : kMarks932;
  kf::EngineDefinition engine;
  engine.encoding = static_cast<kf::Encoding>(selector / 3 % 3);
  engine.clean = selector / 9 % 2 == 0;
  engine.urlTemplate = input.ConsumeRandomLengthString();
  kf::SelectionText selection;
  selection.ansi = input.ConsumeRemainingBytesAsString();
  for (std::size_t i = 0; i + 1 < selection.ansi.size(); i += 2) {
    selection.unicode.push_back(static_cast<char16_t>(static_cast<unsigned char>(selection.ansi[i]) |
                                                      static_cast<unsigned char>(selection.ansi[i + 1]) << 8));
  }

  const kf::SearchAddress result = kf::BuildSearchAddress(selection, engine, isLead, marks);
  const std::string& tmpl = engine.urlTemplate;
  KF_CHECK((result.refusal == kf::AddressRefusal::PathSchemeWithWord) == kffuzz::LetsWordPickPath(tmpl, isLead));
  KF_CHECK((kf::CheckTemplate(tmpl, isLead) == kf::AddressRefusal::PathSchemeWithWord) ==
           kffuzz::LetsWordPickPath(tmpl, isLead));
  if (result.refusal == kf::AddressRefusal::None)
    kffuzz::CheckAllowed(tmpl, result.address, isLead);
  if (result.refusal == kf::AddressRefusal::Empty)
    KF_CHECK(result.address.empty());
  if (!kffuzz::LetsWordPickPath(tmpl, isLead)) {
    const bool utf8 = engine.encoding == kf::Encoding::Utf8;
    const bool nothing = utf8 ? selection.unicode.empty() : selection.ansi.empty();
    const bool blanks = utf8 ? OnlyBlanks(selection.unicode) : OnlyBlanks(selection.ansi, marks);
    KF_CHECK((result.refusal == kf::AddressRefusal::Empty) == (nothing || (engine.clean && blanks)));
  }
  return 0;
}
