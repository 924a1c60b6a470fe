#include "usb/usb_function.h"

#include <algorithm>
#include <cstring>

#include "usb/descriptors.h"

namespace ksim::usb {
namespace {

constexpr uint8_t kDirectionIn = 0x80;
constexpr uint8_t kGetDescriptor = 6;

}  // namespace

Status Function::control(const SetupPacket& setup, uint8_t* data, int& transferred) {
  transferred = 0;
  // Only the standard device request GET_DESCRIPTOR is answered by every function.
  if (setup.requestType != kDirectionIn || setup.request != kGetDescriptor) return Status::Stall;
  const uint8_t type = static_cast<uint8_t>(setup.value >> 8);
  const uint8_t index = static_cast<uint8_t>(setup.value);
  std::vector<uint8_t> bytes;
  if (type == kDescriptorDevice) {
    bytes = deviceDescriptorBytes(deviceDescriptor());
  } else if (type == kDescriptorConfiguration && index == 0) {
    bytes = configurationDescriptor();
  } else if (type == kDescriptorString) {
    const std::string text = index == 0 ? std::string() : stringDescriptor(index);
    if (index != 0 && text.empty()) return Status::Stall;
    bytes = index == 0 ? languageDescriptorBytes() : stringDescriptorBytes(text);
  } else {
    return Status::Stall;
  }
  const std::size_t count = std::min<std::size_t>(bytes.size(), setup.length);
  if (count > 0) std::memcpy(data, bytes.data(), count);
  transferred = static_cast<int>(count);
  return Status::Ok;
}

bool Function::takeDeparture(std::unique_ptr<Function>& successor, unsigned& scans) {
  if (!leaving_) return false;
  leaving_ = false;
  successor = std::move(successor_);
  scans = successorScans_;
  return true;
}

void Function::leaveBus(std::unique_ptr<Function> successor, unsigned scans) {
  leaving_ = true;
  successor_ = std::move(successor);
  successorScans_ = scans;
}

}  // namespace ksim::usb
