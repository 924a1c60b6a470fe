// A USB function as the emulated bus sees it: descriptors, strings, the control pipe and bulk
// endpoints. The probe, plain devices and later the bootloader implement it. Nothing here
// knows libusb; the export layer translates, so the same model could answer usbfs instead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ksim::usb {

// What a transfer or request on the bus came to.
enum class Status {
  Ok,
  Stall,     // the device answered with a STALL handshake
  Timeout,   // nothing arrived
  NoDevice,  // the device has left the bus
  NotFound,  // no such interface or endpoint, or an interface released that was not held
  Busy,      // the interface is held by another open or bound to a kernel driver
  Access,    // the device refuses to be opened
  Overflow,  // the device sent more than was asked for
};

struct DeviceDescriptor {
  uint16_t bcdUsb = 0x0200;
  uint8_t deviceClass = 0;
  uint8_t deviceSubClass = 0;
  uint8_t deviceProtocol = 0;
  uint8_t maxPacketSize0 = 64;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t bcdDevice = 0x0100;
  uint8_t manufacturerIndex = 1;
  uint8_t productIndex = 2;
  uint8_t serialIndex = 3;
  uint8_t configurationCount = 1;
};

struct SetupPacket {
  uint8_t requestType;
  uint8_t request;
  uint16_t value;
  uint16_t index;
  uint16_t length;
};

// On cache lines of its own, as BusDevice is: a function's state is written by the thread
// driving its device, and functions are created one after another.
class alignas(64) Function {
 public:
  virtual ~Function() = default;

  virtual DeviceDescriptor deviceDescriptor() const = 0;
  // The whole configuration descriptor (configuration, interfaces, endpoints), as sent.
  virtual std::vector<uint8_t> configurationDescriptor() const = 0;
  // String descriptor text; empty when the index is unknown (the device stalls).
  virtual std::string stringDescriptor(uint8_t index) const = 0;

  virtual Status open() { return Status::Ok; }
  // Asked before an interface of this function's configuration is claimed (explicitly or by
  // a transfer); anything but Ok refuses the claim.
  virtual Status claimInterface(int /*number*/) { return Status::Ok; }

  // A control transfer. The standard GET_DESCRIPTOR requests are answered here from the
  // descriptors above; every other request stalls unless a function answers it. For an IN
  // request data receives at most setup.length bytes and transferred their count.
  virtual Status control(const SetupPacket& setup, uint8_t* data, int& transferred);

  // Bulk transfers on an endpoint of an interface the open holds.
  virtual Status bulkOut(uint8_t /*endpoint*/, const uint8_t* /*data*/, int /*length*/) {
    return Status::Stall;
  }
  virtual Status bulkIn(uint8_t /*endpoint*/, uint8_t* /*data*/, int /*length*/, int& transferred) {
    transferred = 0;
    return Status::Stall;
  }
  virtual void clearHalt(uint8_t /*endpoint*/) {}
  // A USB reset of the device's port. A function that comes back as another device (a
  // bootloader starting its application) leaves the bus here.
  virtual void busReset() {}
  // The host closed one of its opens of the device.
  virtual void closed() {}

  // The bus's side of a departure the function asked for: true once per departure, with the
  // function (or null) that appears in its place after `scans` bus scans.
  bool takeDeparture(std::unique_ptr<Function>& successor, unsigned& scans);

 protected:
  // Leaves the bus once the current request is over, as a device does when it resets or
  // re-enumerates; a successor takes its place after `scans` bus scans.
  void leaveBus(std::unique_ptr<Function> successor = nullptr, unsigned scans = 0);

 private:
  bool leaving_ = false;
  std::unique_ptr<Function> successor_;
  unsigned successorScans_ = 0;
};

}  // namespace ksim::usb
