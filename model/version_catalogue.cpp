#include "model/version_catalogue.h"

#include <string_view>

namespace kelvo {
namespace {

// Every per-release entry is its 2014 value with the year replaced.
constexpr std::string_view kTemplateYear = "2014";
constexpr char kInstallDir[] = "C:\\Program Files\\Autodesk\\3ds Max 2014\\";
constexpr char kScriptsTail[] = "scripts\\";
constexpr char kStartupTail[] = "scripts\\startup";
constexpr char kInstallGuardName[] = "\\000.ms";
constexpr char kLaunchScriptName[] = "\\Kelvo_startup.ms";
constexpr char kUserDirSuffix[] = "\\AppData\\Local\\Autodesk\\3dsMax\\2014 - 64bit";
constexpr char kUserStartupTail[] = "\\scripts\\startup";
constexpr char kUserGuardName[] = "\\vrdematcleanbeta.ms";

std::string ForRelease(std::string_view value, MaxVersion release) {
  std::string text(value);
  std::size_t at = text.find(kTemplateYear);
  if (at != std::string::npos)
    text.replace(at, kTemplateYear.size(), std::to_string(Year(release)));
  return text;
}

std::string_view LanguageFolder(UserLanguage language) {
  return language == UserLanguage::CHS ? "\\CHS" : "\\ENU";
}

constexpr const char* k2014[] = {
    "0123FB15528B2904E8D0666D9819E620", "7CE73B25638D90400046C342CBDE0201",
    "91B9F446264AC994FBD403A0CBA2821B", "B6381947E956DD74BAFB8F57DA84DF01",
    "E4D3360A2FA5E3E47AA0EFC9B28D9A85"};
constexpr const char* k2015[] = {
    "7CE73B25638D01402046C342CBDE0201", "9D6646F9CFE601A49B137CD2A1F37136",
    "B07F2EBA49D89E44AA400FBD5360D326", "F337F724C6D4CB543942BE4713403C12"};
constexpr const char* k2016[] = {
    "7CE73B25638D01404046C342CBDE0201", "DED29E75C7CD5E149B1E678DB32DAEEB",
    "E6CFC4B60BCEEF74593D566C08DE6078", "CE6D7A922C36DF2418348521BA2D29F3",
    "7E35DA49B39419247841A7B367D17238", "45A5A514E52351849904268A98AC8377",
    "43AC761985E43E948829C33479932D3D", "2D83F5C8EFE94A943B5FFB2301EF1D86",
    "0FAFF4C1BBD6A7F43A686447D7608062"};
constexpr const char* k2017[] = {
    "14DE2DE85544D94499C357C13009989B", "34CBFBF32889AF349B97D2359876743B",
    "537F9BF8C46D1994D819C4DDBAA1DBEE", "7CE73B25638D01406046C342CBDE0201",
    "E700E6BCD107DC24FAE0B49E3CC6F7C7", "E71E70B2270ADB34D9CC63B9651C6689",
    "43AC761985E43E948829C33479932D3D"};
constexpr const char* k2018[] = {
    "06DBB67CBD903B345B0BFB008CB005C0", "23AD5CE6D20D4D743A4C89C8B11C5AEF",
    "6F7DA77177C905E4AB357B52C9F582D2", "7CE73B25638D01407046C342CBDE0201",
    "911DEDCF969A84E4A8232DA16D0B2335", "E11674879E2971943B59179CD1251340"};
constexpr const char* k2019[] = {
    "1A181501C3107EE43A8699F97DDE59A0", "577918E2C49ECC24C9D5BA2BDABA7C2C",
    "7CE73B25638D01408046C342CBDE0201", "90DD0CCA02E72974785DDBEB04025648",
    "B1C4AAA3AD15D784183A2443BD9B8A9F", "C2EE96F843CD6474B974571141B74D0B",
    "C32A20A4FBB8924448AAD6FB4CCA46FD", "FA8968701BB81364680D9DF1EE412765"};
constexpr const char* k2020[] = {
    "15A2139B5B14D974F9277E44A8D298FA", "5A140B65295FA9B4DAD58619B529A69E",
    "848320DE761579543B3BAB4C19DC2926", "889679E0357E18C4DB6934C43E501B67",
    "C0C3B25BD65FBC44CA188FB6BC7B55F0", "FEC820DBD02AEF24CBA813FEA3061F49"};
constexpr const char* k2021[] = {
    "15A2139B5B14D974F9277E44A8D298FA", "275955C801A42C343964E6C7E7104278",
    "95463CFE98DC3F44AB407B5C081499FA", "B8853A199BD1B8241A675A13516C91F9"};
constexpr const char* k2022[] = {
    "366BD675761941D468C85006DD1BF07D", "7D1F7EBAD0F4F1C4FB89941FE0961D1F",
    "86A1229A0DA551245BF4BCD5ABF42BC7", "F4856526B40B4D14A895447E90044C37"};

constexpr std::array<std::span<const char* const>, 9> kProductCodes = {
    k2014, k2015, k2016, k2017, k2018, k2019, k2020, k2021, k2022};

constexpr std::array<Control, 9> kRadioButtons = {
    Control::单选框1, Control::单选框2, Control::单选框3, Control::单选框4, Control::单选框5,
    Control::单选框6, Control::单选框7, Control::单选框8, Control::单选框9};

std::size_t Index(MaxVersion release) {
  return static_cast<std::size_t>(Year(release) - 2014);
}

}  // namespace

const std::array<MaxVersion, 9>& AllReleases() {
  static constexpr std::array<MaxVersion, 9> kAll = {
      MaxVersion::R2014, MaxVersion::R2015, MaxVersion::R2016, MaxVersion::R2017, MaxVersion::R2018,
      MaxVersion::R2019, MaxVersion::R2020, MaxVersion::R2021, MaxVersion::R2022};
  return kAll;
}

int Year(MaxVersion release) {
  return static_cast<int>(release);
}

Control RadioButton(MaxVersion release) {
  return kRadioButtons[Index(release)];
}

std::string RadioCaption(MaxVersion release) {
  return "3dsmax" + std::to_string(Year(release));
}

std::string InstallDir(MaxVersion release) {
  return ForRelease(kInstallDir, release);
}

std::string InstallScriptsDir(MaxVersion release) {
  return InstallDir(release) + kScriptsTail;
}

std::string InstallStartupDir(MaxVersion release) {
  return InstallDir(release) + kStartupTail;
}

std::string InstallGuardFile(MaxVersion release) {
  return InstallStartupDir(release) + kInstallGuardName;
}

std::string LaunchScriptFile(MaxVersion release) {
  return InstallStartupDir(release) + kLaunchScriptName;
}

// The shell runs this to open a .max file. InstallDir already ends with a backslash and one more
// is added before the exe name: the doubled backslash is part of the registered value.
std::string OpenCommand(MaxVersion release) {
  std::string command = "\"";
  command.append(InstallDir(release)).append("\\3dsmax.exe\" \"%1\"");
  return command;
}

std::string UserDirSuffix(MaxVersion release) {
  return ForRelease(kUserDirSuffix, release);
}

std::string UserStartupDirSuffix(MaxVersion release, UserLanguage language) {
  return UserDirSuffix(release) + std::string(LanguageFolder(language)) + kUserStartupTail;
}

std::string UserGuardFileSuffix(MaxVersion release, UserLanguage language) {
  return UserStartupDirSuffix(release, language) + kUserGuardName;
}

std::span<const char* const> ProductCodes(MaxVersion release) {
  return kProductCodes[Index(release)];
}

std::optional<MaxVersion> ChosenRelease(ToolboxView& view) {
  for (MaxVersion release : AllReleases()) {
    if (view.IsChecked(RadioButton(release))) return release;
  }
  return std::nullopt;
}

}  // namespace kelvo
