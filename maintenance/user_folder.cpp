#include "maintenance/user_folder.h"

#include "model/desktop_user.h"

namespace kelvo {

std::optional<std::string> ReleaseUserFolder(const std::string& desktop_user, MaxVersion release) {
  if (desktop_user.empty()) return std::nullopt;
  return UserPath(desktop_user, UserDirSuffix(release));
}

}  // namespace kelvo
