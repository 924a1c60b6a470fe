// The bootloader's descriptors: one configuration with one DFU-mode interface and its DFU
// functional descriptor, and the malformed variants the faults ask for.
#include <cstring>

#include "bootloader.h"
#include "probe/probe_identity.h"

namespace ksim {
namespace {

void put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

constexpr uint8_t kDfuVersionLow = 0x10;  // bcdDFUVersion 1.1
constexpr uint16_t kDetachTimeoutMs = 255;
constexpr std::size_t kShortDeviceSize = 12;
constexpr std::size_t kMissingBytes = 16;

}  // namespace

std::vector<uint8_t> Bootloader::deviceDescriptor() const {
  std::vector<uint8_t> out = {18, 1, 0x00, 0x02, 0, 0, 0, 64};
  put16(out, kBootloaderIdentity.vendorId);
  put16(out, kBootloaderIdentity.productId);
  put16(out, 0x0100);  // bcdDevice
  out.insert(out.end(), {1, 2, 3, 1});
  if (faults_.descriptors == DescriptorFault::kShortDevice) out.resize(kShortDeviceSize);
  if (faults_.descriptors == DescriptorFault::kTypeBytesZero) out[1] = 0;
  return out;
}

std::vector<uint8_t> Bootloader::configDescriptor() const {
  const DescriptorFault fault = faults_.descriptors;
  const bool dfu = fault != DescriptorFault::kNoDfuInterface;
  std::vector<uint8_t> out = {9, 2, 0, 0, 1, 1, 0, 0x80, 50};
  out.insert(out.end(), {static_cast<uint8_t>(fault == DescriptorFault::kZeroLength ? 0 : 9), 4, 0,
                         0, 0, static_cast<uint8_t>(dfu ? 0xFE : 0xFF),
                         static_cast<uint8_t>(dfu ? 1 : 0), static_cast<uint8_t>(dfu ? 2 : 0), 4});
  out.insert(out.end(), {9, 0x21, config_.attributes});
  put16(out, kDetachTimeoutMs);
  put16(out, config_.transferSize);
  out.insert(out.end(), {kDfuVersionLow, 0x01});
  std::size_t total = out.size();
  if (fault == DescriptorFault::kTotalLarger) total += kMissingBytes;
  if (fault == DescriptorFault::kTotalSmaller) {
    total -= 9;
    out.resize(total);
  }
  out[2] = static_cast<uint8_t>(total);
  out[3] = static_cast<uint8_t>(total >> 8);
  if (fault == DescriptorFault::kTypeBytesZero) out[1] = 0;
  return out;
}

std::string Bootloader::stringText(uint8_t index) {
  static const char* const kStrings[] = {"", "Kestrel", "Kestrel bootloader", "KSTBL0001",
                                         "Kestrel flash"};
  return index < sizeof kStrings / sizeof kStrings[0] ? kStrings[index] : "";
}

namespace {

std::vector<uint8_t> stringDescriptor(uint8_t index) {
  if (index == 0) return {4, 3, 0x09, 0x04};  // US English
  const std::string text = Bootloader::stringText(index);
  if (text.empty()) return {};
  std::vector<uint8_t> out = {static_cast<uint8_t>(2 + 2 * text.size()), 3};
  for (const char c : text) out.insert(out.end(), {static_cast<uint8_t>(c), 0});
  return out;
}

enum StandardRequest : uint8_t {
  kGetStatus = 0,
  kGetDescriptor = 6,
  kGetConfiguration = 8,
  kSetConfiguration = 9,
  kGetInterface = 10,
  kSetInterface = 11,
};

}  // namespace

ControlReply Bootloader::standardRequest(const ControlRequest& request, uint8_t* data) {
  std::vector<uint8_t> reply;
  const bool in = (request.requestType & 0x80) != 0;
  switch (request.request) {
    case kGetDescriptor:
      if (request.value >> 8 == 1) reply = deviceDescriptor();
      if (request.value >> 8 == 2) reply = configDescriptor();
      if (request.value >> 8 == 3) reply = stringDescriptor(static_cast<uint8_t>(request.value));
      if (reply.empty()) return {ControlReply::kStall, 0};
      break;
    case kGetStatus:
      reply = {0, 0};
      break;
    case kGetConfiguration:
      reply = {1};
      break;
    case kGetInterface:
      reply = {0};
      break;
    case kSetConfiguration:
    case kSetInterface:
      if (in) return {ControlReply::kStall, 0};
      return {ControlReply::kDone, 0};
    default:
      return {ControlReply::kStall, 0};
  }
  if (!in) return {ControlReply::kStall, 0};
  const std::size_t length = reply.size() < request.length ? reply.size() : request.length;
  if (length != 0) std::memcpy(data, reply.data(), length);
  return {ControlReply::kDone, static_cast<uint16_t>(length)};
}

}  // namespace ksim
