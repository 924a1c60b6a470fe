// Golden exchanges of the target families: ARM (CMAPI, SWD, ARMv7, SecAP), the DSP memories,
// power measurement, STEM and the SPI transceiver. Their refused handles are in
// command_table_test.
#include "probe_fixture.h"

namespace kstest {
namespace {

class TargetGoldenTest : public TargetTest {};

TEST_F(TargetGoldenTest, ArmFamilies) {
  const uint8_t four[4] = {9, 8, 7, 6};
  const uint32_t value = 0x50000000;
  uint32_t* word = &out_.w.word;
  uint8_t* buf = out_.bytes;
  KST_SMG_HANDLE h = handle_;
  // clang-format off
  const Golden rows[] = {
      {"CMAPI_Connect", [&](auto) { return CMAPI_Connect(h, word); }, 15, {}, {0x77, 0x14, 0xA0, 0x2B}, {0x77, 0x14, 0xA0, 0x2B}},
      {"CMAPI_Disconnect", [&](auto) { return CMAPI_Disconnect(h); }, 16},
      {"CMAPI_MemRead", [&](auto) { return CMAPI_MemRead(h, 1, 2, 0, 0x20000010, 4, 0x0A000000, buf); }, 19,
       {1, 2, 0, 0x10, 0, 0, 0x20, 4, 0, 0, 0, 0, 0x0A}, {1, 2, 3, 4}, {1, 2, 3, 4}, 4018},
      {"CMAPI_MemWrite", [&](auto) { return CMAPI_MemWrite(h, 1, 2, 0, 0x20000010, 4, 0x0A000000, four); }, 20, {1, 2, 0, 0x10, 0, 0, 0x20, 4, 0, 0, 0, 0, 0x0A, 9, 8, 7, 6}, {}, {}, 4018},
      {"CMAPI_MemRead64", [&](auto) { return CMAPI_MemRead64(h, 1, 2, 3, 0x0123456789ABCDEF, 2, 0x11223344, buf); }, 61,
       {1, 2, 3, 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 2, 0, 0x44, 0x33, 0x22, 0x11}, {0xAA, 0xBB}, {0xAA, 0xBB}},
      {"CMAPI_MemWrite64", [&](auto) { return CMAPI_MemWrite64(h, 0, 0, 0, 0x100000000, 3, 0, four); }, 62, {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 9, 8, 7}},
      {"CMAPI_DapRegRead", [&](auto) { return CMAPI_DapRegRead(h, 1, 0, 0xFC, word); }, 21, {1, 0, 0xFC}, {4, 0, 0x77, 0x44}, {4, 0, 0x77, 0x44}},
      {"CMAPI_DapRegWrite", [&](auto) { return CMAPI_DapRegWrite(h, 0, 0, 4, &value); }, 22, {0, 0, 4, 0, 0, 0, 0x50}},
      {"SWD_Connect", [](auto p) { return SWD_Connect(p); }, 23},
      {"SWD_Disconnect", [](auto p) { return SWD_Disconnect(p); }, 24},
      {"SWD_EnableSwo", [](auto p) { return SWD_EnableSwo(p); }, 25},
      {"SWD_DisableSwo", [](auto p) { return SWD_DisableSwo(p); }, 26},
      {"SWD_RegRead", [&](auto p) { return SWD_RegRead(p, 1, 0x0C, word); }, 27, {1, 0x0C}, {1, 2, 3, 4}, {1, 2, 3, 4}},
      {"SWD_RegWrite", [&](auto p) { return SWD_RegWrite(p, 0, 8, &value, 1); }, 28, {0, 8, 0, 0, 0, 0x50, 1}},
      {"ARMv7_MemRead", [&](auto) { return ARMv7_MemRead(h, 0x0102, 0x0304, 0x20000000, 0x55, 8, buf); }, 71,
       {2, 1, 4, 3, 0, 0, 0, 0x20, 0x55, 0, 0, 0, 8, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}, 4036},
      {"ARMv7_MemWrite", [&](auto) { return ARMv7_MemWrite(h, 1, 4, 0x20000000, 0, 4, four); }, 72, {1, 0, 4, 0, 0, 0, 0, 0x20, 0, 0, 0, 0, 4, 0, 0, 0, 9, 8, 7, 6}, {}, {}, 4018},
      {"SecAP_BulkWrite", [&](auto) { return SecAP_BulkWrite(h, 2, 1, four); }, 80, {2, 1, 0, 9, 8, 7, 6}, {}, {}, 4018},
      {"SecAP_BulkRead", [&](auto) { return SecAP_BulkRead(h, 2, 2, buf); }, 81, {2, 2, 0}, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}, 4036},
  };
  // clang-format on
  for (const Golden& row : rows) checkGolden(row);
}
TEST_F(TargetGoldenTest, DspMemoriesPowerMeasurementStemAndSpi) {
  const uint8_t four[4] = {9, 8, 7, 6}, params[3] = {9, 8, 7}, op[3] = {0x10, 1, 2};
  KST_SMG_HANDLE h = handle_;
  uint8_t* buf = out_.bytes;  // status bytes follow the data bytes in the output area
  const uint8_t u = kUntouched;
  auto read = [this](KSTInform* p) {
    return TRXSPI_OpRead(p, 4, &out_.w.half, &out_.w.byte, out_.bytes + 8);
  };
  // An SPI read's failure: length and status 0, the data buffer as it was.
  const Bytes cleared = {u, u, u, u, 0, 0, 0};
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
      // Power measurement and STEM.
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
      // The SPI transceiver.
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
