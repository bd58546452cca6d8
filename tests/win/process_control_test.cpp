// Win32Processes and Win32SystemInfo: ending and restraining another process, the program's
// own path, the processor count.
#include <gtest/gtest.h>

#include <bit>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_system_info.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

// Far above any id Wine or Windows hands out.
constexpr ProcessId kMissing = 0x7FFFFFF0;

// A command interpreter that waits for input on a pipe nobody writes to: a process that runs
// until it is ended (or until this test program exits and the pipe closes).
class IdleChild {
 public:
  IdleChild() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0)) return;
    UniqueHandle input(read);
    input_writer_.reset(write);
    ::SetHandleInformation(write, HANDLE_FLAG_INHERIT, 0);
    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring cmd = std::wstring(system, length) + L"\\cmd.exe";
    std::wstring command = L"cmd.exe /q /k";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(cmd.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                         nullptr, nullptr, &startup, &started)) {
      process_.reset(started.hProcess);
      UniqueHandle thread(started.hThread);
      id_ = started.dwProcessId;
    }
  }
  ~IdleChild() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_.get(), 1);
      ::WaitForSingleObject(process_.get(), 5000);
    }
  }
  IdleChild(const IdleChild&) = delete;
  IdleChild& operator=(const IdleChild&) = delete;

  ProcessId id() const { return id_; }
  HANDLE handle() const { return process_.get(); }
  bool Ended(DWORD within_ms) const {
    return ::WaitForSingleObject(process_.get(), within_ms) == WAIT_OBJECT_0;
  }

 private:
  UniqueHandle input_writer_;
  UniqueHandle process_;
  ProcessId id_ = 0;
};

TEST(ProcessControl, TerminateEndsAnotherProcessWithTheExitCode) {
  IdleChild child;
  ASSERT_NE(child.id(), 0u);
  ASSERT_FALSE(child.Ended(200));
  Win32Processes processes;
  EXPECT_EQ(processes.Terminate(child.id(), 42), OsResult::Ok());
  ASSERT_TRUE(child.Ended(5000));
  DWORD code = 0;
  ASSERT_TRUE(::GetExitCodeProcess(child.handle(), &code));
  EXPECT_EQ(code, 42u);

  EXPECT_EQ(processes.Terminate(kMissing, 0).error, kErrorInvalidParameter);
}

TEST(ProcessControl, AffinityMaskIsSetOnAnotherProcess) {
  IdleChild child;
  ASSERT_NE(child.id(), 0u);
  Win32Processes processes;
  Win32SystemInfo system_info;
  const unsigned processors = system_info.ProcessorCount();
  const auto mask_of_child = [&] {
    DWORD_PTR process_mask = 0;
    DWORD_PTR system_mask = 0;
    EXPECT_TRUE(::GetProcessAffinityMask(child.handle(), &process_mask, &system_mask));
    return process_mask;
  };

  EXPECT_EQ(processes.SetAffinityMask(child.id(), 0x1), OsResult::Ok());
  EXPECT_EQ(mask_of_child(), 0x1u);
  if (processors >= 2 && processors <= 32) {
    const std::uint32_t top = 1u << (processors - 1);
    EXPECT_EQ(processes.SetAffinityMask(child.id(), top), OsResult::Ok());
    EXPECT_EQ(mask_of_child(), top);
  }
  // Refused: no processor, and a processor the machine does not have. The mask stays.
  const DWORD_PTR before = mask_of_child();
  EXPECT_EQ(processes.SetAffinityMask(child.id(), 0).error, kErrorInvalidParameter);
  if (processors < 32) {
    EXPECT_EQ(processes.SetAffinityMask(child.id(), 1u << processors).error,
              kErrorInvalidParameter);
  }
  EXPECT_EQ(mask_of_child(), before);
  EXPECT_EQ(processes.SetAffinityMask(kMissing, 0x1).error, kErrorInvalidParameter);
}

TEST(ProcessControl, OwnExecutablePathIsTheRunningFile) {
  Win32Processes processes;
  const std::string path = processes.OwnExecutablePath();
  const std::string name = "\\kelvo_win_tests.exe";
  ASSERT_GT(path.size(), name.size());
  EXPECT_EQ(::lstrcmpiW(test::Wide(path.substr(path.size() - name.size())).c_str(),
                        test::Wide(name).c_str()),
            0)
      << path;
  const DWORD attributes = ::GetFileAttributesW(test::Wide(path).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(ProcessControl, ProcessorCountMatchesTheSystemAffinity) {
  Win32SystemInfo system_info;
  DWORD_PTR process_mask = 0;
  DWORD_PTR system_mask = 0;
  ASSERT_TRUE(::GetProcessAffinityMask(::GetCurrentProcess(), &process_mask, &system_mask));
  EXPECT_GT(system_info.ProcessorCount(), 0u);
  EXPECT_EQ(system_info.ProcessorCount(),
            static_cast<unsigned>(std::popcount(static_cast<std::uint64_t>(system_mask))));
}

}  // namespace
}  // namespace kelvo
