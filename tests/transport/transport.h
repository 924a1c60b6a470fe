// The transport a suite runs on: the virtual libusb linked as this process's libusb, or the
// distribution's libusb over the kernel's USB interface, emulated by umockdev with the same
// device models answering (built with KESTREL_REAL_USB). Tests read the bus's state alike on
// both; what only one of them can show is asked through realStack().
#pragma once

#include "kestrel_sim/sim.h"

namespace transport {

constexpr bool realStack() {
#if defined(KESTREL_REAL_USB)
  return true;
#else
  return false;
#endif
}

// Empties the bus (ksim::reset) and, on the real stack, its mirror in the test bed.
void resetBus();
// Lets the transport see what a test attached or detached.
void settle();
ksim::DeviceId attachProbe(const ksim::ProbeConfig& config = {});

}  // namespace transport
