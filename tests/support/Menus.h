// Reading menus back in tests: the tree, its text form and lookup by caption
// path come from the host core (MenuTree.h); this adds what tests ask often.
#pragma once

#include <string>
#include <vector>

#include "MenuTree.h"

namespace kft {

using kfhost::FindMenuItem;
using kfhost::MenuItem;
using kfhost::MenuToText;
using kfhost::ReadMenu;

// The captions of one level, UTF-8, separators as "----".
std::vector<std::string> Captions(const std::vector<MenuItem>& items);

}  // namespace kft
