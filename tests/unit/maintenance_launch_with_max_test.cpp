// 跟随MAX启动: the copy, the marker and the one-line scripts, their removal, and the box set back
// to the marker on disk when a change is refused.
#include "maintenance/launch_with_max.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kFolder[] = R"(C:\Program Files (x86)\Kelvo)";
constexpr char kCopy[] = R"(C:\Program Files (x86)\Kelvo\KelvoMAX工具.exe)";
constexpr char kMarker[] = R"(C:\Program Files (x86)\Kelvo\Setup.ini)";
constexpr char kScript[] =
    R"(shellLaunch "C:\Program Files (x86)\Kelvo\KelvoMAX工具.exe" "AutoStartUp")";
constexpr char kProgram[] = "MZ program bytes";

std::string StartupScript(int year) {
  return R"(C:\Program Files\Autodesk\3ds Max )" + std::to_string(year) +
         R"(\scripts\startup\Kelvo_startup.ms)";
}

class LaunchWithMaxTest : public ::testing::Test {
 protected:
  LaunchWithMaxTest() {
    sim.files.AddFolder(R"(C:\Program Files (x86))");
    sim.files.AddFile(sim::kDefaultOwnExecutablePath, kProgram);
    for (int year : {2014, 2020}) {
      sim.files.AddFolder(R"(C:\Program Files\Autodesk\3ds Max )" + std::to_string(year) +
                          R"(\scripts\startup)");
    }
  }

  // The user ticks or unticks the box.
  void Click(bool ticked) {
    view.SetChecked(Control::选择框1, ticked);
    LaunchWithMaxClicked(system, view);
  }
  // Every script file under the installations.
  std::vector<std::string> Scripts() const {
    std::vector<std::string> scripts;
    for (const std::string& path : sim.files.Paths(R"(C:\Program Files\Autodesk)")) {
      if (path.ends_with("Kelvo_startup.ms")) scripts.push_back(path);
    }
    return scripts;
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  sim::FakeToolboxView view;
};

TEST_F(LaunchWithMaxTest, TickingInstallsTheCopyTheMarkerAndTheScriptsOfInstalledReleases) {
  Click(true);

  EXPECT_THAT(sim.files.Paths(kFolder), ElementsAre(kCopy, kMarker));
  EXPECT_EQ(sim.files.Content(kCopy), kProgram);
  EXPECT_EQ(sim.files.Content(kMarker), "");
  EXPECT_THAT(Scripts(), ElementsAre(StartupScript(2014), StartupScript(2020)));
  for (int year : {2014, 2020})
    EXPECT_EQ(sim.files.Content(StartupScript(year)), kScript);
  EXPECT_THAT(sim.dialogs.boxes(), IsEmpty());
  EXPECT_TRUE(view.IsChecked(Control::选择框1));
  EXPECT_TRUE(LaunchMarkerPresent(system));
}

TEST_F(LaunchWithMaxTest, UntickingRemovesEverythingAgain) {
  Click(true);
  Click(false);

  EXPECT_FALSE(sim.files.Exists(kFolder));
  EXPECT_THAT(Scripts(), IsEmpty());
  EXPECT_TRUE(sim.files.Exists(R"(C:\Program Files\Autodesk\3ds Max 2020\scripts\startup)"));
  EXPECT_THAT(sim.dialogs.boxes(), IsEmpty());
  EXPECT_FALSE(view.IsChecked(Control::选择框1));
  EXPECT_FALSE(LaunchMarkerPresent(system));
}

TEST_F(LaunchWithMaxTest, TheCopyIsAlwaysNamedForTheScripts) {
  const std::string renamed = R"(C:\Users\user1\Downloads\KelvoMAX工具 (1).exe)";
  sim.files.AddFile(renamed, "renamed program");
  sim.processes.SetOwnExecutablePath(renamed);

  Click(true);

  EXPECT_THAT(sim.files.Paths(kFolder), ElementsAre(kCopy, kMarker));
  EXPECT_EQ(sim.files.Content(kCopy), "renamed program");
  EXPECT_THAT(sim.dialogs.boxes(), IsEmpty());
}

TEST_F(LaunchWithMaxTest, RunningFromTheLaunchFolderTickingWorksAndUntickingLeavesOnlyTheCopy) {
  sim.files.AddFile(kCopy, kProgram);
  sim.files.HoldOpen(kCopy);  // the image of the running program
  sim.processes.SetOwnExecutablePath(R"(C:\PROGRAM FILES (X86)\Kelvo\KelvoMAX工具.EXE)");

  Click(true);
  EXPECT_THAT(sim.dialogs.boxes(), IsEmpty());
  EXPECT_TRUE(view.IsChecked(Control::选择框1));
  EXPECT_EQ(sim.files.Content(kMarker), "");
  EXPECT_THAT(Scripts(), ElementsAre(StartupScript(2014), StartupScript(2020)));

  Click(false);
  // The running copy stays; with the scripts and the marker gone nothing starts it again.
  EXPECT_THAT(sim.dialogs.boxes(), IsEmpty());
  EXPECT_THAT(sim.files.Paths(kFolder), ElementsAre(kCopy));
  EXPECT_THAT(Scripts(), IsEmpty());
  EXPECT_FALSE(view.IsChecked(Control::选择框1));
}

TEST_F(LaunchWithMaxTest, ARefusedChangeIsReportedAndTheBoxShowsTheMarkerAgain) {
  struct Case {
    const char* name;
    bool tick;
    std::function<void(sim::SimulatedSystem&)> arrange;
    bool ticked_after;  // what the marker on disk says afterwards
    bool x86_folder = true;
  };
  const Case cases[] = {
      {"no rights under Program Files (x86)", true,
       [](sim::SimulatedSystem& s) { s.files.DenyChangesUnder(R"(C:\Program Files (x86))"); },
       false},
      {"32-bit Windows: no Program Files (x86)", true, [](sim::SimulatedSystem&) {}, false,
       /*x86_folder=*/false},
      {"no rights in a release's startup folder", true,
       [](sim::SimulatedSystem& s) {
         s.files.DenyChangesUnder(R"(C:\Program Files\Autodesk\3ds Max 2020)");
       },
       true},
      {"the copy in the launch folder is read-only", true,
       [](sim::SimulatedSystem& s) { s.files.AddFile(kCopy, "old", kAttributeReadOnly); }, true},
      {"a script held open", false,
       [](sim::SimulatedSystem& s) {
         s.files.AddFile(StartupScript(2014), kScript);
         s.files.AddFile(kMarker);
         s.files.HoldOpen(StartupScript(2014));
       },
       false},
      {"the marker cannot be deleted", false,
       [](sim::SimulatedSystem& s) {
         s.files.AddFile(kMarker);
         s.files.DenyChangesUnder(kFolder);
       },
       true},
  };
  for (const Case& c : cases) {
    sim::SimulatedSystem fresh;
    fresh.files.AddFile(sim::kDefaultOwnExecutablePath, kProgram);
    fresh.files.AddFolder(R"(C:\Program Files\Autodesk\3ds Max 2020\scripts\startup)");
    if (c.x86_folder) fresh.files.AddFolder(R"(C:\Program Files (x86))");
    c.arrange(fresh);
    sim::FakeToolboxView box;
    box.SetChecked(Control::选择框1, c.tick);

    LaunchWithMaxClicked(fresh.system(), box);

    ASSERT_EQ(fresh.dialogs.boxes().size(), 1u) << c.name;
    EXPECT_EQ(fresh.dialogs.boxes()[0].text,
              c.tick ? "设置跟随MAX启动失败，请以管理员身份运行本程序。"
                     : "取消跟随MAX启动失败，请以管理员身份运行本程序。")
        << c.name;
    EXPECT_EQ(fresh.dialogs.boxes()[0].title, "错误") << c.name;
    EXPECT_EQ(box.IsChecked(Control::选择框1), c.ticked_after) << c.name;
    EXPECT_EQ(LaunchMarkerPresent(fresh.system()), c.ticked_after) << c.name;
  }
}

TEST_F(LaunchWithMaxTest, OnlyAMarkerFileCounts) {
  EXPECT_FALSE(LaunchMarkerPresent(system));
  sim.files.AddFolder(kMarker);
  EXPECT_FALSE(LaunchMarkerPresent(system));
}

}  // namespace
}  // namespace kelvo
