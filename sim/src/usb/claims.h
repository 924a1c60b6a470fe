// Who holds each interface of a device, with the rules of Linux's usbfs, where every open
// file of a device holds claims of its own:
//   - an interface is held by at most one open: claiming one that another open holds, or
//     that a kernel driver is bound to, is Busy; claiming one the open already holds is Ok;
//   - a bulk or interrupt transfer claims the interface of its endpoint first, the same way,
//     so an open that never claimed an interface still gets it with its first transfer;
//   - releasing an interface the open does not hold is NotFound;
//   - closing an open releases its own claims and no other open's;
//   - when the device leaves the bus every claim goes with it.
// Nothing here knows libusb or the bus: any transport over the device models keeps its
// opens' claims in one of these per device.
#pragma once

#include <cstdint>

#include "usb/usb_function.h"

namespace ksim::usb {

class InterfaceClaims {
 public:
  // An open of the device: whatever the transport uses to tell its opens apart.
  using Holder = const void*;
  static constexpr int kMaxInterfaces = 32;  // USB's limit, as usbfs's claim mask

  // For explicit claims and for the claim a transfer makes: Ok when the holder has it now.
  Status claim(Holder holder, int number);
  Status release(Holder holder, int number);
  bool holds(Holder holder, int number) const;
  void releaseAll(Holder holder);
  void clear();  // the device left the bus

  void bindKernelDriver(int number, bool bound);
  bool kernelDriverBound(int number) const;

 private:
  static bool inRange(int number) { return number >= 0 && number < kMaxInterfaces; }

  Holder holder_[kMaxInterfaces] = {};
  bool kernelDriver_[kMaxInterfaces] = {};
};

}  // namespace ksim::usb
