// The virtual chain's TAP controller: every state reaches every other along its path.
#include "jtag/tap_controller.h"

#include <gtest/gtest.h>

namespace {

using ksim::TapState;

std::vector<TapState> allStates() {
  std::vector<TapState> states;
  for (uint32_t code = 0; code <= 20; ++code)
    if (ksim::isStateCode(code)) states.push_back(static_cast<TapState>(code));
  return states;
}

TEST(TapController, SixteenStatesAndEveryPairReachesItsGoal) {
  const auto states = allStates();
  ASSERT_EQ(states.size(), 16u);
  for (const TapState from : states) {
    for (const TapState to : states) {
      TapState at = from;
      const auto path = ksim::tmsPath(from, to);
      for (const bool tms : path) at = ksim::nextState(at, tms);
      EXPECT_EQ(at, to) << static_cast<int>(from) << " -> " << static_cast<int>(to);
    }
  }
}

TEST(TapController, KnownPathsAreTheShortest) {
  const struct {
    TapState from, to;
    std::vector<bool> tms;
  } cases[] = {
      {TapState::RunTestIdle, TapState::ShiftDr, {1, 0, 0}},
      {TapState::RunTestIdle, TapState::ShiftIr, {1, 1, 0, 0}},
      {TapState::Exit1Dr, TapState::RunTestIdle, {1, 0}},
      {TapState::PauseIr, TapState::ShiftIr, {1, 0}},
      {TapState::RunTestIdle, TapState::RunTestIdle, {}},
      {TapState::TestLogicReset, TapState::TestLogicReset, {1, 1, 1, 1, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(ksim::tmsPath(c.from, c.to), c.tms);
}

}  // namespace
