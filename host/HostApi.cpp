#include "HostApi.h"

namespace kfhost {
namespace {

struct ApiState {
  std::string version = "2.81.05";
  int versionCalls = 0;
  int otherCalls = 0;
  UINT nextId = 40000;
  std::vector<Registration> registrations;
};

ApiState& State() {
  static ApiState state;
  return state;
}

// Low words the host keeps for itself: no command, its copy command and its
// own menu commands.
bool IsReservedId(UINT id) {
  const UINT low = id & 0xFFFF;
  return low == 0 || low == kCopySelectionCommand || low >= kFirstHostCommandId;
}

}  // namespace

void SetHostVersion(const std::string& version) { State().version = version; }
const std::string& HostVersion() { return State().version; }

int VersionCallCount() { return State().versionCalls; }
int OtherApiCallCount() { return State().otherCalls; }
void ResetApiCallCounts() {
  State().versionCalls = 0;
  State().otherCalls = 0;
}

const std::vector<Registration>& Registrations() { return State().registrations; }

void ClearRegistrations() { State().registrations.clear(); }

const Registration* FindRegistration(UINT id) {
  const auto& all = State().registrations;
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (it->id == id)
      return &*it;
  return nullptr;
}

const Registration* FindRegistrationByLowWord(WORD id) {
  const auto& all = State().registrations;
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (LOWORD(it->id) == id)
      return &*it;
  return nullptr;
}

void SetNextCommandId(UINT id) { State().nextId = id; }

// Called by the exports; not part of the public header.
const char* AnswerVersion() {
  ++State().versionCalls;
  return State().version.c_str();
}

void CountOtherCall() { ++State().otherCalls; }

UINT AddRegistration(const char* text, int type, CommandCallback callback) {
  ApiState& s = State();
  UINT id = s.nextId;
  while (IsReservedId(id))
    ++id;
  s.nextId = id + 1;
  s.registrations.push_back(Registration{id, text ? text : "", type, callback});
  return id;
}

}  // namespace kfhost
