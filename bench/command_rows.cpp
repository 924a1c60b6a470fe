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

constexpr CommandRow kRatioRows[] = {
    {"KST_Echo 16 B", echo16},
    {"KST_Echo 4344 B", echo4344, kLongEcho},
    {"KST_SendRecvScan 32 bits", scan32},
    {"KST_GetJtagState", jtagState},
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

const CommandFamily kFamilies[] = {
    {"core", listOf(kCore)},
    {"JTAG", listOf(kJtag)},
    {"control", listOf(kControl)},
};

}  // namespace

RowList ratioRows() {
  return listOf(kRatioRows);
}

const CommandFamily* families(std::size_t& count) {
  count = sizeof kFamilies / sizeof kFamilies[0];
  return kFamilies;
}

}  // namespace kstbench
