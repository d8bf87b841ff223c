#include "MenuMemory.h"

#include <vector>

#include "Handles.h"
#include "MenuIndex.h"
#include "Path.h"
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
  for (IndexedEngine& engine : engines) {
    const Remembered remembered{FileTimeOf(engine.written), engine.size, true, false,
                                EngineMenuTraits{engine.favourite, engine.accessKey}};
    std::string path = storeDir + engine.relativePath;
    const std::string folder = ExtractFilePath(path);
    recalledOrders_[folder].push_back(path.substr(folder.size()));
    if (remembered_.emplace(std::move(path), remembered).second)
      ++recalled_;
  }
}

namespace {

IndexedEngine IndexEntry(const std::string& relativePath, const FILETIME& written, ULONGLONG size,
                         const EngineMenuTraits& traits) {
  IndexedEngine engine;
  engine.relativePath = relativePath;
  engine.written = (static_cast<unsigned long long>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  engine.size = size;
  engine.favourite = traits.favourite;
  engine.accessKey = traits.accessKey;
  return engine;
}

// The NUL-ended names of listedNames, in order.
std::vector<std::string_view> SplitNames(const std::string& listedNames) {
  std::vector<std::string_view> names;
  for (std::size_t start = 0, end; (end = listedNames.find('\0', start)) != std::string::npos; start = end + 1)
    names.emplace_back(listedNames.data() + start, end - start);
  return names;
}

}  // namespace

bool MenuMemory::Keep(const std::string& indexPath, const std::string& storeDir) {
  // What no menu listed since the load may be gone: it is read again when it
  // shows up. The rest goes in folder by folder, each in its menu order.
  const auto keeps = [&storeDir](const std::string& path, const Remembered& remembered) {
    return remembered.settled && remembered.seen && path.compare(0, storeDir.size(), storeDir) == 0;
  };
  std::vector<IndexedEngine> engines;
  std::unordered_map<std::string, bool> written;
  for (const auto& [folder, order] : orders_) {
    const std::vector<std::string_view> names = SplitNames(order.listedNames);
    for (const std::size_t index : order.order) {
      std::string path = folder + std::string(names[index]);
      const auto found = remembered_.find(path);
      if (found == remembered_.end() || !keeps(path, found->second) || !written.emplace(path, true).second)
        continue;
      engines.push_back(IndexEntry(path.substr(storeDir.size()), found->second.written, found->second.size,
                                   found->second.traits));
    }
  }
  bool anySeen = false;
  for (const auto& [path, remembered] : remembered_) {
    anySeen = anySeen || remembered.seen;
    if (keeps(path, remembered) && written.find(path) == written.end())
      engines.push_back(IndexEntry(path.substr(storeDir.size()), remembered.written, remembered.size,
                                   remembered.traits));
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

std::vector<std::size_t> MenuMemory::RecalledOrder(const std::string& folderPath, const std::string& listedNames) {
  const auto found = recalledOrders_.find(folderPath);
  if (found == recalledOrders_.end())
    return {};
  const std::vector<std::string> recalled = std::move(found->second);
  recalledOrders_.erase(found);
  const std::vector<std::string_view> listed = SplitNames(listedNames);
  if (listed.size() != recalled.size())
    return {};
  std::unordered_map<std::string_view, std::size_t> listedAt;
  for (std::size_t i = 0; i < listed.size(); ++i)
    listedAt.emplace(listed[i], i);
  std::vector<std::size_t> order;
  order.reserve(recalled.size());
  for (const std::string& name : recalled) {
    const auto at = listedAt.find(name);
    if (at == listedAt.end())
      return {};
    order.push_back(at->second);
    listedAt.erase(at);  // a name twice in the index is no order
  }
  return order;
}

const std::vector<std::size_t>* MenuMemory::OrderOf(const std::string& folderPath, const std::string& listedNames,
                                                   bool& fromIndex) {
  fromIndex = false;
  const auto found = orders_.find(folderPath);
  if (found != orders_.end() && found->second.listedNames == listedNames)
    return &found->second.order;
  fromIndex = true;
  std::vector<std::size_t> recalled = RecalledOrder(folderPath, listedNames);
  if (recalled.empty())
    return nullptr;
  Order& kept = orders_[folderPath];
  kept = Order{listedNames, std::move(recalled)};
  return &kept.order;
}

void MenuMemory::KeepOrder(const std::string& folderPath, std::string listedNames, std::vector<std::size_t> order) {
  orders_[folderPath] = Order{std::move(listedNames), std::move(order)};
}

}  // namespace kf
