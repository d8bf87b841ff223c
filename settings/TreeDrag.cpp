#include "TreeDrag.h"

#include <commctrl.h>

namespace kf {

namespace {

constexpr UINT kAutoScrollInterval = 400;

}  // namespace

void TreeDrag::Begin(Source source, HWND sourceWindow, HWND tree, HWND timerOwner, POINT pointer) {
  End();
  source_ = source;
  sourceWindow_ = sourceWindow;
  tree_ = tree;
  timerOwner_ = timerOwner;
  pointer_ = pointer;
  moved_ = false;
  SetCapture(sourceWindow_);
  SetCursor(LoadCursor(nullptr, source == Source::Tree ? IDC_ARROW : IDC_NO));
  SetTimer(timerOwner_, kAutoScrollTimer, kAutoScrollInterval, nullptr);
}

void TreeDrag::End() {
  if (!Active())
    return;
  // Idle first: giving up the capture reports back to the source window,
  // which asks whether a drag is still under way.
  source_ = Source::None;
  KillTimer(timerOwner_, kAutoScrollTimer);
  TreeView_SelectDropTarget(tree_, nullptr);
  if (GetCapture() == sourceWindow_)
    ReleaseCapture();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  sourceWindow_ = tree_ = timerOwner_ = nullptr;
}

}  // namespace kf
