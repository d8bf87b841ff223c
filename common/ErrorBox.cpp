#include "ErrorBox.h"

#include <new>

#include "TextIds.h"
#include "UiText.h"
#include "WideText.h"

namespace kf {

namespace {

// Every box of the plug-in is captioned with its name, in either language,
// so that the user knows who speaks without a prefix in the text.
const wchar_t kBoxCaption[] = L"Kestrelfind";

HWND LiveOwner(HWND owner) { return owner && IsWindow(owner) ? owner : nullptr; }

}  // namespace

void ShowErrorBox(HWND owner, const std::string& message) {
  MessageBoxW(LiveOwner(owner), AnsiToWide(message).c_str(), kBoxCaption, MB_OK | MB_ICONWARNING);
}

std::string CurrentExceptionText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return UiText(IDS_OUT_OF_MEMORY);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return UiText(IDS_UNEXPECTED_FAILURE);
  }
}

void ShowCurrentException(HWND owner) noexcept {
  try {
    ShowErrorBox(owner, CurrentExceptionText());
  } catch (...) {
    // Reporting failed too (no memory left): stay silent rather than let it
    // reach the host.
  }
}

bool Confirm(HWND owner, const std::string& question) {
  return MessageBoxW(LiveOwner(owner), AnsiToWide(question).c_str(), kBoxCaption, MB_OKCANCEL | MB_ICONQUESTION) ==
         IDOK;
}

}  // namespace kf
