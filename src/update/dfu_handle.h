// The DFU client's handle, its device info record and its three operations. Internal to the
// library: the firmware update is their only user.
#pragma once

#include <cstdint>

#include "dfu_codes.h"
#include "dfu_port.h"

namespace kst::update {

struct UsbRecord;  // the libusb context and device handle of an opened device

struct DeviceInfo {
  uint16_t vendorId;
  uint16_t productId;
  uint16_t release;
  uint16_t detachTimeoutMs;
  uint16_t transferSize;
  uint8_t attributes;
  uint8_t iManufacturer;
  uint8_t iProduct;
  uint8_t iSerialNumber;
  uint8_t iInterface;
  uint8_t corvid;
  uint8_t dfuMode;
  uint32_t partNumber;
  uint8_t classHigh;
  uint8_t classLow;
  char partName[10];
  uint8_t noDfuInterface;
};

// bmAttributes of the DFU functional descriptor.
constexpr uint8_t kCanDownload = 0x01;
constexpr uint8_t kManifestationTolerant = 0x04;

struct Handle {
  UsbRecord* usb;  // null for a handle over a test port
  uint8_t corvid;
  uint16_t vendorId;
  uint16_t productId;
  uint16_t release;
  uint16_t transferSize;
  uint8_t attributes;
  uint16_t interfaceNumber;
  uint16_t flashTopBlock;
  uint16_t appStartBlock;
  uint16_t blockCounter;  // wValue of the next DNLOAD or UPLOAD; both share it
  uint32_t classWord;
  uint32_t partWord;
  uint16_t blockSize;
  uint32_t appStartAddress;
  ControlPort port;
};

// Opens the instance-th device (from 0) with the given ids that can be opened.
int32_t QZDFUDeviceOpen(uint16_t vendorId, uint16_t productId, int32_t instance, DeviceInfo* info,
                        Handle** handle);
int32_t QZDFUDownloadBin(Handle* handle, const uint8_t* image, uint32_t size, uint32_t address,
                         uint8_t verify);
int32_t QZDFUDeviceClose(Handle* handle, uint8_t reset);

// The open after the device was found: descriptors, the DFU interface, the Corvid check and
// the device info, all over the handle's port. The handle must carry its port and usb record.
int32_t openOverPort(Handle& handle, DeviceInfo& info);

}  // namespace kst::update
