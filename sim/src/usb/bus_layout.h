// Where each device sits on the virtual bus, the same through every face of it (libusb's
// bus, port and address queries, the usbfs nodes, the capture): one root hub, bus 1, with a
// four-port hub on every root port. Device n hangs at root port 1 + (n-1)/4, hub port
// 1 + (n-1)%4, so paths read 1-1.1, 1-1.2, ... 1-2.1 and stay put while it is attached; its
// address, as the host assigned it on arrival, is 1 + (n-1)%127.
#pragma once

#include <cstdint>

#include "kestrel_sim/sim.h"

namespace ksim::layout {

constexpr uint8_t kBusNumber = 1;
constexpr int kHubPorts = 4;

constexpr int rootPortOf(DeviceId id) {
  return 1 + (id - 1) / kHubPorts;
}
constexpr int hubPortOf(DeviceId id) {
  return 1 + (id - 1) % kHubPorts;
}
constexpr uint8_t addressOf(DeviceId id) {
  return static_cast<uint8_t>(1 + (id - 1) % 127);
}

}  // namespace ksim::layout
