#include "maintenance/file_operations.h"

namespace kelvo {

bool IsNotFound(std::uint32_t error) {
  return error == kErrorFileNotFound || error == kErrorPathNotFound;
}

}  // namespace kelvo
