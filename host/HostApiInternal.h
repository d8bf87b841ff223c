// What the exported BKA_* functions reach inside the host core.
#pragma once

#include "HostApi.h"

namespace kfhost {

const char* AnswerVersion();
void CountOtherCall();
UINT AddRegistration(const char* text, int type, CommandCallback callback);

}  // namespace kfhost
