// The emulated USB bus: the devices on it, arrivals scheduled by bus scans, the host's opens
// of its devices with the claims each holds, and the log of every transfer the host made.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "kestrel_sim/sim.h"
#include "timing/bus_timing.h"
#include "usb/claims.h"
#include "usb/usb_function.h"

namespace ksim {

struct BusDevice {
  DeviceId id = 0;
  std::unique_ptr<usb::Function> function;
  std::vector<uint8_t> configuration;  // the function's configuration descriptor (it never changes)
  bool present = true;
  unsigned stay = 0;               // counts departures: an open lasts for one stay on the bus
  unsigned scansUntilArrival = 0;  // while non-zero the device is on its way, not yet listed
  usb::InterfaceClaims claims;     // held by the opens of this stay
};

// One open of a device by the host, as usbfs keeps one per open file: the claims it holds are
// its own, and it ends for good when the device leaves the bus.
struct DeviceOpen {
  DeviceId id = 0;
  unsigned stay = 0;
  usb::InterfaceClaims::Holder holder() const { return this; }
};

struct BusState {
  std::mutex mutex;
  std::vector<std::unique_ptr<BusDevice>> devices;
  std::vector<Event> events;
  DeviceId nextId = 1;
  Resources live{};
  bool recording = true;   // transfers are kept in events
  timing::BusClock clock;  // modelled bus time
};

BusState& bus();  // callers hold bus().mutex while they touch it
BusDevice* findDevice(BusState& state, DeviceId id);

// Puts a function on the bus; it is listed from the scan after `scans` more scans.
DeviceId attachFunction(BusState& state, std::unique_ptr<usb::Function> function,
                        unsigned scans = 0);
void scheduleArrival(BusDevice& device, unsigned scans);
// Takes the device off the bus: its opens fail from now on, its claims are gone.
void departBus(BusDevice& device);

// One bus scan (a device list taken): pending arrivals count down once it is over.
void scanDone(BusState& state);
// Takes off the bus every function that asked to leave, and puts its successor on it.
void settleDepartures(BusState& state);

// The host's requests through an open. Any number of opens may be made of one device.
usb::Status openDevice(BusState& state, DeviceId id, DeviceOpen& open);
void closeDevice(BusState& state, const DeviceOpen& open);
// The open's device while it is on the bus in the stay it was opened in, else null.
BusDevice* deviceOf(BusState& state, const DeviceOpen& open);
bool hasInterface(const BusDevice& device, int number);
usb::Status claimInterface(BusDevice& device, const DeviceOpen& open, int number);
// A bulk transfer: the endpoint's interface is claimed for the open first, as usbfs does.
usb::Status bulkTransfer(BusDevice& device, const DeviceOpen& open, uint8_t endpoint, uint8_t* data,
                         int length, int& transferred);

}  // namespace ksim
