// Reading the device and configuration descriptors a DFU device returns. Every byte is
// untrusted: fields are read through a length-checked reader and the configuration walk
// never steps past the bytes that arrived.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst::update {

constexpr std::size_t kDeviceDescriptorSize = 18;
constexpr std::size_t kConfigHeaderSize = 9;

struct DeviceFields {
  uint16_t vendorId;
  uint16_t productId;
  uint16_t release;
  uint8_t iManufacturer;
  uint8_t iProduct;
  uint8_t iSerialNumber;
};

// False unless all 18 bytes arrived with bLength 18.
bool readDeviceDescriptor(const uint8_t* bytes, std::size_t size, DeviceFields& out);

struct ConfigHeader {
  uint16_t totalLength;
  uint8_t interfaceCount;
};

// False unless nine bytes arrived with bLength 9.
bool readConfigHeader(const uint8_t* bytes, std::size_t size, ConfigHeader& out);

// The whole configuration: all wTotalLength bytes arrived, with bLength 9 and the same
// wTotalLength as the header. A configuration shorter than its header holds no interface.
bool configMatchesHeader(const uint8_t* bytes, std::size_t size, const ConfigHeader& header);

struct DfuInterface {
  bool found;
  uint8_t number;
  uint8_t protocol;  // 2: DFU mode, 1: run-time mode
  uint8_t iInterface;
  uint8_t attributes;  // from the DFU functional descriptor; 0 without one
  uint16_t detachTimeoutMs;
  uint16_t transferSize;
};

// Finds the first DFU interface among the first interfaceCount interface descriptors of a
// whole configuration, and the DFU functional descriptor after it. A descriptor with
// bLength below 2 or reaching past the end stops the walk.
DfuInterface findDfuInterface(const uint8_t* config, std::size_t size, uint8_t interfaceCount);

}  // namespace kst::update
