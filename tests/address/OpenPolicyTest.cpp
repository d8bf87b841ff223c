#include "OpenPolicy.h"

#include <gtest/gtest.h>

#include "Bytes.h"
#include "UrlBuild.h"

using kftest::Bytes;

namespace {

bool Opens(const std::string& tmpl, const std::string& address, kf::IsLeadByteFn isLead) {
  return kf::CheckAddress(tmpl, address, isLead) == kf::AddressRefusal::None;
}

struct AddressCase {
  const char* what;
  std::string tmpl;
  std::string word;  // goes through BuildSearchUrl, as the search command does
  bool allowed;
};

void ExpectDecisions(const AddressCase* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const AddressCase& c = cases[i];
    const std::string address = kf::BuildSearchUrl(c.tmpl, c.word, kf::IsShiftJisLeadByte);
    SCOPED_TRACE(std::string(c.what) + ": " + address);
    EXPECT_EQ(Opens(c.tmpl, address, kf::IsShiftJisLeadByte), c.allowed);
  }
}

TEST(CheckAddress, TemplatesThatChooseTheirSchemeBehaveAsBefore) {
  const AddressCase cases[] = {
      {"https with placeholder", "https://e/?q=[WORD]", "calc.exe", true},
      {"http appended", "http://e/?q=", "x", true},
      {"default engine", kf::kDefaultSearchUrl, "word", true},
      {"test scheme", "kftest:[WORD]", "a b", true},
      {"mailto", "mailto:[WORD]@example.com", "x", true},
      {"user's own protocol handler", "ms-msdt:/id [WORD]", "x", true},
      {"user's own file URL without the word", "file:///C:/docs/readme.txt", "x", true},
      {"scheme with digits, plus, dot, minus", "a1+.-b:[WORD]", "x", true},
      {"upper-case scheme", "HTTPS://e/?q=[WORD]", "x", true},
      {"hostile word is only encoded into the query", "https://e/?q=[WORD]", "\" & calc.exe \\\\server\\x", true},
      {"Shift-JIS template", "https://e/" + Bytes("8C 9F 8D F5") + "?q=[WORD]", Bytes("82 A0"), true},
  };
  ExpectDecisions(cases, sizeof cases / sizeof cases[0]);
}

TEST(CheckAddress, WordNeverChoosesWhatTheShellOpens) {
  const AddressCase cases[] = {
      // Empty template: the selection is the address.
      {"program", "", "calc.exe", false},
      {"program with path", "", "C:\\Windows\\System32\\calc.exe", false},
      {"UNC path", "", "\\\\server\\share\\x", false},
      {"protocol handler", "", "ms-msdt:/id PCWDiagnostic /skip force", false},
      {"search-ms", "", "search-ms:query=x&crumb=location:\\\\evil\\s", false},
      {"file URL", "", "file:///C:/x", false},
      {"javascript", "", "javascript:alert(1)", false},
      {"http without slashes", "", "http:evil", false},
      {"http with one slash", "", "http:/evil", false},
      {"relative", "", "evil/http://x", false},
      {"leading blank", "", " http://x", false},
      {"blank inside", "", "http://x/ calc.exe", false},
      {"quote breaks out of \"%1\"", "", "https://x/\" --gpu-launcher=calc", false},
      {"single quote", "", "https://x/'a", false},
      {"line feed", "", "https://x/\nb", false},
      {"tab", "", "https://x/\tb", false},
      {"DEL", "", "https://x/\x7F", false},
      {"NUL hides the rest", "", Bytes("68 74 74 70 73 3A 2F 2F 78 00 20 63"), false},
      {"web address", "", "https://example.com/a?b=c", true},
      {"web address in any case", "", "HTTPS://ok", true},
      {"plain http", "", "http://example.com/", true},
      {"Japanese path", "", "http://example.jp/" + Bytes("8C 9F 8D F5"), true},
      {"backslash before the path", "", "http://\\\\evil\\share", false},
      {"backslash right after the host", "", "https://example.com\\x/", false},
      {"user info", "", "https://google.com@evil.com/", false},
      {"'@' and '\\' in the path", "", "https://example.com/a@b\\c", true},
      {"trail byte 0x5C in the host", "", "http://" + Bytes("95 5C") + ".jp/", true},
      {"broken escape", "", "http://x%../../windows/system32/calc.exe.cmd", false},
      {"escape cut at the end", "", "https://x/%4", false},
      {"whole escapes in either case", "", "https://x/%41%e3%A9", true},
      // The word stands before the template's scheme.
      {"placeholder first", "[WORD]", "ms-msdt:x", false},
      {"placeholder first, program", "[WORD]", "calc.exe", false},
      {"placeholder first, word names a web address", "[WORD]", "https://x", false},
      {"placeholder before scheme", "[WORD]://e/?q=[WORD]", "ms-msdt", false},
      {"word completes the scheme", "http[WORD]//e/", "s:", false},
      {"word completes the scheme, plain", "http[WORD]", "s://x", false},
      {"scheme of the word's making is a web address", "[WORD]://e/", "https", true},
      {"drive letter is no scheme", "C:\\tools\\[WORD]", "x", false},
      {"file URL taking the word", "file:///C:/docs/[WORD].txt", "x", false},
      {"file URL taking the word, upper case", "FILE:///C:/Windows/System32/[WORD]", "calc.exe", false},
      {"shell location taking the word", "shell:[WORD]", "startup", false},
      {"drive letter, appended", "C:", "\\Windows\\calc.exe", false},
      {"UNC template", "\\\\server\\[WORD]", "x", false},
      {"blank before scheme", " https://e/?q=[WORD]", "x", false},
      {"no colon", "www.example.com/?q=", "x", false},
      {"digit first", "1http://e/?q=", "x", false},
  };
  ExpectDecisions(cases, sizeof cases / sizeof cases[0]);
}

TEST(CheckAddress, LengthLimits) {
  const std::string base = "https://example.com/";
  const std::string atLimit = base + std::string(kf::kMaxBareAddressBytes - base.size(), 'a');
  EXPECT_TRUE(Opens("", atLimit, kf::IsShiftJisLeadByte));
  EXPECT_FALSE(Opens("", atLimit + "a", kf::IsShiftJisLeadByte));
  // A template's own engine is limited only by what a shell takes: its word
  // is encoded.
  const std::string tmpl = "https://e/?q=";
  const std::string longest = tmpl + std::string(kf::kMaxAddressBytes - tmpl.size(), 'a');
  EXPECT_TRUE(Opens(tmpl, longest, kf::IsShiftJisLeadByte));
  EXPECT_EQ(kf::CheckAddress(tmpl, longest + "a", kf::IsShiftJisLeadByte), kf::AddressRefusal::TooLong);
  EXPECT_EQ(kf::CheckAddress("kftest:", "kftest:" + std::string(kf::kMaxAddressBytes, 'a'), kf::IsShiftJisLeadByte),
            kf::AddressRefusal::TooLong);
}

TEST(CheckAddress, NamesWhyAnAddressIsRefused) {
  using kf::AddressRefusal;
  const struct {
    const char* what;
    std::string tmpl;
    std::string address;
    AddressRefusal refusal;
  } cases[] = {
      {"not a web address", "", "calc.exe", AddressRefusal::NotWebAddress},
      {"blank in a bare address", "", "https://x/ a", AddressRefusal::NotWebAddress},
      {"NUL", "https://e/?q=", Bytes("68 74 74 70 73 3A 2F 2F 78 00"), AddressRefusal::NotWebAddress},
      {"backslash before the path", "", "http://\\\\evil\\share", AddressRefusal::BareAddressHost},
      {"user info", "", "https://a@b", AddressRefusal::BareAddressHost},
      {"broken escape", "", "http://x%../a", AddressRefusal::BareAddressPercent},
      {"file: template with the word, whatever the address", "file:[WORD]", "https://x/",
       AddressRefusal::PathSchemeWithWord},
      {"a template's scheme", "kftest:[WORD]", "kftest:x", AddressRefusal::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(kf::CheckAddress(c.tmpl, c.address, kf::IsShiftJisLeadByte), c.refusal);
  }
}

TEST(CheckTemplate, RefusesOnlyPathSchemesThatTakeTheWord) {
  const struct {
    std::string tmpl;
    bool refused;
  } cases[] = {
      {"file:///C:/x/[WORD]", true},
      {"File://server/share/[WORD].txt", true},
      {"shell:[WORD]", true},
      {"SHELL:::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\[WORD]", true},
      {"file:///C:/docs/readme.txt", false},
      {"shell:downloads", false},
      {"https://e/?q=[WORD]&f=file:", false},
      {"files://e/[WORD]", false},
      {"myfile:[WORD]", false},
      {"[WORD]file:", false},
      {"", false},
      // The bracket of 0x81 0x5B is a trail byte: no placeholder, so the
      // template always opens the same file.
      {"file:///C:/" + Bytes("81") + "[WORD]", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tmpl);
    EXPECT_EQ(kf::CheckTemplate(c.tmpl, kf::IsShiftJisLeadByte) == kf::AddressRefusal::PathSchemeWithWord, c.refused);
  }
}

TEST(CheckAddress, AddressMustComeFromTheTemplate) {
  // The template's fixed part must really lead the address.
  EXPECT_FALSE(Opens("kftest:[WORD]", "calc.exe", kf::IsShiftJisLeadByte));
  EXPECT_FALSE(Opens("kftest:[WORD]", "ms-msdt:x", kf::IsShiftJisLeadByte));
  EXPECT_TRUE(Opens("kftest:[WORD]", "kftest:x", kf::IsShiftJisLeadByte));
}

// In Shift-JIS the "[" of 0x81 0x5B is no placeholder, so the whole template
// is the fixed part; in a single-byte code page the placeholder is found.
TEST(CheckAddress, PlaceholderIsFoundCharacterWise) {
  const std::string tmpl = "x" + Bytes("81") + "[WORD]:y";
  const std::string sjisAddress = kf::BuildSearchUrl(tmpl, "z", kf::IsShiftJisLeadByte);
  EXPECT_FALSE(Opens(tmpl, sjisAddress, kf::IsShiftJisLeadByte));

  const std::string schemeTmpl = "kftest:" + Bytes("81") + "[WORD]";
  for (const kf::IsLeadByteFn isLead : {kf::IsShiftJisLeadByte, kf::NoLeadBytes}) {
    const std::string address = kf::BuildSearchUrl(schemeTmpl, "ms-msdt:x", isLead);
    EXPECT_TRUE(Opens(schemeTmpl, address, isLead));
  }
}

struct AbbreviateCase {
  const char* what;
  std::string text;
  std::size_t max;
  std::string out;
};

TEST(AbbreviateForMessage, GivesOneReadableLine) {
  const AbbreviateCase cases[] = {
      {"short text unchanged", "calc.exe", 120, "calc.exe"},
      {"exactly the limit", "abcde", 5, "abcde"},
      {"cut", "abcdef", 5, "abcde..."},
      {"line breaks become blanks", "a\r\nb\tc", 120, "a  b c"},
      {"other controls become ?", Bytes("61 00 01 1B 7F 62"), 120, "a????b"},
      {"double-byte character kept whole", Bytes("61 8C 9F 8D F5"), 120, Bytes("61 8C 9F 8D F5")},
      {"never splits a double-byte character", Bytes("61 8C 9F 8D F5"), 4, Bytes("61 8C 9F") + "..."},
      {"cut right after a double-byte character", Bytes("8C 9F 8D F5 61"), 4, Bytes("8C 9F 8D F5") + "..."},
      {"lone lead byte at the end", Bytes("61 8C"), 120, "a?"},
      {"lead byte before a control", Bytes("8C 0A 61"), 120, "? a"},
      {"trail byte in the ASCII range stays", Bytes("83 41"), 120, Bytes("83 41")},
      {"limit zero", "abc", 0, "..."},
      {"empty", "", 10, ""},
  };
  for (const AbbreviateCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(kftest::Hex(kf::AbbreviateForMessage(c.text, c.max, kf::IsShiftJisLeadByte)), kftest::Hex(c.out));
  }
}

TEST(AbbreviateForMessage, SingleByteCodePageCutsAnywhere) {
  EXPECT_EQ(kf::AbbreviateForMessage(Bytes("61 8C 9F 8D F5"), 2, kf::NoLeadBytes), Bytes("61 8C") + "...");
}

}  // namespace
