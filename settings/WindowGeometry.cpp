#include "WindowGeometry.h"

#include <algorithm>
#include <utility>

#include "Profile.h"
#include "WorkArea.h"

namespace kf {

namespace {

const char kLeft[] = "left";
const char kTop[] = "top";
const char kWidth[] = "width";
const char kHeight[] = "height";
const char kTreeWidth[] = "FolderWidth";

BOOL CALLBACK FindWorkAreaMeeting(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
  auto* wanted = reinterpret_cast<std::pair<RECT, bool>*>(param);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  RECT common;
  if (GetMonitorInfoA(monitor, &info) && IntersectRect(&common, &info.rcWork, &wanted->first)) {
    wanted->second = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

RECT OntoAMonitor(const RECT& rect) {
  std::pair<RECT, bool> search(rect, false);
  EnumDisplayMonitors(nullptr, nullptr, FindWorkAreaMeeting, reinterpret_cast<LPARAM>(&search));
  if (search.second)
    return rect;
  const RECT work = WorkAreaOf(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
  // Made to fit first, so that all of it is seen.
  const LONG width = std::min(rect.right - rect.left, work.right - work.left);
  const LONG height = std::min(rect.bottom - rect.top, work.bottom - work.top);
  return MovedInto({rect.left, rect.top, rect.left + width, rect.top + height}, work);
}

FormPlacement ReadFormPlacement(const std::string& iniPath, const FormPlacement& fallback, SIZE minimum) {
  // One read of the file for the five values.
  const ProfileSection section(iniPath, kGeneralSection);
  const auto read = [&section](const char* key, int value) {
    // Negative positions are kept: a dialog may sit left of or above the
    // primary monitor.
    return ProfileInt(section.Value(key), value);
  };
  const int left = read(kLeft, fallback.rect.left);
  const int top = read(kTop, fallback.rect.top);
  const int width = std::max(read(kWidth, fallback.rect.right - fallback.rect.left), static_cast<int>(minimum.cx));
  const int height = std::max(read(kHeight, fallback.rect.bottom - fallback.rect.top), static_cast<int>(minimum.cy));
  return {OntoAMonitor({left, top, left + width, top + height}), std::max(0, read(kTreeWidth, fallback.treeWidth))};
}

void WriteFormPlacement(const std::string& iniPath, const FormPlacement& placement) {
  const auto write = [&iniPath](const char* key, int value) {
    const std::string text = std::to_string(value);
    WriteProfileValue(iniPath, kGeneralSection, key, &text);
  };
  write(kLeft, placement.rect.left);
  write(kTop, placement.rect.top);
  write(kWidth, placement.rect.right - placement.rect.left);
  write(kHeight, placement.rect.bottom - placement.rect.top);
  write(kTreeWidth, placement.treeWidth);
}

}  // namespace kf
