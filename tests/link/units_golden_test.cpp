// Exact bytes of the DSP, power-measurement, STEM and SPI transceiver families.
#include "golden_table.h"

namespace kstest {
namespace {

class UnitsGoldenTest : public GoldenTest {};

TEST_F(UnitsGoldenTest, DspMemories) {
  const uint8_t four[4] = {9, 8, 7, 6};
  KST_SMG_HANDLE h = handle_;
  uint8_t* buf = out.data;
  uint8_t* stat = out.status;
  auto bytes = [this](int data, int status) {
    return [this, data, status] {
      Bytes b(out.data, out.data + data);
      b.insert(b.end(), out.status, out.status + status);
      return b;
    };
  };
  // The reserved bytes keep what the command buffer held before the call.
  auto held = [this](std::size_t at, std::initializer_list<uint8_t> values) {
    std::copy(values.begin(), values.end(), probe_->commandBuffer + at);
  };
  runTable({
      {"WREN_MemRead",
       [=] { return WREN_MemRead(h, 0x100, 0x102, 1, 2, 3, 4, 0xA0B0C0D0, 5, buf); },
       51,
       {0, 1, 0, 0, 2, 1, 0, 0, 1, 2, 3, 4, 0xD0, 0xC0, 0xB0, 0xA0, 5},
       {1, 2, 3, 4},
       bytes(4, 0),
       {1, 2, 3, 4},
       {},
       4018},
      {"WREN_MemWrite",
       [=] {
         held(22, {0x5A, 0x5B});
         return WREN_MemWrite(h, 0x100, 0x102, 1, 2, 3, 4, 0xA0B0C0D0, 5, 6, four);
       },
       52,
       {0, 1, 0, 0, 2, 1, 0, 0, 1, 2, 3, 4, 0xD0, 0xC0, 0xB0, 0xA0, 5, 6, 0x5A, 0x5B, 9, 8, 7, 6},
       {},
       nullptr,
       {},
       {},
       4018},
      {"IBIS_MemRead",
       [=] { return IBIS_MemRead(h, 0x1000, 3, 7, 0x01020304, 9, buf); },
       53,
       {0, 0x10, 0, 0, 3, 0, 0, 0, 4, 3, 2, 1, 7, 9},
       {1, 2, 3},
       bytes(3, 0),
       {1, 2, 3}},
      // Short data: 4 bytes go, the count says 1000.
      {"IBIS_MemWrite short",
       [=] {
         held(19, {0x77});
         return IBIS_MemWrite(h, 0x1000, 1000, 4, 0x01020304, 9, 1, four);
       },
       54,
       {0, 0x10, 0, 0, 0xE8, 3, 0, 0, 4, 3, 2, 1, 4, 9, 1, 0x77, 9, 8, 7, 6},
       {},
       nullptr,
       {},
       {},
       8500},
      {"IBIS_MemReadStat",
       [=] { return IBIS_MemReadStat(h, 0x1000, 2, 7, 0x01020304, 9, buf, stat); },
       55,
       {0, 0x10, 0, 0, 2, 0, 0, 0, 4, 3, 2, 1, 7, 9},
       {1, 2, 0, 1},
       bytes(2, 2),
       {1, 2, 0, 1}},
      {"IBIS_MemWriteStat",
       [=] {
         held(19, {0x66});
         return IBIS_MemWriteStat(h, 0x1000, 2, 0, 0x01020304, 9, 0, four, stat);
       },
       56,
       {0, 0x10, 0, 0, 2, 0, 0, 0, 4, 3, 2, 1, 0, 9, 0, 0x66, 9, 8},
       {0, 1},
       bytes(0, 2),
       {0, 1}},
      {"TERN_MemRead",
       [=] { return TERN_MemReadWithStat(h, 0x0102, 0x3000, 2, 0x0304, 0x05060708, buf, nullptr); },
       82,
       {2, 1, 0, 0x30, 0, 0, 2, 0, 4, 3, 8, 7, 6, 5},
       {1, 2},
       bytes(2, 2),
       {1, 2, 0xEE, 0xEE}},
      {"TERN_MemReadStat",
       [=] { return TERN_MemReadWithStat(h, 0x0102, 0x3000, 2, 0x0304, 0x05060708, buf, stat); },
       84,
       {2, 1, 0, 0x30, 0, 0, 2, 0, 4, 3, 8, 7, 6, 5},
       {1, 2, 0, 1},
       bytes(2, 2),
       {1, 2, 0, 1},
       {},
       4018},
      {"TERN_MemWrite",
       [=] { return TERN_MemWriteWithStat(h, 1, 0x3000, 2, 3, 4, four, nullptr); },
       83,
       {1, 0, 0, 0x30, 0, 0, 2, 0, 3, 0, 4, 0, 0, 0, 9, 8},
       {},
       bytes(0, 2),
       {0xEE, 0xEE}},
      {"TERN_MemWriteStat",
       [=] { return TERN_MemWriteWithStat(h, 1, 0x3000, 2, 3, 4, four, stat); },
       85,
       {1, 0, 0, 0x30, 0, 0, 2, 0, 3, 0, 4, 0, 0, 0, 9, 8},
       {1, 0},
       bytes(0, 2),
       {1, 0}},
  });
}

TEST_F(UnitsGoldenTest, PowerMeasurementAndStem) {
  KSTInform* p = probe_;
  const uint8_t params[3] = {9, 8, 7};
  auto words = [this] { return Bytes(le(out.word1, 4)) + le(out.word2, 4); };
  runTable({
      {"PMON_Setup",
       [=] { return PMON_Setup(p, 1, 0x11223344, 2, 3); },
       29,
       {1, 2, 0x44, 0x33, 0x22, 0x11, 3},
       {},
       nullptr,
       {}},
      {"PMON_Calibrate",
       [&] { return PMON_Calibrate(p, 0x0102, &out.word1, &out.word2); },
       30,
       {2, 1},
       {1, 0, 0, 0, 2, 0, 0, 0},
       words,
       {1, 0, 0, 0, 2, 0, 0, 0}},
      {"PMON_Start", [=] { return PMON_Start(p); }, 31, {}, {}, nullptr, {}},
      {"PMON_Stop", [=] { return PMON_Stop(p); }, 32, {}, {}, nullptr, {}},
      {"PMON_Cleanup", [=] { return PMON_Cleanup(p); }, 33, {}, {}, nullptr, {}},
      // The one output written on failure: 0.
      {"PMON_DCDC_GetMCUVersion",
       [&] { return PMON_DCDC_GetMCUVersion(p, &out.word1); },
       34,
       {},
       {7, 0, 4, 1},
       [this] { return le(out.word1, 4); },
       {7, 0, 4, 1},
       {0, 0, 0, 0}},
      {"PMON_DCDC_PowerDownMCU",
       [=] { return PMON_DCDC_PowerDownMCU(p); },
       35,
       {},
       {},
       nullptr,
       {}},
      {"PMON_DCDC_SetVcc",
       [=] { return PMON_DCDC_SetVcc(p, 3300); },
       36,
       {0xE4, 0x0C},
       {},
       nullptr,
       {}},
      {"PMON_DCDC_RestartMCU", [=] { return PMON_DCDC_RestartMCU(p); }, 37, {}, {}, nullptr, {}},
      {"PMON_Setup_Range", [=] { return PMON_Setup_Range(p, 2); }, 48, {2}, {}, nullptr, {}},
      {"PMON_Setup_Dig", [=] { return PMON_Setup_Dig(p, 5); }, 49, {5}, {}, nullptr, {}},
      {"PMON_Setup_Dig_Params",
       [=] { return PMON_Setup_Dig_Params(p, 3, params); },
       68,
       {3, 9, 8, 7},
       {},
       nullptr,
       {}},
      {"PMON_Setup_Dig_Params 0",
       [=] { return PMON_Setup_Dig_Params(p, 0, nullptr); },
       68,
       {0},
       {},
       nullptr,
       {}},
      {"PMON_HardwareInfo",
       [&] { return PMON_HardwareInfo(p, &out.word1, &out.byte); },
       70,
       {},
       {1, 0, 2, 0, 2},
       [this] { return le(out.word1, 4) + Bytes{out.byte}; },
       {1, 0, 2, 0, 2}},
      {"STEM_Setup",
       [=] { return STEM_Setup(p, 1, 0x0A0B0C0D); },
       65,
       {1, 0x0D, 0x0C, 0x0B, 0x0A},
       {},
       nullptr,
       {}},
      {"STEM_Start", [=] { return STEM_Start(p); }, 66, {}, {}, nullptr, {}},
      {"STEM_Stop", [=] { return STEM_Stop(p); }, 67, {}, {}, nullptr, {}},
  });
}

TEST_F(UnitsGoldenTest, SpiTransceiver) {
  KSTInform* p = probe_;
  const uint8_t op[3] = {0x10, 1, 2};
  auto read = [this] { return le(out.half, 2) + Bytes{out.byte} + Bytes(out.data, out.data + 4); };
  runTable({
      {"TRXSPI_Connect", [=] { return TRXSPI_Connect(p, 3, 8); }, 86, {3, 8}, {}, nullptr, {}},
      {"TRXSPI_Disconnect", [=] { return TRXSPI_Disconnect(p); }, 87, {}, {}, nullptr, {}},
      {"TRXSPI_OpWrite",
       [=] { return TRXSPI_OpWrite(p, 0, 1, 3, op); },
       88,
       {0, 1, 0x10, 1, 2},
       {},
       nullptr,
       {}},
      // Length 2 of a 4-byte maximum: two bytes copied, the rest of the buffer as it was.
      {"TRXSPI_OpRead",
       [&] { return TRXSPI_OpRead(p, 4, &out.half, &out.byte, out.data); },
       89,
       {4, 0},
       {2, 0, 5, 0xAA, 0xBB, 0, 0},
       read,
       {2, 0, 5, 0xAA, 0xBB, 0xEE, 0xEE},
       {0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE}},
      // A reported length past the maximum copies only the maximum.
      {"TRXSPI_OpRead long",
       [&] { return TRXSPI_OpRead(p, 4, &out.half, &out.byte, out.data); },
       89,
       {4, 0},
       {40, 0, 0, 1, 2, 3, 4},
       read,
       {40, 0, 0, 1, 2, 3, 4},
       {0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE}},
  });
}

}  // namespace
}  // namespace kstest
