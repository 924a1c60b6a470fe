// kestrel jtag detect against chains of many shapes on the virtual probe.
#include "kestrel/jtag_detect.h"

#include <gtest/gtest.h>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"
#include "link/probe_fixture.h"

namespace {

using kstest::tap;

tool::ChainReport detect(const std::vector<ksim::TapConfig>& chain) {
  ksim::reset();
  ksim::ProbeConfig config;
  config.chain = chain;
  ksim::attachProbe(config);
  KSTInform* probe = nullptr;
  tool::ChainReport report;
  EXPECT_EQ(KST_Open(&probe, 0, nullptr, 0), KST_OK);
  std::string problem;
  EXPECT_EQ(tool::detectChain(probe, report, problem), KST_OK);
  EXPECT_EQ(problem, "");
  KST_Close(&probe);
  return report;
}

TEST(JtagDetect, FindsEveryTapOfChainsOfManyShapes) {
  std::vector<ksim::TapConfig> eight;
  for (uint16_t i = 0; i < 8; ++i)
    eight.push_back(i % 3 == 1 ? tap(3 + i, false) : tap(3 + i, true, 0x10000001u | i << 12));
  const struct {
    const char* name;
    std::vector<ksim::TapConfig> chain;
  } cases[] = {
      {"no IDCODEs", {tap(4, false), tap(7, false)}},
      {"long IR", {tap(2, true, 0x0000003F), tap(300, true, 0x7FFFFFFF)}},
      {"one TAP", {tap(9, true, 0x4BA00477)}},
      {"eight TAPs", eight},
      {"empty", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const tool::ChainReport report = detect(c.chain);
    ASSERT_EQ(report.taps.size(), c.chain.size());
    std::size_t total = 0;
    for (std::size_t i = 0; i < c.chain.size(); ++i) {
      EXPECT_EQ(report.taps[i].hasIdcode, c.chain[i].hasIdcode) << i;
      if (c.chain[i].hasIdcode) {
        EXPECT_EQ(report.taps[i].idcode, c.chain[i].idcode) << i;
      }
      EXPECT_EQ(report.taps[i].irLength, c.chain[i].irLength) << i;
      total += c.chain[i].irLength;
    }
    EXPECT_EQ(report.totalIrLength, total);
  }
}

TEST(JtagDetect, TheDataChainParserNeedsTheEndMarker) {
  std::vector<tool::DetectedTap> taps;
  EXPECT_TRUE(tool::parseDataChain({0xFF, 0xFF, 0xFF, 0xFF}, 32, taps));
  EXPECT_TRUE(taps.empty());
  EXPECT_FALSE(tool::parseDataChain(std::vector<uint8_t>(8, 0), 64, taps)) << "TDO stuck low";
  EXPECT_FALSE(tool::parseDataChain({0x77, 0x04, 0xA0, 0x4B, 0xFF}, 40, taps)) << "cut short";
}

}  // namespace
