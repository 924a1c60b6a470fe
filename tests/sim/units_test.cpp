// The virtual probe's other target units: the order the power unit insists on, the DC-DC
// controller, STEM, the SPI transceiver's register file and the DSP memories' status bytes.
#include <gtest/gtest.h>

#include <vector>

#include "dsp/dsp_unit.h"
#include "power/power_unit.h"
#include "spi/spi_unit.h"

namespace {

using ksim::kFirmwareOutOfOrder;

// Runs the unit's handler for code on the argument bytes.
template <class Unit>
ksim::Reply run(Unit& unit, ksim::UnitCommandTable<Unit> table, uint8_t code,
                const std::vector<uint8_t>& arguments = {}) {
  ksim::Reply reply;
  for (std::size_t i = 0; i < table.count; ++i) {
    if (table.entries[i].code != code) continue;
    kst::wire::Reader args(arguments.data(), arguments.size());
    table.entries[i].handle(unit, args, reply);
    EXPECT_TRUE(args.ok() && args.remaining() == 0) << "code " << int(code);
    return reply;
  }
  ADD_FAILURE() << "no handler for " << int(code);
  return reply;
}

TEST(PowerUnit, RefusesOutOfOrderUse) {
  enum Step { Setup, Calibrate, Start, Stop, Cleanup };
  struct Case {
    const char* name;
    std::vector<Step> before;
    Step step;
    int32_t result;
  };
  const Case cases[] = {
      {"start before set-up", {}, Start, kFirmwareOutOfOrder},
      {"calibrate before set-up", {}, Calibrate, kFirmwareOutOfOrder},
      {"stop when idle", {Setup}, Stop, kFirmwareOutOfOrder},
      {"set-up while running", {Setup, Start}, Setup, kFirmwareOutOfOrder},
      {"clean-up while running", {Setup, Start}, Cleanup, kFirmwareOutOfOrder},
      {"calibrate while running", {Setup, Start}, Calibrate, kFirmwareOutOfOrder},
      {"start after clean-up", {Setup, Start, Stop, Cleanup}, Start, kFirmwareOutOfOrder},
      {"restart after stop", {Setup, Calibrate, Start, Stop}, Start, 0},
      {"clean-up when idle", {}, Cleanup, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::PowerMeasurement unit(2);
    uint32_t a = 0, b = 0;
    auto apply = [&](Step step) {
      switch (step) {
        case Setup: return unit.setup(1, 0, 0, 0);
        case Calibrate: return unit.calibrate(1, a, b);
        case Start: return unit.start();
        case Stop: return unit.stop();
        case Cleanup: return unit.cleanup();
      }
      return -1;
    };
    for (const Step step : c.before) ASSERT_EQ(apply(step), 0);
    EXPECT_EQ(apply(c.step), c.result);
  }
}

TEST(PowerUnit, CalibrationScalesByRangeAndHandlersAnswerFullSizedRefusals) {
  ksim::PowerUnit unit;
  const auto table = ksim::powerCommands();
  EXPECT_EQ(run(unit, table, 29, {4, 0, 0, 0, 0, 0, 0}).result, ksim::kFirmwareBadArguments)
      << "channel 2 of a two-channel unit";
  const ksim::Reply early = run(unit, table, 30, {10, 0});
  EXPECT_EQ(early.result, kFirmwareOutOfOrder);
  EXPECT_EQ(early.data.size(), 8u) << "the host must see the code, not a short reply";
  ASSERT_EQ(run(unit, table, 48, {2}).result, 0);
  const ksim::Reply calibrated = run(unit, table, 30, {10, 0});
  EXPECT_EQ(calibrated.data, (std::vector<uint8_t>{0x0A, 0, 0, 0, 0xE8, 3, 0, 0}));
}

TEST(PowerUnit, ThePoweredDownConverterAnswersOnlyRestart) {
  ksim::PowerUnit unit;
  const auto table = ksim::powerCommands();
  EXPECT_EQ(run(unit, table, 36, {0x89, 0x13}).result, ksim::kFirmwareBadArguments);  // 5001
  ASSERT_EQ(run(unit, table, 36, {0xB8, 0x0B}).result, 0);
  EXPECT_EQ(unit.converter.vcc(), 3000);
  ASSERT_EQ(run(unit, table, 35).result, 0);
  const ksim::Reply version = run(unit, table, 34);
  EXPECT_EQ(version.result, ksim::kFirmwarePoweredDown);
  EXPECT_EQ(version.data.size(), 4u);
  EXPECT_EQ(run(unit, table, 36, {0xB8, 0x0B}).result, ksim::kFirmwarePoweredDown);
  ASSERT_EQ(run(unit, table, 37).result, 0);
  EXPECT_EQ(run(unit, table, 34).data, (std::vector<uint8_t>{7, 0, 4, 1}));
  EXPECT_EQ(unit.converter.vcc(), 3300) << "restart brings the default supply back";
}

TEST(PowerUnit, StemStartsOnlyWhenSetUpAndStopsOnlyWhenRunning) {
  ksim::StemUnit stem;
  EXPECT_EQ(stem.start(), kFirmwareOutOfOrder);
  EXPECT_EQ(stem.stop(), kFirmwareOutOfOrder);
  ASSERT_EQ(stem.setup(1, 2), 0);
  ASSERT_EQ(stem.start(), 0);
  EXPECT_EQ(stem.setup(1, 2), kFirmwareOutOfOrder);
  EXPECT_EQ(stem.start(), kFirmwareOutOfOrder);
  EXPECT_EQ(stem.stop(), 0);
}

TEST(SpiUnit, RegisterWritesAreReadBackThroughARequestedAnswer) {
  ksim::SpiUnit unit;
  const auto table = ksim::spiCommands();
  EXPECT_EQ(run(unit, table, 88, {0, 0, 0x10, 1}).result, ksim::kFirmwareNotConnected);
  EXPECT_EQ(run(unit, table, 86, {4, 1}).result, ksim::kFirmwareBadArguments) << "mode 4";
  ASSERT_EQ(run(unit, table, 86, {3, 8}).result, 0);
  ASSERT_EQ(run(unit, table, 88, {0, 0, 0xFE, 0xA1, 0xB2, 0xC3}).result, 0);  // wraps to 0
  EXPECT_EQ(unit.transceiver.registerValue(0x00), 0xC3);
  ASSERT_EQ(run(unit, table, 88, {1, 0, 0xFE, 3, 0}).result, 0);
  EXPECT_EQ(run(unit, table, 89, {2, 0}).data, (std::vector<uint8_t>{3, 0, 0, 0xA1, 0xB2}))
      << "length 3 reported, two bytes fit";
  EXPECT_EQ(run(unit, table, 89, {1, 0}).data, (std::vector<uint8_t>{0, 0, 1, 0}))
      << "the answer was taken: nothing pending";
}

TEST(DspUnit, StatusFormsMarkFailingBytesWherePlainFormsRefuse) {
  ksim::DspUnit unit;
  unit.ibis.addFault(0x102, 0x103);
  unit.tern.addFault(0x102, 0x103);
  const auto table = ksim::dspCommands();
  // IBIS write with status, 4 bytes at 0x100: the third fails and is not written.
  const std::vector<uint8_t> ibisWrite = {0, 1, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4};
  EXPECT_EQ(run(unit, table, 56, ibisWrite).data, (std::vector<uint8_t>{0, 0, 1, 0}));
  EXPECT_EQ(run(unit, table, 54, ibisWrite).result, ksim::kFirmwareMemoryFault);
  const std::vector<uint8_t> ibisRead = {0, 1, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(run(unit, table, 55, ibisRead).data, (std::vector<uint8_t>{1, 2, 0, 4, 0, 0, 1, 0}));
  const ksim::Reply plain = run(unit, table, 53, ibisRead);
  EXPECT_EQ(plain.result, ksim::kFirmwareMemoryFault);
  EXPECT_EQ(plain.data.size(), 4u);
  // The short form fills the count with its bytes.
  EXPECT_EQ(run(unit, table, 54, {0, 2, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 7, 9}).result, 0);
  EXPECT_EQ(run(unit, table, 53, {0, 2, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}).data,
            (std::vector<uint8_t>{7, 9, 7, 9, 7}));
  // TERN: the same marking through its own layout.
  EXPECT_EQ(run(unit, table, 84, {0, 0, 0, 1, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0}).data,
            (std::vector<uint8_t>{0xA5, 0xA5, 0, 0, 0, 1}));
}

TEST(DspUnit, FamilyAAddressesWordsInTwoSpaces) {
  ksim::DspUnit unit;
  const auto table = ksim::dspCommands();
  auto wren = [](uint32_t start, uint32_t end, uint8_t space) {
    return std::vector<uint8_t>{uint8_t(start), uint8_t(start >> 8), 0, 0, uint8_t(end),
                                uint8_t(end >> 8), 0, 0, space, 0, 0, 0, 0, 0, 0, 0, 0};
  };
  std::vector<uint8_t> write = wren(0x10, 0x12, 1);
  write.insert(write.end(), {0, 0, 0, 0x34, 0x12, 0x78, 0x56});
  ASSERT_EQ(run(unit, table, 52, write).result, 0);
  uint8_t stored[4];
  unit.wrenData.read(0x20, stored, 4);
  EXPECT_EQ(std::vector<uint8_t>(stored, stored + 4), (std::vector<uint8_t>{0x34, 0x12, 0x78, 0x56}));
  EXPECT_EQ(run(unit, table, 51, wren(0x11, 0x12, 1)).data, (std::vector<uint8_t>{0x78, 0x56}));
  EXPECT_EQ(run(unit, table, 51, wren(0x11, 0x12, 0)).data, (std::vector<uint8_t>{0xA5, 0xA5}));
  EXPECT_EQ(run(unit, table, 51, wren(0x12, 0x11, 1)).result, ksim::kFirmwareBadArguments);
  EXPECT_EQ(run(unit, table, 51, wren(0x10, 0x12, 2)).result, ksim::kFirmwareBadArguments);
}

}  // namespace
