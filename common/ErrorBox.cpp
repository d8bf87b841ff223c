#include "ErrorBox.h"

#include <new>

#include "TextIds.h"
#include "UiText.h"
#include "WideText.h"

namespace kf {

namespace {

HWND LiveOwner(HWND owner) { return owner && IsWindow(owner) ? owner : nullptr; }

}  // namespace

// The captions are the platform's own words, so they follow the user
// interface language, not the ANSI code page; the wide API shows them right
// under either code page.
void ShowErrorBox(HWND owner, const std::string& message) {
  MessageBoxW(LiveOwner(owner), AnsiToWide(UiText(IDS_ERROR_PREFIX) + message).c_str(),
              UiTextWide(IDS_WARNING_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
}

void ShowCurrentException(HWND owner) noexcept {
  try {
    try {
      throw;
    } catch (const std::bad_alloc&) {
      ShowErrorBox(owner, UiText(IDS_OUT_OF_MEMORY));
    } catch (const std::exception& e) {
      ShowErrorBox(owner, e.what());
    } catch (...) {
      ShowErrorBox(owner, UiText(IDS_UNEXPECTED_FAILURE));
    }
  } catch (...) {
    // Reporting failed too (no memory left): stay silent rather than let it
    // reach the host.
  }
}

bool Confirm(HWND owner, const std::string& question) {
  return MessageBoxW(LiveOwner(owner), AnsiToWide(question).c_str(), UiTextWide(IDS_CONFIRM_CAPTION).c_str(),
                     MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

}  // namespace kf
