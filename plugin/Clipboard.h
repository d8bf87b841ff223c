// The clipboard as the search command uses it: opened through a hidden window
// of our own, and saved whole before the host's copy overwrites it, so that
// the user gets back everything that was there (images, files, rich and
// Unicode text), not just its plain text.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Handles.h"

namespace kf {

// How long another program may keep the clipboard open before we give up.
constexpr DWORD kClipboardOpenTimeoutMs = 500;

// The plug-in's window for the clipboard: a hidden message-only window of
// its own, so that emptying the clipboard makes us, not the host's window,
// its owner. Made at the first capture and kept until the library goes
// (ReleaseClipboardOwner): under Wine, making and destroying a window cost
// more than the rest of a capture. It has the system's own window
// procedure, so that nothing of the library runs through it, and a host
// that frees the library without BKC_OnExit leaves only an idle window.
// Throws kf::Error when the window cannot be made.
HWND ClipboardOwnerWindow();
void ReleaseClipboardOwner() noexcept;

// The clipboard, open with the owner window for the life of the object.
class ClipboardSession {
 public:
  // Retries while another program holds the clipboard open, up to
  // timeoutMs; then throws kf::Error.
  explicit ClipboardSession(HWND owner, DWORD timeoutMs = kClipboardOpenTimeoutMs);
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

  // Throws kf::Error when the clipboard refuses.
  void Empty();
  // The CF_TEXT text up to its first NUL; "" when there is none.
  std::string ReadText() const;
  // The clipboard's text as Unicode, up to its first NUL; L"" when there is
  // none. Text put as CF_TEXT is converted from the system code page here:
  // the system's own CF_UNICODETEXT for it follows the keyboard language
  // active when it was put, which need not be the code page of the text.
  std::wstring ReadUnicodeText() const;
  // Hands data to the clipboard; false (data still ours) when refused.
  bool Put(UINT format, HANDLE data);

 private:
  OpenClipboardScope open_;
};

// A copy of every clipboard format that can be copied and put back. Left
// out: formats the system makes from another one on the clipboard (they come
// back by themselves), owner-display and private handle formats whose
// meaning only their owner knows, and the OLE link and embedding formats,
// which make some editors serve the whole object when asked for them.
class ClipboardSnapshot {
 public:
  ClipboardSnapshot();
  ~ClipboardSnapshot();
  ClipboardSnapshot(const ClipboardSnapshot&) = delete;
  ClipboardSnapshot& operator=(const ClipboardSnapshot&) = delete;

  // Copies the formats of the open clipboard. Throws kf::Error when one that
  // should be kept cannot be copied (no memory): better no search than a
  // search that loses the user's data.
  void Save(const ClipboardSession& clipboard);
  // Empties the clipboard and puts every saved format back, in the order
  // saved; the saved copies go to the clipboard. Throws kf::Error naming the
  // count of formats the clipboard refused.
  void Restore(ClipboardSession& clipboard);

 private:
  struct Item;
  std::vector<std::unique_ptr<Item>> items_;
};

// Whether a format is worth saving at all, by its number and, for
// registered formats, its name (the OLE formats are refused by name).
bool IsSavableClipboardFormat(UINT format);

}  // namespace kf
