// The emulated USB bus: the devices on it, arrivals scheduled by bus scans, and the log of
// every transfer the host made.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "kestrel_sim/sim.h"
#include "usb/usb_function.h"

namespace ksim {

constexpr int kMaxInterfaces = 8;

struct BusDevice {
  DeviceId id = 0;
  std::unique_ptr<usb::Function> function;
  bool present = true;
  unsigned scansUntilArrival = 0;  // while non-zero the device is on its way, not yet listed
  bool claimed[kMaxInterfaces] = {};
  bool kernelDriver[kMaxInterfaces] = {};
};

struct BusState {
  std::mutex mutex;
  std::vector<std::unique_ptr<BusDevice>> devices;
  std::vector<Event> events;
  DeviceId nextId = 1;
  Resources live{};
};

BusState& bus();  // callers hold bus().mutex while they touch it
BusDevice* findDevice(BusState& state, DeviceId id);

// Puts a function on the bus; it is listed from the scan after `scans` more scans.
DeviceId attachFunction(BusState& state, std::unique_ptr<usb::Function> function,
                        unsigned scans = 0);
void scheduleArrival(BusDevice& device, unsigned scans);

// One bus scan (a device list taken): pending arrivals count down once it is over.
void scanDone(BusState& state);
// Takes off the bus every function that asked to leave, and puts its successor on it.
void settleDepartures(BusState& state);

}  // namespace ksim
