// The order of the menu's engines: the platform's file-name order, as the
// user's locale collates names.
#pragma once

#include <cstddef>
#include <vector>

#include "MenuCommands.h"

namespace kf {

// Sorts items[first..last] (inclusive) by caption in the platform's
// file-name order: single-byte characters folded to lower case (double-byte
// ones left alone), then the user locale's collation.
void SortByCaption(std::vector<MenuEngine>& items, std::size_t first, std::size_t last);

}  // namespace kf
