// What the bridge keeps between requests: the nodes it made for the bus's devices and, per
// open file of a node (one libusb device handle), its claims and its URBs.
#pragma once

#include <umockdev.h>

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "kestrel_sim/sim.h"
#include "usb/bus.h"

namespace ksim::usbfs {

struct Node {
  std::string syspath;  // as the test bed names it: /sys/devices/...
  std::string devnode;  // /dev/bus/usb/BBB/DDD
  const void* function = nullptr;  // the model it stands for (ids start again after a reset)
};

// One open file of a node, as usbfs keeps it for the process that opened it.
struct OpenFile {
  DeviceId device = kInvalidDevice;
  DeviceOpen open;                        // its claims are this file's
  bool refused = false;                   // the device refused the open: every request fails
  std::deque<UMockdevIoctlData*> reaped;   // completed URBs, oldest first (referenced)
  std::deque<UMockdevIoctlData*> pending;  // URBs the device has not answered (referenced)
};

struct BridgeState {
  std::mutex mutex;  // taken before the bus's own
  UMockdevTestbed* testbed = nullptr;
  UMockdevIoctlBase* handler = nullptr;
  std::map<DeviceId, Node> nodes;
  std::set<int> hubs;  // root ports with their hub in the test bed
  std::map<UMockdevIoctlClient*, OpenFile> files;
};

BridgeState& bridge();
// sync() for a caller that holds the bridge's mutex.
void syncLocked(BridgeState& state);
// Answers one usbfs request; false for requests usbfs does not know (ENOTTY).
bool answer(BridgeState& state, UMockdevIoctlClient* client);
// The file was closed: its claims go and its URBs are dropped.
void closeFile(BridgeState& state, UMockdevIoctlClient* client);

}  // namespace ksim::usbfs
