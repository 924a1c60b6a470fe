// The virtual TAP chain against IEEE 1149.1: what silicon does, row by row. What scans through
// the library read of it (IDCODE and BYPASS after reset, user registers, the end states of
// scans, refused modes, free clocks, Capture-IR) is in tests/link/scan_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>

#include "jtag/jtag_unit.h"
#include "jtag/tap_controller.h"
#include "probe/firmware.h"
#include "support/bus.h"

namespace {

using ksim::TapConfig;
using ksim::TapState;
using ksim::units::jtag::JtagUnit;

std::vector<TapState> allStates() {
  std::vector<TapState> states;
  for (uint32_t code = 0; code <= 20; ++code)
    if (ksim::isStateCode(code)) states.push_back(static_cast<TapState>(code));
  return states;
}

bool inDataScan(TapState s) {
  return s == TapState::CaptureDr || s == TapState::ShiftDr || s == TapState::Exit1Dr ||
         s == TapState::PauseDr || s == TapState::Exit2Dr;
}

bool inInstructionScan(TapState s) {
  return s == TapState::CaptureIr || s == TapState::ShiftIr || s == TapState::Exit1Ir ||
         s == TapState::PauseIr || s == TapState::Exit2Ir;
}

TEST(Ieee1149, EveryStatePairReachesItsGoalAlongItsPathModeWithoutTestLogicReset) {
  const auto states = allStates();
  ASSERT_EQ(states.size(), 16u);
  for (uint32_t mode = 0; mode <= ksim::kPathThroughUpdate; ++mode) {
    for (const TapState from : states) {
      for (const TapState to : states) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << ": " << static_cast<int>(from)
                                        << " -> " << static_cast<int>(to));
        std::vector<TapState> passed;
        TapState at = from;
        for (const bool tms : ksim::tmsPath(from, to, mode)) {
          at = ksim::nextState(at, tms);
          passed.push_back(at);
        }
        EXPECT_EQ(at, to);
        if (to == TapState::TestLogicReset) continue;
        const auto passes = [&](TapState s) {
          return std::find(passed.begin(), passed.end(), s) != passed.end();
        };
        EXPECT_FALSE(passes(TapState::TestLogicReset));
        const bool throughIdle = mode == ksim::kPathThroughIdle && from != TapState::RunTestIdle;
        const bool throughUpdate = mode == ksim::kPathThroughUpdate;
        EXPECT_TRUE(!throughIdle || passes(TapState::RunTestIdle));
        EXPECT_TRUE(!throughUpdate || !inDataScan(from) || passes(TapState::UpdateDr));
        EXPECT_TRUE(!throughUpdate || !inInstructionScan(from) || passes(TapState::UpdateIr));
      }
    }
  }
}

// The shortest paths, and the detours of the other modes: what the goal check above lets pass.
TEST(Ieee1149, KnownPaths) {
  const struct {
    TapState from, to;
    uint32_t mode;
    std::vector<bool> tms;
  } cases[] = {
      {TapState::RunTestIdle, TapState::ShiftIr, 1, {1, 1, 0, 0}},
      {TapState::PauseIr, TapState::ShiftIr, 1, {1, 0}},
      {TapState::PauseIr, TapState::ShiftIr, 3, {1, 1, 1, 1, 0, 0}},
      {TapState::PauseDr, TapState::ShiftDr, 2, {1, 1, 0, 1, 0, 0}},
      {TapState::RunTestIdle, TapState::RunTestIdle, 1, {}},
      {TapState::TestLogicReset, TapState::TestLogicReset, 1, {1, 1, 1, 1, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(ksim::tmsPath(c.from, c.to, c.mode), c.tms);
}

// A probe's firmware with helpers to drive its JTAG unit as the commands do.
struct Bench {
  explicit Bench(std::vector<TapConfig> taps)
      : firmware([&] {
          ksim::ProbeConfig probe;
          probe.chain = std::move(taps);
          return probe;
        }()) {}

  JtagUnit& jtag() { return firmware.unit<JtagUnit>(); }
  void go(TapState to, uint32_t mode = ksim::kPathShortest) { jtag().moveTo(to, mode); }
  // Shifts bits (LSB first) staying in the shift state; returns what came out of TDO.
  uint64_t shift(unsigned bits, uint64_t in) {
    uint64_t out = 0;
    for (unsigned i = 0; i < bits; ++i)
      out |= static_cast<uint64_t>(jtag().clock(false, (in >> i) & 1)) << i;
    return out;
  }
  ksim::Firmware firmware;
};

const TapConfig kIdcodeTap = kstest::tap(4, true, 0x4BA00477);

TEST(Ieee1149, UpdateIrAndUpdateDrLatchOnEntry) {
  TapConfig user = kIdcodeTap;
  user.userRegisters = {{0x2, 8, 0}};
  Bench b({user});
  b.go(TapState::ShiftIr);
  b.shift(3, 0x2);
  b.jtag().clock(true, false);  // the instruction's last bit, into Exit1-IR
  b.go(TapState::UpdateIr);
  EXPECT_EQ(b.jtag().chain.instruction(0), 0x2u);
  b.go(TapState::ShiftDr);
  b.shift(7, 0x5A);
  b.jtag().clock(true, false);
  b.go(TapState::UpdateDr);
  EXPECT_EQ(b.jtag().chain.userRegister(0, 0), 0x5Au);
}

TEST(Ieee1149, ATapTheRouterBringsBackAddsItsBitsToTheScanInProgress) {
  TapConfig routed = kstest::tap(4, true, 0x0BADC0DF);
  routed.behindRouter = true;
  Bench b({kstest::tap(4, false), routed});
  b.go(TapState::PauseDr);  // the BYPASS TAP alone captured its 0
  b.jtag().chain.setVisible(1, true);
  b.go(TapState::ShiftDr);  // through Exit2-DR: no new capture
  EXPECT_EQ(b.shift(33, 0), uint64_t{0x0BADC0DF} << 1);
}

TEST(Ieee1149, AnIdcodeWithBitZeroClearIsRefused) {
  ksim::reset();
  ksim::ProbeConfig config;
  config.chain = {kIdcodeTap, kstest::tap(4, true, 0x4BA00476)};
  EXPECT_EQ(ksim::attachProbe(config), ksim::kInvalidDevice);
  config.chain[1].hasIdcode = false;  // no IDCODE: its value is not looked at
  EXPECT_NE(ksim::attachProbe(config), ksim::kInvalidDevice);
}

}  // namespace
