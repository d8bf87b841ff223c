#include "TreeDrag.h"

#include <commctrl.h>

#include <utility>

namespace kf {

namespace {

constexpr UINT kAutoScrollInterval = 400;

}  // namespace

void TreeDrag::Begin(Item item, HWND sourceWindow, HWND tree, HWND timerOwner, POINT pointer) {
  End();
  item_ = std::move(item);
  sourceWindow_ = sourceWindow;
  tree_ = tree;
  timerOwner_ = timerOwner;
  pointer_ = pointer;
  moved_ = false;
  SetCapture(sourceWindow_);
  SetCursor(LoadCursor(nullptr, item_.source == Source::Tree ? IDC_ARROW : IDC_NO));
  SetTimer(timerOwner_, kAutoScrollTimer, kAutoScrollInterval, nullptr);
}

void TreeDrag::End() {
  if (!Active())
    return;
  // Idle first: giving up the capture reports back to the source window,
  // which asks whether a drag is still under way.
  item_ = Item();
  KillTimer(timerOwner_, kAutoScrollTimer);
  TreeView_SelectDropTarget(tree_, nullptr);
  if (GetCapture() == sourceWindow_)
    ReleaseCapture();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  sourceWindow_ = tree_ = timerOwner_ = nullptr;
}

}  // namespace kf
