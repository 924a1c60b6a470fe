#include "command_rows.h"

namespace kstbench {
namespace {

constexpr uint32_t kLongEcho = 4344;  // the largest echo a packet carries
uint8_t g_out[kLongEcho];
uint8_t g_in[kLongEcho];

template <std::size_t N>
RowList listOf(const CommandRow (&rows)[N]) {
  return {rows, N};
}

int32_t echo16(KSTInform* p) {
  return KST_Echo(p, g_out, g_in, 16);
}
int32_t echo4344(KSTInform* p) {
  return KST_Echo(p, g_out, g_in, kLongEcho);
}
// 32 bits through the data register, from and back to Run-Test/Idle.
int32_t scan32(KSTInform* p) {
  return KST_SendRecvScan(p, 32, KST_STATE_SHIFT_DR, 1, KST_STATE_RUN_TEST_IDLE, 1, 0, 0, 0, 1, 4,
                          4, g_out, g_in, 4, 4);
}
int32_t jtagState(KSTInform* p) {
  uint32_t state = 0;
  return KST_GetJtagState(p, &state);
}

// The fake scan-manager handle around the probe the rows run on, made again only when the
// probe changes, so the rows time the commands and not the handle.
KST_SMG_HANDLE handleOf(KSTInform* p) {
  static KSTInform* bound = nullptr;
  static KST_SMG_HANDLE handle = nullptr;
  if (p != bound && KST_CreateFakeSMGHandle(p, &handle) == KST_OK) bound = p;
  return handle;
}

constexpr uint32_t kMemoryBlock = 4096;
constexpr uint32_t kTargetRam = 0x20000000;
// AP 0, 32-bit accesses, incrementing address.
int32_t memRead4k(KSTInform* p) {
  return CMAPI_MemRead(handleOf(p), 0, 2, 0, kTargetRam, kMemoryBlock, 0, g_in);
}
int32_t memWrite4k(KSTInform* p) {
  return CMAPI_MemWrite(handleOf(p), 0, 2, 0, kTargetRam, kMemoryBlock, 0, g_out);
}

constexpr CommandRow kRatioRows[] = {
    {"KST_Echo 16 B", echo16},
    {"KST_Echo 4344 B", echo4344, kLongEcho},
    {"KST_SendRecvScan 32 bits", scan32},
    {"KST_GetJtagState", jtagState},
    {"CMAPI_MemRead 4 KiB", memRead4k, kMemoryBlock},
    {"CMAPI_MemWrite 4 KiB", memWrite4k, kMemoryBlock},
};

int32_t version(KSTInform* p) {
  uint32_t firmware = 0;
  uint16_t hardware = 0;
  return KST_Version(p, &firmware, &hardware);
}
int32_t connect(KSTInform* p) {
  return KST_Connect(p);
}
// Sends again the command the row before it left in the command buffer (KST_Connect), as a
// caller of KST_Execute prepares its own.
int32_t execute(KSTInform* p) {
  return KST_Execute(p, 4, 7, 1, 0);
}

constexpr CommandRow kCore[] = {
    {"KST_Echo 16 B", echo16}, {"KST_Echo 4344 B", echo4344}, {"KST_Version", version},
    {"KST_Connect", connect},  {"KST_Execute", execute},
};

int32_t gotoIdle(KSTInform* p) {
  return KST_GotoJtagState(p, KST_STATE_RUN_TEST_IDLE, 1);
}
int32_t sendScan(KSTInform* p) {
  return KST_SendScan(p, 32, KST_STATE_SHIFT_DR, 1, KST_STATE_RUN_TEST_IDLE, 1, 0, 0, 0, 1, 4,
                      g_out, 4);
}
int32_t fixedScan(KSTInform* p) {
  return KST_FixedScan(p, 32, KST_STATE_SHIFT_IR, 1, KST_STATE_RUN_TEST_IDLE, 1, 0, 0, 0, 1, 0xFF);
}
int32_t cycle(KSTInform* p) {
  return KST_CycleTclk(p, 8);
}
int32_t trst(KSTInform* p) {
  uint32_t value = 0;
  return KST_GetTrst(p, &value);
}
int32_t ambles(KSTInform* p) {
  return KST_SetAmbleDelay(p, 0, 0, 0, 0);
}

constexpr CommandRow kJtag[] = {
    {"KST_GetJtagState", jtagState}, {"KST_GotoJtagState", gotoIdle}, {"KST_SendRecvScan", scan32},
    {"KST_SendScan", sendScan},      {"KST_FixedScan", fixedScan},    {"KST_CycleTclk", cycle},
    {"KST_GetTrst", trst},           {"KST_SetAmbleDelay", ambles},
};

int32_t srst(KSTInform* p) {
  return KST_SetSrst(p, 1);
}
int32_t registerRead(KSTInform* p) {
  uint16_t value = 0;
  return KST_RegisterRead(p, 0x10, &value);
}
int32_t registerWrite(KSTInform* p) {
  const uint16_t value = 0x1234;
  return KST_RegisterWrite(p, 0x10, &value);
}
int32_t eepromRead(KSTInform* p) {
  return KST_EEPROMRead(p, 0, 256, g_in);
}
int32_t eepromWrite(KSTInform* p) {
  return KST_EEPROMWrite(p, 0x100, 64, g_out);
}
int32_t supply(KSTInform* p) {
  return KST_SetSupply(p, 1, 3300);
}

constexpr CommandRow kControl[] = {
    {"KST_SetSrst", srst},
    {"KST_RegisterRead", registerRead},
    {"KST_RegisterWrite", registerWrite},
    {"KST_EEPROMRead", eepromRead},
    {"KST_EEPROMWrite", eepromWrite},
    {"KST_SetSupply", supply},
};

int32_t dapConnect(KSTInform* p) {
  uint32_t idcode = 0;
  return CMAPI_Connect(handleOf(p), &idcode);
}
int32_t memRead64(KSTInform* p) {  // AP 1, the 64-bit one
  return CMAPI_MemRead64(handleOf(p), 1, 2, 0, 0x100000000ull, 256, 0, g_in);
}
int32_t dapRegRead(KSTInform* p) {  // DP CTRL/STAT
  uint32_t value = 0;
  return CMAPI_DapRegRead(handleOf(p), 0, 0, 0x04, &value);
}

constexpr CommandRow kCmapi[] = {
    {"CMAPI_Connect", dapConnect},    {"CMAPI_MemRead", memRead4k},
    {"CMAPI_MemWrite", memWrite4k},   {"CMAPI_MemRead64", memRead64},
    {"CMAPI_DapRegRead", dapRegRead},
};

int32_t swdConnect(KSTInform* p) {
  return SWD_Connect(p);
}
int32_t swdRead(KSTInform* p) {  // DP IDCODE
  uint32_t value = 0;
  return SWD_RegRead(p, 0, 0x0, &value);
}
int32_t swdWrite(KSTInform* p) {  // DP SELECT
  const uint32_t select = 0;
  return SWD_RegWrite(p, 0, 0x8, &select, 0);
}
int32_t swoOn(KSTInform* p) {
  return SWD_EnableSwo(p);
}
int32_t swoOff(KSTInform* p) {
  return SWD_DisableSwo(p);
}

constexpr CommandRow kSwd[] = {
    {"SWD_Connect", swdConnect}, {"SWD_RegRead", swdRead},   {"SWD_RegWrite", swdWrite},
    {"SWD_EnableSwo", swoOn},    {"SWD_DisableSwo", swoOff},
};

constexpr uint32_t kBlock = 1024;  // the DSP and ARMv7 blocks: a quarter of a packet

int32_t armv7Read(KSTInform* p) {
  return ARMv7_MemRead(handleOf(p), 0, 4, kTargetRam, 0, kBlock, g_in);
}
int32_t armv7Write(KSTInform* p) {
  return ARMv7_MemWrite(handleOf(p), 0, 4, kTargetRam, 0, kBlock, g_out);
}
constexpr CommandRow kArmv7[] = {{"ARMv7_MemRead", armv7Read}, {"ARMv7_MemWrite", armv7Write}};

// The words start at the AP's TAR, wherever the last block left it.
int32_t secRead(KSTInform* p) {
  return SecAP_BulkRead(handleOf(p), 0, kBlock / 4, g_in);
}
int32_t secWrite(KSTInform* p) {
  return SecAP_BulkWrite(handleOf(p), 0, kBlock / 4, g_out);
}
constexpr CommandRow kSecAp[] = {{"SecAP_BulkRead", secRead}, {"SecAP_BulkWrite", secWrite}};

// Family A counts 16-bit words: [0x40, 0x40 + kBlock / 2) of its data space (selector 1).
int32_t wrenRead(KSTInform* p) {
  return WREN_MemRead(handleOf(p), 0x40, 0x40 + kBlock / 2, 1, 0, 0, 0, 0, 0, g_in);
}
int32_t wrenWrite(KSTInform* p) {
  return WREN_MemWrite(handleOf(p), 0x40, 0x40 + kBlock / 2, 1, 0, 0, 0, 0, 0, 0, g_out);
}
constexpr CommandRow kWren[] = {{"WREN_MemRead", wrenRead}, {"WREN_MemWrite", wrenWrite}};

uint8_t g_status[kBlock];
int32_t ibisRead(KSTInform* p) {
  return IBIS_MemRead(handleOf(p), 0x1000, kBlock, 0, 0, 0, g_in);
}
int32_t ibisWriteStat(KSTInform* p) {
  return IBIS_MemWriteStat(handleOf(p), 0x1000, kBlock, 0, 0, 0, 0, g_out, g_status);
}
constexpr CommandRow kIbis[] = {{"IBIS_MemRead", ibisRead}, {"IBIS_MemWriteStat", ibisWriteStat}};

int32_t ternRead(KSTInform* p) {
  return TERN_MemReadWithStat(handleOf(p), 0, 0x3000, kBlock, 0, 0, g_in, g_status);
}
int32_t ternWrite(KSTInform* p) {
  return TERN_MemWriteWithStat(handleOf(p), 0, 0x3000, kBlock, 0, 0, g_out, g_status);
}
constexpr CommandRow kTern[] = {{"TERN_MemReadWithStat", ternRead},
                                {"TERN_MemWriteWithStat", ternWrite}};

// In the order the unit takes them: set up, calibrate, start, stop, and again.
int32_t pmonSetup(KSTInform* p) {
  return PMON_Setup(p, 1, 1000, 0, 0);
}
int32_t pmonCalibrate(KSTInform* p) {
  uint32_t first = 0, second = 0;
  return PMON_Calibrate(p, 1, &first, &second);
}
int32_t pmonStart(KSTInform* p) {
  return PMON_Start(p);
}
int32_t pmonStop(KSTInform* p) {
  return PMON_Stop(p);
}
int32_t dcdcVersion(KSTInform* p) {
  uint32_t version = 0;
  return PMON_DCDC_GetMCUVersion(p, &version);
}
constexpr CommandRow kPmon[] = {
    {"PMON_Setup", pmonSetup}, {"PMON_Calibrate", pmonCalibrate},        {"PMON_Start", pmonStart},
    {"PMON_Stop", pmonStop},   {"PMON_DCDC_GetMCUVersion", dcdcVersion},
};

int32_t stemSetup(KSTInform* p) {
  return STEM_Setup(p, 1, 1000);
}
int32_t stemStart(KSTInform* p) {
  return STEM_Start(p);
}
int32_t stemStop(KSTInform* p) {
  return STEM_Stop(p);
}
constexpr CommandRow kStem[] = {
    {"STEM_Setup", stemSetup}, {"STEM_Start", stemStart}, {"STEM_Stop", stemStop}};

// Register 0x21 and the one after it, written and read back through an operation.
int32_t spiConnect(KSTInform* p) {
  return TRXSPI_Connect(p, 0, 4);
}
int32_t spiWrite(KSTInform* p) {
  static const uint8_t request[] = {0x21, 2, 0};
  return TRXSPI_OpWrite(p, 1, 0, sizeof request, request);
}
int32_t spiRead(KSTInform* p) {
  uint16_t length = 0;
  uint8_t status = 0;
  return TRXSPI_OpRead(p, 8, &length, &status, g_in);
}
constexpr CommandRow kSpi[] = {
    {"TRXSPI_Connect", spiConnect}, {"TRXSPI_OpWrite", spiWrite}, {"TRXSPI_OpRead", spiRead}};

const CommandFamily kFamilies[] = {
    {"core", listOf(kCore)},   {"JTAG", listOf(kJtag)}, {"control", listOf(kControl)},
    {"CMAPI", listOf(kCmapi)}, {"SWD", listOf(kSwd)},   {"ARMv7", listOf(kArmv7)},
    {"SecAP", listOf(kSecAp)}, {"WREN", listOf(kWren)}, {"IBIS", listOf(kIbis)},
    {"TERN", listOf(kTern)},   {"PMON", listOf(kPmon)}, {"STEM", listOf(kStem)},
    {"TRXSPI", listOf(kSpi)},
};

}  // namespace

int32_t connectTarget(KSTInform* probe) {
  return dapConnect(probe);
}

RowList ratioRows() {
  return listOf(kRatioRows);
}

const CommandFamily* families(std::size_t& count) {
  count = sizeof kFamilies / sizeof kFamilies[0];
  return kFamilies;
}

}  // namespace kstbench
