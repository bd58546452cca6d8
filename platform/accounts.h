// Accounts that own processes: who owns the desktop shell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/os_result.h"

namespace kelvo {

using Sid = std::vector<std::uint8_t>;  // a security identifier, as Windows stores it

class Accounts {
 public:
  virtual ~Accounts() = default;

  // The process's creation time (FILETIME as 64 bits) from the system's process list; the list is
  // asked for again with a larger buffer when it grew between the size query and the read (a few
  // tries). nullopt when the process is not in the list or the list cannot be read.
  [[nodiscard]] virtual std::optional<std::uint64_t> ProcessCreationTime(ProcessId id) = 0;
  // The owner as the terminal-session service reports it (its library loaded from the system
  // folder only). nullopt when the service's call is missing or fails (it always fails under
  // Wine).
  [[nodiscard]] virtual std::optional<Sid> SessionProcessOwner(ProcessId id,
                                                               std::uint64_t creation_time) = 0;
  // The owner read from the process's token.
  [[nodiscard]] virtual std::optional<Sid> TokenProcessOwner(ProcessId id) = 0;
  // The account name without the domain ("user1", not "PC\user1"), GBK.
  [[nodiscard]] virtual std::optional<std::string> AccountName(const Sid& sid) = 0;
};

}  // namespace kelvo
