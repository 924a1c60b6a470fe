// The emulated USB bus: the devices on it, arrivals scheduled by bus scans, the host's opens
// of its devices with the claims each holds, the traffic log and the modelled bus time.
//
// Locks, so that requests to different devices run in parallel:
//   - BusState::mutex guards the device list, arrivals and departures, and the resource
//     counts; it is never held while a device's function runs;
//   - BusDevice::mutex guards one device's function and claims, and is held for the whole of
//     a request to it, so one device serves one request at a time, as a real one does;
//   - the traffic log, the bus clock and the capture file have a lock each, taken last and
//     only while they are switched on.
// Where two are held, the bus lock is taken before a device's lock.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "kestrel_sim/sim.h"
#include "timing/bus_timing.h"
#include "usb/claims.h"
#include "usb/usb_function.h"

namespace ksim {

// On cache lines of its own: the devices' locks and flags are written and read by a thread per
// device, and neighbouring records would otherwise bounce a line between them.
struct alignas(64) BusDevice {
  DeviceId id = 0;
  // Fixed for the function's life, so read without the device's lock.
  usb::DeviceDescriptor descriptor;
  std::vector<uint8_t> configuration;  // the configuration descriptor

  std::mutex mutex;
  std::unique_ptr<usb::Function> function;
  usb::InterfaceClaims claims;  // held by the opens of this stay

  // Atomic: changed under the bus lock (departures under the device's too), read under either.
  std::atomic<bool> present{true};
  std::atomic<unsigned> stay{0};   // counts departures: an open lasts for one stay on the bus
  unsigned scansUntilArrival = 0;  // bus lock: while non-zero the device is on its way
};

// One open of a device by the host, as usbfs keeps one per open file: the claims it holds are
// its own, and it ends for good when the device leaves the bus. It keeps the device's record
// alive, so a request through it never needs the bus lock.
struct DeviceOpen {
  std::shared_ptr<BusDevice> device;
  unsigned stay = 0;
  usb::InterfaceClaims::Holder holder() const { return this; }
  // Under the device's lock: whether the device is still on the bus in the open's stay.
  bool attached() const { return device->present && device->stay == stay; }
};

// The transfers the host made, kept while switched on, the most recent kLimit of them.
class TrafficLog {
 public:
  static constexpr std::size_t kLimit = 1 << 16;
  bool on() const { return on_.load(std::memory_order_relaxed); }
  void switchOn(bool on) { on_.store(on, std::memory_order_relaxed); }
  void add(Event event);
  std::vector<Event> events() const;
  void clear();

 private:
  std::atomic<bool> on_{true};
  mutable std::mutex mutex_;
  std::deque<Event> events_;
};

// The modelled bus time: one clock for the whole bus, which every device's transfers share.
class SharedClock {
 public:
  void configure(const BusTiming& timing);
  void bulk(bool in, int bytes, unsigned timedOutMs);
  uint64_t nowNs() const;

 private:
  std::atomic<bool> on_{false};
  mutable std::mutex mutex_;
  timing::BusClock clock_;
};

struct BusState {
  std::mutex mutex;
  std::vector<std::shared_ptr<BusDevice>> devices;
  DeviceId nextId = 1;
  Resources live{};
  TrafficLog log;
  SharedClock clock;
};

BusState& bus();
// Under the bus lock.
std::shared_ptr<BusDevice> findDevice(BusState& state, DeviceId id);

// Puts a function on the bus; it is listed from the scan after `scans` more scans. Under the
// bus lock.
DeviceId attachFunction(BusState& state, std::unique_ptr<usb::Function> function,
                        unsigned scans = 0);
// Under the bus lock: arrivals, departures and bus scans.
void scheduleArrival(BusDevice& device, unsigned scans);
// Takes the device off the bus (it locks the device): its opens fail from now on, its claims
// are gone.
void departBus(BusDevice& device);
// One bus scan (a device list taken): pending arrivals count down once it is over.
void scanDone(BusState& state);

// Ends a request to a device: releases its lock and, when its function asked to leave during
// the request, takes it off the bus and puts its successor on it.
void finishRequest(BusState& state, BusDevice& device, std::unique_lock<std::mutex>& lock);

// The host's requests through an open. Any number of opens may be made of one device.
usb::Status openDevice(BusState& state, DeviceId id, DeviceOpen& open);
void closeDevice(const DeviceOpen& open);
// Under the device's lock from here on.
bool hasInterface(const BusDevice& device, int number);
usb::Status claimInterface(const DeviceOpen& open, int number);
// A bulk transfer: the endpoint's interface is claimed for the open first, as usbfs does.
usb::Status bulkTransfer(const DeviceOpen& open, uint8_t endpoint, uint8_t* data, int length,
                         int& transferred);

}  // namespace ksim
