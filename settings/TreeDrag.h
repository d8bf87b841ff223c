// A drag of an engine from the engine list, or of a folder from the folder
// tree, onto a folder of the tree: from its start to its drop or cancel.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

class TreeDrag {
 public:
  enum class Source { None, Tree, List };

  // What is dragged, recorded when the drag starts: whatever the selection
  // does meanwhile, the drop moves this.
  struct Item {
    Source source = Source::None;
    std::string folderPath;  // the dragged folder, or the folder of the dragged engine
    std::string engineName;  // the dragged engine; "" for a folder
  };

  // The auto-scroll timer's id on the window that owns it.
  static constexpr UINT_PTR kAutoScrollTimer = 1;

  TreeDrag() = default;
  ~TreeDrag() { End(); }
  TreeDrag(const TreeDrag&) = delete;
  TreeDrag& operator=(const TreeDrag&) = delete;

  // Starts a drag of item from sourceWindow (which takes the pointer) over
  // tree; the auto-scroll timer runs on timerOwner. pointer is the starting
  // position in the tree's client coordinates.
  void Begin(Item item, HWND sourceWindow, HWND tree, HWND timerOwner, POINT pointer);
  // Ends the drag, by a drop or a cancel: the timer, the pointer capture,
  // the tree's drop highlight and the cursor. Does nothing when idle.
  void End();

  bool Active() const { return item_.source != Source::None; }
  const Item& Dragged() const { return item_; }

  // The pointer moved over the tree, to a point in its client coordinates.
  void PointerMoved(POINT pointer) {
    pointer_ = pointer;
    moved_ = true;
  }
  POINT Pointer() const { return pointer_; }
  // Whether the pointer moved since the last call: a moving pointer is
  // aiming, a resting one near an edge wants the tree scrolled.
  bool TakeMoved() {
    const bool moved = moved_;
    moved_ = false;
    return moved;
  }

 private:
  Item item_;
  HWND sourceWindow_ = nullptr;
  HWND tree_ = nullptr;
  HWND timerOwner_ = nullptr;
  POINT pointer_ = {0, 0};
  bool moved_ = false;
};

}  // namespace kf
