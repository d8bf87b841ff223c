#include "WorkArea.h"

#include <algorithm>

namespace kf {

RECT WorkAreaOf(HMONITOR monitor) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  return info.rcWork;
}

RECT MovedInto(const RECT& rect, const RECT& area) {
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  const LONG left = std::max(area.left, std::min(rect.left, area.right - width));
  const LONG top = std::max(area.top, std::min(rect.top, area.bottom - height));
  return {left, top, left + width, top + height};
}

}  // namespace kf
