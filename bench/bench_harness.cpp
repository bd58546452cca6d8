// Windows-side measurements for bench/run-*; each prints "name value" lines for the script.
//   kelvo_bench startup <runs> <toolbox exe> <reference exe> <version page address>
//       process start to the first visible main window, the toolbox and the reference (which
//       reads the version page first) taking turns; medians in ms
//   kelvo_bench cpu-reading <busy threads> <intervals>
//       MeasureCpuUsage and /proc/stat (through Wine's Z: drive) over the same one-second
//       intervals, with that many threads spinning
//   kelvo_bench hide <exe name>
//       closes the main windows of every process of that name (the toolbox then hides in the
//       tray)
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/start_command.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"
#include "procctl/status_monitor.h"

namespace {

using kelvo::UniqueHandle;

double NowMs() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f{};
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct MainWindowQuery {
  DWORD process = 0;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMainWindows(HWND window, LPARAM parameter) {
  auto* query = reinterpret_cast<MainWindowQuery*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == query->process && ::IsWindowVisible(window) && ::GetParent(window) == nullptr) {
    query->found.push_back(window);
  }
  return TRUE;
}

std::vector<HWND> MainWindows(DWORD process) {
  MainWindowQuery query{process, {}};
  ::EnumWindows(CollectMainWindows, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

// Milliseconds from CreateProcess to the program's first visible main window; -1 when none came
// within 20 s. The program is ended afterwards.
double TimeToWindow(const std::wstring& command_line) {
  const double start = NowMs();
  const UniqueHandle process = kelvo::bench::StartCommand(command_line);
  if (!process) return -1;
  const DWORD process_id = ::GetProcessId(process.get());
  double shown = -1;
  while (NowMs() - start < 20000) {
    if (!MainWindows(process_id).empty()) {
      shown = NowMs() - start;
      break;
    }
    if (::WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0) break;
  }
  ::TerminateProcess(process.get(), 0);
  ::WaitForSingleObject(process.get(), 5000);
  // The single-instance event of an ended toolbox takes a moment to go away.
  ::Sleep(800);
  return shown;
}

int Startup(int runs, const std::wstring& toolbox, const std::wstring& reference,
            const std::wstring& url) {
  std::vector<double> toolbox_ms, reference_ms, window_ms;
  for (int i = 0; i < runs; ++i) {
    const double t = TimeToWindow(L"\"" + toolbox + L"\"");
    const double r = TimeToWindow(L"\"" + reference + L"\" --fetch " + url);
    const double w = TimeToWindow(L"\"" + reference + L"\" --window");
    std::printf("run %d: toolbox %.1f ms, reference with fetch %.1f ms, window alone %.1f ms\n", i,
                t, r, w);
    if (t < 0 || r < 0 || w < 0) {
      std::fprintf(stderr, "a program did not show its window\n");
      return 1;
    }
    toolbox_ms.push_back(t);
    reference_ms.push_back(r);
    window_ms.push_back(w);
  }
  std::printf("startup_toolbox_ms %.1f\nstartup_reference_ms %.1f\nstartup_window_ms %.1f\n",
              Median(toolbox_ms), Median(reference_ms), Median(window_ms));
  return 0;
}

// The machine's busy share by the Linux kernel's own counters: every field of the "cpu" line but
// idle and iowait counts as busy.
struct KernelTimes {
  unsigned long long busy = 0;
  unsigned long long total = 0;
};

bool ReadKernelTimes(KernelTimes& times) {
  UniqueHandle file(::CreateFileW(L"Z:\\proc\\stat", GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  if (!file) return false;
  char text[512] = {};
  DWORD got = 0;
  if (!::ReadFile(file.get(), text, sizeof text - 1, &got, nullptr) || got < 5) return false;
  unsigned long long field[8] = {};
  if (std::sscanf(text, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &field[0], &field[1],
                  &field[2], &field[3], &field[4], &field[5], &field[6], &field[7]) != 8) {
    return false;
  }
  times.total = 0;
  for (const unsigned long long f : field)
    times.total += f;
  times.busy = times.total - field[3] - field[4];
  return true;
}

std::atomic<bool> g_spin{true};

DWORD WINAPI Spin(void*) {
  volatile unsigned long long counter = 0;
  while (g_spin.load(std::memory_order_relaxed))
    counter = counter + 1;
  return 0;
}

int CpuReading(int busy_threads, int intervals) {
  std::vector<UniqueHandle> spinners;
  for (int i = 0; i < busy_threads; ++i)
    spinners.emplace_back(::CreateThread(nullptr, 0, Spin, nullptr, 0, nullptr));
  ::Sleep(500);
  kelvo::Win32System win32;
  kelvo::CpuMeter meter;
  KernelTimes before;
  kelvo::TakeCpuBaseline(win32.system(), meter);
  if (!ReadKernelTimes(before)) {
    std::fprintf(stderr, "cannot read Z:\\proc\\stat\n");
    return 1;
  }
  std::vector<double> differences, program, kernel;
  for (int i = 0; i < intervals; ++i) {
    ::Sleep(1000);
    const int measured = kelvo::MeasureCpuUsage(win32.system(), meter);
    KernelTimes after;
    if (!ReadKernelTimes(after) || measured < 0) return 1;
    const double reference =
        100.0 * static_cast<double>(after.busy - before.busy) /
        static_cast<double>(std::max<unsigned long long>(1, after.total - before.total));
    before = after;
    std::printf("interval %d: MeasureCpuUsage %d %%, /proc/stat %.1f %%\n", i, measured, reference);
    program.push_back(measured);
    kernel.push_back(reference);
    differences.push_back(std::abs(measured - reference));
  }
  g_spin = false;
  for (const UniqueHandle& spinner : spinners)
    ::WaitForSingleObject(spinner.get(), 5000);
  std::printf("cpu_program_median %.1f\ncpu_kernel_median %.1f\n", Median(program), Median(kernel));
  std::printf("cpu_difference_median %.1f\ncpu_difference_max %.1f\n", Median(differences),
              *std::max_element(differences.begin(), differences.end()));
  return 0;
}

int Hide(const std::wstring& exe_name) {
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int closed = 0;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (::lstrcmpiW(entry.szExeFile, exe_name.c_str()) != 0) continue;
    for (const HWND window : MainWindows(entry.th32ProcessID)) {
      ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
      ++closed;
    }
  }
  std::printf("closed %d window(s)\n", closed);
  return closed > 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"startup" && argc == 6)
    return Startup(std::max(1, _wtoi(argv[2])), argv[3], argv[4], argv[5]);
  if (command == L"cpu-reading" && argc == 4)
    return CpuReading(_wtoi(argv[2]), std::max(1, _wtoi(argv[3])));
  if (command == L"hide" && argc == 3) return Hide(argv[2]);
  std::fprintf(stderr, "usage: see the head of bench/bench_harness.cpp\n");
  return 2;
}
