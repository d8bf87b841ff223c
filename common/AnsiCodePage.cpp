#include <windows.h>

#include "Path.h"

namespace kf {

bool IsAnsiLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

}  // namespace kf
