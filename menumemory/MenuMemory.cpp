#include "MenuMemory.h"

#include <vector>

#include "Handles.h"
#include "MenuIndex.h"
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
      CompareFileTime(&found->second.written, &entry.written) == 0 && found->second.size == entry.size) {
    found->second.seen = true;
    return found->second.traits;
  }
  const EngineMenuTraits traits = ReadMenuTraits(path);
  remembered_[path] = Remembered{entry.written, entry.size, SettledNow(entry.written), true, traits};
  changed_ = true;
  return traits;
}

namespace {

FILETIME FileTimeOf(unsigned long long ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The whole file, or "" when it cannot be read (or is larger than any index
// of a store the menu can show).
std::string ReadWholeFile(const std::string& path) {
  constexpr LONGLONG kMostBytes = 64LL * 1024 * 1024;
  const FileHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMostBytes)
    return std::string();
  std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!text.empty() && (!ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
                        read != text.size()))
    return std::string();
  return text;
}

// Written whole under a temporary name and put in place in one step: a
// library ended while writing leaves the old index or none, never half of one.
bool WriteWholeFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".new";
  bool written = false;
  {
    const FileHandle file(
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    written = file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
              done == text.size();
  }
  if (written && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
    return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace

void MenuMemory::Recall(const std::string& indexPath, const std::string& storeDir) {
  std::vector<IndexedEngine> engines;
  if (!ParseMenuIndex(ReadWholeFile(indexPath), storeDir, engines)) {
    changed_ = true;  // what is there is of no use: the next Keep replaces it
    return;
  }
  for (const IndexedEngine& engine : engines) {
    const Remembered remembered{FileTimeOf(engine.written), engine.size, true, false,
                                EngineMenuTraits{engine.favourite, engine.accessKey}};
    if (remembered_.emplace(storeDir + engine.relativePath, remembered).second)
      ++recalled_;
  }
}

bool MenuMemory::Keep(const std::string& indexPath, const std::string& storeDir) {
  std::vector<IndexedEngine> engines;
  bool anySeen = false;
  for (const auto& [path, remembered] : remembered_) {
    anySeen = anySeen || remembered.seen;
    // What no menu listed since the load may be gone: it is read again when
    // it shows up.
    if (!remembered.settled || !remembered.seen || path.compare(0, storeDir.size(), storeDir) != 0)
      continue;
    IndexedEngine engine;
    engine.relativePath = path.substr(storeDir.size());
    engine.written = (static_cast<unsigned long long>(remembered.written.dwHighDateTime) << 32) |
                     remembered.written.dwLowDateTime;
    engine.size = remembered.size;
    engine.favourite = remembered.traits.favourite;
    engine.accessKey = remembered.traits.accessKey;
    engines.push_back(std::move(engine));
  }
  // Unchanged, or no menu this time to tell what is still there: the index
  // stays as it is.
  if (!changed_ && (!anySeen || engines.size() == recalled_))
    return true;
  if (!WriteWholeFile(indexPath, FormatMenuIndex(storeDir, engines)))
    return false;
  changed_ = false;
  recalled_ = engines.size();
  return true;
}

const std::vector<std::size_t>* MenuMemory::OrderOf(const std::string& folderPath,
                                                   const std::string& listedNames) const {
  const auto found = orders_.find(folderPath);
  return found != orders_.end() && found->second.listedNames == listedNames ? &found->second.order : nullptr;
}

void MenuMemory::KeepOrder(const std::string& folderPath, std::string listedNames, std::vector<std::size_t> order) {
  orders_[folderPath] = Order{std::move(listedNames), std::move(order)};
}

}  // namespace kf
