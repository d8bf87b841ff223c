#include "MenuMemory.h"

#include "Profile.h"

namespace kf {

namespace {

// The coarsest last-write time a Windows file system keeps (FAT: 2 seconds),
// in the 100-nanosecond units of FILETIME.
constexpr ULONGLONG kTimeResolution = 2ULL * 10000000ULL;

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Whether a file written at written, read now, may still change within the
// same recorded time.
bool SettledNow(const FILETIME& written) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG readAt = Ticks(now);
  const ULONGLONG writtenAt = Ticks(written);
  return writtenAt < readAt && readAt - writtenAt >= kTimeResolution;
}

}  // namespace

EngineMenuTraits ReadMenuTraits(const std::string& path) {
  // One read of the file for both keys: the profile layer reads the whole
  // file for every value asked for.
  const ProfileSection section(path, kGeneralSection);
  EngineMenuTraits traits;
  traits.favourite = section.Value(kPinKey) == "1";
  traits.accessKey = AccessKeyOf(section.Value(kAccessKey));
  return traits;
}

EngineMenuTraits MenuMemory::TraitsOf(const std::string& path, const StoreEntry& entry) {
  auto found = remembered_.find(path);
  if (found != remembered_.end() && found->second.settled &&
      CompareFileTime(&found->second.written, &entry.written) == 0 && found->second.size == entry.size)
    return found->second.traits;
  const EngineMenuTraits traits = ReadMenuTraits(path);
  remembered_[path] = Remembered{entry.written, entry.size, SettledNow(entry.written), traits};
  return traits;
}

}  // namespace kf
