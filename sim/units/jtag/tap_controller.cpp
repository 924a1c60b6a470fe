#include "jtag/tap_controller.h"

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

// Capture to Exit2 of the data register column: the states a scan in progress passes.
bool inDataScan(S state) {
  return state == S::CaptureDr || state == S::ShiftDr || state == S::Exit1Dr ||
         state == S::PauseDr || state == S::Exit2Dr;
}

bool inInstructionScan(S state) {
  return state == S::CaptureIr || state == S::ShiftIr || state == S::Exit1Ir ||
         state == S::PauseIr || state == S::Exit2Ir;
}

// Shortest path by breadth-first search over the 16 states, TMS 0 tried first, never
// entering Test-Logic-Reset on the way.
std::vector<bool> shortestPath(S from, S to) {
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
      if (next == S::TestLogicReset || previous[static_cast<int>(next)] >= 0) continue;
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

std::vector<bool> joined(std::vector<bool> first, const std::vector<bool>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

}  // namespace

bool isStateCode(uint32_t code) {
  return code >= 1 && code <= 17 && code != 7;
}

bool inInstructionColumn(TapState state) {
  return inInstructionScan(state) || state == S::UpdateIr;
}

bool freeClockTms(TapState state) {
  return state == S::TestLogicReset;
}

TapState nextState(TapState state, bool tms) {
  for (const Transition& t : kTransitions)
    if (t.state == state) return tms ? t.onOne : t.onZero;
  return S::TestLogicReset;
}

bool isPathMode(uint32_t mode) {
  return mode <= kPathThroughUpdate;
}

std::vector<bool> tmsPath(TapState from, TapState to, uint32_t mode) {
  if (to == S::TestLogicReset) return std::vector<bool>(5, true);
  if (mode == kPathThroughIdle && from != S::RunTestIdle)
    return joined(shortestPath(from, S::RunTestIdle), shortestPath(S::RunTestIdle, to));
  if (mode == kPathThroughUpdate) {
    if (inDataScan(from))
      return joined(shortestPath(from, S::UpdateDr), shortestPath(S::UpdateDr, to));
    if (inInstructionScan(from))
      return joined(shortestPath(from, S::UpdateIr), shortestPath(S::UpdateIr, to));
  }
  return shortestPath(from, to);
}

}  // namespace ksim
