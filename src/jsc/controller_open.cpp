// Slots 0 and 1: the first handle to open a controller record opens the probe, checks its
// firmware, sets the supply and the test clock, resets the chain and connects the target
// interface; the last handle to close it takes all of that down again.
#include "console_notice.h"
#include "controller_handle.h"
#include "kestrel/kst_arm.h"
#include "kestrel/kst_control.h"
#include "kestrel/kst_jtag.h"
#include "kestrel/kst_probe.h"
#include "kestrel/kst_update.h"
#include "operations.h"
#include "platform/platform.h"
#include "result_codes.h"
#include "share_registry.h"
#include "test_clock.h"
#include "update/firmware_acceptance.h"

namespace kst::jsc {
namespace {

constexpr int32_t kFirmwareRefused = JSC_ERR_FIRMWARE_REFUSED;
constexpr int32_t kSupplyVoltageRange = JSC_ERR_SUPPLY_VOLTAGE;

constexpr uint32_t kModePowerMeasurement = 21;
constexpr uint32_t kModeSilentUpdate = 22;
constexpr uint32_t kModePowerMeasurementOnly = 23;

constexpr uint16_t kSupplyHardware[] = {0x21, 0x30};
constexpr uint32_t kLowestSupplyMillivolts = 1800;
constexpr uint32_t kHighestSupplyMillivolts = 3600;
constexpr uint32_t kSupplySettleMs = 1500;

constexpr uint32_t kSwdDebugEnabled = 2;
constexpr uint32_t kSwoOnTdo = 2;
constexpr uint32_t kDtsEnabled = 3;
constexpr uint32_t kPlainFormat = 1;
constexpr uint32_t kSwdModeWithOption = 1;
constexpr uint32_t kIsolateOnClose = 1;

const char* const kUpdateNotice = "Updating the Kestrel firmware ... ";
const char* const kUpdateComplete = "complete.\n";
const char* const kUpdateFailed = "failed.\n";

bool suppliesTarget(uint16_t hardwareId) {
  for (const uint16_t id : kSupplyHardware)
    if (id == hardwareId) return true;
  return false;
}

bool updatesWithNotice(uint32_t mode) {
  return mode == 16 || mode == 17 || mode == kModePowerMeasurement;
}

bool powerMeasurementOnly(uint32_t mode) {
  return mode == kModePowerMeasurement || mode == kModePowerMeasurementOnly;
}

const char* podSerial(const config::PodRecord& pod) {
  return pod.podSerialGiven ? pod.podSerial : "";
}

// Closes the probe and passes the failure on.
int32_t closeWith(SharedController& record, int32_t result) {
  KST_Close(&record.chain.probe);
  return result;
}

int32_t checkFirmware(const JscHandle& handle, SharedController& record) {
  if (update::firmwareAccepted(record.chain.firmwareVersion)) return kOk;
  const uint32_t mode = handle.mode;
  const bool notice = updatesWithNotice(mode);
  if (!notice && mode != kModeSilentUpdate) return closeWith(record, kFirmwareRefused);
  if (notice) consoleNotice(kUpdateNotice);
  const int32_t result = KST_AutoUpdate(&record.chain.probe, 0, podSerial(handle.config.pod),
                                        mode == kModePowerMeasurement, nullptr);
  if (notice) consoleNotice(result == kOk ? kUpdateComplete : kUpdateFailed);
  return result == kOk ? kOk : closeWith(record, result);
}

int32_t programSupply(const JscHandle& handle, SharedController& record) {
  const config::PodRecord& pod = handle.config.pod;
  if (!suppliesTarget(record.chain.hardwareId))
    return handle.mode == kModePowerMeasurementOnly ? closeWith(record, kNotSupported) : kOk;
  if (!pod.voltageSelectionGiven) return kOk;
  if (pod.voltageSelection && (pod.voltageMillivolts < kLowestSupplyMillivolts ||
                               pod.voltageMillivolts > kHighestSupplyMillivolts))
    return closeWith(record, kSupplyVoltageRange);
  if (const int32_t result = KST_SetSupply(record.chain.probe, pod.supply, pod.voltageMillivolts))
    return closeWith(record, result);
  platform::sleepMs(kSupplySettleMs);
  return kOk;
}

int32_t programTestClock(const JscHandle& handle, SharedController& record) {
  const TestClock clock = chooseTestClock(handle.config.tclk);
  record.tclkFrequency = clock.frequency;
  record.chain.probe->tclkFrequency = clock.frequency;
  if (const int32_t result = KST_SetTclkDelay(record.chain.probe, clock.delay))
    return closeWith(record, result);
  return kOk;
}

// SWD or JTAG (through the cJTAG connect, plain format 1 unless DOT7 is enabled), then SWO
// on the TDO pin when the target interface leaves that pin free.
int32_t connectTarget(JscHandle& handle, SharedController& record) {
  KSTInform* probe = record.chain.probe;
  const config::SwdRecord& swd = handle.config.swd;
  config::Dot7Record& dot7 = handle.config.dot7;
  bool tdoFree = false;
  if (swd.swdDebug == kSwdDebugEnabled) {
    if (const int32_t r = KST_SetProperty(probe, KST_PROPERTY_SWD_MODE, swd.swjDpDefaultMode))
      return closeWith(record, r);
    if (swd.swjDpDefaultMode == kSwdModeWithOption) {
      if (const int32_t r =
              KST_SetProperty(probe, KST_PROPERTY_SWD_OPTION, swd.pinResetDormantWakeup))
        return closeWith(record, r);
    }
    if (const int32_t r = SWD_Connect(probe)) return closeWith(record, r);
    record.swdConnected = 1;
    tdoFree = true;
    if (dot7.dtsUsage == kDtsEnabled) {
      if (const int32_t r = CJTAG_Connect(probe, dot7.tsFormat)) return closeWith(record, r);
    }
  } else {
    if (dot7.dtsUsage != kDtsEnabled) dot7.tsFormat = kPlainFormat;
    if (const int32_t r = CJTAG_Connect(probe, dot7.tsFormat)) return closeWith(record, r);
    tdoFree = dot7.tsFormat != kPlainFormat;
  }
  if (swd.swoSource == kSwoOnTdo && tdoFree) {
    if (const int32_t r = SWD_EnableSwo(probe)) return closeWith(record, r);
  }
  return kOk;
}

int32_t openSequence(JscHandle& handle, SharedController& record) {
  record.powerMeasurement = handle.mode == kModePowerMeasurement;
  if (const int32_t result = KST_Open(&record.chain.probe, 0, podSerial(handle.config.pod),
                                      powerMeasurementOnly(handle.mode)))
    return result;
  // A probe whose version cannot be read counts as version 0, which asks for an update.
  if (KST_Version(record.chain.probe, &record.chain.firmwareVersion, &record.chain.hardwareId) !=
      kOk) {
    record.chain.firmwareVersion = 0;
    record.chain.hardwareId = 0;
  }
  if (const int32_t result = checkFirmware(handle, record)) return result;
  if (const int32_t result = programSupply(handle, record)) return result;
  if (const int32_t result = programTestClock(handle, record)) return result;
  if (powerMeasurementOnly(handle.mode)) return kOk;
  const ConnectOptions options{{0, 0}, 0, {1, 1}, 0};
  if (const int32_t result = connectController(&handle, &options)) return closeWith(record, result);
  return connectTarget(handle, record);
}

// A handle whose open failed lets go of its record: its open and its binding no longer count
// there, so the handles still bound keep consistent counts.
void detachAfterFailure(JscHandle& handle, SharedController& record) {
  --record.chain.openCount;
  --record.chain.bindCount;
  detachShare(&handle);
  handle.chain.controller = nullptr;
}

void tearDown(const JscHandle& handle, SharedController& record) {
  KSTInform* probe = record.chain.probe;
  SWD_DisableSwo(probe);
  if (handle.config.dot7.dtsUsage == kDtsEnabled) CJTAG_Disconnect(probe);
  if (handle.config.swd.swdDebug == kSwdDebugEnabled) {
    SWD_Disconnect(probe);
    record.swdConnected = 0;
  }
  if (handle.config.scan.jtagIsolate == kIsolateOnClose) KST_JTAGIsolate(probe);
}

}  // namespace

int32_t openController(JscHandle* handle, uint8_t* firstOpener) {
  if (handle == nullptr || firstOpener == nullptr) return kBadArgument;
  *firstOpener = 1;
  if (!handle->bound || handle->opened) return kWrongState;
  handle->opened = 1;
  SharedController* record = controllerOf(handle);
  if (record == nullptr || record->chain.openCount >= record->chain.bindCount) return kWrongState;
  const bool first = record->chain.openCount == 0;
  ++record->chain.openCount;
  if (first) {
    if (const int32_t result = openSequence(*handle, *record)) {
      detachAfterFailure(*handle, *record);
      handle->opened = 0;
      return result;
    }
  }
  *firstOpener = first;
  return kOk;
}

int32_t closeController(JscHandle* handle, uint8_t* lastCloser) {
  if (handle == nullptr || lastCloser == nullptr) return kBadArgument;
  *lastCloser = 1;
  if (!handle->bound || !handle->opened) return kWrongState;
  handle->opened = 0;
  SharedController* record = controllerOf(handle);
  if (record == nullptr || record->chain.openCount == 0 ||
      record->chain.bindCount < record->chain.openCount)
    return kWrongState;
  const bool last = record->chain.openCount == 1;
  --record->chain.openCount;
  if (!last) {
    *lastCloser = 0;
    return kOk;
  }
  if (!record->powerMeasurement && handle->mode != kModePowerMeasurementOnly)
    tearDown(*handle, *record);
  if (const int32_t result = KST_Close(&record->chain.probe)) {
    detachShare(handle);
    handle->chain.controller = nullptr;
    return result;
  }
  *lastCloser = 1;
  return kOk;
}

}  // namespace kst::jsc
