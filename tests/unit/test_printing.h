// How the tests print the project's own types in failure messages.
#pragma once

#include <ostream>

#include "model/version_catalogue.h"
#include "platform/os_result.h"

namespace kelvo {

inline void PrintTo(const OsResult& result, std::ostream* out) {
  *out << (result.ok() ? "ok" : "error ") << (result.ok() ? "" : std::to_string(result.error));
}

inline void PrintTo(MaxVersion release, std::ostream* out) {
  *out << Year(release);
}

}  // namespace kelvo
