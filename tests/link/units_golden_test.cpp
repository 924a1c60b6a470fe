// Golden exchanges of the DSP, power-measurement, STEM and SPI transceiver families.
#include "target_fixture.h"

namespace kstest {
namespace {

class UnitsGoldenTest : public TargetTest {
 protected:
  // Bytes the command builder leaves alone: what the command buffer held before the call.
  void hold(std::size_t at, std::initializer_list<uint8_t> values) {
    std::copy(values.begin(), values.end(), probe_->commandBuffer + at);
  }
};

TEST_F(UnitsGoldenTest, DspMemories) {
  const uint8_t four[4] = {9, 8, 7, 6};
  KST_SMG_HANDLE h = handle_;
  uint8_t* buf = out_.bytes;  // status bytes follow the data bytes in the output area
  // clang-format off
  const Golden rows[] = {
      {"WREN_MemRead", [&](auto) { return WREN_MemRead(h, 0x100, 0x102, 1, 2, 3, 4, 0xA0B0C0D0, 5, buf); }, 51,
       {0, 1, 0, 0, 2, 1, 0, 0, 1, 2, 3, 4, 0xD0, 0xC0, 0xB0, 0xA0, 5}, {1, 2, 3, 4}, {1, 2, 3, 4}, 4018},
      {"WREN_MemWrite", [&](auto) { hold(22, {0x5A, 0x5B}); return WREN_MemWrite(h, 0x100, 0x102, 1, 2, 3, 4, 0xA0B0C0D0, 5, 6, four); }, 52,
       {0, 1, 0, 0, 2, 1, 0, 0, 1, 2, 3, 4, 0xD0, 0xC0, 0xB0, 0xA0, 5, 6, 0x5A, 0x5B, 9, 8, 7, 6}, {}, {}, 4018},
      {"IBIS_MemRead", [&](auto) { return IBIS_MemRead(h, 0x1000, 3, 7, 0x01020304, 9, buf); }, 53, {0, 0x10, 0, 0, 3, 0, 0, 0, 4, 3, 2, 1, 7, 9}, {1, 2, 3}, {1, 2, 3}},
      // Short data: 4 bytes go, the count says 1000.
      {"IBIS_MemWrite short", [&](auto) { hold(19, {0x77}); return IBIS_MemWrite(h, 0x1000, 1000, 4, 0x01020304, 9, 1, four); }, 54,
       {0, 0x10, 0, 0, 0xE8, 3, 0, 0, 4, 3, 2, 1, 4, 9, 1, 0x77, 9, 8, 7, 6}, {}, {}, 8500},
      {"IBIS_MemReadStat", [&](auto) { return IBIS_MemReadStat(h, 0x1000, 2, 7, 0x01020304, 9, buf, buf + 2); }, 55,
       {0, 0x10, 0, 0, 2, 0, 0, 0, 4, 3, 2, 1, 7, 9}, {1, 2, 0, 1}, {1, 2, 0, 1}},
      {"IBIS_MemWriteStat", [&](auto) { hold(19, {0x66}); return IBIS_MemWriteStat(h, 0x1000, 2, 0, 0x01020304, 9, 0, four, buf); }, 56,
       {0, 0x10, 0, 0, 2, 0, 0, 0, 4, 3, 2, 1, 0, 9, 0, 0x66, 9, 8}, {0, 1}, {0, 1}},
      {"TERN_MemRead", [&](auto) { return TERN_MemReadWithStat(h, 0x0102, 0x3000, 2, 0x0304, 0x05060708, buf, nullptr); }, 82, {2, 1, 0, 0x30, 0, 0, 2, 0, 4, 3, 8, 7, 6, 5}, {1, 2}, {1, 2}},
      {"TERN_MemReadStat", [&](auto) { return TERN_MemReadWithStat(h, 0x0102, 0x3000, 2, 0x0304, 0x05060708, buf, buf + 2); }, 84,
       {2, 1, 0, 0x30, 0, 0, 2, 0, 4, 3, 8, 7, 6, 5}, {1, 2, 0, 1}, {1, 2, 0, 1}, 4018},
      {"TERN_MemWrite", [&](auto) { return TERN_MemWriteWithStat(h, 1, 0x3000, 2, 3, 4, four, nullptr); }, 83, {1, 0, 0, 0x30, 0, 0, 2, 0, 3, 0, 4, 0, 0, 0, 9, 8}},
      {"TERN_MemWriteStat", [&](auto) { return TERN_MemWriteWithStat(h, 1, 0x3000, 2, 3, 4, four, buf); }, 85, {1, 0, 0, 0x30, 0, 0, 2, 0, 3, 0, 4, 0, 0, 0, 9, 8}, {1, 0}, {1, 0}},
  };
  // clang-format on
  for (const Golden& row : rows) checkGolden(row);
}

TEST_F(UnitsGoldenTest, PowerMeasurementAndStem) {
  const uint8_t params[3] = {9, 8, 7};
  const uint8_t u = kUntouched;
  // clang-format off
  const Golden rows[] = {
      {"PMON_Setup", [](auto p) { return PMON_Setup(p, 1, 0x11223344, 2, 3); }, 29, {1, 2, 0x44, 0x33, 0x22, 0x11, 3}},
      {"PMON_Calibrate", [&](auto p) { return PMON_Calibrate(p, 0x0102, &out_.w.word, reinterpret_cast<uint32_t*>(out_.bytes + 8)); }, 30,
       {2, 1}, {1, 0, 0, 0, 2, 0, 0, 0}, {1, 0, 0, 0, u, u, u, u, 2, 0, 0, 0}},
      // Its outputs are optional: without them the command runs and nothing is written.
      {"PMON_Calibrate no outputs", [](auto p) { return PMON_Calibrate(p, 0x0102, nullptr, nullptr); }, 30, {2, 1}, {1, 0, 0, 0, 2, 0, 0, 0}},
      {"PMON_Start", [](auto p) { return PMON_Start(p); }, 31},
      {"PMON_Stop", [](auto p) { return PMON_Stop(p); }, 32},
      {"PMON_Cleanup", [](auto p) { return PMON_Cleanup(p); }, 33},
      // The one output written on failure: 0.
      {"PMON_DCDC_GetMCUVersion", [&](auto p) { return PMON_DCDC_GetMCUVersion(p, &out_.w.word); }, 34, {}, {7, 0, 4, 1}, {7, 0, 4, 1}, 4000, {0, 0, 0, 0}},
      {"PMON_DCDC_GetMCUVersion no output", [](auto p) { return PMON_DCDC_GetMCUVersion(p, nullptr); }, 34, {}, {7, 0, 4, 1}},
      {"PMON_DCDC_PowerDownMCU", [](auto p) { return PMON_DCDC_PowerDownMCU(p); }, 35},
      {"PMON_DCDC_SetVcc", [](auto p) { return PMON_DCDC_SetVcc(p, 3300); }, 36, {0xE4, 0x0C}},
      {"PMON_DCDC_RestartMCU", [](auto p) { return PMON_DCDC_RestartMCU(p); }, 37},
      {"PMON_Setup_Range", [](auto p) { return PMON_Setup_Range(p, 2); }, 48, {2}},
      {"PMON_Setup_Dig", [](auto p) { return PMON_Setup_Dig(p, 5); }, 49, {5}},
      {"PMON_Setup_Dig_Params", [&](auto p) { return PMON_Setup_Dig_Params(p, 3, params); }, 68, {3, 9, 8, 7}},
      {"PMON_Setup_Dig_Params 0", [](auto p) { return PMON_Setup_Dig_Params(p, 0, nullptr); }, 68, {0}},
      {"PMON_HardwareInfo", [&](auto p) { return PMON_HardwareInfo(p, &out_.w.word, &out_.w.byte); }, 70, {}, {1, 0, 2, 0, 2}, {1, 0, 2, 0, u, u, 2}},
      {"PMON_HardwareInfo no outputs", [](auto p) { return PMON_HardwareInfo(p, nullptr, nullptr); }, 70, {}, {1, 0, 2, 0, 2}},
      {"STEM_Setup", [](auto p) { return STEM_Setup(p, 1, 0x0A0B0C0D); }, 65, {1, 0x0D, 0x0C, 0x0B, 0x0A}},
      {"STEM_Start", [](auto p) { return STEM_Start(p); }, 66},
      {"STEM_Stop", [](auto p) { return STEM_Stop(p); }, 67},
  };
  // clang-format on
  for (const Golden& row : rows) checkGolden(row);
}

TEST_F(UnitsGoldenTest, SpiTransceiver) {
  const uint8_t op[3] = {0x10, 1, 2};
  const uint8_t u = kUntouched;
  auto read = [this](KSTInform* p) {
    return TRXSPI_OpRead(p, 4, &out_.w.half, &out_.w.byte, out_.bytes + 8);
  };
  // Failure: length and status 0, the data buffer as it was.
  const Bytes cleared = {u, u, u, u, 0, 0, 0};
  // clang-format off
  const Golden rows[] = {
      {"TRXSPI_Connect", [](auto p) { return TRXSPI_Connect(p, 3, 8); }, 86, {3, 8}},
      {"TRXSPI_Disconnect", [](auto p) { return TRXSPI_Disconnect(p); }, 87},
      {"TRXSPI_OpWrite", [&](auto p) { return TRXSPI_OpWrite(p, 0, 1, 3, op); }, 88, {0, 1, 0x10, 1, 2}},
      // Length 2 of a 4-byte maximum: two bytes copied.
      {"TRXSPI_OpRead", read, 89, {4, 0}, {2, 0, 5, 0xAA, 0xBB, 0, 0}, {u, u, u, u, 2, 0, 5, u, 0xAA, 0xBB}, 4000, cleared},
      // A reported length past the maximum copies only the maximum.
      {"TRXSPI_OpRead long", read, 89, {4, 0}, {40, 0, 0, 1, 2, 3, 4}, {u, u, u, u, 40, 0, 0, u, 1, 2, 3, 4}, 4000, cleared},
  };
  // clang-format on
  for (const Golden& row : rows) checkGolden(row);
}

}  // namespace
}  // namespace kstest
