// Kestrelclean: run when Kestrelfind is removed from Becky!.
//
// The host's plug-in setup tool deals with the plug-in's files, but the
// engine store marks hidden engines and folders with the Hidden attribute and
// may carry read-only or system files. The tool gets a store of plain files
// while it runs; afterwards every file and folder gets back exactly the
// attribute word it had before. The record of those words is kept in a
// journal on disk for as long as the store is changed, so that a run ended
// from outside loses nothing: the next run restores it first.
//
// No window and no arguments: the exit code is the report. A message box
// appears only when a person must know something the exit code cannot say,
// and Kestrelclean waits for it to be answered. The common helpers are linked
// in statically; nothing of the plug-in is needed at run time.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "AsciiText.h"
#include "CleanTextIds.h"
#include "EngineStore.h"  // kEngineFolderName alone: the store's code is not linked
#include "DirectoryWalk.h"
#include "FileSystem.h"
#include "Handles.h"
#include "Module.h"
#include "Path.h"
#include "Registry.h"
#include "UiText.h"
#include "WideText.h"

namespace kf {
namespace {

// The exit codes, as uninstall/README.md documents them.
// 3 is no longer returned: it stopped every run while a journal left by an
// earlier run could not be read whole.
enum ExitCode : int {
  kExitToolRan = 0,
  kExitJournalTrouble = 1,   // this run's journal not written, or an earlier one stuck: the tool not started
  kExitToolNotStarted = 2,   // everything restored
  kExitUnexpected = 4,       // out of memory, say: whatever was changed is restored
  kExitAlreadyRunning = 5,   // another run is under way: nothing changed, the user told
};

// The platform's full path of path: from the current directory when it is
// relative, "." and ".." parts resolved, '/' made '\'; "" when the platform
// cannot tell.
std::string FullPath(const std::string& path) {
  const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0)
    return std::string();
  std::string full(needed, '\0');
  const DWORD n = ::GetFullPathNameA(path.c_str(), needed, &full[0], nullptr);
  if (n == 0 || n >= needed)
    return std::string();
  full.resize(n);
  return full;
}

// A path as the file system compares it: without regard to case. Compared as
// UTF-16, where a backslash is always one and never the second byte of a
// double-byte character.
std::wstring CaseKey(const std::string& path) {
  std::wstring wide = AnsiToWide(path);
  if (!wide.empty())
    ::CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  return wide;
}

// The key of the platform's full path: one for every spelling of a file.
std::wstring PathKey(const std::string& path) {
  const std::string full = FullPath(path);
  return CaseKey(full.empty() ? path : full);
}

// What Kestrelclean has to say, in a box of its own: there is no window to
// own it, and nothing else of the program is on screen to bring it forward.
// The text is ANSI (it holds paths as their bytes stand); the wide call shows
// its Japanese right under code page 932.
void Tell(const std::string& text) {
  ::MessageBoxW(nullptr, AnsiToWide(text).c_str(), L"Kestrelclean", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

std::string CurrentDirectory() {
  std::string dir(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetCurrentDirectoryA(static_cast<DWORD>(dir.size()), &dir[0]);
    if (n == 0)
      return std::string();
    if (n < dir.size()) {
      dir.resize(n);
      return dir;
    }
    dir.resize(n);  // n is the size needed, terminating zero included
  }
}

// ---------------------------------------------------------------------------
// Where the stores are

// An uninstall command usually quotes its program path
// ("C:\Program Files\RimArts\B2\Uninst.exe" /x): the path is what lies between
// the quotes then, and arguments after it do not count. An unquoted value is
// taken as it stands. A '"' is never the trail byte of a double-byte character.
std::string QuotedProgramPath(const std::string& value) {
  if (value.empty() || value[0] != '"')
    return value;
  const size_t close = value.find('"', 1);
  return value.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

// The plug-in's folder beside the directory part of a registry value. When
// the value may name a directory and does name an existing one, it counts as
// that directory even without a trailing backslash (the host writes its data
// directory either way). The result is a full path, so that the journal
// names the same files wherever the next run starts. The current directory
// follows the result when it can be entered: the setup tool inherits the
// current directory.
std::string PluginDirFromValue(HKEY root, const char* keyPath, const char* valueName, bool mayNameDirectory) {
  // An installer that writes "%ProgramFiles%\..." means the expanded path.
  const std::string path = QuotedProgramPath(ReadRegistryString(root, keyPath, valueName, true));
  if (path.empty())
    return path;
  const std::string base = (mayNameDirectory && IsDirectory(path)) ? path : ExtractFilePath(path);
  const std::string result = JoinPath(JoinPath(base, "PlugIns"), kEngineFolderName);
  const std::string full = FullPath(result);
  ::SetCurrentDirectoryA((full.empty() ? result : full).c_str());
  return full.empty() ? result : full;
}

std::string StoreFromUninstallEntry() {
  return PluginDirFromValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\B2",
                            "UninstallString", false);
}

std::string StoreFromDataDir() {
  return PluginDirFromValue(HKEY_CURRENT_USER, "Software\\RimArts\\B2\\Settings", "DataDir", true);
}

// ---------------------------------------------------------------------------
// The record of attribute words

struct SavedItem {
  std::string path;
  DWORD attr = 0;
};

// The stores searched and the items found in them, in the order they were
// met. A store or an item can be met twice (both registry locations lead to
// one directory, in different case maybe, or a folder named "*.ini" is found
// by both searches of its parent); only its first record counts.
class AttributeRecord {
 public:
  void AddStore(const std::string& dir) {
    if (seen_.insert(PathKey(dir)).second)
      stores_.push_back(dir);
  }
  void Add(const std::string& path, DWORD attr) {
    if (seen_.insert(PathKey(path)).second)
      items_.push_back(SavedItem{path, attr});
  }

  const std::vector<std::string>& Stores() const { return stores_; }
  const std::vector<SavedItem>& Items() const { return items_; }

 private:
  std::vector<std::string> stores_;
  std::vector<SavedItem> items_;
  std::set<std::wstring> seen_;
};

void RecordIniFiles(const std::string& dir, AttributeRecord& record) {
  ForEachDirectoryEntry(JoinPath(dir, "*.ini"), [&](const WIN32_FIND_DATAA& fd) {
    record.Add(JoinPath(dir, fd.cFileName), fd.dwFileAttributes);
  });
}

void RecordSubfolders(const std::string& dir, AttributeRecord& record) {
  ForEachDirectoryEntry(JoinPath(dir, "*"), [&](const WIN32_FIND_DATAA& fd) {
    // The store ignores names starting with '.', and so do "." and "..".
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || fd.cFileName[0] == '.')
      return;
    const std::string folder = JoinPath(dir, fd.cFileName);
    record.Add(folder, fd.dwFileAttributes);
    RecordSubfolders(folder, record);
    RecordIniFiles(folder, record);
  });
}

// Every engine file and folder below the store directory; the directory
// itself stays as it is.
void RecordStore(const std::string& dir, AttributeRecord& record) {
  record.AddStore(dir);
  RecordIniFiles(dir, record);
  RecordSubfolders(dir, record);
}

constexpr DWORD kPlainAttr = FILE_ATTRIBUTE_ARCHIVE;

void MakePlain(const std::vector<SavedItem>& items) {
  for (const SavedItem& item : items)
    ::SetFileAttributesA(item.path.c_str(), kPlainAttr);
}

void RestoreAttributes(const std::vector<SavedItem>& items) noexcept {
  // An item the setup tool removed simply fails; the next one follows.
  for (const SavedItem& item : items)
    ::SetFileAttributesA(item.path.c_str(), item.attr);
}

// ---------------------------------------------------------------------------
// The journal
//
// It lies beside this program, as Kestrelclean.journal: one place for both
// stores, and found at the next start whatever the registry says by then
// (the host's own removal may have taken the values that led to the stores).
// Bytes of the ANSI code page as they are, CR LF line ends:
//   Kestrelclean journal
//   store TAB <full path of a store>               one line per store searched
//   <attribute word: 8 hex digits> TAB <path>      one line per item
//   end TAB <number of items>
// Names hold no control characters and no trail byte of a double-byte
// character is below 0x40, so TAB, CR and LF only ever separate. The end line
// tells a whole journal from one cut short. A file of that name beside the
// program is not necessarily one this program wrote for this installation:
// it is trusted only inside the stores it names.

constexpr char kJournalHeader[] = "Kestrelclean journal";
constexpr char kJournalStore[] = "store\t";
constexpr char kJournalEnd[] = "end\t";
constexpr size_t kWordDigits = 8;
// A journal is read whole; far more than any store's record needs.
constexpr LONGLONG kMaxJournalBytes = 64LL * 1024 * 1024;

std::string JournalPath() {
  const std::string self = ModuleFileName(ThisModule());
  return self.empty() ? std::string() : ChangeFileExt(self, ".journal");
}

std::string TemporaryJournalPath(const std::string& journal) { return journal + ".new"; }

// Removes a file even when it carries the read-only attribute.
bool RemoveFile(const std::string& path) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return ::DeleteFileA(path.c_str()) != FALSE;
}

std::string FormatJournal(const AttributeRecord& record) {
  std::string text = std::string(kJournalHeader) + "\r\n";
  for (const std::string& store : record.Stores())
    text += kJournalStore + store + "\r\n";
  const std::vector<SavedItem>& items = record.Items();
  for (const SavedItem& item : items) {
    char word[kWordDigits + 1];
    std::snprintf(word, sizeof word, "%08lX", static_cast<unsigned long>(item.attr));
    text += word;
    text += '\t';
    text += item.path;
    text += "\r\n";
  }
  text += kJournalEnd + std::to_string(items.size()) + "\r\n";
  return text;
}

// One item line: 8 hex digits, TAB, a path that is not empty.
bool ParseItemLine(const std::string& line, SavedItem& item) {
  if (line.size() < kWordDigits + 2 || line[kWordDigits] != '\t')
    return false;
  DWORD word = 0;
  for (size_t i = 0; i < kWordDigits; ++i) {
    const int digit = HexDigitValue(static_cast<unsigned char>(line[i]));
    if (digit < 0)
      return false;
    word = word << 4 | static_cast<DWORD>(digit);
  }
  item.attr = word;
  item.path = line.substr(kWordDigits + 1);
  return true;
}

// A store line: "store", TAB, a path that is not empty.
bool ParseStoreLine(const std::string& line, std::string& store) {
  if (line.size() <= sizeof kJournalStore - 1 || line.compare(0, sizeof kJournalStore - 1, kJournalStore) != 0)
    return false;
  store = line.substr(sizeof kJournalStore - 1);
  return true;
}

// The end line: "end", TAB, the number of items in decimal digits.
bool ParseEndLine(const std::string& line, std::string& count) {
  if (line.compare(0, sizeof kJournalEnd - 1, kJournalEnd) != 0)
    return false;
  count = line.substr(sizeof kJournalEnd - 1);
  return !count.empty() && count.size() <= 10 && count.find_first_not_of("0123456789") == std::string::npos;
}

// What a journal left by an earlier run holds, read line by line so that a
// damaged one still gives back every item it holds in full.
struct JournalContent {
  std::vector<std::string> stores;
  std::vector<SavedItem> items;  // its complete, well-formed item lines
  size_t lines = 0;              // complete lines: those with their line end
  size_t badLines = 0;           // complete lines that are none of a journal's
  size_t firstBadLine = 0;       // counted from 1
  bool ended = false;            // an end line came
  std::string endCount;          // the number of items it counts
  bool unreadable = false;       // the file could not be read at all

  bool CountMatches() const { return !ended || endCount == std::to_string(items.size()); }
  bool Whole() const { return !unreadable && badLines == 0 && ended && CountMatches(); }
};

// A line cut off at the end of the text (no line end) is not complete: the
// text of its path may be cut off too.
JournalContent ParseJournal(const std::string& text) {
  JournalContent content;
  size_t pos = 0;
  for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    const std::string line = text.substr(pos, end - pos);
    ++content.lines;
    SavedItem item;
    std::string store;
    bool known = false;
    if (content.ended)
      known = false;  // nothing follows the end line
    else if (content.lines == 1)
      known = line == kJournalHeader;
    else if (ParseEndLine(line, content.endCount))
      known = content.ended = true;
    else if (ParseStoreLine(line, store)) {
      content.stores.push_back(std::move(store));
      known = true;
    } else if (ParseItemLine(line, item)) {
      content.items.push_back(std::move(item));
      known = true;
    }
    if (!known && content.badLines++ == 0)
      content.firstBadLine = content.lines;
  }
  // Bytes after the end line are no part of the journal either.
  if (pos < text.size() && content.ended && content.badLines++ == 0)
    content.firstBadLine = content.lines + 1;
  return content;
}

// What could not be read of a journal, one sentence a finding.
std::string DescribeDamage(const JournalContent& content) {
  std::vector<std::string> findings;
  if (content.unreadable)
    findings.push_back(UiText(IDS_CLEAN_JOURNAL_UNREADABLE));
  if (content.badLines != 0)
    findings.push_back(UiText(IDS_CLEAN_JOURNAL_BAD_LINES,
                              {std::to_string(content.badLines), std::to_string(content.firstBadLine)}));
  if (!content.unreadable && !content.ended)
    findings.push_back(UiText(IDS_CLEAN_JOURNAL_CUT_SHORT, {std::to_string(content.lines)}));
  if (!content.CountMatches())
    findings.push_back(UiText(IDS_CLEAN_JOURNAL_COUNT, {content.endCount, std::to_string(content.items.size())}));
  std::string text;
  for (const std::string& finding : findings)
    text += (text.empty() ? "" : "\n") + finding;
  return text;
}

// A store a journal may name: the full path of an engine folder, as this
// program writes it ("...\PlugIns\Kestrelfind"), with no "." or ".." parts.
bool IsEngineStorePath(const std::string& store) {
  const std::wstring key = CaseKey(store);
  const std::wstring tail = CaseKey(std::string("\\PlugIns\\") + kEngineFolderName);
  return key.size() > tail.size() && key.compare(key.size() - tail.size(), tail.size(), tail) == 0 &&
         CaseKey(FullPath(store)) == key;
}

// Strictly below store: the item's path is the store's, a backslash and one
// or more names, none of them empty, "." or ".."; and the platform's full
// path of it still lies below the store (trailing dots and blanks of a name
// are dropped on the way, for one).
bool LiesInStore(const std::string& item, const std::string& store) {
  const std::wstring key = CaseKey(item);
  const std::wstring below = CaseKey(store) + L'\\';
  if (key.size() <= below.size() || key.compare(0, below.size(), below) != 0)
    return false;
  for (size_t start = below.size();;) {
    const size_t end = key.find_first_of(L"\\/", start);
    const std::wstring name = key.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (name.empty() || name == L"." || name == L"..")
      return false;
    if (end == std::wstring::npos)
      break;
    start = end + 1;
  }
  const std::wstring full = CaseKey(FullPath(item));
  return full.size() > below.size() && full.compare(0, below.size(), below) == 0;
}

// Why a journal is not applied at all: the text of the reason and what it
// names. No reason, no distrust.
struct Distrust {
  UINT reason = 0;
  std::string subject;
};

// A journal is for this program's stores when every store it names is an
// engine folder and every item lies inside one of them. One that names no
// store (as Kestrelclean 2.1.0 wrote them) gives nothing to check its items
// against. Where the registry leads now does not count: the host's removal
// may have taken the values that led to the stores, and the journal is
// there for just that case.
Distrust CheckStores(const JournalContent& content) {
  for (const std::string& store : content.stores) {
    if (!IsEngineStorePath(store))
      return Distrust{IDS_CLEAN_REJECT_NOT_A_STORE, store};
  }
  if (content.stores.empty() && !content.items.empty())
    return Distrust{IDS_CLEAN_REJECT_NO_STORE, content.items.front().path};
  for (const SavedItem& item : content.items) {
    bool inside = false;
    for (const std::string& store : content.stores)
      inside = inside || LiesInStore(item.path, store);
    if (!inside)
      return Distrust{IDS_CLEAN_REJECT_OUTSIDE, item.path};
  }
  return Distrust();
}

bool WriteWhole(HANDLE file, const std::string& data) {
  constexpr size_t kChunk = 1 << 20;
  for (size_t done = 0; done < data.size();) {
    const DWORD part = static_cast<DWORD>(data.size() - done < kChunk ? data.size() - done : kChunk);
    DWORD written = 0;
    if (!::WriteFile(file, data.data() + done, part, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

// A journal file held open from the moment it is written or read until it
// is removed or put aside. It shares reading alone: nobody else can write,
// rename or remove it meanwhile (and a reader gets in only by sharing our
// writing and deletion). Renaming and removal go through this very handle,
// never through a name: a run removes the journal it wrote or restored,
// never a file that took its name in between (one of a run in another
// session, say, which the run lock does not see). A run ended from outside
// closes the handle with its process and leaves the file for the next start.
class JournalFile {
 public:
  // Creates the file anew, empty.
  bool Create(const std::string& path) {
    file_.Attach(::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file_.IsValid();
  }

  // ERROR_SUCCESS, or why the platform refuses.
  DWORD Open(const std::string& path) {
    file_.Attach(::CreateFileA(path.c_str(), GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    return file_ ? ERROR_SUCCESS : ::GetLastError();
  }

  // Writes text whole and flushes it to disk.
  bool Write(const std::string& text) const {
    return WriteWhole(file_.Get(), text) && ::FlushFileBuffers(file_.Get());
  }

  bool Read(std::string& text) const {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file_.Get(), &size) || size.QuadPart > kMaxJournalBytes)
      return false;
    text.assign(static_cast<size_t>(size.QuadPart), '\0');
    for (size_t done = 0; done < text.size();) {
      DWORD read = 0;
      if (!::ReadFile(file_.Get(), &text[done], static_cast<DWORD>(text.size() - done), &read, nullptr) || read == 0)
        return false;
      done += read;
    }
    return true;
  }

  // Gives the file the full path `path`, in place of a file there only when
  // replace is true; error tells why not. (A relative path would count from
  // the current directory, not from the file's folder.) The change is
  // flushed to disk, as MOVEFILE_WRITE_THROUGH would.
  bool Rename(const std::string& path, bool replace, DWORD& error) const {
    const std::wstring wide = AnsiToWide(path);
    const size_t bytes = wide.size() * sizeof(wchar_t);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(info->FileName, wide.data(), bytes);
    if (!::SetFileInformationByHandle(file_.Get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size()))) {
      error = ::GetLastError();
      return false;
    }
    ::FlushFileBuffers(file_.Get());
    return true;
  }

  // The file goes (when the handle closes, which is at once), read-only or not.
  bool Remove() {
    FILE_BASIC_INFO basic = {};  // times of zero stay as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    const bool removed =
        ::SetFileInformationByHandle(file_.Get(), FileBasicInfo, &basic, sizeof basic) &&
        ::SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &disposition, sizeof disposition);
    file_.Close();
    return removed;
  }

  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsValid(); }

 private:
  FileHandle file_;
};

// Writes the record as the journal and keeps it open in file until the run
// removes it. It is written under a temporary name, flushed to disk and only
// then renamed over the journal's name: a run ended on the way leaves no
// journal, only the temporary file, and has changed nothing yet.
bool WriteJournal(const std::string& journal, const AttributeRecord& record, JournalFile& file) {
  if (journal.empty() || !file.Create(TemporaryJournalPath(journal)))
    return false;
  DWORD error = ERROR_SUCCESS;
  if (file.Write(FormatJournal(record)) && file.Rename(journal, true, error))
    return true;
  file.Remove();
  return false;
}

// Puts a journal that cannot be applied whole aside, beside itself under the
// name of the journal and kind (".damaged"), numbered when that is taken
// (".damaged.2", ...): nothing of it is lost, and no later start meets it
// again. The path it has now, or "" when it could not be renamed.
std::string SetAside(JournalFile& file, const std::string& journal, const char* kind) {
  constexpr int kMaxNumber = 999;
  const std::string name = journal + kind;
  for (int number = 1; number <= kMaxNumber; ++number) {
    const std::string candidate = number == 1 ? name : name + "." + std::to_string(number);
    DWORD error = ERROR_SUCCESS;
    if (file.Rename(candidate, false, error))
      return candidate;
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
      break;
  }
  return std::string();
}

// A journal left by a run that was ended before its restore: its words come
// back, then it goes. One that is not for this program's stores is not
// applied at all, and a damaged one gives back every item it holds in full;
// either is put aside and the user told. False when the run must stop: the
// journal is there but can be neither read and removed nor put aside (the
// user has been told).
bool SettleLeftJournal(const std::string& journal) {
  if (journal.empty())
    return true;
  // A run ended while writing its journal had changed nothing yet.
  RemoveFile(TemporaryJournalPath(journal));
  // A folder of that name stops the run when the journal is written.
  if (!IsFile(journal))
    return true;
  JournalFile file;
  const DWORD opened = file.Open(journal);
  if (opened == ERROR_FILE_NOT_FOUND)
    return true;
  if (opened != ERROR_SUCCESS) {
    Tell(UiText(IDS_CLEAN_JOURNAL_STUCK, {journal}));
    return false;
  }
  std::string text;
  JournalContent content;
  if (file.Read(text))
    content = ParseJournal(text);
  else
    content.unreadable = true;
  const Distrust distrust = CheckStores(content);

  if (distrust.reason == 0 && content.Whole()) {
    RestoreAttributes(content.items);
    // Restored again at the next start, it would undo whatever changed by then.
    if (file.Remove())
      return true;
    Tell(UiText(IDS_CLEAN_JOURNAL_STUCK, {journal}));
    return false;
  }
  const std::string aside = SetAside(file, journal, distrust.reason != 0 ? ".rejected" : ".damaged");
  file.Close();
  if (aside.empty()) {
    Tell(UiText(IDS_CLEAN_JOURNAL_STUCK, {journal}));
    return false;
  }
  if (distrust.reason != 0) {
    Tell(UiText(IDS_CLEAN_JOURNAL_REJECTED, {journal, UiText(distrust.reason, {distrust.subject}), aside}));
    return true;
  }
  RestoreAttributes(content.items);
  Tell(UiText(IDS_CLEAN_JOURNAL_DAMAGED,
              {journal, DescribeDamage(content), std::to_string(content.items.size()), aside}));
  return true;
}

// While it lives, the recorded items are plain; its end gives every item its
// word back, however the run leaves the scope, and only then removes the
// journal it holds, if any.
class PlainStore {
 public:
  PlainStore(const std::vector<SavedItem>& items, JournalFile& journal) : items_(items), journal_(journal) {
    MakePlain(items_);
  }
  ~PlainStore() {
    RestoreAttributes(items_);
    if (journal_.IsOpen())
      journal_.Remove();
  }
  PlainStore(const PlainStore&) = delete;
  PlainStore& operator=(const PlainStore&) = delete;

 private:
  const std::vector<SavedItem>& items_;
  JournalFile& journal_;
};

// ---------------------------------------------------------------------------
// The setup tool

constexpr char kToolName[] = "bpisetup.exe";
// CreateProcess takes at most this many characters, terminating zero included.
constexpr size_t kMaxCommandLine = 32767;

// Starts the tool in toolDir and waits for it to end; false when it cannot be
// started. It is named by its full path, so that no other program matching a
// prefix of an unquoted path with blanks ("C:\Program.exe") runs in its place;
// the command line quotes that path. The tool's exit code means nothing here.
bool RunSetupTool(const std::string& toolDir) {
  const std::string toolPath = JoinPath(toolDir, kToolName);
  const std::string commandLine = "\"" + toolPath + "\" Kestrelfind";  // paths hold no '"'
  if (commandLine.size() + 1 > kMaxCommandLine)
    return false;  // never start a cut-off command
  // CreateProcess may write into the command line: give it its own buffer.
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');

  // A program path of MAX_PATH characters or more cannot be started, although
  // its directory can be the current one. The tool is then named relative to
  // its directory, made current for the call (a relative name never goes
  // through the search path), and told to start where it would otherwise.
  const char* application = toolPath.c_str();
  std::string inherited;
  const bool relative = toolPath.size() >= MAX_PATH;
  if (relative) {
    inherited = CurrentDirectory();
    if (inherited.empty() || !::SetCurrentDirectoryA(toolDir.c_str()))
      return false;
    application = kToolName;
  }

  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof pi);
  const BOOL started = ::CreateProcessA(application, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        relative ? inherited.c_str() : nullptr, &si, &pi);
  if (relative)
    ::SetCurrentDirectoryA(inherited.c_str());
  if (!started)
    return false;
  KernelHandle process(pi.hProcess);
  KernelHandle thread(pi.hThread);
  ::WaitForSingleObject(process.Get(), INFINITE);
  return true;
}

// ---------------------------------------------------------------------------
// One run at a time

// A second start while a run is under way must touch neither the store nor
// the journal: its restore would give the first run's tool hidden and
// read-only engines again, and it would take the first run's journal for
// one left behind. A named mutex, held until the process ends, marks the
// run. Per session: what it guards against is a user who starts the program
// again because nothing seemed to happen.
constexpr wchar_t kRunMutexName[] = L"Local\\Kestrelclean.Run";

// True when this process holds the mutex now; otherwise the user has been
// told why the run stops.
bool TakeRunLock(KernelHandle& lock) {
  lock.Attach(::CreateMutexW(nullptr, FALSE, kRunMutexName));
  const DWORD error = lock ? ERROR_SUCCESS : ::GetLastError();
  // A run started with higher rights made the mutex with no access for others.
  if (error == ERROR_ACCESS_DENIED) {
    Tell(UiText(IDS_CLEAN_ALREADY_RUNNING));
    return false;
  }
  if (!lock) {
    Tell(UiText(IDS_CLEAN_RUN_LOCK_FAILED, {std::to_string(error)}));
    return false;
  }
  switch (::WaitForSingleObject(lock.Get(), 0)) {
    case WAIT_OBJECT_0:
    // Its owner was ended from outside: the run is over, and its journal is
    // there to be restored.
    case WAIT_ABANDONED:
      return true;
    case WAIT_TIMEOUT:
      Tell(UiText(IDS_CLEAN_ALREADY_RUNNING));
      return false;
    default:
      Tell(UiText(IDS_CLEAN_RUN_LOCK_FAILED, {std::to_string(::GetLastError())}));
      return false;
  }
}

int Run() {
  // No host here to choose: the language follows the user's.
  SetUiLanguage(ChooseUiLanguage(std::string(), ::GetACP(), ::GetUserDefaultUILanguage()));
  // Before the journal is so much as looked at.
  KernelHandle runLock;
  if (!TakeRunLock(runLock))
    return kExitAlreadyRunning;

  const std::string journal = JournalPath();
  if (!SettleLeftJournal(journal))
    return kExitJournalTrouble;

  const std::string startDir = CurrentDirectory();
  AttributeRecord record;
  const std::string fromUninstall = StoreFromUninstallEntry();
  if (IsDirectory(fromUninstall))
    RecordStore(fromUninstall, record);
  const std::string fromDataDir = StoreFromDataDir();
  if (IsDirectory(fromDataDir))
    RecordStore(fromDataDir, record);

  // With nothing to change there is nothing to journal.
  JournalFile own;
  if (!record.Items().empty() && !WriteJournal(journal, record, own))
    return kExitJournalTrouble;
  bool ran = false;
  {
    const PlainStore plain(record.Items(), own);
    ran = RunSetupTool(startDir);
  }
  return ran ? kExitToolRan : kExitToolNotStarted;
}

}  // namespace
}  // namespace kf

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Nothing may escape to the user. A failure while the store is plain (out
  // of memory, say) still restores it on the way out.
  try {
    return kf::Run();
  } catch (...) {
    return kf::kExitUnexpected;
  }
}
