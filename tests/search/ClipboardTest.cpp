// The clipboard snapshot on the real clipboard of the test prefix: whatever a
// program put there comes back exactly after the snapshot was saved, the
// clipboard overwritten, and the snapshot restored.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Clipboard.h"
#include "ErrorBox.h"
#include "../support/ClipboardHolder.h"

namespace {

using Bytes = std::vector<unsigned char>;

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

// Opens the clipboard the way any other program would, retrying while the
// system's own clipboard service has it open for a moment.
class OtherProgramClipboard {
 public:
  OtherProgramClipboard() {
    for (int i = 0; i < 200 && !OpenClipboard(nullptr); ++i)
      Sleep(10);
  }
  ~OtherProgramClipboard() { CloseClipboard(); }
};

HGLOBAL GlobalFromBytes(const void* data, size_t size) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(h), data, size);
  GlobalUnlock(h);
  return h;
}

Bytes BytesOfGlobal(HANDLE h) {
  if (!h)
    return {};
  const auto* p = static_cast<const unsigned char*>(GlobalLock(h));
  Bytes bytes(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return bytes;
}

// Replaces the clipboard by one format; data == null puts nothing.
void PutOnClipboard(UINT format, HANDLE data) {
  OtherProgramClipboard open;
  EmptyClipboard();
  if (data)
    SetClipboardData(format, data);
}

void PutBytes(UINT format, const Bytes& bytes) {
  PutOnClipboard(format, GlobalFromBytes(bytes.data(), bytes.size()));
}

void PutUnicodeText(const std::wstring& text) {
  PutOnClipboard(CF_UNICODETEXT, GlobalFromBytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
}

std::wstring ReadUnicodeText() {
  OtherProgramClipboard open;
  HANDLE h = GetClipboardData(CF_UNICODETEXT);
  if (!h)
    return L"<none>";
  std::wstring text(static_cast<const wchar_t*>(GlobalLock(h)));
  GlobalUnlock(h);
  return text;
}

Bytes ReadBytes(UINT format) {
  OtherProgramClipboard open;
  return BytesOfGlobal(GetClipboardData(format));
}

bool HasFormat(UINT format) {
  OtherProgramClipboard open;
  return IsClipboardFormatAvailable(format) != FALSE;
}

int FormatCount() {
  OtherProgramClipboard open;
  return CountClipboardFormats();
}

// What the search does around the host's copy: save, empty, let someone else
// write, read, restore.
void SaveOverwriteRestore(kf::ClipboardSnapshot& snapshot, const std::string& intruder = "intruder") {
  {
    const HWND owner = kf::ClipboardOwnerWindow();
    kf::ClipboardSession clipboard(owner);
    snapshot.Save(clipboard);
    clipboard.Empty();
  }
  PutBytes(CF_TEXT, Bytes(intruder.begin(), intruder.end() + 1));
  {
    const HWND owner = kf::ClipboardOwnerWindow();
    kf::ClipboardSession clipboard(owner);
    EXPECT_EQ(intruder, clipboard.ReadText());
    snapshot.Restore(clipboard);
  }
}

// The formats on the clipboard in the order it lists them: the ones put
// there first, then those the system makes from them.
std::vector<UINT> ListedFormats() {
  OtherProgramClipboard open;
  std::vector<UINT> formats;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
    formats.push_back(format);
  return formats;
}

class ClipboardSnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override { PutOnClipboard(0, nullptr); }
  void TearDown() override { PutOnClipboard(0, nullptr); }
};

// --- text ------------------------------------------------------------------

TEST_F(ClipboardSnapshotTest, UnicodeTextOutsideTheAnsiCodePageComesBackUnflattened) {
  // Hangul, a Polish letter, the euro sign and an emoji: none of them is in
  // both code pages the plug-in runs under.
  const std::wstring text = L"\uD55C\uAE00 \u0107 \u20AC \U0001F600 \u691C\u7D22";
  PutUnicodeText(text);
  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  EXPECT_EQ(text, ReadUnicodeText());
  EXPECT_TRUE(HasFormat(CF_TEXT)) << "the plain text is made from the Unicode text again";
}

TEST_F(ClipboardSnapshotTest, PutsBackTheTextFormatThatWasPutThereNotTheOnesMadeFromIt) {
  PutUnicodeText(L"abc");
  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  const std::vector<UINT> formats = ListedFormats();
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(UINT(CF_UNICODETEXT), formats.front()) << "the text made from it would come first";
  EXPECT_EQ(L"abc", ReadUnicodeText());
}

TEST_F(ClipboardSnapshotTest, AnsiTextComesBackByteForByte) {
  const std::string text = GetACP() == 932 ? "\x8C\x9F\x8D\xF5 \x95\x5C" : "caf\xE9 \x80";
  PutBytes(CF_TEXT, Bytes(text.begin(), text.end() + 1));
  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  const HWND owner = kf::ClipboardOwnerWindow();
  kf::ClipboardSession clipboard(owner);
  EXPECT_EQ(text, clipboard.ReadText());
}

TEST_F(ClipboardSnapshotTest, ReadTextStopsAtTheFirstNul) {
  PutBytes(CF_TEXT, Bytes{'a', 'b', 0, 'c', 'd', 0});
  const HWND owner = kf::ClipboardOwnerWindow();
  kf::ClipboardSession clipboard(owner);
  EXPECT_EQ("ab", clipboard.ReadText());
}

TEST_F(ClipboardSnapshotTest, UnicodeTextIsReadAsPutOrMadeFromAnsiTextInTheSystemCodePage) {
  const std::wstring unicode = L"caf\u00E9 \u4E2D \U0001F600";
  PutUnicodeText(unicode);
  EXPECT_EQ(unicode, kf::ClipboardSession(kf::ClipboardOwnerWindow()).ReadUnicodeText());

  const std::wstring cut(L"ab\0cd", 6);
  PutOnClipboard(CF_UNICODETEXT, GlobalFromBytes(cut.data(), cut.size() * sizeof(wchar_t)));
  EXPECT_EQ(L"ab", kf::ClipboardSession(kf::ClipboardOwnerWindow()).ReadUnicodeText());

  // Put with a Russian CF_LOCALE, the system would make the Unicode text in
  // code page 1251; the text is in the system's ANSI code page all the same.
  const bool japanese = GetACP() == 932;
  const std::string ansi = japanese ? "\x8C\x9F\x8D\xF5 \x95\x5C" : "caf\xE9 \x80";
  const std::wstring expected = japanese ? L"\u691C\u7D22 \u8868" : L"caf\u00E9 \u20AC";
  const LCID russian = MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT);
  {
    OtherProgramClipboard open;
    EmptyClipboard();
    SetClipboardData(CF_TEXT, GlobalFromBytes(ansi.c_str(), ansi.size() + 1));
    SetClipboardData(CF_LOCALE, GlobalFromBytes(&russian, sizeof russian));
  }
  EXPECT_EQ(expected, kf::ClipboardSession(kf::ClipboardOwnerWindow()).ReadUnicodeText());
}

// --- other data ------------------------------------------------------------

TEST_F(ClipboardSnapshotTest, RegisteredFormatsComeBackByteForByte) {
  const UINT custom = RegisterClipboardFormatA("Kestrelfind Test Bytes");
  const UINT rtf = RegisterClipboardFormatA("Rich Text Format");
  const Bytes binary = {0, 1, 2, 0xFF, 0, 0x5C, 0x80, 0};
  const std::string richText = "{\\rtf1\\ansi {\\b bold}}";
  {
    OtherProgramClipboard open;
    EmptyClipboard();
    SetClipboardData(custom, GlobalFromBytes(binary.data(), binary.size()));
    SetClipboardData(rtf, GlobalFromBytes(richText.c_str(), richText.size() + 1));
  }
  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  Bytes custom_back = ReadBytes(custom);
  ASSERT_GE(custom_back.size(), binary.size());
  EXPECT_EQ(binary, Bytes(custom_back.begin(), custom_back.begin() + binary.size()));
  const Bytes rtf_back = ReadBytes(rtf);
  ASSERT_GT(rtf_back.size(), richText.size());
  EXPECT_EQ(richText, std::string(reinterpret_cast<const char*>(rtf_back.data())));
  EXPECT_FALSE(HasFormat(CF_TEXT)) << "the word read in between is gone again";
}

TEST_F(ClipboardSnapshotTest, CopiedFilesComeBack) {
  // DROPFILES followed by a double-NUL-terminated list of wide names.
  const std::wstring names = std::wstring(L"C:\\mail\\a.txt") + L'\0' + L"C:\\mail\\b.png" + L'\0' + L'\0';
  Bytes block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* drop = reinterpret_cast<DROPFILES*>(block.data());
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
  PutBytes(CF_HDROP, block);

  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  OtherProgramClipboard open;
  HDROP back = static_cast<HDROP>(GetClipboardData(CF_HDROP));
  ASSERT_NE(nullptr, back);
  ASSERT_EQ(2u, DragQueryFileW(back, 0xFFFFFFFF, nullptr, 0));
  wchar_t name[MAX_PATH];
  DragQueryFileW(back, 1, name, MAX_PATH);
  EXPECT_STREQ(L"C:\\mail\\b.png", name);
}

// A 3 x 2 bitmap of distinct colours, read back as 32-bit pixels.
std::vector<DWORD> PixelsOf(HBITMAP bitmap) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 3;
  info.bmiHeader.biHeight = -2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(6);
  HDC dc = GetDC(nullptr);
  const int rows = GetDIBits(dc, bitmap, 0, 2, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != 2)
    return {};
  for (DWORD& p : pixels)
    p &= 0xFFFFFF;
  return pixels;
}

HBITMAP MakeBitmap(const std::vector<DWORD>& pixels) {
  HDC dc = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 3, 2);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 3;
  info.bmiHeader.biHeight = -2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBits(dc, bitmap, 0, 2, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return bitmap;
}

TEST_F(ClipboardSnapshotTest, ABitmapComesBackPixelForPixel) {
  const std::vector<DWORD> pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
  HBITMAP bitmap = MakeBitmap(pixels);
  ASSERT_EQ(pixels, PixelsOf(bitmap));
  PutOnClipboard(CF_BITMAP, bitmap);

  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  const std::vector<UINT> formats = ListedFormats();
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(UINT(CF_BITMAP), formats.front()) << "not the DIB the system made from the bitmap";
  OtherProgramClipboard open;
  HBITMAP back = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(pixels, PixelsOf(back));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
}

TEST_F(ClipboardSnapshotTest, AnEnhancedMetafileComesBackRecordForRecord) {
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  Rectangle(dc, 1, 2, 30, 40);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 17, 23);
  HENHMETAFILE metafile = CloseEnhMetaFile(dc);
  Bytes bits(GetEnhMetaFileBits(metafile, 0, nullptr));
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bits.size()), bits.data());
  PutOnClipboard(CF_ENHMETAFILE, metafile);

  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  OtherProgramClipboard open;
  HENHMETAFILE back = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
  ASSERT_NE(nullptr, back);
  Bytes backBits(GetEnhMetaFileBits(back, 0, nullptr));
  GetEnhMetaFileBits(back, static_cast<UINT>(backBits.size()), backBits.data());
  EXPECT_EQ(bits, backBits);
}

TEST_F(ClipboardSnapshotTest, AMetafilePictureComesBackWithItsExtent) {
  HDC dc = CreateMetaFileA(nullptr);
  Ellipse(dc, 0, 0, 50, 25);
  HMETAFILE metafile = CloseMetaFile(dc);
  Bytes bits(GetMetaFileBitsEx(metafile, 0, nullptr));
  GetMetaFileBitsEx(metafile, static_cast<UINT>(bits.size()), bits.data());
  METAFILEPICT pict = {MM_ANISOTROPIC, 1234, 567, metafile};
  PutOnClipboard(CF_METAFILEPICT, GlobalFromBytes(&pict, sizeof pict));

  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  OtherProgramClipboard open;
  HANDLE back = GetClipboardData(CF_METAFILEPICT);
  ASSERT_NE(nullptr, back);
  const METAFILEPICT backPict = *static_cast<const METAFILEPICT*>(GlobalLock(back));
  GlobalUnlock(back);
  EXPECT_EQ(MM_ANISOTROPIC, backPict.mm);
  EXPECT_EQ(1234, backPict.xExt);
  EXPECT_EQ(567, backPict.yExt);
  Bytes backBits(GetMetaFileBitsEx(backPict.hMF, 0, nullptr));
  GetMetaFileBitsEx(backPict.hMF, static_cast<UINT>(backBits.size()), backBits.data());
  EXPECT_EQ(bits, backBits);
}

TEST_F(ClipboardSnapshotTest, APaletteComesBackEntryForEntry) {
  struct {
    LOGPALETTE head;
    PALETTEENTRY more[2];
  } logical = {{0x300, 3, {{10, 20, 30, 0}}}, {{40, 50, 60, 0}, {70, 80, 90, 0}}};
  PutOnClipboard(CF_PALETTE, CreatePalette(&logical.head));

  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  OtherProgramClipboard open;
  HPALETTE back = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
  ASSERT_NE(nullptr, back);
  PALETTEENTRY entries[4] = {};
  ASSERT_EQ(3u, GetPaletteEntries(back, 0, 4, entries));
  EXPECT_EQ(70, entries[2].peRed);
  EXPECT_EQ(80, entries[2].peGreen);
  EXPECT_EQ(90, entries[2].peBlue);
}

// --- what is left out ------------------------------------------------------

TEST_F(ClipboardSnapshotTest, OleLinkAndEmbeddingFormatsAreLeftOut) {
  const char* oleNames[] = {"Object Descriptor", "Embed Source", "Link Source", "Native", "OwnerLink",
                            "ObjectLink", "Link", "Embedded Object", "Link Source Descriptor"};
  const UINT keep = RegisterClipboardFormatA("Kestrelfind Test Bytes");
  std::vector<UINT> ole;
  {
    OtherProgramClipboard open;
    EmptyClipboard();
    for (const char* name : oleNames) {
      ole.push_back(RegisterClipboardFormatA(name));
      SetClipboardData(ole.back(), GlobalFromBytes("ole", 4));
    }
    SetClipboardData(keep, GlobalFromBytes("keep", 5));
  }
  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  for (size_t i = 0; i < ole.size(); ++i)
    EXPECT_FALSE(HasFormat(ole[i])) << oleNames[i];
  const Bytes kept = ReadBytes(keep);
  ASSERT_GE(kept.size(), 5u);
  EXPECT_STREQ("keep", reinterpret_cast<const char*>(kept.data()));
}

TEST_F(ClipboardSnapshotTest, PrivateAndGdiObjectFormatsAreLeftOut) {
  // Their handles mean something only to the program that put them there.
  EXPECT_FALSE(kf::IsSavableClipboardFormat(CF_PRIVATEFIRST));
  EXPECT_FALSE(kf::IsSavableClipboardFormat(CF_PRIVATELAST));
  EXPECT_FALSE(kf::IsSavableClipboardFormat(CF_GDIOBJFIRST));
  EXPECT_FALSE(kf::IsSavableClipboardFormat(CF_GDIOBJLAST));
  EXPECT_FALSE(kf::IsSavableClipboardFormat(CF_OWNERDISPLAY));
  EXPECT_TRUE(kf::IsSavableClipboardFormat(CF_DSPTEXT));

  {
    OtherProgramClipboard open;
    EmptyClipboard();
    SetClipboardData(CF_PRIVATEFIRST, GlobalFromBytes("private", 8));
    SetClipboardData(CF_UNICODETEXT, GlobalFromBytes(L"kept", 10));
  }
  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  EXPECT_FALSE(HasFormat(CF_PRIVATEFIRST));
  EXPECT_EQ(L"kept", ReadUnicodeText());
}

// A window whose delayed rendering fails: asked for its data, it gives none.
LRESULT CALLBACK NoRenderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_RENDERFORMAT || msg == WM_RENDERALLFORMATS)
    return 0;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(ClipboardSnapshotTest, AFormatItsOwnerCannotRenderIsSkipped) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = NoRenderProc;
  wc.hInstance = Self();
  wc.lpszClassName = "KfNoRenderOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Self(), nullptr);
  ASSERT_NE(nullptr, owner);
  const UINT lazy = RegisterClipboardFormatA("Kestrelfind Lazy");
  const UINT real = RegisterClipboardFormatA("Kestrelfind Test Bytes");
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardData(lazy, nullptr);
  SetClipboardData(real, GlobalFromBytes("real", 5));
  CloseClipboard();

  kf::ClipboardSnapshot snapshot;
  {
    const HWND owner = kf::ClipboardOwnerWindow();
    kf::ClipboardSession clipboard(owner);
    ASSERT_NO_THROW(snapshot.Save(clipboard));
    snapshot.Restore(clipboard);
  }
  EXPECT_FALSE(HasFormat(lazy));
  const Bytes back = ReadBytes(real);
  ASSERT_GE(back.size(), 5u);
  EXPECT_EQ(Bytes({'r', 'e', 'a', 'l', 0}), Bytes(back.begin(), back.begin() + 5));
  DestroyWindow(owner);
}

TEST_F(ClipboardSnapshotTest, AnEmptyClipboardIsEmptyAgainAfterRestore) {
  kf::ClipboardSnapshot snapshot;
  SaveOverwriteRestore(snapshot);
  EXPECT_EQ(0, FormatCount());
}

// --- opening ---------------------------------------------------------------

TEST(ClipboardSessionTest, WaitsForAProgramThatReleasesTheClipboardSoon) {
  const HWND owner = kf::ClipboardOwnerWindow();
  kft::clip::Holder holder(150);
  const DWORD start = GetTickCount();
  ASSERT_NO_THROW(kf::ClipboardSession clipboard(owner));
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, 100u);
  EXPECT_LT(waited, 500u);
}

TEST(ClipboardSessionTest, GivesUpInBoundedTimeWhenTheClipboardStaysBusy) {
  kft::clip::Holder holder(2000);
  const DWORD start = GetTickCount();
  try {
    const HWND owner = kf::ClipboardOwnerWindow();
    kf::ClipboardSession clipboard(owner);
    ADD_FAILURE() << "opened a clipboard another thread holds";
  } catch (const kf::Error& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("clipboard")) << e.what();
  }
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, kf::kClipboardOpenTimeoutMs - 20);
  EXPECT_LT(waited, kf::kClipboardOpenTimeoutMs + 500);
}

TEST(ClipboardSessionTest, OwnsTheClipboardThroughAHiddenWindowOfItsOwn) {
  const HWND ours = kf::ClipboardOwnerWindow();
  kf::ClipboardSession clipboard(ours);
  clipboard.Empty();
  HWND owner = GetClipboardOwner();
  EXPECT_EQ(ours, owner);
  ASSERT_NE(nullptr, owner);
  char cls[64] = "";
  GetClassNameA(owner, cls, sizeof cls);
  EXPECT_STREQ("KestrelfindClipboardWindow", cls);
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_EQ(Self(), reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(&DefWindowProcA), GetWindowLongPtrA(owner, GWLP_WNDPROC))
      << "nothing of the library runs through it: it may outlive the library";
  EXPECT_EQ(ours, kf::ClipboardOwnerWindow()) << "one window for every capture";
  kf::ReleaseClipboardOwner();
  EXPECT_FALSE(IsWindow(ours));
}

}  // namespace
