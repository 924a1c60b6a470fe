// Every Kestrel probe and bootloader on the bus, found without claiming any interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "usb_functions.h"

namespace tool {

enum class DeviceKind { Probe, Bootloader };
enum class Access { Ok, NoPermission, Failed };

struct ListedDevice {
  DeviceKind kind = DeviceKind::Probe;
  int identityRow = -1;  // probes: the row of the identity table (KST_Open tries rows in order)
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint8_t bus = 0;
  std::vector<uint8_t> ports;  // root port first
  std::string path;            // bus-port.port..., as Linux names USB devices
  uint8_t address = 0;         // the device number on its bus (/dev/bus/usb/BBB/DDD)
  std::string serial;          // empty when it could not be read
  Access access = Access::Ok;
  int openError = 0;         // libusb's code when access is not Ok
  std::size_t busOrder = 0;  // position in libusb's device list, the order KST_Open walks
};

// Devices sorted by bus path, so that an index into the list stays put between runs.
// False with the reason when libusb cannot list the bus.
bool listDevices(const UsbFunctions& usb, std::vector<ListedDevice>& devices, std::string& error);

std::string usbIdText(const ListedDevice& device);   // "1209:4b01"
std::string accessText(const ListedDevice& device);  // "ok", "no permission", "cannot open: ..."
const char* kindText(DeviceKind kind);               // "probe", "bootloader"

// Whether another program holds one of the device's interfaces (a claim fails as busy).
bool interfaceBusy(const UsbFunctions& usb, const ListedDevice& device);
// The program that has the device open, as "name (pid N)", from /proc; empty when Linux
// does not tell this user.
std::string deviceHolder(const ListedDevice& device);

// "the probe at 1-1.1 is busy: ..." when another program holds it, else empty.
std::string busyText(const UsbFunctions& usb, const ListedDevice& device);

// How a probe left in its bootloader (its firmware-update mode) comes back.
extern const char kBootloaderHint[];

// The hint printed with a device this user may not open.
extern const char kUdevHint[];

}  // namespace tool
