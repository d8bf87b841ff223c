#include "MenuCommands.h"

#include <algorithm>

namespace kf {

MenuCommands gMenuCommands;

std::vector<MenuEngine> MenuCommands::EnginesOf(WORD id) const {
  std::vector<MenuEngine> found;
  for (const MenuEngine& entry : engines) {
    if (LOWORD(entry.commandId) == id)
      found.push_back(entry);
  }
  return found;
}

std::vector<MenuEngine> MenuCommands::SearchAllEnginesOf(WORD id) const {
  for (const SearchAllItem& item : searchAll) {
    if (LOWORD(item.commandId) == id && item.first + item.count <= engines.size())
      return std::vector<MenuEngine>(engines.begin() + static_cast<std::ptrdiff_t>(item.first),
                                     engines.begin() + static_cast<std::ptrdiff_t>(item.first + item.count));
  }
  return {};
}

std::vector<MenuEngine> MenuCommands::PopupEngines() const {
  const std::size_t count = std::min(popupEngineCount, engines.size());
  return std::vector<MenuEngine>(engines.begin(), engines.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace kf
