#include "platform/plain_message_box.h"

#include <gtest/gtest.h>

#include "tests/support/sim/simulated_system.h"

namespace kelvo {
namespace {

struct StyleCase {
  const char* name;
  std::uint32_t given;
  std::uint32_t shown;
  friend void PrintTo(const StyleCase& c, std::ostream* out) { *out << c.name; }
};

class PlainBoxStyleTest : public ::testing::TestWithParam<StyleCase> {};

TEST_P(PlainBoxStyleTest, TaskModalUnlessSystemModal) {
  sim::SimulatedSystem sim;
  sim.dialogs.QueueAnswer(kAnswerYes);
  PlainMessageBox(sim.system(), "text", GetParam().given);
  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  EXPECT_EQ(sim.dialogs.boxes()[0].style, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    PlainMessageBox, PlainBoxStyleTest,
    ::testing::Values(StyleCase{"Ok", kBoxOk, kBoxTaskModal},
                      StyleCase{"QuestionWithIcon", kBoxYesNo | kBoxIconExclamation,
                                kBoxYesNo | kBoxIconExclamation | kBoxTaskModal},
                      StyleCase{"SystemModal", kBoxSystemModal | kBoxIconError,
                                kBoxSystemModal | kBoxIconError},
                      StyleCase{"AlreadyTaskModal", kBoxTaskModal, kBoxTaskModal}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlainMessageBox, NoOwnerDefaultTitleAndTheUsersAnswer) {
  sim::SimulatedSystem sim;
  sim.windows.Add({.process = sim::kOwnProcessId, .title = "KelvoMAX工具箱_V0.10"});
  sim.dialogs.QueueAnswer(kAnswerNo);
  sim.dialogs.QueueAnswer(kAnswerOk);

  EXPECT_EQ(PlainMessageBox(sim.system(), "确定？", kBoxYesNo), kAnswerNo);
  EXPECT_EQ(PlainMessageBox(sim.system(), "3DMAX重置完成！", kBoxOk, "通知"), kAnswerOk);

  const auto& boxes = sim.dialogs.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].kind, sim::BoxKind::Plain);
  EXPECT_EQ(boxes[0].owner, 0);
  EXPECT_EQ(boxes[0].title, "信息：");
  EXPECT_EQ(boxes[0].text, "确定？");
  EXPECT_EQ(boxes[1].title, "通知");
}

}  // namespace
}  // namespace kelvo
