#include "SettingForm.h"

namespace kf {

void ShowSettingForm(const std::string&, const std::string&) {}

}  // namespace kf
