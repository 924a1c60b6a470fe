// A transceiver on the probe's SPI link with a 256-byte register file: operation writes
// store registers or ask for a read, operation reads return the answer.
//
// What the pass-through arguments mean to this firmware:
//
// TRXSPI_CONNECT (86): selector 1 the SPI mode 0-3, selector 2 the clock divider (non-zero).
// TRXSPI_OPWRITE (88): selector 1 the operation (0 register write: the data are a start
//   address and the values, stored at successive addresses; 1 register read: the data are a
//   start address and a u16 count, answered by the next operation read); selector 2 the chip
//   select, 0 (the one transceiver).
// TRXSPI_OPREAD (89): the answer waiting, as u16 length, u8 status (kAnswerReady, or
//   kNothingPending with length 0) and its first bytes up to the host's maximum. A length
//   beyond the maximum is reported as it is.
//
// Everything but connect is refused before connect (kFirmwareNotConnected). Register
// addresses wrap around the 256 registers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "probe/unit.h"

namespace ksim {

class SpiTransceiver {
 public:
  static constexpr uint8_t kAnswerReady = 0x00;
  static constexpr uint8_t kNothingPending = 0x01;

  struct Answer {
    uint8_t status;
    std::vector<uint8_t> bytes;
  };

  int32_t connect(uint8_t mode, uint8_t divider);
  void disconnect();
  int32_t operation(uint8_t kind, uint8_t chip, const uint8_t* data, std::size_t size);
  // The waiting answer, consumed.
  int32_t read(Answer& answer);

  bool connected() const { return connected_; }
  uint8_t registerValue(uint8_t address) const { return registers_[address]; }

 private:
  bool connected_ = false;
  std::array<uint8_t, 256> registers_{};
  bool pending_ = false;
  std::vector<uint8_t> answer_;
};

}  // namespace ksim

namespace ksim::units::spi {

class SpiUnit : public Unit {
 public:
  explicit SpiUnit(const ProbeConfig&) {}
  void report(ProbeStatus& status) const override { status.spiConnected = transceiver.connected(); }

  SpiTransceiver transceiver;
};

}  // namespace ksim::units::spi
