// What one status tick costs on the user-interface thread, with many other processes running.
//   kelvo_status_tick_bench [--processes N] [--ticks N] [--max <path of a 3dsmax.exe stand-in>]
//                           [--standins N]
// Prints the median and slowest tick in microseconds, what its parts cost, and "name value"
// lines for bench/run-status-tick.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/start_command.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"
#include "platform/toolbox_view.h"
#include "procctl/process_toolkit.h"
#include "procctl/status_monitor.h"
#include "procctl/window_toolkit.h"

namespace {

using kelvo::UniqueHandle;

// The label's text goes nowhere; the tick's cost is the logic and the system calls.
class NullView final : public kelvo::ToolboxView {
 public:
  bool IsChecked(kelvo::Control) override { return false; }
  void SetChecked(kelvo::Control, bool) override {}
  std::string Caption(kelvo::Control) override { return {}; }
  void SetCaption(kelvo::Control, const std::string& caption) override {
    last_size = caption.size();
  }
  bool IsEnabled(kelvo::Control) override { return true; }
  void SetEnabled(kelvo::Control, bool) override {}
  bool IsDefaultButton(kelvo::Control) override { return false; }
  void SetDefaultButton(kelvo::Control, bool) override {}
  void SetTextColour(kelvo::Control, std::uint32_t) override {}
  std::uint32_t TextColour(kelvo::Control) override { return 0; }
  void SetTimerPeriod(kelvo::Timer, std::uint32_t) override {}
  std::uint32_t TimerPeriod(kelvo::Timer) override { return 0; }
  kelvo::WindowHandle Handle() override { return 0; }
  std::size_t last_size = 0;
};

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// A child lives until its parent is gone, so an interrupted run leaves nothing behind.
int RunChild(DWORD parent_id) {
  UniqueHandle parent(::OpenProcess(SYNCHRONIZE, FALSE, parent_id));
  if (parent) ::WaitForSingleObject(parent.get(), INFINITE);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int processes = 100;
  int ticks = 101;
  int standins = 1;
  std::wstring max_path;
  for (int i = 1; i < argc; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--child" && i + 1 < argc)
      return RunChild(std::wcstoul(argv[i + 1], nullptr, 10));
    if (option == L"--processes" && i + 1 < argc) processes = _wtoi(argv[++i]);
    if (option == L"--ticks" && i + 1 < argc) ticks = std::max(1, _wtoi(argv[++i]));
    if (option == L"--max" && i + 1 < argc) max_path = argv[++i];
    if (option == L"--standins" && i + 1 < argc) standins = std::max(1, _wtoi(argv[++i]));
  }

  const std::wstring child =
      L"\"" + OwnPath() + L"\" --child " + std::to_wstring(::GetCurrentProcessId());
  std::vector<UniqueHandle> children;
  for (int i = 0; i < processes; ++i) {
    UniqueHandle started = kelvo::bench::StartCommand(child);
    if (!started) {
      std::fprintf(stderr, "could not start child %d (error %lu)\n", i, ::GetLastError());
      break;
    }
    children.push_back(std::move(started));
  }
  std::vector<UniqueHandle> maxes;
  for (int i = 0; !max_path.empty() && i < standins; ++i)
    maxes.push_back(kelvo::bench::StartCommand(L"\"" + max_path + L"\""));
  ::Sleep(2000);  // let the children and the stand-in's window come up

  kelvo::Win32System win32;
  kelvo::System& system = win32.system();
  kelvo::StatusMonitor monitor;
  NullView view;
  kelvo::TakeCpuBaseline(system, monitor.cpu);
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  // Median (and slowest) microseconds of `step` over the ticks.
  double slowest = 0;
  const auto median_of = [&](auto step) {
    std::vector<double> micros;
    for (int i = 0; i < ticks; ++i) {
      LARGE_INTEGER before{}, after{};
      ::QueryPerformanceCounter(&before);
      step();
      ::QueryPerformanceCounter(&after);
      micros.push_back(static_cast<double>(after.QuadPart - before.QuadPart) * 1e6 /
                       static_cast<double>(frequency.QuadPart));
    }
    std::sort(micros.begin(), micros.end());
    slowest = micros.back();
    return micros[micros.size() / 2];
  };

  DWORD handles_before = 0, handles_after = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &handles_before);
  const double tick = median_of([&] { kelvo::StatusTick(system, monitor, view); });
  const double tick_max = slowest;
  ::GetProcessHandleCount(::GetCurrentProcess(), &handles_after);
  std::printf(
      "status tick with %zu other processes and %zu 3ds Max stand-in(s): median %.0f us, slowest "
      "%.0f us (%d ticks; 3ds Max id %lu, main window %lld)\n",
      children.size(), maxes.size(), tick, tick_max, ticks,
      static_cast<unsigned long>(monitor.values.max_process_id),
      static_cast<long long>(monitor.values.max_main_window));
  const kelvo::ProcessId max_id = monitor.values.max_process_id;
  const double memory = median_of([&] { (void)system.system_info.MemoryLoadPercent(); });
  const double lookup =
      median_of([&] { (void)kelvo::FindProcessId(system, kelvo::kMaxProcessName); });
  const double search = median_of([&] { (void)kelvo::MainWindowOf(system, max_id); });
  const double search_max = slowest;
  const double cpu = median_of([&] { (void)kelvo::MeasureCpuUsage(system, monitor.cpu); });
  std::printf(
      "  of which, medians: memory %.0f us, process lookup %.0f us, window search %.0f us "
      "(slowest %.0f us), processor times %.0f us\n",
      memory, lookup, search, search_max, cpu);
  // A search that finds nothing walks every top-level window: the case its bound is for.
  const kelvo::ProcessId windowless = ::GetCurrentProcessId();
  const double full_walk = median_of([&] { (void)kelvo::MainWindowOf(system, windowless); });
  const double full_walk_max = slowest;
  std::printf("  a window search that finds nothing: median %.0f us, slowest %.0f us\n", full_walk,
              full_walk_max);
  // The lookup's floor: taking the snapshot alone, without walking it.
  std::printf("  a process snapshot alone: median %.0f us\n", median_of([] {
                UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
              }));
  // The lookup as a Toolhelp walk would make it: the reference for the process lookup.
  const double toolhelp_walk = median_of([] {
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
    }
  });
  std::printf("  a process snapshot walked without converting names: median %.0f us\n",
              toolhelp_walk);
  std::printf(
      "tick_median_us %.0f\ntick_max_us %.0f\nlookup_median_us %.0f\ntoolhelp_walk_median_us "
      "%.0f\nwindow_search_max_us %.0f\nwindow_full_walk_max_us %.0f\nhandles_after_ticks %ld\n",
      tick, tick_max, lookup, toolhelp_walk, search_max, full_walk_max,
      static_cast<long>(handles_after) - static_cast<long>(handles_before));

  for (UniqueHandle& m : maxes)
    ::TerminateProcess(m.get(), 0);
  for (UniqueHandle& c : children)
    ::TerminateProcess(c.get(), 0);
  for (UniqueHandle& c : children)
    ::WaitForSingleObject(c.get(), 5000);
  return 0;
}
