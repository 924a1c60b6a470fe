// The virtual probe's target units: the order the power unit insists on, the DC-DC
// controller, STEM, the SPI transceiver's register file and the DSP memories' status bytes (and
// what unwritten memory reads). The ARM target's memory and debug port are checked through the
// library (tests/link/target_round_trip_test, up to the top of the 64-bit space).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "dsp/dsp_unit.h"
#include "power/power_unit.h"
#include "probe/firmware.h"
#include "spi/spi_unit.h"
#include "support/bus.h"

namespace {

using ksim::kFirmwareOutOfOrder;
using kstest::Bytes;

// Runs one command through the firmware as the probe would, and unframes its reply.
ksim::Reply run(ksim::Firmware& firmware, uint8_t code, const Bytes& arguments = {}) {
  const Bytes packet = kstest::packet(code, arguments);
  int parsed = 0;
  const Bytes frame = firmware.run(packet.data(), packet.size(), parsed);
  return {static_cast<int32_t>(kst::wire::getU32(frame.data() + 3)),
          Bytes(frame.begin() + 7, frame.end())};
}

// The power unit and STEM insist on their order: set up, (calibrate,) start, stop, clean up.
TEST(PowerUnit, PowerMeasurementAndStemRefuseOutOfOrderUse) {
  enum Step { Setup, Calibrate, Start, Stop, Cleanup, StemSetup, StemStart, StemStop };
  const struct {
    const char* name;
    std::vector<Step> before;
    Step step;
    int32_t result;
  } cases[] = {
      // clang-format off
      {"start before set-up", {}, Start, kFirmwareOutOfOrder},
      {"calibrate before set-up", {}, Calibrate, kFirmwareOutOfOrder},
      {"stop when idle", {Setup}, Stop, kFirmwareOutOfOrder},
      {"set-up while running", {Setup, Start}, Setup, kFirmwareOutOfOrder},
      {"clean-up while running", {Setup, Start}, Cleanup, kFirmwareOutOfOrder},
      {"calibrate while running", {Setup, Start}, Calibrate, kFirmwareOutOfOrder},
      {"start after clean-up", {Setup, Start, Stop, Cleanup}, Start, kFirmwareOutOfOrder},
      {"restart after stop", {Setup, Calibrate, Start, Stop}, Start, 0},
      {"clean-up when idle", {}, Cleanup, 0},
      {"STEM start before set-up", {}, StemStart, kFirmwareOutOfOrder},
      {"STEM stop when idle", {StemSetup}, StemStop, kFirmwareOutOfOrder},
      {"STEM set-up while running", {StemSetup, StemStart}, StemSetup, kFirmwareOutOfOrder},
      {"STEM start while running", {StemSetup, StemStart}, StemStart, kFirmwareOutOfOrder},
      {"STEM stop when running", {StemSetup, StemStart}, StemStop, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::PowerMeasurement unit(2);
    ksim::StemUnit stem;
    uint32_t a = 0, b = 0;
    const std::function<int32_t()> steps[] = {
        [&] { return unit.setup(1, 0, 0, 0); }, [&] { return unit.calibrate(1, a, b); },
        [&] { return unit.start(); },           [&] { return unit.stop(); },
        [&] { return unit.cleanup(); },         [&] { return stem.setup(1, 2); },
        [&] { return stem.start(); },           [&] { return stem.stop(); }};
    for (const Step step : c.before) ASSERT_EQ(steps[step](), 0);
    EXPECT_EQ(steps[c.step](), c.result);
  }
}

TEST(PowerUnit, CalibrationScalesByRangeAndHandlersAnswerFullSizedRefusals) {
  ksim::Firmware unit{ksim::ProbeConfig{}};
  EXPECT_EQ(run(unit, 29, {4, 0, 0, 0, 0, 0, 0}).result, ksim::kFirmwareBadArguments)
      << "channel 2 of a two-channel unit";
  const ksim::Reply early = run(unit, 30, {10, 0});
  EXPECT_EQ(early.result, kFirmwareOutOfOrder);
  EXPECT_EQ(early.data.size(), 8u) << "the host must see the code, not a short reply";
  ASSERT_EQ(run(unit, 48, {2}).result, 0);
  const ksim::Reply calibrated = run(unit, 30, {10, 0});
  EXPECT_EQ(calibrated.data, (Bytes{0x0A, 0, 0, 0, 0xE8, 3, 0, 0}));
}

TEST(PowerUnit, ThePoweredDownConverterAnswersOnlyRestart) {
  ksim::Firmware unit{ksim::ProbeConfig{}};
  EXPECT_EQ(run(unit, 36, {0x89, 0x13}).result, ksim::kFirmwareBadArguments);  // 5001
  ASSERT_EQ(run(unit, 36, {0xB8, 0x0B}).result, 0);
  EXPECT_EQ(unit.unit<ksim::units::power::PowerUnit>().converter.vcc(), 3000);
  ASSERT_EQ(run(unit, 35).result, 0);
  const ksim::Reply version = run(unit, 34);
  EXPECT_EQ(version.result, ksim::kFirmwarePoweredDown);
  EXPECT_EQ(version.data.size(), 4u);
  EXPECT_EQ(run(unit, 36, {0xB8, 0x0B}).result, ksim::kFirmwarePoweredDown);
  ASSERT_EQ(run(unit, 37).result, 0);
  EXPECT_EQ(run(unit, 34).data, (Bytes{7, 0, 4, 1}));
  EXPECT_EQ(unit.unit<ksim::units::power::PowerUnit>().converter.vcc(), 3300)
      << "restart brings the default supply back";
}

TEST(SpiUnit, RegisterWritesAreReadBackThroughARequestedAnswer) {
  ksim::Firmware unit{ksim::ProbeConfig{}};
  EXPECT_EQ(run(unit, 88, {0, 0, 0x10, 1}).result, ksim::kFirmwareNotConnected);
  EXPECT_EQ(run(unit, 86, {4, 1}).result, ksim::kFirmwareBadArguments) << "mode 4";
  ASSERT_EQ(run(unit, 86, {3, 8}).result, 0);
  ASSERT_EQ(run(unit, 88, {0, 0, 0xFE, 0xA1, 0xB2, 0xC3}).result, 0);  // wraps to 0
  EXPECT_EQ(unit.unit<ksim::units::spi::SpiUnit>().transceiver.registerValue(0x00), 0xC3);
  ASSERT_EQ(run(unit, 88, {1, 0, 0xFE, 3, 0}).result, 0);
  EXPECT_EQ(run(unit, 89, {2, 0}).data, (Bytes{3, 0, 0, 0xA1, 0xB2}))
      << "length 3 reported, two bytes fit";
  EXPECT_EQ(run(unit, 89, {1, 0}).data, (Bytes{0, 0, 1, 0}))
      << "the answer was taken: nothing pending";
}

TEST(DspUnit, StatusFormsMarkFailingBytesWherePlainFormsRefuse) {
  ksim::ProbeConfig config;
  config.target.ibisFailing = {{0x102, 0x103}};
  config.target.ternFailing = {{0x102, 0x103}};
  ksim::Firmware unit{config};
  // IBIS write with status, 4 bytes at 0x100: the third fails and is not written.
  const Bytes ibisWrite = {0, 1, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4};
  EXPECT_EQ(run(unit, 56, ibisWrite).data, (Bytes{0, 0, 1, 0}));
  EXPECT_EQ(run(unit, 54, ibisWrite).result, ksim::kFirmwareMemoryFault);
  const Bytes ibisRead = {0, 1, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(run(unit, 55, ibisRead).data, (Bytes{1, 2, 0, 4, 0, 0, 1, 0}));
  const ksim::Reply plain = run(unit, 53, ibisRead);
  EXPECT_EQ(plain.result, ksim::kFirmwareMemoryFault);
  EXPECT_EQ(plain.data.size(), 4u);
  // The short form fills the count with its bytes.
  EXPECT_EQ(run(unit, 54, {0, 2, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 7, 9}).result, 0);
  EXPECT_EQ(run(unit, 53, {0, 2, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}).data, (Bytes{7, 9, 7, 9, 7}));
  // TERN: the same marking through its own layout.
  EXPECT_EQ(run(unit, 84, {0, 0, 0, 1, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0}).data,
            (Bytes{0xA5, 0xA5, 0, 0, 0, 1}));
}

TEST(DspUnit, FamilyAAddressesWordsInTwoSpaces) {
  ksim::Firmware unit{ksim::ProbeConfig{}};
  auto wren = [](uint8_t start, uint8_t end, uint8_t space) {
    return Bytes{start, 0, 0, 0, end, 0, 0, 0, space, 0, 0, 0, 0, 0, 0, 0, 0};
  };
  Bytes write = wren(0x10, 0x12, 1);
  write.insert(write.end(), {0, 0, 0, 0x34, 0x12, 0x78, 0x56});
  ASSERT_EQ(run(unit, 52, write).result, 0);
  uint8_t stored[4];
  unit.unit<ksim::units::dsp::DspUnit>().wrenData.read(0x20, stored, 4);
  EXPECT_EQ(Bytes(stored, stored + 4), (Bytes{0x34, 0x12, 0x78, 0x56}));
  EXPECT_EQ(run(unit, 51, wren(0x11, 0x12, 1)).data, (Bytes{0x78, 0x56}));
  EXPECT_EQ(run(unit, 51, wren(0x11, 0x12, 0)).data, (Bytes{0xA5, 0xA5}));
  EXPECT_EQ(run(unit, 51, wren(0x12, 0x11, 1)).result, ksim::kFirmwareBadArguments);
  EXPECT_EQ(run(unit, 51, wren(0x10, 0x12, 2)).result, ksim::kFirmwareBadArguments);
}

}  // namespace
