// The order of the menu's engines: the platform's file-name order, as the
// user's locale collates names.
#pragma once

#include <cstddef>
#include <vector>

#include "MenuCommands.h"

namespace kf {

// The order of items[first..last] (inclusive) by caption in the platform's
// file-name order: single-byte characters folded to lower case (double-byte
// ones left alone), then the user locale's collation. order[k] is the place,
// counted from first, of the item that goes k-th.
std::vector<std::size_t> CaptionOrder(const std::vector<MenuEngine>& items, std::size_t first, std::size_t last);

// Whether order (counted from first, as CaptionOrder's) puts the items in
// the order CaptionOrder gives: one comparison of neighbours, no sort.
bool IsCaptionOrder(const std::vector<MenuEngine>& items, std::size_t first, const std::vector<std::size_t>& order);

// Puts items[first..first + order.size()) in order (CaptionOrder's).
void ApplyOrder(std::vector<MenuEngine>& items, std::size_t first, const std::vector<std::size_t>& order);

// Sorts items[first..last] (inclusive) by caption: CaptionOrder, applied.
void SortByCaption(std::vector<MenuEngine>& items, std::size_t first, std::size_t last);

}  // namespace kf
