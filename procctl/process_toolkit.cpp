#include "procctl/process_toolkit.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "platform/gbk_text.h"

namespace kelvo {
namespace {

struct PriorityMapping {
  int kind;
  std::uint32_t priority_class;
};

constexpr PriorityMapping kPriorityClasses[] = {
    {kPriorityHigh, 0x80},   {kPriorityAboveNormal, 0x8000}, {kPriorityRealtime, 0x100},
    {kPriorityNormal, 0x20}, {kPriorityBelowNormal, 0x4000}, {kPriorityIdle, 0x40},
};

constexpr std::uint32_t kTerminateExitCode = 0;
// An affinity mask is 32 bits wide: it names processors 0 to 31 only.
constexpr unsigned kMaskProcessors = 32;

bool IsAsciiLetter(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsGbkLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

// Whole names, character by character: the second byte of a double-byte character may look like
// an ASCII letter, but it is compared exactly, as is every byte that is not a letter.
bool SameExeName(const std::string& a, const std::string& b, bool case_sensitive) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsGbkLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    const bool same = case_sensitive ? a[i] == b[i] : AsciiLower(a[i]) == AsciiLower(b[i]);
    if (!same) return false;
  }
  return true;
}

int Sign(int value) {
  return (value > 0) - (value < 0);
}

}  // namespace

std::uint32_t PriorityClassOf(int kind) {
  for (const PriorityMapping& mapping : kPriorityClasses) {
    if (mapping.kind == kind) return mapping.priority_class;
  }
  return static_cast<std::uint32_t>(kind);
}

ProcessId FindProcessId(System& system, const std::string& exe_name, bool case_sensitive) {
  ProcessId found = 0;
  // A failed snapshot leaves `found` at 0, which is the answer for it.
  (void)system.processes.ForEachProcess([&](const ProcessEntry& entry) {
    if (!SameExeName(entry.exe_name, exe_name, case_sensitive)) return true;
    found = entry.id;
    return false;
  });
  return found;
}

int FindAllProcessIds(System& system, const std::string& exe_name, std::vector<ProcessId>& ids,
                      bool case_sensitive) {
  ids.clear();
  const std::u16string wanted = GbkToUtf16Text(exe_name);
  const bool listed = system.processes.ForEachProcess([&](const ProcessEntry& entry) {
    if (CompareWideNames(entry.wide_name.c_str(), wanted.c_str(), case_sensitive) == 0) {
      ids.push_back(entry.id);
    }
    return true;
  });
  if (!listed) {
    ids.clear();
    return -1;
  }
  return static_cast<int>(ids.size());
}

int CompareWideNames(const char16_t* a, const char16_t* b, bool case_sensitive) {
  // A missing string is ordered by its address, so it never equals a present one.
  if (a == nullptr || b == nullptr) {
    return std::less<const char16_t*>{}(b, a) - std::less<const char16_t*>{}(a, b);
  }
  int d = 0;
  for (;; ++a, ++b) {
    // Units are signed: those from 0x8000 up order below every ASCII character.
    const int unit_a = static_cast<std::int16_t>(*a);
    const int unit_b = static_cast<std::int16_t>(*b);
    d = unit_a - unit_b;
    // Only a's unit is checked for being a letter, so 'A' also matches '!' (32 below it).
    const bool case_pair = !case_sensitive && IsAsciiLetter(unit_a) && (d == 32 || d == -32);
    if (d != 0 && !case_pair) break;
    if (unit_a == 0) break;
  }
  return Sign(d);
}

bool SetProcessPriority(System& system, ProcessId id, bool use_id, int kind) {
  // The port reads id 0 as the program's own process; asked for by id, 0 is no process at all.
  if (use_id && id == 0) return false;
  return system.processes.SetPriorityClass(use_id ? id : 0, PriorityClassOf(kind)).ok();
}

bool TerminateProcessById(System& system, ProcessId id) {
  return system.processes.Terminate(id, kTerminateExitCode).ok();
}

unsigned ProcessorCount(System& system) {
  return system.system_info.ProcessorCount();
}

std::uint32_t TopProcessorsMask(unsigned processors, int count) {
  const unsigned n = std::min(processors, kMaskProcessors);
  if (count <= 0) return 0;
  const unsigned taken = std::min(static_cast<unsigned>(count), n);
  std::uint32_t mask = 0;
  for (unsigned i = 1; i <= taken; ++i)
    mask |= std::uint32_t{1} << (n - i);
  return mask;
}

bool SetAffinityToTopProcessors(System& system, ProcessId id, int count) {
  if (id == 0) return false;
  // Windows refuses a zero mask and the process keeps its affinity.
  return system.processes.SetAffinityMask(id, TopProcessorsMask(ProcessorCount(system), count))
      .ok();
}

}  // namespace kelvo
