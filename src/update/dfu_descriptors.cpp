#include "dfu_descriptors.h"

#include "link/wire.h"

namespace kst::update {
namespace {

constexpr uint8_t kInterfaceType = 4;
constexpr uint8_t kDfuFunctionalType = 0x21;
constexpr uint8_t kApplicationSpecificClass = 0xFE;
constexpr uint8_t kDfuSubclass = 1;
constexpr std::size_t kInterfaceSize = 9;
// DFU 1.0 devices end the functional descriptor before bcdDFUVersion.
constexpr std::size_t kFunctionalMinSize = 7;

// Steps through the descriptors of a configuration, one at a time, by their bLength.
class DescriptorWalk {
 public:
  DescriptorWalk(const uint8_t* bytes, std::size_t size, std::size_t start)
      : bytes_(bytes), size_(size), offset_(start) {}

  // The next whole descriptor, or false at the end or at one that cannot be stepped over.
  bool next(wire::Reader& descriptor, uint8_t& type) {
    if (offset_ + 2 > size_) return false;
    const uint8_t length = bytes_[offset_];
    if (length < 2 || length > size_ - offset_) return false;
    descriptor = wire::Reader(bytes_ + offset_, length);
    descriptor.u8();
    type = descriptor.u8();
    offset_ += length;
    return true;
  }

 private:
  const uint8_t* bytes_;
  std::size_t size_;
  std::size_t offset_;
};

void readFunctional(wire::Reader& descriptor, DfuInterface& out) {
  out.attributes = descriptor.u8();
  out.detachTimeoutMs = descriptor.u16();
  out.transferSize = descriptor.u16();
}

}  // namespace

bool readDeviceDescriptor(const uint8_t* bytes, std::size_t size, DeviceFields& out) {
  if (size != kDeviceDescriptorSize) return false;
  wire::Reader reader(bytes, size);
  // bDescriptorType is not checked: the request named the descriptor, and bLength is the one
  // field the device must get right.
  if (reader.u8() != kDeviceDescriptorSize) return false;
  reader.bytes(7);  // bDescriptorType, bcdUSB, class, subclass, protocol, bMaxPacketSize0
  out.vendorId = reader.u16();
  out.productId = reader.u16();
  out.release = reader.u16();
  out.iManufacturer = reader.u8();
  out.iProduct = reader.u8();
  out.iSerialNumber = reader.u8();
  return reader.ok();
}

bool readConfigHeader(const uint8_t* bytes, std::size_t size, ConfigHeader& out) {
  if (size != kConfigHeaderSize) return false;
  wire::Reader reader(bytes, size);
  if (reader.u8() != kConfigHeaderSize) return false;
  reader.u8();  // bDescriptorType, not checked (see the device descriptor)
  out.totalLength = reader.u16();
  out.interfaceCount = reader.u8();
  return reader.ok();
}

bool configMatchesHeader(const uint8_t* bytes, std::size_t size, const ConfigHeader& header) {
  if (size != header.totalLength) return false;
  wire::Reader reader(bytes, size);
  if (reader.u8() != kConfigHeaderSize) return false;
  reader.u8();  // bDescriptorType
  const uint16_t totalLength = reader.u16();
  return reader.ok() && totalLength == header.totalLength;
}

DfuInterface findDfuInterface(const uint8_t* config, std::size_t size, uint8_t interfaceCount) {
  DfuInterface found{};
  DescriptorWalk walk(config, size, kConfigHeaderSize);
  wire::Reader descriptor(nullptr, 0);
  uint8_t type = 0;
  unsigned interfacesSeen = 0;
  while (!found.found && interfacesSeen < interfaceCount && walk.next(descriptor, type)) {
    if (type != kInterfaceType) continue;
    ++interfacesSeen;
    if (descriptor.remaining() + 2 < kInterfaceSize) continue;
    const uint8_t number = descriptor.u8();
    descriptor.bytes(2);  // bAlternateSetting, bNumEndpoints
    const uint8_t interfaceClass = descriptor.u8();
    const uint8_t subclass = descriptor.u8();
    const uint8_t protocol = descriptor.u8();
    const uint8_t iInterface = descriptor.u8();
    if (interfaceClass != kApplicationSpecificClass || subclass != kDfuSubclass) continue;
    found = DfuInterface{true, number, protocol, iInterface, 0, 0, 0};
  }
  if (!found.found) return found;
  while (walk.next(descriptor, type)) {
    if (type == kDfuFunctionalType && descriptor.remaining() + 2 >= kFunctionalMinSize) {
      readFunctional(descriptor, found);
      break;
    }
  }
  return found;
}

}  // namespace kst::update
