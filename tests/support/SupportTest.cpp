// The helpers other tests lean on: if one of them lied, those tests would
// pass or fail for the wrong reason.
#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "KfTest.h"

namespace {

TEST(MessageBoxWatcher, RecordsAndAnswersEachBox) {
  kft::MessageBoxWatcher watcher(IDCANCEL);
  EXPECT_EQ(IDCANCEL, MessageBoxW(nullptr, L"Delete selected item?", L"Confirm", MB_OKCANCEL | MB_ICONQUESTION));
  watcher.SetAnswer(IDOK);
  EXPECT_EQ(IDOK, MessageBoxW(nullptr, kft::Utf8ToWide(u8"失敗しました").c_str(), kft::Utf8ToWide(u8"警告").c_str(),
                              MB_OK | MB_ICONWARNING));
  ASSERT_EQ(2u, watcher.Count());
  const auto& question = watcher.Boxes()[0];
  EXPECT_EQ("Delete selected item?", question.TextUtf8());
  EXPECT_EQ("Confirm", question.CaptionUtf8());
  EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), question.buttons);
  EXPECT_EQ(kft::BoxIcon::Question, question.icon);
  EXPECT_EQ(IDCANCEL, question.answer);
  const auto& warning = watcher.Boxes()[1];
  EXPECT_EQ(u8"失敗しました", warning.TextUtf8());
  EXPECT_EQ(u8"警告", warning.CaptionUtf8());
  EXPECT_TRUE(warning.IsOkOnly());
  EXPECT_EQ(kft::BoxIcon::Warning, warning.icon);
}

TEST(MessageBoxWatcher, FallsBackToAnExistingButtonAndQueuesAnswers) {
  kft::MessageBoxWatcher watcher(IDNO);
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "only OK", "t", MB_OK));
  watcher.QueueAnswers({IDCANCEL, IDOK});
  EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "first", "t", MB_OKCANCEL));
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "second", "t", MB_OKCANCEL));
  EXPECT_EQ(IDNO, MessageBoxA(nullptr, "third", "t", MB_YESNO));
  EXPECT_EQ(4u, watcher.Count());
}

TEST(MessageBoxWatcher, IgnoresOtherDialogsAndEndsWithItsScope) {
  {
    kft::MessageBoxWatcher watcher;
    EXPECT_EQ(&watcher, kft::MessageBoxWatcher::Current());
  }
  EXPECT_EQ(nullptr, kft::MessageBoxWatcher::Current());
}

TEST(Clipboard, TextRoundTripsInTheAnsiCodePage) {
  const std::string text = kft::IsCodePage932() ? kft::Sjis(u8"検索 word") : std::string("caf\xE9 word");
  ASSERT_TRUE(kft::clip::PutText(text));
  EXPECT_EQ(text, kft::clip::GetText().value_or("<none>"));
  EXPECT_TRUE(kft::clip::HasFormat(CF_UNICODETEXT));
  ASSERT_TRUE(kft::clip::PutUnicode(kft::Utf8ToWide(u8"検索")));
  if (kft::IsCodePage932()) {
    EXPECT_EQ("\x8C\x9F\x8D\xF5", kft::clip::GetText().value_or("<none>"));
  }
  EXPECT_EQ(kft::Utf8ToWide(u8"検索"), kft::clip::GetUnicode().value_or(L"<none>"));
}

TEST(Clipboard, BitmapsCustomFormatsAndClearing) {
  ASSERT_TRUE(kft::clip::PutBitmap());
  EXPECT_TRUE(kft::clip::HasFormat(CF_BITMAP));
  EXPECT_FALSE(kft::clip::GetText().has_value());
  EXPECT_GE(kft::clip::CountFormats(), 1);
  const UINT format = kft::clip::PutCustom("Kestrelfind Test Format", std::string("a\0b", 3));
  ASSERT_NE(0u, format);
  EXPECT_FALSE(kft::clip::HasFormat(CF_BITMAP));
  EXPECT_EQ(0u, kft::clip::GetBytes(format).value_or("").find(std::string("a\0b", 3)));
  ASSERT_TRUE(kft::clip::Clear());
  EXPECT_EQ(0, kft::clip::CountFormats());
  EXPECT_TRUE(kft::clip::Formats().empty());
}

TEST(Text, SjisBytesDoNotDependOnTheCodePage) {
  EXPECT_EQ("\x8C\x9F\x8D\xF5", kft::Sjis(u8"検索"));
  EXPECT_EQ("\x95\x5C\x8E\xA6", kft::Sjis(u8"表示"));
  EXPECT_EQ("abc", kft::Sjis("abc"));
  EXPECT_EQ("8C 9F 0A", kft::HexBytes("\x8C\x9F\n"));
  EXPECT_EQ(kft::IsCodePage932(), GetACP() == 932);
}

TEST(Process, QuotedArgumentsSurviveCommandLineParsing) {
  const std::wstring hostile[] = {L"plain", L"", L"with blank", L"trailing\\", L"\"quoted\"", L"a\\\"b",
                                  L"back\\\\ \\slashes\\\\", L"x\" & calc.exe & \"", L"tab\there"};
  for (const std::wstring& arg : hostile) {
    const std::wstring line = L"prog.exe " + kft::QuoteArgument(arg);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
    ASSERT_NE(nullptr, argv);
    ASSERT_EQ(2, argc) << kft::WideToUtf8(line);
    EXPECT_EQ(arg, std::wstring(argv[1])) << kft::WideToUtf8(line);
    LocalFree(argv);
  }
}

TEST(Files, FoldersWithDoubleByteNamesAreJoinedAndRemoved) {
  const std::string root = kft::MakeTempFolder("kf-files");
  ASSERT_FALSE(root.empty());
  EXPECT_TRUE(kft::DirectoryExists(root));
  // A Shift-JIS name whose second byte is 0x5C under code page 932.
  const std::string name = kft::IsCodePage932() ? kft::Sjis(u8"表示") : std::string("caf\xE9");
  const std::string sub = kft::Join(root, name);
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr)) << kft::HexBytes(sub) << " error " << GetLastError();
  const std::string file = kft::Join(sub, "a/b.txt");
  EXPECT_EQ(sub + "\\a\\b.txt", file);
  ASSERT_TRUE(CreateDirectoryA(kft::Join(sub, "a").c_str(), nullptr));
  ASSERT_TRUE(kft::WriteBytes(file, "x"));
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(sub + "\\", kft::Join(sub, ""));
  kft::RemoveTree(root);
  EXPECT_FALSE(kft::DirectoryExists(root));
}

TEST(PluginSandbox, LaysOutTheLibraryAndTheEngineTree) {
  std::string folder;
  {
    // Any file does for the layout; this one is always built beside us.
    kft::PluginSandbox::Options options;
    options.sourceDll = "urlrecorder.exe";
    kft::PluginSandbox sandbox(options);
    ASSERT_TRUE(sandbox.Ready());
    folder = sandbox.Folder();
    EXPECT_TRUE(kft::FileExists(sandbox.DllPath()));
    EXPECT_EQ(folder + "Kestrelfind.dll", sandbox.DllPath());
    EXPECT_EQ(folder + "Kestrelfind.ini", sandbox.IniPath());
    EXPECT_EQ(folder + "Kestrelfind\\", sandbox.EngineDir());
    EXPECT_FALSE(sandbox.IsLoaded());

    const std::string engine = sandbox.WriteEngine("Web/Search.ini", "http://x/?q=[WORD]", "euc");
    EXPECT_EQ(sandbox.EngineDir() + "Web\\Search.ini", engine);
    char value[64] = "";
    GetPrivateProfileStringA("General", "url", "", value, sizeof value, engine.c_str());
    EXPECT_STREQ("http://x/?q=[WORD]", value);
    GetPrivateProfileStringA("General", "encode", "", value, sizeof value, engine.c_str());
    EXPECT_STREQ("euc", value);

    const std::string bare = sandbox.WriteEngine("Bare.ini", std::nullopt, std::nullopt, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(kft::FileExists(bare));
    EXPECT_TRUE(sandbox.Attributes("Bare.ini") & FILE_ATTRIBUTE_HIDDEN);
    GetPrivateProfileStringA("General", "url", "<missing>", value, sizeof value, bare.c_str());
    EXPECT_STREQ("<missing>", value);

    sandbox.MakeFolder("Deep/er/still", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(kft::DirectoryExists(sandbox.EnginePath("Deep\\er\\still")));
    EXPECT_TRUE(sandbox.Attributes("Deep/er/still") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(sandbox.SetAttributes("Deep", FILE_ATTRIBUTE_READONLY));
  }
  EXPECT_FALSE(kft::DirectoryExists(folder));
}

TEST(PluginSandbox, AMissingSourceLibraryIsNotReady) {
  kft::PluginSandbox::Options options;
  options.sourceDll = "NoSuchLibrary.dll";
  kft::PluginSandbox sandbox(options);
  EXPECT_FALSE(sandbox.Ready());
  EXPECT_FALSE(sandbox.Load());
  EXPECT_NE(0u, sandbox.LoadError());
}

TEST(UrlRecorder, AppendsItsArgumentByteForByte) {
  kft::UrlLog log;
  const std::string url = "kftest://host/path?q=a%20b&x=[WORD]&y=c d";
  auto run = kft::RunProgram(kft::BinFile("urlrecorder.exe"), {url});
  EXPECT_EQ(0u, run.exitCode);
  run = kft::RunProgram(kft::BinFile("urlrecorder.exe"), {"second"});
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ((std::vector<std::string>{url, "second"}), log.Lines());
}

TEST(UrlRecorder, ShellOpenOfEachTestSchemeRunsIt) {
  kft::UrlLog log;
  const std::string urls[] = {"http://example.invalid/search?q=%8C%9F%8D%F5", "https://example.invalid/?a=1&b=2",
                              "kftest://x/[WORD]", "search-ms:query=abc", "ms-msdt:/id PCWDiagnostic"};
  for (const std::string& url : urls)
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
  ASSERT_TRUE(log.WaitForLines(5, 20000));
  auto lines = log.Lines();
  std::sort(lines.begin(), lines.end());
  std::vector<std::string> expected(std::begin(urls), std::end(urls));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, lines);
}

TEST(UrlRecorder, NothingOpenedIsReportedAsSuch) {
  kft::UrlLog log;
  EXPECT_TRUE(log.ExpectNothingOpened(300));
  EXPECT_FALSE(log.WaitForLines(1, 300));
}

}  // namespace
