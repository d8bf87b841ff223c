#include "SearchMenu.h"

namespace kf {

void AttachSearchMenu(HMENU, int) {}

}  // namespace kf
