#include "FolderNode.h"

#include "EngineStore.h"

namespace kf {

std::vector<EngineRecord> ListEngineRecords(const std::string& dir) {
  std::vector<EngineRecord> records;
  for (StoreEntry& entry : ListEngineFiles(dir, true))
    records.push_back({std::move(entry.name), entry.attr});
  return records;
}

EngineRecord* FindEngine(std::vector<EngineRecord>& list, const std::string& name) {
  for (EngineRecord& engine : list) {
    if (ExtractEngineName(engine.fileName) == name)
      return &engine;
  }
  return nullptr;
}

}  // namespace kf
