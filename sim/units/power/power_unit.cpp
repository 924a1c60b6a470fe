#include "power/power_unit.h"

namespace ksim {
namespace {

constexpr uint8_t kRanges = 4;
constexpr uint32_t kRangeOffsets[kRanges] = {0x0120, 0x0031, 0x000A, 0x0002};
constexpr uint32_t kRangeScales[kRanges] = {1, 10, 100, 1000};
constexpr uint16_t kMaxVcc = 5000;

}  // namespace

int32_t PowerMeasurement::configure() {
  if (state_ == State::Running) return kFirmwareOutOfOrder;
  state_ = State::Configured;
  calibrated_ = false;
  return 0;
}

int32_t PowerMeasurement::setup(uint8_t channelMask, uint8_t, uint32_t, uint8_t) {
  if (channelMask == 0 || (channelMask >> channels_) != 0) return kFirmwareBadArguments;
  if (const int32_t refused = configure()) return refused;
  channelMask_ = channelMask;
  return 0;
}

int32_t PowerMeasurement::setRange(uint8_t range) {
  if (range >= kRanges) return kFirmwareBadArguments;
  if (const int32_t refused = configure()) return refused;
  range_ = range;
  return 0;
}

int32_t PowerMeasurement::setDigital(const std::vector<uint8_t>& setup) {
  if (const int32_t refused = configure()) return refused;
  digital_ = setup;
  return 0;
}

int32_t PowerMeasurement::calibrate(uint16_t input, uint32_t& offset, uint32_t& scaled) {
  if (state_ != State::Configured) return kFirmwareOutOfOrder;
  offset = kRangeOffsets[range_];
  scaled = input * kRangeScales[range_];
  calibrated_ = true;
  return 0;
}

int32_t PowerMeasurement::start() {
  if (state_ != State::Configured) return kFirmwareOutOfOrder;
  state_ = State::Running;
  return 0;
}

int32_t PowerMeasurement::stop() {
  if (state_ != State::Running) return kFirmwareOutOfOrder;
  state_ = State::Configured;
  return 0;
}

int32_t PowerMeasurement::cleanup() {
  if (state_ == State::Running) return kFirmwareOutOfOrder;
  state_ = State::Idle;
  calibrated_ = false;
  return 0;
}

int32_t DcDcController::version(uint32_t& version) const {
  if (poweredDown_) return kFirmwarePoweredDown;
  version = version_;
  return 0;
}

int32_t DcDcController::setVcc(uint16_t millivolts) {
  if (poweredDown_) return kFirmwarePoweredDown;
  if (millivolts > kMaxVcc) return kFirmwareBadArguments;
  vcc_ = millivolts;
  return 0;
}

int32_t DcDcController::powerDown() {
  if (poweredDown_) return kFirmwarePoweredDown;
  poweredDown_ = true;
  return 0;
}

void DcDcController::restart() {
  poweredDown_ = false;
  vcc_ = defaultVcc_;
}

int32_t StemUnit::setup(uint8_t, uint32_t) {
  if (running_) return kFirmwareOutOfOrder;
  configured_ = true;
  return 0;
}

int32_t StemUnit::start() {
  if (!configured_ || running_) return kFirmwareOutOfOrder;
  running_ = true;
  return 0;
}

int32_t StemUnit::stop() {
  if (!running_) return kFirmwareOutOfOrder;
  running_ = false;
  return 0;
}

}  // namespace ksim
