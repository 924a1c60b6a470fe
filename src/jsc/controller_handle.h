// The controller handle the framework holds and the controller record shared by every handle
// bound under one share key. Both begin with the heads of the scan-manager handle chain, so
// the command library reaches the probe context from the framework's scan-manager handle.
#pragma once

#include <cstdint>

#include "config/records.h"
#include "kestrel/jsc_records.h"
#include "link/handle_chain.h"

namespace kst::jsc {

struct SharedController {
  SharedControllerHead chain;  // firmware version, hardware id, bind and open counts, probe
  uint32_t tclkFrequency;      // hertz
  uint32_t linkDelayBase;
  uint32_t linkDelayRelative;
  uint32_t linkDelayAbsolute;
  uint8_t swdConnected;
  uint8_t powerMeasurement;
};

constexpr uint32_t kInitialTclkFrequency = 5500000;

struct EventLog {
  uint32_t* words;
  uint32_t capacity;
  uint32_t count;
  uint8_t enabled;
  uint8_t allowOverflow;
};

}  // namespace kst::jsc

struct JscHandle {
  kst::ControllerHandleHead chain;  // share block size, share block, share key, record
  uint8_t bound;
  uint8_t opened;
  uint32_t creationFlags;
  uint32_t mode;
  uint32_t scanPair[2];
  uint32_t ambles[4];      // instruction first, second; other registers first, second
  uint32_t tclkCounts[4];  // the TCLK-count table
  void* hostContext;
  const JSC_HostService* hostServices;
  kst::config::ConfigurationRecords config;
  kst::jsc::EventLog* eventLog;
};

namespace kst::jsc {

// The handle's controller record, or null when it has none.
inline SharedController* controllerOf(const JscHandle* handle) {
  // The record's head is its first member, so the two addresses are one.
  return reinterpret_cast<SharedController*>(handle->chain.controller);
}

// The probe context of the handle's record; null when there is no record or no probe.
inline KSTInform* probeOf(const JscHandle* handle) {
  return handle->chain.controller != nullptr ? handle->chain.controller->probe : nullptr;
}

}  // namespace kst::jsc
