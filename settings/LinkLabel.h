// The about panel's homepage address, drawn as a link: blue, underlined by
// hand (a font's own underline may fall below a label only as tall as its
// text), its letters narrowed rather than the address cut off where the
// label is too short for it.
#pragma once

#include <windows.h>

#include "Handles.h"

namespace kf {

class LinkLabel {
 public:
  // The owner-drawn label's WM_DRAWITEM, in font at dpi.
  void Draw(const DRAWITEMSTRUCT& item, HFONT font, int dpi);

 private:
  GdiObject narrowFont_;  // made when first needed
};

}  // namespace kf
