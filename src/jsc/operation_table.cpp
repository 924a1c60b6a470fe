// The framework's operation table: every slot starts with the default and is then given its
// operation by name, so no slot of a table handed out answers "not provided".
#include <cstdlib>

#include "kestrel/jsc.h"
#include "operations.h"
#include "result_codes.h"

static_assert(JSC_OPERATION_COUNT == 56, "the framework's table has 56 slots");

namespace kst::jsc {

int32_t notProvided(...) {
  return kNotProvided;
}

namespace {

template <class Fn>
JSC_Operation slot(Fn fn) {
  return reinterpret_cast<JSC_Operation>(fn);
}

void fillDefault(JSC_Operation* table) {
  for (int i = 0; i < JSC_OPERATION_COUNT; ++i) table[i] = slot(&notProvided);
}

void fillOperations(JSC_Operation* table) {
  table[JSC_SLOT_OPEN_CONTROLLER] = slot(&openController);
  table[JSC_SLOT_CLOSE_CONTROLLER] = slot(&closeController);
  table[JSC_SLOT_GET_TRST] = slot(&getTrst);
  table[JSC_SLOT_SET_TRST] = slot(&setTrst);
  table[JSC_SLOT_GET_SCAN_SETTINGS] = slot(&getScanSettings);
  table[JSC_SLOT_SET_SCAN_SETTINGS] = slot(&setScanSettings);
  table[JSC_SLOT_GET_LINK_DELAY] = slot(&getLinkDelay);
  table[JSC_SLOT_ADD_LINK_DELAY] = slot(&addLinkDelay);
  table[JSC_SLOT_CYCLE_TCLK] = slot(&cycleTclk);
  table[9] = slot(&answerZero);
  table[10] = slot(&answerZero);
  table[JSC_SLOT_GET_JTAG_STATE] = slot(&getJtagState);
  table[JSC_SLOT_MOVE_PATH] = slot(&movePath);
  table[JSC_SLOT_FIXED_SCAN] = slot(&fixedScan);
  for (int i = 0; i < 4; ++i) {
    table[JSC_SLOT_SEND_SCAN + i] = slot(&sendScan);
    table[JSC_SLOT_EXCHANGE_SCAN + i] = slot(&exchangeScan);
    table[JSC_SLOT_READ_RESTORE + i] = slot(&readRestoreScan);
  }
  table[JSC_SLOT_SWD_REG_READ] = slot(&swdRegRead);
  table[JSC_SLOT_SWD_REG_WRITE] = slot(&swdRegWrite);
  table[JSC_SLOT_CREATE_EVENT_LOG] = slot(&createEventLogOperation);
  table[JSC_SLOT_DELETE_EVENT_LOG] = slot(&deleteEventLogOperation);
  table[JSC_SLOT_CLEAR_EVENT_LOG] = slot(&clearEventLogOperation);
  table[JSC_SLOT_SET_EVENT_LOG_OVERFLOW] = slot(&setEventLogOverflow);
  table[JSC_SLOT_READ_EVENT_LOG] = slot(&readEventLog);
  table[JSC_SLOT_ADD_EVENT_LOG_ENTRY] = slot(&addEventLogEntry);
  table[JSC_SLOT_CONNECT_CONTROLLER] = slot(&connectController);
  table[35] = slot(&echoValue);
  table[36] = slot(&acceptPointer);
  table[JSC_SLOT_CONTROL_TARGET_LINES] = slot(&controlTargetLines);
  table[38] = slot(&zeroWord);
  table[39] = slot(&writeRecordVersion);
  table[40] = slot(&acceptThirdPointer);
  table[41] = slot(&capability);
  table[42] = slot(&zeroIndexedWord);
  table[43] = slot(&zeroTwoFlags);
  table[44] = slot(&zeroFlagsAndWord);
  table[45] = slot(&zeroBlockTransfer);
  table[46] = slot(&zeroFlagPair);
  table[47] = slot(&unsupported);
  table[48] = slot(&unsupportedWith);
  table[49] = slot(&unsupported);
  table[50] = slot(&unsupportedWith);
  table[51] = slot(&acceptHandle);
  table[JSC_SLOT_REGISTER_READ] = slot(&registerRead);
  table[JSC_SLOT_REGISTER_WRITE] = slot(&registerWrite);
  table[JSC_SLOT_SELECT_TAP] = slot(&selectTap);
  table[JSC_SLOT_DESELECT_TAP] = slot(&deselectTap);
}

}  // namespace
}  // namespace kst::jsc

KST_API int32_t JSC_CreateInterface(JSC_Operation** table) {
  if (table == nullptr) return kst::jsc::kBadArgument;
  *table = nullptr;
  auto* slots =
      static_cast<JSC_Operation*>(std::malloc(JSC_OPERATION_COUNT * sizeof(JSC_Operation)));
  if (slots == nullptr) return kst::jsc::kNoMemory;
  kst::jsc::fillDefault(slots);
  kst::jsc::fillOperations(slots);
  *table = slots;
  return kst::jsc::kOk;
}

KST_API int32_t JSC_DeleteInterface(JSC_Operation** table) {
  if (table == nullptr || *table == nullptr) return kst::jsc::kBadArgument;
  JSC_Operation* slots = *table;
  *table = nullptr;
  kst::jsc::fillDefault(slots);
  std::free(slots);
  return kst::jsc::kOk;
}
