// The probe's power-measurement unit, the microcontroller of its DC-DC converter, and the
// STEM unit: small state machines that refuse out-of-order use with kFirmwareOutOfOrder.
//
// What the pass-through arguments mean to this firmware:
//
// PMON_SETUP (29): first byte the channel mask (bit per channel; 0 or a channel the unit
//   lacks is refused), second byte the sample-rate code, the word the samples per block,
//   third byte the trigger source; all kept as given.
// PMON_SETUP_RANGE (48): the current range 0-3 (others refused). PMON_SETUP_DIG (49) and
//   PMON_SETUP_DIG_PARAM (68): the digital set-up byte and parameters, kept as given.
// PMON_CALIBRATE (30): the input is a reference current in range units; the answer is the
//   range's zero offset and the input scaled by the range (x1, x10, x100, x1000).
// PMON_HW_INFO (70): the hardware information word and the channel count.
// PMON_DCDC_SETVCC (36): the supply in millivolts, at most 5000.
// STEM_SETUP (65): the byte and word are kept as given.
//
// Order: set-up (any of the four set-up commands) -> [calibrate] -> start -> stop ->
// [start -> stop ...] -> clean-up. Calibrate or start before set-up, stop when not running,
// set-up or clean-up while running are out of order. The DC-DC microcontroller answers
// powered down to everything but restart once powered down. STEM: set-up -> start -> stop.
#pragma once

#include <cstdint>
#include <vector>

#include "probe/unit.h"

namespace ksim {

constexpr uint16_t kDefaultVcc = 3300;

class PowerMeasurement {
 public:
  enum class State { Idle, Configured, Running };

  explicit PowerMeasurement(uint8_t channels) : channels_(channels) {}

  int32_t setup(uint8_t channelMask, uint8_t rate, uint32_t samples, uint8_t trigger);
  int32_t setRange(uint8_t range);
  int32_t setDigital(const std::vector<uint8_t>& setup);
  int32_t calibrate(uint16_t input, uint32_t& offset, uint32_t& scaled);
  int32_t start();
  int32_t stop();
  int32_t cleanup();

  State state() const { return state_; }
  bool calibrated() const { return calibrated_; }

 private:
  int32_t configure();

  uint8_t channels_;
  State state_ = State::Idle;
  uint8_t range_ = 0;
  uint8_t channelMask_ = 0;
  std::vector<uint8_t> digital_;
  bool calibrated_ = false;
};

class DcDcController {
 public:
  DcDcController(uint32_t version, uint16_t vcc) : version_(version), defaultVcc_(vcc), vcc_(vcc) {}

  int32_t version(uint32_t& version) const;
  int32_t setVcc(uint16_t millivolts);
  int32_t powerDown();
  void restart();

  bool poweredDown() const { return poweredDown_; }
  uint16_t vcc() const { return vcc_; }

 private:
  uint32_t version_;
  uint16_t defaultVcc_;
  uint16_t vcc_;
  bool poweredDown_ = false;
};

class StemUnit {
 public:
  int32_t setup(uint8_t setup, uint32_t word);
  int32_t start();
  int32_t stop();
  bool running() const { return running_; }

 private:
  bool configured_ = false;
  bool running_ = false;
};

}  // namespace ksim

namespace ksim::units::power {

class PowerUnit : public Unit {
 public:
  explicit PowerUnit(const ProbeConfig& config)
      : hardwareWord(config.target.powerHardwareWord),
        channels(config.target.powerChannels),
        measurement(config.target.powerChannels),
        converter(config.target.dcdcVersion, kDefaultVcc) {}

  void report(ProbeStatus& status) const override {
    status.powerRunning = measurement.state() == PowerMeasurement::State::Running;
  }

  uint32_t hardwareWord;
  uint8_t channels;
  PowerMeasurement measurement;
  DcDcController converter;
  StemUnit stem;
};

}  // namespace ksim::units::power
