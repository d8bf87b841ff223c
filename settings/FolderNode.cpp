#include "FolderNode.h"

#include "Dbcs.h"
#include "EngineStore.h"
#include "Path.h"

namespace kf {

void LoadEngineRecords(const std::string& dir, std::vector<EngineRecord>& list, const ReadFailure& onFailure) {
  // Read-only, hidden and system files too: the dialog lists everything.
  for (const StoreEntry& entry : ListEngineFiles(dir, true)) {
    try {
      list.push_back(EngineRecord());
      EngineRecord& engine = list.back();
      engine.fileName = entry.name;
      engine.attr = entry.attr;
      const std::string path = JoinPath(dir, engine.fileName);
      engine.url = ReadEngineValue(path, kUrlKey, std::string());
      engine.encode = TruncateText(ReadEngineValue(path, kEncodeKey, std::string()), kEncodeLimit, IsAnsiLeadByte);
    } catch (...) {
      if (onFailure)
        onFailure();
    }
  }
}

EngineRecord* FindEngine(std::vector<EngineRecord>& list, const std::string& name) {
  for (EngineRecord& engine : list) {
    if (ExtractEngineName(engine.fileName) == name)
      return &engine;
  }
  return nullptr;
}

}  // namespace kf
