#include "Clipboard.h"

#include <cstring>

#include "Error.h"
#include "Handles.h"
#include "Module.h"
#include "TextIds.h"
#include "UiText.h"
#include "WideText.h"
#include "WindowClass.h"

namespace kf {

namespace {

// The clipboard's owner while the plug-in has put something there.
const WindowClassInfo kClipboardWindowClass = {"KestrelfindClipboardWindow", DefaultHandling::Window, IDC_ARROW,
                                               true};

// Registered formats whose data is a live link to an OLE object: asking for
// them makes the source application (Office in particular) serialise or
// re-link the object, and a copy put back without the OLE clipboard object
// behind it only confuses a later paste.
const char* const kOleFormatNames[] = {
    "Link",
    "OwnerLink",
    "ObjectLink",
    "Native",
    "Embedded Object",
    "Embed Source",
    "Link Source",
    "Link Source Descriptor",
    "Object Descriptor",
    "Ole Private Data",
    "DataObject",
};

// Formats the system renders from each other: of each group only the first
// one listed was put there by the program; the others come after it.
enum class SynthesisGroup { None, Text, Bitmap, Metafile };

// What kind of handle a format's data is.
enum class DataKind { Global, Bitmap, MetafilePict, EnhMetafile, Palette };

// The standard formats that belong to a group or whose data is no plain
// global memory; every other format is neither.
struct StandardFormat {
  UINT format;
  SynthesisGroup group;
  DataKind kind;
};
// clang-format off
constexpr StandardFormat kStandardFormats[] = {
    {CF_TEXT, SynthesisGroup::Text, DataKind::Global},     {CF_OEMTEXT, SynthesisGroup::Text, DataKind::Global},
    {CF_UNICODETEXT, SynthesisGroup::Text, DataKind::Global},
    {CF_BITMAP, SynthesisGroup::Bitmap, DataKind::Bitmap}, {CF_DIB, SynthesisGroup::Bitmap, DataKind::Global},
    {CF_DIBV5, SynthesisGroup::Bitmap, DataKind::Global},
    {CF_METAFILEPICT, SynthesisGroup::Metafile, DataKind::MetafilePict},
    {CF_ENHMETAFILE, SynthesisGroup::Metafile, DataKind::EnhMetafile},
    {CF_DSPBITMAP, SynthesisGroup::None, DataKind::Bitmap}, {CF_DSPMETAFILEPICT, SynthesisGroup::None, DataKind::MetafilePict},
    {CF_DSPENHMETAFILE, SynthesisGroup::None, DataKind::EnhMetafile}, {CF_PALETTE, SynthesisGroup::None, DataKind::Palette},
};
// clang-format on

const StandardFormat* StandardFormatOf(UINT format) {
  for (const StandardFormat& standard : kStandardFormats) {
    if (standard.format == format)
      return &standard;
  }
  return nullptr;
}

SynthesisGroup GroupOf(UINT format) {
  const StandardFormat* standard = StandardFormatOf(format);
  return standard ? standard->group : SynthesisGroup::None;
}

DataKind KindOf(UINT format) {
  const StandardFormat* standard = StandardFormatOf(format);
  return standard ? standard->kind : DataKind::Global;
}

bool IsOleFormatName(const std::string& name) {
  for (const char* ole : kOleFormatNames) {
    if (lstrcmpiA(name.c_str(), ole) == 0)
      return true;
  }
  return false;
}

void FreeData(DataKind kind, HANDLE data) {
  switch (kind) {
    case DataKind::Global:
      GlobalFree(data);
      break;
    case DataKind::Bitmap:
    case DataKind::Palette:
      DeleteObject(data);
      break;
    case DataKind::EnhMetafile:
      DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
      break;
    case DataKind::MetafilePict: {
      HGLOBAL global = static_cast<HGLOBAL>(data);
      if (auto* pict = static_cast<METAFILEPICT*>(GlobalLock(global))) {
        DeleteMetaFile(pict->hMF);
        GlobalUnlock(global);
      }
      GlobalFree(global);
      break;
    }
  }
}

Error CopyFailure(UINT format) {
  return Error(UiText(IDS_CLIPBOARD_NO_MEMORY, {std::to_string(format)}));
}

// Byte for byte, into memory the clipboard can take over.
HANDLE CopyGlobal(HGLOBAL source) {
  GlobalLockGuard from(source);
  if (!from.Get())
    return nullptr;
  const SIZE_T size = from.Size();
  GlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE, size ? size : 1));
  if (!copy)
    return nullptr;
  GlobalLockGuard to(copy.Get());
  if (!to.Get())
    return nullptr;
  std::memcpy(to.Get(), from.Get(), size);
  return copy.Detach();
}

HANDLE CopyMetafilePict(HGLOBAL source) {
  GlobalLockGuard from(source);
  if (!from.Get() || from.Size() < sizeof(METAFILEPICT))
    return nullptr;
  METAFILEPICT pict = *static_cast<const METAFILEPICT*>(from.Get());
  HMETAFILE metafile = CopyMetaFileA(pict.hMF, nullptr);
  if (!metafile)
    return nullptr;
  GlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT)));
  GlobalLockGuard to(copy.Get());
  if (!to.Get()) {
    DeleteMetaFile(metafile);
    return nullptr;
  }
  pict.hMF = metafile;
  std::memcpy(to.Get(), &pict, sizeof pict);
  return copy.Detach();
}

HANDLE CopyPalette(HPALETTE source) {
  WORD count = 0;
  if (!GetObjectA(source, sizeof count, &count) || count == 0)
    return nullptr;
  std::vector<BYTE> buffer(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = count;
  if (GetPaletteEntries(source, 0, count, palette->palPalEntry) != count)
    return nullptr;
  return CreatePalette(palette);
}

HANDLE CopyData(DataKind kind, HANDLE source) {
  switch (kind) {
    case DataKind::Global:
      return CopyGlobal(static_cast<HGLOBAL>(source));
    case DataKind::Bitmap:
      return CopyImage(source, IMAGE_BITMAP, 0, 0, 0);
    case DataKind::MetafilePict:
      return CopyMetafilePict(static_cast<HGLOBAL>(source));
    case DataKind::EnhMetafile:
      return CopyEnhMetaFileA(static_cast<HENHMETAFILE>(source), nullptr);
    case DataKind::Palette:
      return CopyPalette(static_cast<HPALETTE>(source));
  }
  return nullptr;
}

}  // namespace

bool IsSavableClipboardFormat(UINT format) {
  if (format >= 0xC000 && format <= 0xFFFF) {
    char name[256];
    const int n = GetClipboardFormatNameA(format, name, ARRAYSIZE(name));
    return n > 0 && !IsOleFormatName(std::string(name, static_cast<std::size_t>(n)));
  }
  switch (format) {
    case CF_TEXT:
    case CF_BITMAP:
    case CF_METAFILEPICT:
    case CF_SYLK:
    case CF_DIF:
    case CF_TIFF:
    case CF_OEMTEXT:
    case CF_DIB:
    case CF_PALETTE:
    case CF_PENDATA:
    case CF_RIFF:
    case CF_WAVE:
    case CF_UNICODETEXT:
    case CF_ENHMETAFILE:
    case CF_HDROP:
    case CF_LOCALE:
    case CF_DIBV5:
    case CF_DSPTEXT:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE:
      return true;
    default:
      // CF_OWNERDISPLAY and the private and GDI-object ranges hold handles
      // that only their owner can interpret; unknown numbers likewise.
      return false;
  }
}

// ---------------------------------------------------------------------------

namespace {

WindowHandle& TheOwnerWindow() { return Resident<WindowHandle>(); }

}  // namespace

HWND ClipboardOwnerWindow() {
  WindowHandle& window = TheOwnerWindow();
  if (window && IsWindow(window.Get()))
    return window.Get();
  RegisterWindowClass(kClipboardWindowClass);
  window.Attach(CreateWindowExA(0, kClipboardWindowClass.name, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(),
                                nullptr));
  if (!window)
    throw Error(UiText(IDS_CLIPBOARD_NO_WINDOW));
  return window.Get();
}

void ReleaseClipboardOwner() noexcept { TheOwnerWindow().Close(); }

ClipboardSession::ClipboardSession(HWND owner, DWORD timeoutMs) : open_(owner, timeoutMs) {
  if (!open_.IsOpen())
    throw Error(UiText(IDS_CLIPBOARD_BUSY));
}

void ClipboardSession::Empty() {
  if (!EmptyClipboard())
    throw Error(UiText(IDS_CLIPBOARD_NOT_EMPTIED));
}

namespace {

// The text of a clipboard format up to its first NUL, never past the end of
// its memory (a program may put text without one).
template <typename Char>
std::basic_string<Char> ReadTextFormat(UINT format) {
  HANDLE data = GetClipboardData(format);
  if (!data)
    return {};
  GlobalLockGuard lock(data);
  if (!lock.Get())
    return {};
  const Char* text = static_cast<const Char*>(lock.Get());
  const SIZE_T units = lock.Size() / sizeof(Char);
  SIZE_T n = 0;
  while (n < units && text[n] != Char())
    ++n;
  return std::basic_string<Char>(text, n);
}

}  // namespace

std::string ClipboardSession::ReadText() const { return ReadTextFormat<char>(CF_TEXT); }

std::wstring ClipboardSession::ReadUnicodeText() const {
  // The first text format listed is the one the program put there; the
  // others are made from it.
  UINT original = 0;
  for (UINT format = EnumClipboardFormats(0); format != 0 && !original; format = EnumClipboardFormats(format)) {
    if (GroupOf(format) == SynthesisGroup::Text)
      original = format;
  }
  if (original == CF_TEXT)
    return AnsiToWide(ReadText());
  return ReadTextFormat<wchar_t>(CF_UNICODETEXT);
}

bool ClipboardSession::Put(UINT format, HANDLE data) {
  return SetClipboardData(format, data) != nullptr;
}

// ---------------------------------------------------------------------------

struct ClipboardSnapshot::Item {
  UINT format;
  DataKind kind;
  HANDLE data;

  Item(UINT f, DataKind k, HANDLE d) : format(f), kind(k), data(d) {}
  ~Item() {
    if (data)
      FreeData(kind, data);
  }
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;
};

ClipboardSnapshot::ClipboardSnapshot() = default;
ClipboardSnapshot::~ClipboardSnapshot() = default;

void ClipboardSnapshot::Save(const ClipboardSession&) {
  items_.clear();
  bool groupTaken[4] = {};
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    const SynthesisGroup group = GroupOf(format);
    if (groupTaken[static_cast<int>(group)])
      continue;
    if (!IsSavableClipboardFormat(format))
      continue;
    HANDLE source = GetClipboardData(format);
    if (!source)
      continue;  // its owner could not render it: there is nothing to keep
    const DataKind kind = KindOf(format);
    HANDLE copy = CopyData(kind, source);
    if (!copy)
      throw CopyFailure(format);
    items_.push_back(std::make_unique<Item>(format, kind, copy));
    if (group != SynthesisGroup::None)
      groupTaken[static_cast<int>(group)] = true;
  }
}

void ClipboardSnapshot::Restore(ClipboardSession& clipboard) {
  clipboard.Empty();
  int refused = 0;
  for (const auto& item : items_) {
    if (clipboard.Put(item->format, item->data))
      item->data = nullptr;  // the clipboard owns it now
    else
      ++refused;
  }
  items_.clear();
  if (refused)
    throw Error(UiText(IDS_CLIPBOARD_NOT_RESTORED, {std::to_string(refused)}));
}

}  // namespace kf
