// kfbench OUTDIR [--quick] [--only=menu|dialog|search]: times the real
// library in this host against the
// floors of Store.h on synthetic stores, prints a table and writes
// OUTDIR\performance.csv, OUTDIR\performance-table.md and the plot's data
// OUTDIR\menu-build.dat. Each figure is the median of repeated runs after a
// warm-up; the plug-in and its floor take turns so that drift hits both.
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Files.h"
#include "HostApi.h"
#include "MenuTree.h"
#include "PluginSandbox.h"
#include "SettingForm.h"
#include "Store.h"

namespace kfbench {
namespace {

const char kUrlTemplate[] = "kftest://bench/?q=[WORD]";
const char kWord[] = "kestrel";

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

double Median(std::vector<double> values) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Handles whatever is queued (paints included) until the queue is empty.
void PumpIdle() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// A subject and its floors, run in turns after a warm-up: each round starts
// with the next of them, so that drift hits them all alike.
struct Turns {
  std::vector<double> subject;
  std::vector<std::vector<double>> floors;
  double Subject() const { return Median(subject); }
  double Floor(std::size_t i = 0) const { return Median(floors[i]); }
  // The median of the per-run differences between the subject and floor i.
  double Excess(std::size_t i = 0) const {
    std::vector<double> excess;
    for (std::size_t k = 0; k < subject.size(); ++k)
      excess.push_back(subject[k] - floors[i][k]);
    return Median(excess);
  }
};

using Timed = std::function<double()>;

Turns RunTurns(int repeats, const Timed& subject, const std::vector<Timed>& floors) {
  std::vector<const Timed*> all = {&subject};
  for (const Timed& floor : floors)
    all.push_back(&floor);
  Turns turns;
  turns.floors.resize(floors.size());
  const std::size_t n = all.size();
  for (int round = 0; round <= repeats; ++round) {
    std::vector<double> taken(n);
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t which = (static_cast<std::size_t>(round) + k) % n;
      taken[which] = (*all[which])();
    }
    if (round == 0)
      continue;  // the warm-up
    turns.subject.push_back(taken[0]);
    for (std::size_t i = 0; i < floors.size(); ++i)
      turns.floors[i].push_back(taken[i + 1]);
  }
  return turns;
}

// This process's folder under the Unix /proc ("Z:\proc\1234\"): Wine names
// its processes after the executable. /proc/self will not do: the server
// opens files on behalf of its clients, so that would be the server.
std::string OwnProcFolder() {
  static const std::string folder = [] {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &data);
    std::string found;
    if (find == INVALID_HANDLE_VALUE)
      return found;
    do {
      if (data.cFileName[0] < '0' || data.cFileName[0] > '9')
        continue;
      const std::string dir = std::string("Z:\\proc\\") + data.cFileName + "\\";
      if (kft::ReadBytes(dir + "comm").rfind("kfbench.exe", 0) == 0) {
        found = dir;
        break;
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
  }();
  return folder;
}

// Peak working set in MB. Under Wine the peak is the kernel's high-water
// mark of the process, which writing "5" to its clear_refs resets, so that
// each operation's own peak can be read; where that fails the figure is the
// peak of the run so far.
bool ResetPeak() {
  const std::string folder = OwnProcFolder();
  if (folder.empty())
    return false;
  HANDLE f = CreateFileA((folder + "clear_refs").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(f, "5", 1, &written, nullptr);
  CloseHandle(f);
  return ok && written == 1;
}

double PeakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// What a row is held to: its ratio to the floor, or its own figure, at most
// (or below) a limit.
struct Target {
  enum Kind { kNone, kRatio, kFigure };
  Kind kind = kNone;
  bool below = false;  // "<" rather than "<="
  double limit = 0;
};

Target RatioAtMost(double limit) { return {Target::kRatio, false, limit}; }
Target RatioBelow(double limit) { return {Target::kRatio, true, limit}; }
Target FigureAtMost(double limit) { return {Target::kFigure, false, limit}; }
Target FigureBelow(double limit) { return {Target::kFigure, true, limit}; }

double Rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

struct Row {
  std::string operation, store;
  int engines = 0;
  double median = 0, floor = 0;  // ms; rows of another unit have no floor
  std::string unit = "ms";
  Target target;

  bool HasFloor() const { return floor > 0; }
  double Ratio() const { return HasFloor() ? median / floor : 0; }
  int Decimals() const { return unit == "ms" || unit == "x" ? 2 : 1; }
  std::string Figure() const { return Fixed(median, Decimals()) + " " + unit; }
  std::string FloorText() const { return HasFloor() ? Fixed(floor, 2) + " ms" : std::string(); }
  std::string RatioText() const { return HasFloor() ? Fixed(Ratio(), 2) : std::string(); }
  std::string TargetText() const {
    if (target.kind == Target::kNone)
      return std::string();
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", target.limit);
    const std::string text = std::string(target.below ? "< " : "<= ") + limit;
    return target.kind == Target::kFigure && unit != "x" ? text + " " + unit : text;
  }
  // "yes", "no" or "(none)". The figure is judged as the table shows it, so
  // that the column never contradicts the row.
  std::string Meets() const {
    if (target.kind == Target::kNone)
      return "(none)";
    if (target.kind == Target::kRatio && !HasFloor())
      return "no";  // nothing to hold the figure against
    const double shown = target.kind == Target::kRatio ? Rounded(Ratio(), 2) : Rounded(median, Decimals());
    return (target.below ? shown < target.limit : shown <= target.limit) ? "yes" : "no";
  }
  // The figure the target is about, as the table shows it.
  std::string Judged() const { return target.kind == Target::kRatio ? "ratio " + RatioText() : Figure(); }
};

// A command the plug-in registered, as the host calls it.
struct Command {
  UINT id = 0;
  kfhost::CommandCallback callback = nullptr;
  void Run(HWND window) const { callback(window, MAKELPARAM(id, 1)); }
};

// What every search must do besides the shell's "open" and the plug-in's
// own work: keep the user's clipboard, have the host copy the selection,
// read it and put the clipboard back.
void ClipboardRoundTrip(HWND host) {
  std::vector<std::pair<UINT, std::string>> saved;
  if (OpenClipboard(host)) {
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
      HGLOBAL data = GetClipboardData(format);
      const void* bytes = data ? GlobalLock(data) : nullptr;
      if (!bytes)
        continue;
      saved.emplace_back(format, std::string(static_cast<const char*>(bytes), GlobalSize(data)));
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  SendMessageA(host, WM_COMMAND, 0xE122, 0);
  if (OpenClipboard(host)) {
    if (HGLOBAL text = GetClipboardData(CF_TEXT)) {
      volatile char first = *static_cast<const char*>(GlobalLock(text));
      (void)first;
      GlobalUnlock(text);
    }
    EmptyClipboard();
    for (const auto& entry : saved) {
      HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, entry.second.size());
      if (!copy)
        continue;
      std::memcpy(GlobalLock(copy), entry.second.data(), entry.second.size());
      GlobalUnlock(copy);
      if (!SetClipboardData(entry.first, copy))
        GlobalFree(copy);
    }
    CloseClipboard();
  }
}

// How long Search All gives the program the shell started to pass its
// address on, and its pause when the shell names no program.
constexpr DWORD kHandOffMs = 1000;
constexpr DWORD kOpenGapMs = 100;

// One open as Search All makes it: the shell's "open", then the wait for
// the program it started. Adds the time spent waiting to waitedMs; returns
// whether the shell gave a program to wait for.
bool OpenAndWait(const std::string& url, double& waitedMs) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = url.c_str();
  info.nShow = SW_SHOW;
  if (!ShellExecuteExA(&info))
    return false;
  const double start = NowMs();
  if (info.hProcess) {
    WaitForSingleObject(info.hProcess, kHandOffMs);
    CloseHandle(info.hProcess);
  } else {
    Sleep(kOpenGapMs);
  }
  waitedMs += NowMs() - start;
  return info.hProcess != nullptr;
}

// The engines of one folder for "Search All", and how many.
const char kSearchAllFolder[] = "All";
// The store label of the dialog rows that show its cost without engines.
const char kEmptyStore[] = "empty store";
// The row that holds Search All, up to its last address, against the opens
// and waits it must make.
const char kSearchAllUntilLast[] = "Search All until the last address, against 8 opens that wait for their programs";
constexpr int kSearchAllEngines = 8;

class Bench {
 public:
  // only: "" for every measurement, or "menu", "dialog" or "search" for
  // those alone (while working on one of them; the page wants them all).
  Bench(bool quick, std::string only) : quick_(quick), only_(std::move(only)) {}
  ~Bench() {
    if (floorParent_)
      DestroyWindow(floorParent_);
  }

  bool Run(const std::string& outDir);

 private:
  int Repeats(int engines) const {
    if (quick_)
      return 3;
    return engines >= 10000 ? 7 : 15;
  }
  std::string EngineDir() const { return sandbox_.EngineDir(); }
  HWND HostWindow() { return sandbox_.Window().Handle(); }
  std::string Url() const { return std::string("kftest://bench/?q=") + kWord; }
  std::string IndexPath() const { return sandbox_.Folder() + "Kestrelfind.idx"; }
  void Reload() {
    sandbox_.Unload();
    sandbox_.Load();
  }

  double PluginMenuBuild();
  double FirstPluginMenuBuild(bool cold);
  double FloorMenuBuild();
  double FloorTreeBuild();
  double FloorFileReads();
  void MeasureMenu(const StoreShape& shape, bool memory, bool judged);
  void MeasureFirstMenu(const StoreShape& shape);
  void MeasureDialog(const StoreShape& shape, bool memory);
  void AddDialogRows(const std::string& operation, const StoreShape& shape, const Turns& turns);
  void SelectWordInMail();
  void WaitForUrls(std::size_t count);
  void MeasureSearch(const std::string& engine);
  void MeasureSearchAll();
  bool CheckUrlLog() const;
  void Add(const Row& row);
  const Row* FindRow(const std::string& operation) const;
  std::string Notes() const;
  bool WriteOutputs(const std::string& outDir) const;

  bool Measures(const char* what) const { return only_.empty() || only_ == what; }

  bool quick_;
  std::string only_;
  kft::PluginSandbox sandbox_;
  std::vector<Row> rows_;
  // Time above the floor of the one-folder menu builds, by engine count.
  double excess1000_ = 0, excess10000_ = 0;
  std::string urlLog_;
  // Lines the recorder has been asked for so far.
  std::size_t urlsExpected_ = 0;
  // A hidden window for the dialog floor's tree-view controls.
  HWND floorParent_ = nullptr;
  // What Search All's floor saw of the shell: opens, and programs to wait for.
  int handOffOpens_ = 0, handOffPrograms_ = 0;
};

void Bench::Add(const Row& row) {
  rows_.push_back(row);
  std::printf("%-34s %-22s %12s %12s %6s  %-9s %s\n", row.operation.c_str(), row.store.c_str(), row.Figure().c_str(),
              row.FloorText().c_str(), row.RatioText().c_str(), row.TargetText().c_str(), row.Meets().c_str());
  std::fflush(stdout);
}

const Row* Bench::FindRow(const std::string& operation) const {
  for (const Row& row : rows_) {
    if (row.operation == operation)
      return &row;
  }
  return nullptr;
}

double Bench::PluginMenuBuild() {
  // What earlier builds registered is of no more use (untimed).
  kfhost::ClearRegistrations();
  // The host's context menu with an item of its own, as the host builds it.
  HMENU host = CreatePopupMenu();
  AppendMenuA(host, MF_STRING, 0xFF01, "&Copy");
  const double start = NowMs();
  sandbox_.Plugin().OnMenuInit(HostWindow(), host, 3);
  const double elapsed = NowMs() - start;
  // The host throws its menu away after use, popup and all.
  DestroyMenu(host);
  return elapsed;
}

double Bench::FirstPluginMenuBuild(bool cold) {
  // A fresh load of the library: it knows of the engine files only what its
  // index beside it says (written when the library went), or, cold, nothing.
  sandbox_.Unload();
  if (cold)
    DeleteFileA(IndexPath().c_str());
  sandbox_.Load();
  PumpIdle();
  return PluginMenuBuild();
}

double Bench::FloorMenuBuild() {
  const double start = NowMs();
  HMENU menu = FloorMenu(EngineDir());
  const double elapsed = NowMs() - start;
  DestroyMenu(menu);
  return elapsed;
}

double Bench::FloorTreeBuild() {
  if (!floorParent_)
    floorParent_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  // An empty control for each run, as the dialog's is at its first open;
  // making and destroying it is not timed.
  HWND tree = CreateFloorTree(floorParent_);
  const double start = NowMs();
  FloorFolderTree(tree, EngineDir());
  const double elapsed = NowMs() - start;
  DestroyWindow(tree);
  return elapsed;
}

double Bench::FloorFileReads() {
  const double start = NowMs();
  FloorReadStore(EngineDir());
  return NowMs() - start;
}

// judged: the row is held to the target; the plot's extra points are not.
void Bench::MeasureMenu(const StoreShape& shape, bool memory, bool judged) {
  if (memory) {
    const bool reset = ResetPeak();
    PluginMenuBuild();
    Add({"peak working set: menu",
         ShapeLabel(shape),
         shape.engines,
         PeakWorkingSetMb(),
         0,
         reset ? "MB" : "MB (run so far)",
         {}});
  }
  const Turns t =
      RunTurns(Repeats(shape.engines), [this] { return PluginMenuBuild(); }, {[this] { return FloorMenuBuild(); }});
  Add({"menu build", ShapeLabel(shape), shape.engines, t.Subject(), t.Floor(), "ms",
       judged ? RatioAtMost(1.3) : Target{}});
  if (shape.folders == 1 && shape.engines == 1000)
    excess1000_ = t.Excess();
  if (shape.folders == 1 && shape.engines == 10000)
    excess10000_ = t.Excess();
}

void Bench::MeasureFirstMenu(const StoreShape& shape) {
  const Timed floor = [this] { return FloorMenuBuild(); };
  const Turns warm = RunTurns(Repeats(shape.engines), [this] { return FirstPluginMenuBuild(false); }, {floor});
  Add({"menu build, first after load", ShapeLabel(shape), shape.engines, warm.Subject(), warm.Floor(), "ms",
       RatioAtMost(2)});
  const Turns cold = RunTurns(Repeats(shape.engines), [this] { return FirstPluginMenuBuild(true); }, {floor});
  Add({"menu build, first after load, cold", ShapeLabel(shape), shape.engines, cold.Subject(), cold.Floor(), "ms",
       {}});
}

void Bench::MeasureDialog(const StoreShape& shape, bool memory) {
  // The first setup request makes the dialog; only a fresh load of the
  // library gives another first one.
  HWND dialog = nullptr;
  auto open = [&] {
    Reload();
    PumpIdle();
    const double start = NowMs();
    sandbox_.Plugin().OnPlugInSetup(HostWindow());
    PumpIdle();
    const double elapsed = NowMs() - start;
    dialog = FindWindowA(kf::kSettingFormClass, nullptr);
    return elapsed;
  };
  const std::vector<Timed> floors = {[this] { return FloorTreeBuild(); }, [this] { return FloorFileReads(); }};
  if (memory) {
    Reload();
    const bool reset = ResetPeak();
    open();
    Add({"peak working set: dialog",
         ShapeLabel(shape),
         shape.engines,
         PeakWorkingSetMb(),
         0,
         reset ? "MB" : "MB (run so far)",
         {}});
  }
  AddDialogRows("dialog open", shape, RunTurns(Repeats(shape.engines), open, floors));
  if (!dialog) {
    std::fprintf(stderr, "the settings dialog was not found\n");
    return;
  }
  auto f5 = [&] {
    const double start = NowMs();
    PostMessageA(dialog, WM_KEYUP, VK_F5, 0xC0000001);
    PumpIdle();
    return NowMs() - start;
  };
  AddDialogRows("dialog F5", shape, RunTurns(Repeats(shape.engines), f5, floors));
  Reload();
}

void Bench::AddDialogRows(const std::string& operation, const StoreShape& shape, const Turns& turns) {
  // On an empty store the floor has nothing to do: what the dialog takes
  // there is what it takes whatever the store.
  if (shape.engines == 0) {
    Add({operation, kEmptyStore, 0, turns.Subject(), 0, "ms", {}});
    return;
  }
  const std::string store = ShapeLabel(shape);
  Add({operation, store, shape.engines, turns.Subject(), turns.Floor(0), "ms", RatioAtMost(2)});
  // What the open takes beyond what it takes on an empty store, against the
  // same floor: the part that grows with the store.
  const Row* empty = nullptr;
  for (const Row& r : rows_) {
    if (r.store == kEmptyStore && r.operation == operation)
      empty = &r;
  }
  if (empty && operation == "dialog open")
    Add({operation + " above the empty-store open", store, shape.engines, turns.Subject() - empty->median,
         turns.Floor(0), "ms", RatioAtMost(2)});
  const std::string againstReads = operation + " against reading every engine file";
  Add({againstReads, store, shape.engines, turns.Subject(), turns.Floor(1), "ms", {}});
  // At this size the dialog is also held to a time of its own.
  if (shape.engines == 10000 && shape.folders == 100)
    Add({operation + ", whole time", store, shape.engines, turns.Subject(), 0, "ms", FigureBelow(480)});
}

std::size_t CountLines(const std::string& path) {
  const std::string text = kft::ReadBytes(path);
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The recorder runs asynchronously: each measurement starts once the
// previous one's processes have written their lines.
void Bench::WaitForUrls(std::size_t count) {
  urlsExpected_ += count;
  const double deadline = NowMs() + 15000;
  while (CountLines(urlLog_) < urlsExpected_ && NowMs() < deadline) {
    PumpIdle();
    Sleep(5);
  }
}

void Bench::SelectWordInMail() {
  const std::wstring word(kWord, kWord + sizeof kWord - 1);
  sandbox_.Window().ShowMail(L"Subject: bench\r\n\r\nBefore " + word + L" after.\r\n");
  sandbox_.Window().SelectText(word);
}

void Bench::MeasureSearch(const std::string& engine) {
  const std::vector<kfhost::MenuItem> menu = sandbox_.BuildMenu(3);
  const kfhost::MenuItem* item = kfhost::FindMenuItem(menu, "Search engines/" + engine);
  const kfhost::Registration* reg = item ? kfhost::FindRegistration(item->id) : nullptr;
  if (!reg) {
    std::fprintf(stderr, "engine %s not in the menu\n", engine.c_str());
    return;
  }
  const Command search{item->id, reg->callback};
  SelectWordInMail();
  const std::string url = Url();
  HWND host = HostWindow();
  auto pick = [&] {
    const double start = NowMs();
    search.Run(host);
    const double elapsed = NowMs() - start;
    WaitForUrls(1);
    return elapsed;
  };
  auto shell = [&] {
    const double start = NowMs();
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
    const double elapsed = NowMs() - start;
    WaitForUrls(1);
    return elapsed;
  };
  auto clipboardAndShell = [&] {
    const double start = NowMs();
    ClipboardRoundTrip(host);
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
    const double elapsed = NowMs() - start;
    WaitForUrls(1);
    return elapsed;
  };
  const Turns t = RunTurns(quick_ ? 3 : 15, pick, {shell, clipboardAndShell});
  Add({"search", "1 engine", 1, t.Subject(), t.Floor(0), "ms", RatioAtMost(1.2)});
  Add({"search against shell + clipboard round trip", "1 engine", 1, t.Subject(), t.Floor(1), "ms",
       RatioAtMost(1.1)});
}

void Bench::MeasureSearchAll() {
  GenerateFolderStore(EngineDir(), kSearchAllFolder, kSearchAllEngines, kUrlTemplate);
  const std::string ini = sandbox_.IniPath();
  WritePrivateProfileStringA("General", "SearchAll", "1", ini.c_str());
  // "Search All (8)", a separator, then the engines in menu order.
  const std::vector<kfhost::MenuItem> menu = sandbox_.BuildMenu(3);
  const kfhost::MenuItem* folder = kfhost::FindMenuItem(menu, std::string("Search engines/") + kSearchAllFolder);
  Command all;
  std::vector<Command> engines;
  for (const kfhost::MenuItem& item : folder ? folder->children : std::vector<kfhost::MenuItem>()) {
    const kfhost::Registration* reg = item.separator ? nullptr : kfhost::FindRegistration(item.id);
    if (!reg)
      continue;
    if (reg->text == "Search All")
      all = Command{item.id, reg->callback};
    else
      engines.push_back(Command{item.id, reg->callback});
  }
  if (!all.callback || engines.size() != kSearchAllEngines) {
    std::fprintf(stderr, "Search All: the folder's menu has %s and %zu engines\n",
                 all.callback ? "the item" : "no such item", engines.size());
    WritePrivateProfileStringA("General", "SearchAll", nullptr, ini.c_str());
    return;
  }
  SelectWordInMail();
  const std::string url = Url();
  HWND host = HostWindow();
  // The pick returns after the capture and the first open; the others
  // follow on the host's timer while the benchmark pumps messages.
  std::vector<double> untilLast;
  auto searchAll = [&] {
    const double start = NowMs();
    all.Run(host);
    const double returned = NowMs() - start;
    WaitForUrls(kSearchAllEngines);
    untilLast.push_back(NowMs() - start);
    return returned;
  };
  auto singles = [&] {
    double total = 0;
    for (const Command& engine : engines) {
      const double start = NowMs();
      engine.Run(host);
      total += NowMs() - start;
      WaitForUrls(1);
    }
    return total;
  };
  auto waitingOpens = [&] {
    double waited = 0;
    const double start = NowMs();
    ClipboardRoundTrip(host);
    for (int i = 0; i < kSearchAllEngines; ++i) {
      ++handOffOpens_;
      if (OpenAndWait(url, waited))
        ++handOffPrograms_;
    }
    WaitForUrls(kSearchAllEngines);
    return NowMs() - start;
  };
  const Turns t = RunTurns(quick_ ? 3 : 15, searchAll, {singles, waitingOpens});
  // The warm-up's time is left out, as RunTurns leaves it out.
  untilLast.erase(untilLast.begin());
  const std::string store = "8 engines in 1 folder";
  Add({"Search All", store, kSearchAllEngines, t.Subject(), t.Floor(0), "ms", RatioBelow(1)});
  Add({kSearchAllUntilLast, store, kSearchAllEngines, Median(untilLast), t.Floor(1), "ms", {}});
  WritePrivateProfileStringA("General", "SearchAll", nullptr, ini.c_str());
}

// Every line the recorder wrote must be the same URL, one for each open:
// otherwise the plug-in searched for something else than the floors opened,
// or some open was lost, and the figures compare nothing.
bool Bench::CheckUrlLog() const {
  const std::string log = kft::ReadBytes(urlLog_);
  const std::string url = Url();
  std::size_t start = 0, lines = 0, bad = 0;
  for (std::size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = log.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    ++lines;
    if (line != url)
      ++bad;
  }
  if (bad || lines != urlsExpected_) {
    std::fprintf(stderr, "the recorder saw %zu addresses (%zu expected), %zu of them not %s\n", lines, urlsExpected_,
                 bad, url.c_str());
    return false;
  }
  return true;
}

bool Bench::Run(const std::string& outDir) {
  if (!sandbox_.Ready() || !sandbox_.Load()) {
    std::fprintf(stderr, "cannot load the library (error %lu)\n", sandbox_.LoadError());
    return false;
  }
  urlLog_ = sandbox_.Folder() + "urls.log";
  kft::WriteBytes(urlLog_, "");
  SetEnvironmentVariableA("KF_URL_LOG", urlLog_.c_str());

  std::printf("%-34s %-22s %12s %12s %6s  %-9s %s\n", "operation", "store", "median", "floor", "ratio", "target",
              "meets");
  struct Case {
    StoreShape shape;
    bool menu, dialog, memory, plotOnly;
  };
  const Case cases[] = {
      {{0, 1}, false, true, false, false},    {{100, 1}, true, false, false, true},
      {{100, 5}, true, false, false, false},  {{1000, 20}, true, true, false, false},
      {{1000, 1}, true, false, false, false}, {{3000, 1}, true, false, false, true},
      {{10000, 1}, true, false, true, false}, {{10000, 100}, true, true, true, false},
  };
  for (const Case& c : cases) {
    if ((quick_ && c.plotOnly) || !((c.menu && Measures("menu")) || (c.dialog && Measures("dialog")) ||
                                    (c.shape.engines == 100 && c.shape.folders == 5 && Measures("search"))))
      continue;
    const std::string rootEngine = GenerateStore(EngineDir(), c.shape, kUrlTemplate);
    // A user's store was written long before the menu reads it; the menu's
    // memory reads a file again while it is younger than the file system's
    // time resolution (2 s).
    Sleep(2100);
    if (c.menu && Measures("menu"))
      MeasureMenu(c.shape, c.memory, !c.plotOnly);
    if (c.menu && !c.plotOnly && Measures("menu"))
      MeasureFirstMenu(c.shape);
    if (c.dialog && Measures("dialog"))
      MeasureDialog(c.shape, c.memory);
    if (c.shape.engines == 100 && c.shape.folders == 5 && Measures("search")) {
      MeasureSearch(rootEngine);
      // Replaces the store: the last thing done with it.
      MeasureSearchAll();
    }
  }
  if (excess1000_ > 0) {
    Add({"growth above floor", "1,000 to 10,000 in 1", 10000, excess10000_ / excess1000_, 0, "x", FigureAtMost(12)});
    std::printf("  (time above the floor: %.2f ms at 1,000, %.2f ms at 10,000)\n", excess1000_, excess10000_);
  }
  SetEnvironmentVariableA("KF_URL_LOG", nullptr);
  if (!CheckUrlLog())
    return false;
  std::printf("\n%s\n", Notes().c_str());
  return WriteOutputs(outDir);
}

std::string Bench::Notes() const {
  std::string missed;
  int misses = 0, targets = 0;
  bool dialogMissed = false;
  for (const Row& r : rows_) {
    if (r.target.kind == Target::kNone)
      continue;
    ++targets;
    if (r.Meets() != "no")
      continue;
    missed += std::string(misses++ ? "; " : "") + r.operation + ", " + r.store + " (" + r.Judged() + ", target " +
              r.TargetText() + ")";
    dialogMissed = dialogMissed || r.operation.rfind("dialog", 0) == 0;
  }
  std::string notes =
      misses ? "**Missed targets (" + std::to_string(misses) + " of " + std::to_string(targets) + "):** " + missed + "."
             : "**Every target is met** (" + std::to_string(targets) + " of " + std::to_string(targets) + ").";

  const Row* all = FindRow("Search All");
  const Row* untilLast = FindRow(kSearchAllUntilLast);
  if (all && untilLast) {
    notes += "\n\nSearch All gives the host back its window after one capture of the selection and the first open (" +
             Fixed(all->median, 2) + " ms against " + Fixed(all->floor, 2) +
             " ms for 8 single searches). The other opens follow on the host's timer, each once the program the "
             "shell started for the one before has ended (up to " + std::to_string(kHandOffMs / 1000) + " s; " +
             std::to_string(kOpenGapMs) + " ms apart when the shell names none), so that the browser keeps the "
             "menu's order. From the pick to the last address recorded it took " + Fixed(untilLast->median, 2) +
             " ms, against " + Fixed(untilLast->floor, 2) +
             " ms for one capture and the same opens and waits made in a row (ratio " + untilLast->RatioText() + "; " +
             std::to_string(handOffPrograms_) + " of " + std::to_string(handOffOpens_) +
             " opens of that floor gave a program to wait for).";
  }

  if (dialogMissed) {
    const Row* emptyOpen = nullptr;
    const Row* emptyF5 = nullptr;
    for (const Row& r : rows_) {
      if (r.store == kEmptyStore && r.operation == "dialog open")
        emptyOpen = &r;
      if (r.store == kEmptyStore && r.operation == "dialog F5")
        emptyF5 = &r;
    }
    if (emptyOpen && emptyF5) {
      // The empty store's rows are measured minutes apart from these: they
      // are set against twice the floor, never subtracted.
      std::string fixed, grows;
      for (const Row& r : rows_) {
        if ((r.operation != "dialog open" && r.operation != "dialog F5") || r.target.kind != Target::kRatio ||
            r.Meets() != "no")
          continue;
        const Row& empty = r.operation == "dialog open" ? *emptyOpen : *emptyF5;
        std::string& list = empty.median > 2 * r.floor ? fixed : grows;
        list += std::string(list.empty() ? "" : "; ") + r.operation + ", " + r.store +
                " (twice the floor: " + Fixed(2 * r.floor, 2) + " ms)";
      }
      notes +=
          "\n\nThe dialog's floor makes no window and paints nothing. On an empty store, measured apart, the "
          "dialog takes " +
          Fixed(emptyOpen->median, 2) + " ms to open and " + Fixed(emptyF5->median, 2) +
          " ms for F5, whatever the store holds.";
      if (!fixed.empty())
        notes += " That alone is more than twice the floor for " + fixed + ".";
      if (!grows.empty())
        notes += " It is within twice the floor for " + grows +
                 ", so what these take beyond the target grows with the store: besides the floor's walk, the dialog "
                 "lists the root's engines into its list, and paints the tree and the list.";
    }
  }

  const Row* growth = FindRow("growth above floor");
  if (growth && growth->median < 0)
    notes +=
        "\n\nThe growth above the floor is negative: at 10,000 engines in one folder the floor swung by more "
        "than the plug-in's time above it (see below), so this run says nothing about that growth.";
  return notes;
}

// Commas and quotes in a field get the field quoted.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos)
    return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"')
      quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

bool Bench::WriteOutputs(const std::string& outDir) const {
  std::string csv = "operation,store,engines,median,floor,ratio,unit,target,meets\n";
  std::string md =
      "| operation | store | median | floor | ratio | target | meets target |\n"
      "|---|---|---:|---:|---:|---|---|\n";
  std::string dat = "# engines folders plugin_ms floor_ms\n";
  for (const Row& r : rows_) {
    csv += CsvField(r.operation) + "," + CsvField(r.store) + "," + std::to_string(r.engines) + "," +
           Fixed(r.median, 3) + "," + (r.HasFloor() ? Fixed(r.floor, 3) + "," + Fixed(r.Ratio(), 3) : ",") + "," +
           r.unit + "," + CsvField(r.TargetText()) + "," + r.Meets() + "\n";
    md += "| " + r.operation + " | " + r.store + " | " + r.Figure() + " | " + r.FloorText() + " | " + r.RatioText() +
          " | " + r.TargetText() + " | " + r.Meets() + " |\n";
    if (r.operation == "menu build") {
      const int folders = r.store.find(" in 1 folder") != std::string::npos ? 1 : 0;
      dat += std::to_string(r.engines) + " " + std::to_string(folders) + " " + Fixed(r.median, 3) + " " +
             Fixed(r.floor, 3) + "\n";
    }
  }
  md += "\n" + Notes() + "\n";
  return kft::WriteBytes(kft::Join(outDir, "performance.csv"), csv) &&
         kft::WriteBytes(kft::Join(outDir, "performance-table.md"), md) &&
         kft::WriteBytes(kft::Join(outDir, "menu-build.dat"), dat);
}

}  // namespace
}  // namespace kfbench

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kfbench OUTDIR [--quick] [--only=menu|dialog|search]\n");
    return 2;
  }
  bool quick = false;
  std::string only;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick")
      quick = true;
    else if (arg.rfind("--only=", 0) == 0)
      only = arg.substr(7);
  }
  kfbench::Bench bench(quick, only);
  return bench.Run(argv[1]) ? 0 : 1;
}
