// The command codes the virtual probe's firmware answers.
#pragma once

#include <cstdint>

namespace ksim::command {

enum : uint8_t {
  kEcho = 0,
  kConnect = 1,
  kDisconnect = 2,
  kVersion = 3,
  kSetTclkDelay = 4,
  kSetTrst = 5,
  kGetTrst = 6,
  kCycleTclk = 7,
  kGetJtagState = 8,
  kGotoJtagState = 9,
  kFixedScan = 10,
  kSendScan = 11,
  kSendReceiveScan = 12,
  kSetAmbleDelay = 13,
  kSetSrst = 14,
  kDfuModeSwitch = 38,
  kProductTest = 39,
  kConnectPowerMeasurement = 40,
  kRegisterRead = 41,
  kRegisterWrite = 42,
  kCjtagConnect = 43,
  kCjtagDisconnect = 44,
  kSelectTap = 45,
  kDeselectTap = 46,
  kJtagIsolate = 47,
  kSetSupply = 50,
  kPowerIsolate = 57,
  kEepromRead = 63,
  kEepromWrite = 64,
  kJtagConnect = 69,
  kSetProperty = 73,
  kGetLog = 74,
};

// Property 2 switches the firmware's own log on and off.
constexpr uint32_t kPropertyLoggingEnabled = 2;

}  // namespace ksim::command
