#include "spi/spi_unit.h"

namespace ksim {
namespace {

constexpr uint8_t kMaxMode = 3;
constexpr uint8_t kRegisterWrite = 0, kRegisterRead = 1;

}  // namespace

int32_t SpiTransceiver::connect(uint8_t mode, uint8_t divider) {
  if (mode > kMaxMode || divider == 0) return kFirmwareBadArguments;
  connected_ = true;
  return 0;
}

void SpiTransceiver::disconnect() {
  connected_ = false;
  pending_ = false;
}

int32_t SpiTransceiver::operation(uint8_t kind, uint8_t chip, const uint8_t* data,
                                  std::size_t size) {
  if (!connected_) return kFirmwareNotConnected;
  if (chip != 0 || size == 0) return kFirmwareBadArguments;
  const uint8_t start = data[0];
  if (kind == kRegisterWrite) {
    for (std::size_t i = 1; i < size; ++i)
      registers_[static_cast<uint8_t>(start + i - 1)] = data[i];
    return 0;
  }
  if (kind != kRegisterRead || size != 3) return kFirmwareBadArguments;
  const std::size_t count = data[1] | static_cast<std::size_t>(data[2]) << 8;
  answer_.resize(count);
  for (std::size_t i = 0; i < count; ++i) answer_[i] = registers_[static_cast<uint8_t>(start + i)];
  pending_ = true;
  return 0;
}

int32_t SpiTransceiver::read(Answer& answer) {
  if (!connected_) return kFirmwareNotConnected;
  answer.status = pending_ ? kAnswerReady : kNothingPending;
  answer.bytes = pending_ ? answer_ : std::vector<uint8_t>{};
  pending_ = false;
  return 0;
}

}  // namespace ksim
