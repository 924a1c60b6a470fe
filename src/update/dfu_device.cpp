// Opening a DFU device over its port, downloading an image, and closing it.
#include <cstring>
#include <memory>
#include <new>

#include "dfu_corvid.h"
#include "dfu_descriptors.h"
#include "dfu_handle.h"
#include "dfu_parts.h"
#include "dfu_requests.h"
#include "dfu_transfer.h"

namespace kst::update {
namespace {

constexpr uint8_t kStandardIn = 0x80;
constexpr uint8_t kGetDescriptor = 6;
constexpr uint16_t kDeviceDescriptorValue = 0x0100;
constexpr uint16_t kConfigDescriptorValue = 0x0200;
constexpr uint8_t kDfuModeProtocol = 2;

int getDescriptor(Handle& handle, uint16_t value, uint8_t* out, uint16_t length) {
  return endpoint0Transfer(handle, Setup{kStandardIn, kGetDescriptor, value, 0, length}, out);
}

std::size_t moved(int count) {
  return count < 0 ? 0 : static_cast<std::size_t>(count);
}

bool readDevice(Handle& handle, DeviceInfo& info) {
  uint8_t bytes[kDeviceDescriptorSize] = {};
  DeviceFields fields{};
  if (!readDeviceDescriptor(
          bytes, moved(getDescriptor(handle, kDeviceDescriptorValue, bytes, sizeof bytes)), fields))
    return false;
  info = DeviceInfo{};
  info.vendorId = fields.vendorId;
  info.productId = fields.productId;
  info.release = fields.release;
  info.iManufacturer = fields.iManufacturer;
  info.iProduct = fields.iProduct;
  info.iSerialNumber = fields.iSerialNumber;
  return true;
}

// Reads the whole configuration and finds its DFU interface: 0, -2 without memory for the
// configuration, -4 when a descriptor is not as the header announced.
int32_t readConfiguration(Handle& handle, DfuInterface& dfu) {
  uint8_t head[kConfigHeaderSize] = {};
  ConfigHeader header{};
  if (!readConfigHeader(
          head, moved(getDescriptor(handle, kConfigDescriptorValue, head, sizeof head)), header))
    return DFU_ERR_UNKNOWN;
  // One byte at least, so a wTotalLength of 0 is not mistaken for a failed allocation.
  std::unique_ptr<uint8_t[]> config(
      new (std::nothrow) uint8_t[header.totalLength == 0 ? 1 : header.totalLength]);
  if (!config) return DFU_ERR_MEMORY;
  const std::size_t size =
      moved(getDescriptor(handle, kConfigDescriptorValue, config.get(), header.totalLength));
  if (!configMatchesHeader(config.get(), size, header)) return DFU_ERR_UNKNOWN;
  dfu = findDfuInterface(config.get(), size, header.interfaceCount);
  return DFU_OK;
}

void fillPart(const Handle& handle, DeviceInfo& info) {
  info.classHigh = static_cast<uint8_t>(handle.classWord >> 8);
  info.classLow = static_cast<uint8_t>(handle.classWord);
  const PartRow* part = findPart(static_cast<uint8_t>(handle.partWord >> 16));
  if (part == nullptr) return;
  info.partNumber = part->number;
  std::strncpy(info.partName, part->name, sizeof info.partName - 1);
  info.partName[sizeof info.partName - 1] = '\0';
}

}  // namespace

int32_t openOverPort(Handle& handle, DeviceInfo& info) {
  DfuInterface dfu{};
  if (!readDevice(handle, info)) return DFU_ERR_UNKNOWN;
  if (const int32_t read = readConfiguration(handle, dfu)) return read;
  if (dfu.found) {
    info.iInterface = dfu.iInterface;
    info.dfuMode = dfu.protocol == kDfuModeProtocol ? 1 : 0;
    info.attributes = dfu.attributes;
    info.detachTimeoutMs = dfu.detachTimeoutMs;
    info.transferSize = dfu.transferSize;
  } else {
    info.noDfuInterface = 1;
  }
  handle.vendorId = info.vendorId;
  handle.productId = info.productId;
  handle.release = info.release;
  handle.transferSize = info.transferSize;
  handle.attributes = info.attributes;
  handle.interfaceNumber = dfu.number;
  handle.blockCounter = 0;
  if (info.dfuMode == 0) return DFU_OK;

  bringToIdle(handle);  // a device that stays out of IDLE fails the Corvid steps below
  handle.corvid = 0;
  handle.partWord = handle.classWord = 0;
  handle.flashTopBlock = handle.appStartBlock = handle.blockSize = 0;
  handle.appStartAddress = 0x4000;
  if (corvidCheck(handle)) {
    handle.corvid = 1;
    readCorvidDeviceInfo(handle);
  }
  info.corvid = handle.corvid;
  if (handle.corvid != 0) fillPart(handle, info);
  return DFU_OK;
}

int32_t QZDFUDownloadBin(Handle* handle, const uint8_t* image, uint32_t size, uint32_t address,
                         uint8_t verify) {
  if (handle == nullptr) return DFU_ERR_HANDLE;
  if (image == nullptr) return DFU_ERR_INVALID_ADDR;
  if (handle->corvid == 0) return DFU_ERR_UNSUPPORTED;
  const uint64_t flashTop = static_cast<uint64_t>(handle->blockSize) * handle->flashTopBlock;
  if (static_cast<uint64_t>(address) + size > flashTop) return DFU_ERR_INVALID_ADDR;
  int32_t result = bringToIdle(*handle);
  if (result == DFU_OK) result = corvidCommand(*handle, kCorvidProgram, address, size);
  if (result == DFU_OK) result = downloadData(*handle, image, size);
  if (result != DFU_OK || verify == 0) return result;

  Status6 status{};
  if (!requestStatus(*handle, status) || status.state != kIdle) return DFU_ERR_CANT_VERIFY;
  result = corvidUploadFormat(*handle, true);
  if (result == DFU_OK) result = corvidCommand(*handle, kCorvidRead, address, size);
  if (result != DFU_OK) return result;
  result = verifyImage(*handle, image, size);
  corvidUploadFormat(*handle, false);
  return result;
}

}  // namespace kst::update
