// The capture file: while one is open, every transfer that reaches a device on the bus is
// written to it as a usbmon submission and completion pair (see usbmon_record.h). The
// export layer hands each transfer over once it is done; the bus knows nothing of this.
#pragma once

#include <cstdint>

#include "usb/usb_function.h"

namespace ksim::capture {

// A finished transfer as it crossed the bus.
struct Transfer {
  uint16_t busNumber = 0;
  uint8_t deviceAddress = 0;
  uint8_t endpoint = 0;                     // with the direction bit; 0 or 0x80 for control
  const usb::SetupPacket* setup = nullptr;  // control transfers only
  const uint8_t* data = nullptr;            // OUT: the bytes sent; IN: the bytes received
  uint32_t length = 0;                      // the length asked for
  uint32_t transferred = 0;                 // the bytes moved
  usb::Status status = usb::Status::Ok;
};

// Starts writing to path, replacing the file, and ends the capture before it; null only ends
// it. False when the file cannot be created (errno tells why); nothing is captured then.
bool writeTo(const char* path);

// Writes the transfer when a capture is open. A transfer that never reached the device (it
// had left the bus, its endpoint is in no interface, or another open holds that interface)
// is not written, as usbfs refuses such a transfer before it is submitted.
void record(const Transfer& transfer);

}  // namespace ksim::capture
