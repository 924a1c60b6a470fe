#include "tap_controller.h"

#include <array>
#include <deque>

namespace ksim {
namespace {

using S = TapState;

struct Transition {
  S state, onZero, onOne;
};

constexpr Transition kTransitions[] = {
    {S::TestLogicReset, S::RunTestIdle, S::TestLogicReset},
    {S::RunTestIdle, S::RunTestIdle, S::SelectDr},
    {S::SelectDr, S::CaptureDr, S::SelectIr},
    {S::CaptureDr, S::ShiftDr, S::Exit1Dr},
    {S::ShiftDr, S::ShiftDr, S::Exit1Dr},
    {S::Exit1Dr, S::PauseDr, S::UpdateDr},
    {S::PauseDr, S::PauseDr, S::Exit2Dr},
    {S::Exit2Dr, S::ShiftDr, S::UpdateDr},
    {S::UpdateDr, S::RunTestIdle, S::SelectDr},
    {S::SelectIr, S::CaptureIr, S::TestLogicReset},
    {S::CaptureIr, S::ShiftIr, S::Exit1Ir},
    {S::ShiftIr, S::ShiftIr, S::Exit1Ir},
    {S::Exit1Ir, S::PauseIr, S::UpdateIr},
    {S::PauseIr, S::PauseIr, S::Exit2Ir},
    {S::Exit2Ir, S::ShiftIr, S::UpdateIr},
    {S::UpdateIr, S::RunTestIdle, S::SelectDr},
};

constexpr int kCodes = 18;  // codes 1 to 17 index directly

}  // namespace

bool isStateCode(uint32_t code) {
  return code >= 1 && code <= 17 && code != 7;
}

bool isShiftState(TapState state) {
  return state == S::ShiftDr || state == S::ShiftIr;
}

TapState nextState(TapState state, bool tms) {
  for (const Transition& t : kTransitions)
    if (t.state == state) return tms ? t.onOne : t.onZero;
  return S::TestLogicReset;
}

std::vector<bool> tmsPath(TapState from, TapState to) {
  if (to == S::TestLogicReset) return std::vector<bool>(5, true);
  // Breadth-first search over the controller's graph; it has 16 states.
  std::array<int, kCodes> previous;
  std::array<bool, kCodes> viaOne{};
  previous.fill(-1);
  std::deque<S> queue{from};
  previous[static_cast<int>(from)] = static_cast<int>(from);
  while (!queue.empty() && previous[static_cast<int>(to)] < 0) {
    const S state = queue.front();
    queue.pop_front();
    for (const bool tms : {false, true}) {
      const S next = nextState(state, tms);
      if (previous[static_cast<int>(next)] >= 0) continue;
      previous[static_cast<int>(next)] = static_cast<int>(state);
      viaOne[static_cast<int>(next)] = tms;
      queue.push_back(next);
    }
  }
  std::vector<bool> path;
  for (int at = static_cast<int>(to); at != static_cast<int>(from); at = previous[at])
    path.insert(path.begin(), viaOne[at]);
  return path;
}

}  // namespace ksim
