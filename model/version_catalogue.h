// The nine supported 3ds Max releases and where each keeps its files, keys and registrations.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

#include "platform/toolbox_view.h"

namespace kelvo {

enum class MaxVersion { R2014 = 2014, R2015, R2016, R2017, R2018, R2019, R2020, R2021, R2022 };

// The two per-user language folders of 3ds Max (Chinese and English user interface).
enum class UserLanguage { CHS, ENU };

// Shared by all releases.
inline constexpr char kUserSettingsKey[] = "Software\\Autodesk\\3dsMax";                     // HKCU
inline constexpr char kMachineSettingsKey[] = "SOFTWARE\\Autodesk\\3dsMax";                  // HKLM
inline constexpr char kInstallerProductsKey[] = "SOFTWARE\\Classes\\Installer\\Products\\";  // HKLM
inline constexpr char kOpenCommandKey[] = "3dsmax\\Shell\\Open\\Command";                    // HKCR
inline constexpr char kMaxProcessName[] = "3dsmax.exe";
inline constexpr char kUsersRoot[] = "C:\\Users\\";

// 2014 to 2022, in that order.
const std::array<MaxVersion, 9>& AllReleases();
int Year(MaxVersion release);
// The radio button tied to the release and its caption ("3dsmax2014").
Control RadioButton(MaxVersion release);
std::string RadioCaption(MaxVersion release);

std::string InstallDir(MaxVersion release);
std::string InstallScriptsDir(MaxVersion release);
std::string InstallStartupDir(MaxVersion release);
std::string InstallGuardFile(MaxVersion release);
std::string LaunchScriptFile(MaxVersion release);
std::string OpenCommand(MaxVersion release);
std::string UserDirSuffix(MaxVersion release);
std::string UserStartupDirSuffix(MaxVersion release, UserLanguage language);
std::string UserGuardFileSuffix(MaxVersion release, UserLanguage language);
// Packed Windows Installer product codes, in the order they are removed.
std::span<const char* const> ProductCodes(MaxVersion release);

// The release whose radio button is checked, testing 单选框1 to 单选框9 in order; none when no
// button is checked.
std::optional<MaxVersion> ChosenRelease(ToolboxView& view);

}  // namespace kelvo
