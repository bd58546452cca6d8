#include "app/toolbox_layout.h"

#include <algorithm>
#include <array>

#include "build_config.h"

namespace kelvo {
namespace {

using K = ControlKind;
using C = Control;

constexpr ControlDef kControls[] = {
    {C::外形框1, K::ShapeBox, "外形框1", "", 16, 25, 96, 226},
    {C::单选框1, K::RadioButton, "单选框1", "3dsmax2014", 24, 35, 80, 24},
    {C::单选框2, K::RadioButton, "单选框2", "3dsmax2015", 24, 58, 80, 24},
    {C::单选框3, K::RadioButton, "单选框3", "3dsmax2016", 24, 81, 80, 24},
    {C::单选框4, K::RadioButton, "单选框4", "3dsmax2017", 24, 104, 80, 24},
    {C::单选框5, K::RadioButton, "单选框5", "3dsmax2018", 24, 127, 80, 24},
    {C::单选框6, K::RadioButton, "单选框6", "3dsmax2019", 24, 150, 80, 24},
    {C::单选框7, K::RadioButton, "单选框7", "3dsmax2020", 24, 173, 80, 24},
    {C::单选框8, K::RadioButton, "单选框8", "3dsmax2021", 24, 196, 80, 24},
    {C::单选框9, K::RadioButton, "单选框9", "3dsmax2022", 24, 219, 80, 24},
    {C::按钮2, K::PushButton, "按钮2", "默认打开", 143, 25, 80, 32},
    {C::按钮4, K::PushButton, "按钮4", "重置MAX", 143, 72, 80, 32},
    {C::按钮5, K::PushButton, "按钮5", "卸载清理", 143, 120, 80, 32},
    {C::按钮1, K::PushButton, "按钮1", "强力唤醒", 254, 25, 80, 32},
    {C::按钮3, K::PushButton, "按钮3", "快速关闭", 254, 72, 80, 32},
    {C::按钮9, K::PushButton, "按钮9", "假死救援", 254, 120, 80, 32},
    {C::按钮6, K::PushButton, "按钮6", "MAX杀毒", 366, 25, 80, 32},
    {C::按钮7, K::PushButton, "按钮7", "卸载插件", 366, 72, 80, 32},
    {C::按钮8, K::PushButton, "按钮8", "低优先级", 366, 120, 80, 32},
    {C::选择框1, K::CheckBox, "选择框1", "跟随MAX启动", 143, 206, 104, 24},
    {C::选择框2, K::CheckBox, "选择框2", "防止渲图死机", 143, 227, 104, 24},
    {C::图片框1, K::PictureBox, "图片框1", "", 264, 206, 176, 45},
    {C::透明标签1, K::TransparentLabel, "透明标签1", "读取中...", 268, 215, 112, 26},
    {C::透明标签2, K::TransparentLabel, "透明标签2", "", 390, 215, 47, 26},
    {C::透明标签3, K::TransparentLabel, "透明标签3", "", 10, 267, 456, 16},
};

constexpr TimerDef kTimers[] = {
    {Timer::时钟1, "时钟1", 1000},
    {Timer::时钟2, "时钟2", 0},
};

constexpr TooltipDef kTooltips[] = {
    {C::按钮1, "单击该按钮会前置最大化显示Max窗口。"},
    {C::按钮2, "将修改默认MAX文件的打开方式，提前选择对应MAX版本。"},
    {C::按钮3, "请注意！此操作将会关闭所有正在运行的max！！！此选项适用于所有版本。"},
    {C::按钮4, "此操作将会对用户配置下的MAX文件进行删除，且不可恢复！"},
    {C::按钮5, "请选择对应版本，对C盘下max目录及注册表进行清理，只在MAX非正在卸载情况下使用。"},
    {C::按钮6,
     "非程序内杀毒，将会清理所有MAX自启动文件，会导致插件丢失（因为某些病毒会感染max正常插件），"
     "请在插件不能正常查杀时使用。（需要选择对应版本）"},
    {C::按钮7,
     "用户所有安装的第三方插件清理，请在由插件导致MAX错误时使用,如您的软件使用正常不建议此操作。"
     "（需要选择对应版本）"},
    {C::按钮8, "单击按钮会将MAX进程优先级降级为最低，再次单击恢复正常，建议在MAX即将卡死时使用。"},
    {C::按钮9, "此项功能为解决微软拼音输入法兼容性BUG导致的MAX假死状态。"},
    {C::选择框1, "选中将会跟随MAX自启动，无需选中版本，若想取消自启动请勿勾选此项。"},
    {C::选择框2, "选中此项将在计算机即将卡死时压制MAX,注意暂不支持部分型号的CPU！！！"},
};

constexpr MenuItemDef kTrayMenu[] = {
    {TrayMenuItem::打开界面, "打开界面"},
    {TrayMenuItem::帮助提示, "帮助提示"},
    {TrayMenuItem::关闭软件, "关闭软件"},
};

constexpr char kHelpTextBody[] =
    "目前程序支持的功能有：\r\n"
    "一键修改MAX文件默认文件打开方式（需要选择对应版本）\r\n\r\n"
    "一键重置3dmax用户设置，包含组件（需要选择对应版本）\r\n\r\n"
    "一键清理MAX残留，此操作将会清理注册表文件和删除max安装文件操作，请在MAX非正常卸载时使用。"
    "（需要选择对应版本）\r\n\r\n"
    "一键卸载插件，此操作将会有对MAX目录下插件进行删除，建议为未知插件导致错误时使用"
    "（需要选择对应版本）\r\n\r\n"
    "强力唤醒前置最大化MAX显示，支持所有版本。\r\n\r\n"
    "一键快速关闭MAX，请注意！所有开启的MAX将不会有任何提示的快速关闭\r\n\r\n"
    "假死救援，暂不支持过老版本的WIN10系统及其以前系统，通过修改微软拼音兼容性选项解决MAX假死造成"
    "的恶性BUG。\r\n\r\n"
    "MAX杀毒，此杀毒为暴力清理自启动文件，并写入只读文件预防病毒，请注意！此操作会删除所有自启动"
    "脚本\r\n\r\n"
    "低优先级，将会一键将所有正在运行MAX进程优先级将为最低，此操作建议MAX渲染即将卡死时使用，"
    "\r\n\r\n"
    "设置跟随MAX启动，默认支持2014-2022所有版本\r\n\r\n"
    "防止渲染卡死，将会在cpu占用率超过99%时检测并减少max两个线程使用以腾出资源防止系统彻底卡死。"
    "当CPU压力降低时将停止压制,支持所有版本\r\n\r\n"
    "当前程序V0.10bata测试版本，如您有使用BUG可反馈邮箱";

}  // namespace

std::span<const ControlDef> ControlTable() {
  return kControls;
}

const ControlDef& Definition(Control control) {
  return *std::find_if(std::begin(kControls), std::end(kControls),
                       [control](const ControlDef& def) { return def.control == control; });
}

int ControlId(Control control) {
  return kFirstControlId + static_cast<int>(control);
}

std::span<const TimerDef> TimerTable() {
  return kTimers;
}
std::span<const TooltipDef> TooltipTable() {
  return kTooltips;
}
std::span<const MenuItemDef> TrayMenuTable() {
  return kTrayMenu;
}

bool ShowsHandCursor(Control control) {
  return Definition(control).kind == ControlKind::PushButton || control == Control::透明标签3;
}

std::string HelpHint() {
  return std::string("使用前务必仔细阅读说明，新版关注") + config::kWeChat + "微信,单击查看详情。";
}

std::string HelpText() {
  return std::string(kHelpTextBody) + config::kEmail + "或添加微信" + config::kWeChat +
         "（请备注）在正式版发布请关注微信动态或公众号（Kelvo资源）";
}

}  // namespace kelvo
