// kfbench OUTDIR [--quick]: times the real library in this host against the
// floors of Store.h on synthetic stores, prints a table and writes
// OUTDIR\performance.csv, OUTDIR\performance-table.md and the plot's data
// OUTDIR\menu-build.dat. Each figure is the median of repeated runs after a
// warm-up; the plug-in and its floor take turns so that drift hits both.
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
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

// Both sides of one measurement, run in turns after a warm-up.
struct Paired {
  std::vector<double> subject, floor, excess;
  double Subject() const { return Median(subject); }
  double Floor() const { return Median(floor); }
  double Excess() const { return Median(excess); }
};

Paired RunPaired(int repeats, const std::function<double()>& subject, const std::function<double()>& floor) {
  Paired p;
  for (int round = 0; round <= repeats; ++round) {
    double s, f;
    if (round % 2) {
      f = floor();
      s = subject();
    } else {
      s = subject();
      f = floor();
    }
    if (round == 0)
      continue;  // the warm-up
    p.subject.push_back(s);
    p.floor.push_back(f);
    p.excess.push_back(s - f);
  }
  return p;
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

struct Row {
  std::string operation, store;
  int engines = 0;
  double median = 0, floor = 0;  // ms (or MB for memory, no floor)
  std::string unit = "ms";
  std::string target;            // "<= 1.3", empty when none
  double Ratio() const { return floor > 0 ? median / floor : 0; }
};

class Bench {
 public:
  explicit Bench(bool quick) : quick_(quick) {}

  bool Run(const std::string& outDir);

 private:
  int Repeats(int engines) const {
    if (quick_)
      return 3;
    return engines >= 10000 ? 7 : 15;
  }
  std::string EngineDir() const { return sandbox_.EngineDir(); }
  HWND HostWindow() { return sandbox_.Window().Handle(); }

  double PluginMenuBuild();
  double FloorMenuBuild();
  void MeasureMenu(const StoreShape& shape, bool memory);
  void MeasureDialog(const StoreShape& shape, bool memory);
  void MeasureSearch(const std::string& engine);
  void Add(const Row& row);
  bool WriteOutputs(const std::string& outDir) const;

  bool quick_;
  kft::PluginSandbox sandbox_;
  std::vector<Row> rows_;
  // Time above the floor of the one-folder menu builds, by engine count.
  double excess1000_ = 0, excess10000_ = 0;
  std::string urlLog_;
};

void Bench::Add(const Row& row) {
  rows_.push_back(row);
  if (row.unit == "ms")
    std::printf("%-26s %-22s %10.2f ms %10.2f ms %7.2f  %s\n", row.operation.c_str(), row.store.c_str(),
                row.median, row.floor, row.Ratio(), row.target.c_str());
  else
    std::printf("%-26s %-22s %10.1f %s\n", row.operation.c_str(), row.store.c_str(), row.median, row.unit.c_str());
  std::fflush(stdout);
}

double Bench::PluginMenuBuild() {
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

double Bench::FloorMenuBuild() {
  const double start = NowMs();
  HMENU menu = FloorMenu(EngineDir());
  const double elapsed = NowMs() - start;
  DestroyMenu(menu);
  return elapsed;
}

void Bench::MeasureMenu(const StoreShape& shape, bool memory) {
  if (memory) {
    const bool reset = ResetPeak();
    PluginMenuBuild();
    Add({"peak working set: menu", ShapeLabel(shape), shape.engines, PeakWorkingSetMb(), 0,
         reset ? "MB" : "MB (run so far)", ""});
  }
  const Paired p = RunPaired(Repeats(shape.engines), [this] { return PluginMenuBuild(); },
                             [this] { return FloorMenuBuild(); });
  Add({"menu build", ShapeLabel(shape), shape.engines, p.Subject(), p.Floor(), "ms", "<= 1.3"});
  if (shape.folders == 1 && shape.engines == 1000)
    excess1000_ = p.Excess();
  if (shape.folders == 1 && shape.engines == 10000)
    excess10000_ = p.Excess();
}

void Bench::MeasureDialog(const StoreShape& shape, bool memory) {
  // The first setup request makes the dialog; only a fresh load of the
  // library gives another first one.
  HWND dialog = nullptr;
  auto open = [&] {
    sandbox_.Unload();
    sandbox_.Load();
    PumpIdle();
    const double start = NowMs();
    sandbox_.Plugin().OnPlugInSetup(HostWindow());
    PumpIdle();
    const double elapsed = NowMs() - start;
    dialog = FindWindowA(kf::kSettingFormClass, nullptr);
    return elapsed;
  };
  auto floor = [&] {
    const double start = NowMs();
    FloorReadStore(EngineDir());
    return NowMs() - start;
  };
  if (memory) {
    sandbox_.Unload();
    sandbox_.Load();
    const bool reset = ResetPeak();
    open();
    Add({"peak working set: dialog", ShapeLabel(shape), shape.engines, PeakWorkingSetMb(), 0,
         reset ? "MB" : "MB (run so far)", ""});
  }
  const Paired opened = RunPaired(Repeats(shape.engines), open, floor);
  Add({"dialog open", ShapeLabel(shape), shape.engines, opened.Subject(), opened.Floor(), "ms", "<= 2"});
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
  const Paired reloaded = RunPaired(Repeats(shape.engines), f5, floor);
  Add({"dialog F5", ShapeLabel(shape), shape.engines, reloaded.Subject(), reloaded.Floor(), "ms", "<= 2"});
  sandbox_.Unload();
  sandbox_.Load();
}

std::size_t CountLines(const std::string& path) {
  const std::string text = kft::ReadBytes(path);
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The recorder runs asynchronously: each measurement starts once the
// previous one's process has written its line.
void WaitForLines(const std::string& log, std::size_t lines) {
  const double deadline = NowMs() + 15000;
  while (CountLines(log) < lines && NowMs() < deadline) {
    PumpIdle();
    Sleep(5);
  }
}

void Bench::MeasureSearch(const std::string& engine) {
  const std::vector<kfhost::MenuItem> menu = sandbox_.BuildMenu(3);
  const kfhost::MenuItem* item = kfhost::FindMenuItem(menu, "Search engines/" + engine);
  const kfhost::Registration* reg = item ? kfhost::FindRegistration(item->id) : nullptr;
  if (!reg) {
    std::fprintf(stderr, "engine %s not in the menu\n", engine.c_str());
    return;
  }
  const std::wstring word(kWord, kWord + sizeof kWord - 1);
  sandbox_.Window().ShowMail(L"Subject: bench\r\n\r\nBefore " + word + L" after.\r\n");
  sandbox_.Window().SelectText(word);
  const std::string url = std::string("kftest://bench/?q=") + kWord;
  const UINT id = item->id;
  const kfhost::CommandCallback callback = reg->callback;
  std::size_t expected = CountLines(urlLog_);
  auto search = [&] {
    const double start = NowMs();
    callback(HostWindow(), MAKELPARAM(id, 1));
    const double elapsed = NowMs() - start;
    WaitForLines(urlLog_, ++expected);
    return elapsed;
  };
  auto floor = [&] {
    const double start = NowMs();
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
    const double elapsed = NowMs() - start;
    WaitForLines(urlLog_, ++expected);
    return elapsed;
  };
  // What the shell call alone leaves out and no search can skip: keep the
  // user's clipboard, have the host copy, read the word, put it all back.
  HWND host = HostWindow();
  auto clipboardAndShell = [&] {
    const double start = NowMs();
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
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
    const double elapsed = NowMs() - start;
    WaitForLines(urlLog_, ++expected);
    return elapsed;
  };
  const Paired p = RunPaired(quick_ ? 3 : 15, search, floor);
  Add({"search", "1 engine", 1, p.Subject(), p.Floor(), "ms", "<= 1.2"});
  const Paired c = RunPaired(quick_ ? 3 : 15, search, clipboardAndShell);
  Add({"search against shell + clipboard round trip", "1 engine", 1, c.Subject(), c.Floor(), "ms", ""});
  // Every line the recorder wrote must be the same URL, or the plug-in
  // searched for something else than the floor opened.
  const std::string log = kft::ReadBytes(urlLog_);
  std::size_t start = 0, bad = 0;
  for (std::size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = log.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line != url)
      ++bad;
  }
  if (bad || expected == 0)
    std::fprintf(stderr, "search: %zu of the opened URLs differ from %s\n", bad, url.c_str());
}

bool Bench::Run(const std::string& outDir) {
  if (!sandbox_.Ready() || !sandbox_.Load()) {
    std::fprintf(stderr, "cannot load the library (error %lu)\n", sandbox_.LoadError());
    return false;
  }
  urlLog_ = sandbox_.Folder() + "urls.log";
  kft::WriteBytes(urlLog_, "");
  SetEnvironmentVariableA("KF_URL_LOG", urlLog_.c_str());

  std::printf("%-26s %-22s %13s %13s %7s  %s\n", "operation", "store", "median", "floor", "ratio", "target");
  struct Case {
    StoreShape shape;
    bool menu, dialog, memory, plotOnly;
  };
  const Case cases[] = {
      {{100, 1}, true, false, false, true},        {{100, 5}, true, false, false, false},
      {{1000, 20}, true, true, false, false},      {{1000, 1}, true, false, false, false},
      {{3000, 1}, true, false, false, true},       {{10000, 1}, true, false, true, false},
      {{10000, 100}, true, true, true, false},
  };
  for (const Case& c : cases) {
    if (quick_ && c.plotOnly)
      continue;
    const std::string rootEngine = GenerateStore(EngineDir(), c.shape, kUrlTemplate);
    if (c.menu)
      MeasureMenu(c.shape, c.memory);
    if (c.dialog)
      MeasureDialog(c.shape, c.memory);
    if (c.shape.engines == 100 && c.shape.folders == 5)
      MeasureSearch(rootEngine);
  }
  if (excess1000_ > 0) {
    Row growth{"growth above floor", "1,000 to 10,000 in 1", 10000, excess10000_ / excess1000_, 0, "x", "<= 12"};
    Add(growth);
    std::printf("  (time above the floor: %.2f ms at 1,000, %.2f ms at 10,000)\n", excess1000_, excess10000_);
  }
  SetEnvironmentVariableA("KF_URL_LOG", nullptr);
  return WriteOutputs(outDir);
}

bool Bench::WriteOutputs(const std::string& outDir) const {
  std::string csv = "operation,store,engines,median,floor,ratio,unit,target\n";
  std::string md = "| operation | store | median | floor | ratio | target |\n|---|---|---:|---:|---:|---|\n";
  std::string dat = "# engines folders plugin_ms floor_ms\n";
  for (const Row& r : rows_) {
    const bool timed = r.unit == "ms";
    csv += r.operation + ",\"" + r.store + "\"," + std::to_string(r.engines) + "," + Fixed(r.median, 3) + "," +
           (timed ? Fixed(r.floor, 3) + "," + Fixed(r.Ratio(), 3) : std::string(",")) + "," + r.unit + "," +
           r.target + "\n";
    if (timed) {
      md += "| " + r.operation + " | " + r.store + " | " + Fixed(r.median, 2) + " ms | " + Fixed(r.floor, 2) +
            " ms | " + Fixed(r.Ratio(), 2) + " | " + r.target + " |\n";
    } else {
      md += "| " + r.operation + " | " + r.store + " | " + Fixed(r.median, r.unit == "x" ? 2 : 1) + " " + r.unit +
            " | | | " + r.target + " |\n";
    }
    if (r.operation == "menu build") {
      const int folders = r.store.find(" in 1 folder") != std::string::npos ? 1 : 0;
      dat += std::to_string(r.engines) + " " + std::to_string(folders) + " " + Fixed(r.median, 3) + " " +
             Fixed(r.floor, 3) + "\n";
    }
  }
  return kft::WriteBytes(kft::Join(outDir, "performance.csv"), csv) &&
         kft::WriteBytes(kft::Join(outDir, "performance-table.md"), md) &&
         kft::WriteBytes(kft::Join(outDir, "menu-build.dat"), dat);
}

}  // namespace
}  // namespace kfbench

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kfbench OUTDIR [--quick]\n");
    return 2;
  }
  const bool quick = argc > 2 && std::string(argv[2]) == "--quick";
  kfbench::Bench bench(quick);
  return bench.Run(argv[1]) ? 0 : 1;
}
