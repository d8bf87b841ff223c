// The release zip as a user gets it: what it holds and under which names,
// the readmes' encodings, the starter engines, and a search run by the host
// program from a folder the zip was unpacked into (PlugIns beside
// BeckyHost.exe, laid out by the package.unpack test before these run).
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "KfTest.h"

namespace {

// The build folder, one up from bin/, as a full path without "..": the host
// reports the paths it loads from that way.
std::string BuildDir() {
  char buffer[MAX_PATH];
  const DWORD n = GetFullPathNameA((kft::ExeDir() + "..\\").c_str(), MAX_PATH, buffer, nullptr);
  return std::string(buffer, n);
}
std::string ZipPath() { return BuildDir() + KF_PACKAGE_ZIP_NAME; }
std::string HostDir() { return BuildDir() + "package-host\\"; }
std::string PlugInsDir() { return HostDir() + "PlugIns\\"; }

// One entry of the zip's central directory.
struct ZipEntry {
  std::string name;  // bytes as stored
  uint16_t flags = 0;
  bool IsFolder() const { return !name.empty() && name.back() == '/'; }
};

uint16_t Le16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
uint32_t Le32(const std::string& b, size_t at) { return Le16(b, at) | static_cast<uint32_t>(Le16(b, at + 2)) << 16; }

// The names and flags as Explorer's extractor reads them: from the central
// directory that the end record points at. Empty on a malformed file.
std::vector<ZipEntry> ReadCentralDirectory(const std::string& zip) {
  const size_t eocd = zip.rfind(std::string("PK\x05\x06", 4));
  if (eocd == std::string::npos || eocd + 22 > zip.size())
    return {};
  const size_t count = Le16(zip, eocd + 10);
  size_t at = Le32(zip, eocd + 16);
  std::vector<ZipEntry> entries;
  for (size_t i = 0; i < count; ++i) {
    if (at + 46 > zip.size() || Le32(zip, at) != 0x02014b50)
      return {};
    const size_t nameLength = Le16(zip, at + 28);
    const size_t extra = Le16(zip, at + 30) + static_cast<size_t>(Le16(zip, at + 32));
    if (at + 46 + nameLength > zip.size())
      return {};
    entries.push_back({zip.substr(at + 46, nameLength), Le16(zip, at + 8)});
    at += 46 + nameLength + extra;
  }
  return entries;
}

bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Every line ends in CR LF, and no CR stands alone.
bool HasCrLfLinesOnly(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
      return false;
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
      return false;
  }
  return !text.empty() && text.back() == '\n';
}

bool IsValidUtf8(const std::string& text) {
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                             0) > 0;
}

// Engine files below the unpacked engine folder, as "Folder/Name.ini".
void CollectEngines(const std::string& dir, const std::string& rel, std::vector<std::string>& out) {
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..")
      continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectEngines(dir + name + "\\", rel + name + "/", out);
    else
      out.push_back(rel + name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(out.begin(), out.end());
}

std::vector<std::string> UnpackedEngines() {
  std::vector<std::string> engines;
  CollectEngines(PlugInsDir() + "Kestrelfind\\", "", engines);
  return engines;
}

std::string EngineValue(const std::string& rel, const char* key) {
  char buffer[2048];
  const std::string path = kft::Join(PlugInsDir() + "Kestrelfind", rel);
  const DWORD n = GetPrivateProfileStringA("General", key, "", buffer, ARRAYSIZE(buffer), path.c_str());
  return std::string(buffer, n);
}

// An https address whose host has a dot, in printable ASCII without blanks,
// quotes or angle brackets, whose query is made of key=value pairs, with
// "[WORD]" or ending in a query value to which the word is appended.
::testing::AssertionResult IsUsableTemplate(const std::string& url) {
  const std::string scheme = "https://";
  if (url.compare(0, scheme.size(), scheme) != 0)
    return ::testing::AssertionFailure() << "not https: " << url;
  const size_t hostEnd = url.find_first_of("/?", scheme.size());
  const std::string host = url.substr(scheme.size(), hostEnd - scheme.size());
  if (host.find('.') == std::string::npos)
    return ::testing::AssertionFailure() << "no host name: " << url;
  for (char c : url) {
    if (c <= ' ' || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\')
      return ::testing::AssertionFailure() << "character " << int(c) << " in " << url;
  }
  const size_t query = url.find('?');
  for (size_t at = query; at != std::string::npos; at = url.find('&', at + 1)) {
    const size_t end = std::min(url.find('&', at + 1), url.size());
    const size_t equals = url.find('=', at + 1);
    if (equals == at + 1 || equals >= end)
      return ::testing::AssertionFailure() << "not key=value at " << at + 1 << ": " << url;
  }
  const bool placeholder = url.find("[WORD]") != std::string::npos;
  const bool endsInQueryValue = query != std::string::npos && url.back() == '=';
  if (!placeholder && !endsInQueryValue)
    return ::testing::AssertionFailure() << "no place for the word: " << url;
  return ::testing::AssertionSuccess();
}

// The language a compiled help file declares in its ITSF header, or 0 for
// anything else. chmcmd writes it, and the one in #SYSTEM that the viewer
// goes by, from the project's Language line.
uint32_t ChmLanguage(const std::string& chm) {
  if (chm.size() < 0x18 || chm.compare(0, 4, "ITSF") != 0)
    return 0;
  return Le32(chm, 0x14);
}

// Names of a PE file's sections; long names ("/4") are read from the string
// table behind the symbol table, where the linker puts ".debug_info" and the
// like.
std::vector<std::string> SectionNames(const std::string& image) {
  std::vector<std::string> names;
  if (image.size() < 0x40)
    return names;
  const size_t pe = Le32(image, 0x3C);
  if (pe + 24 > image.size() || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
    return names;
  const size_t count = Le16(image, pe + 6);
  const size_t symbols = Le32(image, pe + 12);
  const size_t strings = symbols + 18 * static_cast<size_t>(Le32(image, pe + 16));
  const size_t first = pe + 24 + Le16(image, pe + 20);
  for (size_t i = 0; i < count && first + 40 * (i + 1) <= image.size(); ++i) {
    std::string name = image.substr(first + 40 * i, 8);
    name = name.substr(0, name.find('\0'));
    if (!name.empty() && name[0] == '/' && symbols) {
      const size_t at = strings + std::strtoul(name.c_str() + 1, nullptr, 10);
      if (at < image.size())
        name = image.substr(at, image.find('\0', at) - at);
    }
    names.push_back(name);
  }
  return names;
}

std::string ExpectedUrl(const std::string& tmpl, const std::string& word) {
  std::string url;
  size_t from = 0;
  for (size_t at; (at = tmpl.find("[WORD]", from)) != std::string::npos; from = at + 6)
    url += tmpl.substr(from, at - from) + word;
  return from == 0 ? tmpl + word : url + tmpl.substr(from);
}

TEST(Package, HoldsTheReleaseFilesUnderPortableNames) {
  const std::string zip = kft::ReadBytes(ZipPath());
  ASSERT_FALSE(zip.empty()) << ZipPath();
  const std::vector<ZipEntry> entries = ReadCentralDirectory(zip);
  ASSERT_FALSE(entries.empty()) << "no central directory";

  std::set<std::string> topFiles;
  size_t engines = 0;
  for (const ZipEntry& entry : entries) {
    SCOPED_TRACE(entry.name);
    // Explorer takes a backslash for part of a name, and a name that leaves
    // the target folder is a trap.
    EXPECT_EQ(std::string::npos, entry.name.find('\\'));
    EXPECT_NE('/', entry.name.front());
    EXPECT_EQ(std::string::npos, entry.name.find(".."));
    EXPECT_EQ(std::string::npos, entry.name.find("/."));
    // A name beyond ASCII must say it is UTF-8, or it unpacks in the OEM code page.
    if (!IsAscii(entry.name)) {
      EXPECT_TRUE(entry.flags & 0x0800);
    }
    if (entry.IsFolder()) {
      EXPECT_EQ(0u, entry.name.rfind("Kestrelfind/", 0));
    } else if (entry.name.find('/') == std::string::npos) {
      topFiles.insert(entry.name);
    } else {
      EXPECT_EQ(0u, entry.name.rfind("Kestrelfind/", 0));
      EXPECT_EQ(".ini", entry.name.substr(entry.name.size() - 4));
      ++engines;
    }
  }
  std::set<std::string> expected = {"Kestrelfind.dll", "Kestrelclean.exe", "readme.txt", "readme-ja.txt"};
  if (KF_PACKAGE_HAS_HELP) {
    expected.insert("Kestrelfind.chm");
    expected.insert("Kestrelfind_ja.chm");
  }
  EXPECT_EQ(expected, topFiles);
  EXPECT_EQ(UnpackedEngines().size(), engines);

  // The binaries come without debug information (the build folder keeps it).
  for (const char* binary : {"Kestrelfind.dll", "Kestrelclean.exe"}) {
    const std::vector<std::string> sections = SectionNames(kft::ReadBytes(PlugInsDir() + binary));
    EXPECT_FALSE(sections.empty()) << binary;
    for (const std::string& name : sections)
      EXPECT_NE(0u, name.rfind(".debug", 0)) << binary << ": " << name;
  }
  const std::vector<std::string> unstripped = SectionNames(kft::ReadBytes(kft::BinFile("Kestrelfind.dll")));
  EXPECT_TRUE(std::any_of(unstripped.begin(), unstripped.end(),
                          [](const std::string& name) { return name.rfind(".debug", 0) == 0; }))
      << "the build's own copy keeps them, or this test proves nothing";

  // The viewer shows contents, index and titles in the code page of the file's
  // language: Shift-JIS for the Japanese one.
  if (KF_PACKAGE_HAS_HELP) {
    EXPECT_EQ(0x0409u, ChmLanguage(kft::ReadBytes(PlugInsDir() + "Kestrelfind.chm")));
    EXPECT_EQ(0x0411u, ChmLanguage(kft::ReadBytes(PlugInsDir() + "Kestrelfind_ja.chm")));
  }

  // Notepad on any Windows: plain ASCII for English, UTF-8 with its mark for
  // Japanese.
  const std::string english = kft::ReadBytes(PlugInsDir() + "readme.txt");
  EXPECT_TRUE(IsAscii(english));
  EXPECT_TRUE(HasCrLfLinesOnly(english));
  const std::string japanese = kft::ReadBytes(PlugInsDir() + "readme-ja.txt");
  ASSERT_GT(japanese.size(), 3u);
  EXPECT_EQ("\xEF\xBB\xBF", japanese.substr(0, 3));
  EXPECT_TRUE(IsValidUtf8(japanese));
  EXPECT_FALSE(IsAscii(japanese));
  EXPECT_TRUE(HasCrLfLinesOnly(japanese));
}

TEST(Package, StarterEnginesAreWellFormed) {
  const std::vector<std::string> engines = UnpackedEngines();
  ASSERT_GE(engines.size(), 5u);
  std::set<std::string> folders;
  for (const std::string& rel : engines) {
    SCOPED_TRACE(rel);
    // The store is read through the ANSI code page: only ASCII names exist on
    // every system.
    EXPECT_TRUE(IsAscii(rel));
    folders.insert(rel.substr(0, rel.find('/')));
    const std::string path = kft::Join(PlugInsDir() + "Kestrelfind", rel);
    // Shown in the menu, and a plain INI file of one section and two keys.
    EXPECT_EQ(0u, kft::Attributes(path) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_NE('.', rel[rel.rfind('/') + 1]);
    const std::string text = kft::ReadBytes(path);
    EXPECT_TRUE(HasCrLfLinesOnly(text));
    EXPECT_EQ(0u, text.rfind("[General]\r\nurl=", 0));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    // One engine has no template: it opens the selection as a web address.
    if (rel == "Open as address.ini")
      EXPECT_EQ("", EngineValue(rel, "url"));
    else
      EXPECT_TRUE(IsUsableTemplate(EngineValue(rel, "url")));
    const std::string encode = EngineValue(rel, "encode");
    EXPECT_TRUE(encode == "sjis" || encode == "euc" || encode == "utf8") << encode;
  }
  EXPECT_GE(folders.size(), 3u);
}

// BeckyHost.exe beside the unpacked PlugIns folder loads the plug-in at
// start, as the mail client does; the menu lists every starter engine, and
// picking each opens its template with the word in place, and "Open as
// address" an address the sender's mailer wrapped over three lines, whole. The host hands out
// ids from 70000 up, as a mail client does after some thousand menus. The
// Japanese system the package is for gets the Japanese menu.
TEST(Package, SearchesFromTheUnpackedFolder) {
  const std::vector<std::string> engines = UnpackedEngines();
  ASSERT_FALSE(engines.empty());
  const std::string word = "Kestrel";
  const std::string mail = HostDir() + "mail.txt";
  const std::string wrapped[] = {"https://www.example.com/reports/2026/annual/kestrelfind-search-engine-plugin-",
                                 "summary/section-three/details-of-the-long-address-that-was-wrapped-by-the-",
                                 "mailer.html"};
  ASSERT_TRUE(kft::WriteBytes(mail, "Subject: test\nA word: " + word + "\nThe report:\n> " + wrapped[0] + "\n> " +
                                        wrapped[1] + "\n> " + wrapped[2] + "\n"));

  std::string script = "plugins\nmail mail.txt\nmenu 3\n";
  std::vector<std::string> expectedUrls;
  for (const std::string& rel : engines) {
    const std::string name = rel.substr(0, rel.size() - 4);  // without ".ini"
    const std::string url = EngineValue(rel, "url");
    if (url.empty()) {
      script += "select " + wrapped[0] + "\\n> " + wrapped[1] + "\\n> " + wrapped[2] + "\n";
      expectedUrls.push_back(wrapped[0] + wrapped[1] + wrapped[2]);
    } else {
      script += "select " + word + "\n";
      expectedUrls.push_back(ExpectedUrl(url, word));
    }
    script += std::string("pick 3 \"") + u8"検索エンジン/" + name + "\"\n";
  }
  ASSERT_TRUE(kft::WriteBytes(HostDir() + "script.txt", script));

  kft::UrlLog urls;
  const auto run = kft::RunProgram(HostDir() + "BeckyHost.exe",
                                   {"--hidden", "--first-id", "70000", "--script", "script.txt"}, 60000, HostDir());
  ASSERT_TRUE(run.started);
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(0u, run.exitCode) << run.err << run.out;
  EXPECT_NE(std::string::npos, run.out.find("loaded " + kft::AnsiToUtf8(PlugInsDir()) + "Kestrelfind.dll"))
      << run.out;
  for (const std::string& rel : engines) {
    const size_t start = rel.rfind('/') + 1;  // 0 at the top
    const std::string name = rel.substr(start, rel.size() - start - 4);
    EXPECT_NE(std::string::npos, run.out.find("    " + name + "  #")) << name << "\n" << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("  #4")) << "no id below 65536:\n" << run.out;
  }

  ASSERT_TRUE(urls.WaitForLines(expectedUrls.size(), 20000));
  std::vector<std::string> opened = urls.Lines();
  std::sort(opened.begin(), opened.end());
  std::sort(expectedUrls.begin(), expectedUrls.end());
  EXPECT_EQ(expectedUrls, opened);
}

}  // namespace
