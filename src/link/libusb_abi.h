// The part of libusb-1.0's public interface the library calls. libusb is bound at run time,
// so its header is not needed to build; these declarations follow its documented ABI.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define KST_LIBUSB_CALL __stdcall
#else
#define KST_LIBUSB_CALL
#endif

namespace kst::usb {

struct Context;       // libusb_context
struct Device;        // libusb_device
struct DeviceHandle;  // libusb_device_handle
struct Transfer;      // libusb_transfer

// libusb_device_descriptor: the standard 18-byte USB device descriptor.
struct DeviceDescriptor {
  uint8_t bLength;
  uint8_t bDescriptorType;
  uint16_t bcdUSB;
  uint8_t bDeviceClass;
  uint8_t bDeviceSubClass;
  uint8_t bDeviceProtocol;
  uint8_t bMaxPacketSize0;
  uint16_t idVendor;
  uint16_t idProduct;
  uint16_t bcdDevice;
  uint8_t iManufacturer;
  uint8_t iProduct;
  uint8_t iSerialNumber;
  uint8_t bNumConfigurations;
};
static_assert(sizeof(DeviceDescriptor) == 18, "libusb device descriptor is 18 bytes");
static_assert(offsetof(DeviceDescriptor, idVendor) == 8, "idVendor at offset 8");
static_assert(offsetof(DeviceDescriptor, iSerialNumber) == 16, "iSerialNumber at offset 16");

constexpr int kSuccess = 0;
constexpr int kErrorPipe = -9;
constexpr uint32_t kCapSupportsDetachKernelDriver = 0x0101;

using InitFn = int(KST_LIBUSB_CALL*)(Context**);
using ExitFn = void(KST_LIBUSB_CALL*)(Context*);
using HasCapabilityFn = int(KST_LIBUSB_CALL*)(uint32_t);
using GetDeviceListFn = std::ptrdiff_t(KST_LIBUSB_CALL*)(Context*, Device***);
using FreeDeviceListFn = void(KST_LIBUSB_CALL*)(Device**, int);
using GetDeviceDescriptorFn = int(KST_LIBUSB_CALL*)(Device*, DeviceDescriptor*);
using GetStringDescriptorAsciiFn = int(KST_LIBUSB_CALL*)(DeviceHandle*, uint8_t, unsigned char*,
                                                         int);
using OpenFn = int(KST_LIBUSB_CALL*)(Device*, DeviceHandle**);
using CloseFn = void(KST_LIBUSB_CALL*)(DeviceHandle*);
using InterfaceFn = int(KST_LIBUSB_CALL*)(DeviceHandle*, int);
using ClearHaltFn = int(KST_LIBUSB_CALL*)(DeviceHandle*, unsigned char);
using AllocTransferFn = Transfer*(KST_LIBUSB_CALL*)(int);
using CancelTransferFn = int(KST_LIBUSB_CALL*)(Transfer*);
using FreeTransferFn = void(KST_LIBUSB_CALL*)(Transfer*);
using ControlTransferFn = int(KST_LIBUSB_CALL*)(DeviceHandle*, uint8_t, uint8_t, uint16_t, uint16_t,
                                                unsigned char*, uint16_t, unsigned int);
using BulkTransferFn = int(KST_LIBUSB_CALL*)(DeviceHandle*, unsigned char, unsigned char*, int,
                                             int*, unsigned int);

}  // namespace kst::usb
