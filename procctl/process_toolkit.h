// Finding processes by their file name, re-prioritising, ending and restraining them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system.h"

namespace kelvo {

// Priority kinds the callers use instead of Windows priority classes.
enum PriorityKind : int {
  kPriorityHigh = 0,         // HIGH_PRIORITY_CLASS 0x80
  kPriorityAboveNormal = 1,  // 0x8000
  kPriorityRealtime = 2,     // 0x100
  kPriorityNormal = 3,       // 0x20
  kPriorityBelowNormal = 4,  // 0x4000
  kPriorityIdle = 5,         // 0x40
};

// The Windows priority class of a kind; any other value is handed on unchanged as a class.
std::uint32_t PriorityClassOf(int kind);

// Id of the first process in snapshot order whose file name equals `exe_name` (ASCII letters
// without case unless case_sensitive); 0 when none or when no snapshot could be taken.
ProcessId FindProcessId(System& system, const std::string& exe_name, bool case_sensitive = false);
// Every matching id in snapshot order; the list is emptied first. Answers the count, or -1 when
// no snapshot could be taken.
int FindAllProcessIds(System& system, const std::string& exe_name, std::vector<ProcessId>& ids,
                      bool case_sensitive = false);
// -1, 0 or 1 as for the wide snapshot's names; a null string never equals a present one.
int CompareWideNames(const char16_t* a, const char16_t* b, bool case_sensitive);

// use_id false acts on the program's own process, whatever id is given; by id, 0 is no process.
bool SetProcessPriority(System& system, ProcessId id, bool use_id, int kind = kPriorityHigh);
// Id 0 ends the program's own process. Does not wait until the process is gone.
bool TerminateProcessById(System& system, ProcessId id);
unsigned ProcessorCount(System& system);
// The `count` highest-numbered of `processors` processors; 0 for a count of 0 or less, all of
// them for a count above. A 32-bit mask names processors 0 to 31 only.
std::uint32_t TopProcessorsMask(unsigned processors, int count);
// Answers whether Windows accepted the mask: it refuses a zero mask (one or two processors
// restrained to n - 2) and a process beyond the program's rights, which keep their affinity.
// Id 0 restrains nothing.
bool SetAffinityToTopProcessors(System& system, ProcessId id, int count);

}  // namespace kelvo
