#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/text_conversion.h"

namespace kelvo {

bool Win32Shell::OpenInBrowser(const std::string& address) {
  const std::wstring wide = GbkToUtf16(address).c_str();
  // ShellExecute answers a value above 32 when it started something.
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace kelvo
