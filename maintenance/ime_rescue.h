// 假死救援: 3ds Max that takes no input on Windows 10 and later while Microsoft Pinyin is the
// input method. Two per-user settings of the input framework are changed for good by a batch of
// "reg add" commands, the desktop shell is restarted so that they take effect, and 3ds Max is
// brought to the front.
#pragma once

#include <cstdint>

#include "platform/system.h"
#include "procctl/status_monitor.h"

namespace kelvo {

inline constexpr char kImeRescueQuestion[] =
    "适用于WIN10以上系统MAX无法进行任何操作，且在任务管理器中没有出现未响应的情况，此项功能会更改系"
    "统"
    "设置以永久修复此BUG。是否继续？";
inline constexpr char kImeRescueTitle[] = "友情提示";
inline constexpr char kImeRescueFailedText[] = "修改输入法设置失败。";
inline constexpr char kImeRescueFailedTitle[] = "错误";
inline constexpr char kImeBatchName[] = "compatible_mod.bat";
// Two lines, CR LF between them and none after the last: 278 bytes. The text input processor's
// id is in capitals in the first line and in small letters in the second.
inline constexpr char kImeBatchContent[] =
    "reg add \"HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\TIP\\"
    "{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}\" /v DummyValue /t REG_DWORD /d 1 /f\r\n"
    "reg add \"HKEY_CURRENT_USER\\Software\\Microsoft\\Input\\TSF\\Tsf3Override\\"
    "{81d4e9c9-1d3b-41bc-9e6c-4b40bf79e35e}\" /v NoTsf3Override2 /t REG_DWORD /d 1 /f";
inline constexpr char kTipKey[] =
    "Software\\Microsoft\\CTF\\TIP\\{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}";
inline constexpr char kTipValue[] = "DummyValue";
inline constexpr char kTsfOverrideKey[] =
    "Software\\Microsoft\\Input\\TSF\\Tsf3Override\\{81d4e9c9-1d3b-41bc-9e6c-4b40bf79e35e}";
inline constexpr char kTsfOverrideValue[] = "NoTsf3Override2";
inline constexpr char kShellKillCommand[] = "taskkill /im explorer.exe /f";
inline constexpr char kFallbackWindowsFolder[] = "C:\\WINDOWS";
// The batch gets this long to finish; the shell's end as long again as taskkill needs at most.
inline constexpr std::uint32_t kBatchWaitMs = 10000;
inline constexpr std::uint32_t kShellKillWaitMs = 5000;
inline constexpr std::int64_t kAfterBatchPauseMs = 300;
inline constexpr std::int64_t kBeforeWakePauseMs = 1000;

// `status` is the status monitor's published state; the wake at the end reads it after the
// last pause. The batch runs from a fresh folder of the user's temporary folder and is deleted
// once it has ended (or after 10 s). Without both settings in the registry afterwards the user is
// told, and the shell is left alone.
void ImeHangRescue(System& system, const StatusValues& status);
// Ends every explorer.exe (waiting up to 5 s for taskkill) and starts a new one from the
// Windows folder. False only when the shell found no explorer.exe to start.
bool RestartDesktopShell(System& system);

}  // namespace kelvo
