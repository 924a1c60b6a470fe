#include "usb/bus.h"

#include "usb/descriptors.h"

namespace ksim {

void TrafficLog::add(Event event) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (events_.size() == kLimit) events_.pop_front();
  events_.push_back(std::move(event));
}

std::vector<Event> TrafficLog::events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {events_.begin(), events_.end()};
}

void TrafficLog::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}

void SharedClock::configure(const BusTiming& timing) {
  std::lock_guard<std::mutex> lock(mutex_);
  clock_.configure(timing);
  on_.store(clock_.on(), std::memory_order_relaxed);
}

void SharedClock::bulk(bool in, int bytes, unsigned timedOutMs) {
  if (!on_.load(std::memory_order_relaxed)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  clock_.bulk(in, bytes, timedOutMs);
}

uint64_t SharedClock::nowNs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return clock_.nowNs();
}

BusState& bus() {
  static BusState state;
  return state;
}

std::shared_ptr<BusDevice> findDevice(BusState& state, DeviceId id) {
  for (auto& device : state.devices)
    if (device->id == id) return device;
  return nullptr;
}

DeviceId attachFunction(BusState& state, std::unique_ptr<usb::Function> function, unsigned scans) {
  auto device = std::make_shared<BusDevice>();
  device->id = state.nextId++;
  device->descriptor = function->deviceDescriptor();
  device->configuration = function->configurationDescriptor();
  device->function = std::move(function);
  scheduleArrival(*device, scans);
  state.devices.push_back(device);
  return device->id;
}

void scheduleArrival(BusDevice& device, unsigned scans) {
  if (device.present && scans > 0) departBus(device);  // it re-enumerates
  device.scansUntilArrival = scans;
  device.present = scans == 0;
}

void departBus(BusDevice& device) {
  std::lock_guard<std::mutex> lock(device.mutex);
  device.present = false;
  device.scansUntilArrival = 0;
  ++device.stay;
  device.claims.clear();
}

void scanDone(BusState& state) {
  for (auto& device : state.devices) {
    if (device->scansUntilArrival == 0) continue;
    if (--device->scansUntilArrival == 0) device->present = true;
  }
}

void finishRequest(BusState& state, BusDevice& device, std::unique_lock<std::mutex>& lock) {
  std::unique_ptr<usb::Function> successor;
  unsigned scans = 0;
  const bool leaving = device.function->takeDeparture(successor, scans);
  lock.unlock();
  if (!leaving) return;
  std::lock_guard<std::mutex> busLock(state.mutex);
  departBus(device);
  if (successor != nullptr) attachFunction(state, std::move(successor), scans);
}

usb::Status openDevice(BusState& state, DeviceId id, DeviceOpen& open) {
  std::shared_ptr<BusDevice> device;
  {
    std::lock_guard<std::mutex> busLock(state.mutex);
    device = findDevice(state, id);
  }
  if (device == nullptr) return usb::Status::NoDevice;
  std::lock_guard<std::mutex> lock(device->mutex);
  if (!device->present) return usb::Status::NoDevice;
  const usb::Status status = device->function->open();
  if (status != usb::Status::Ok) return status;
  open.device = device;
  open.stay = device->stay;
  return usb::Status::Ok;
}

void closeDevice(const DeviceOpen& open) {
  if (open.device == nullptr) return;
  std::lock_guard<std::mutex> lock(open.device->mutex);
  open.device->claims.releaseAll(open.holder());
  if (open.attached()) open.device->function->closed();
}

bool hasInterface(const BusDevice& device, int number) {
  return number >= 0 && number < usb::InterfaceClaims::kMaxInterfaces &&
         usb::hasInterface(device.configuration, number);
}

usb::Status claimInterface(const DeviceOpen& open, int number) {
  BusDevice& device = *open.device;
  if (!hasInterface(device, number)) return usb::Status::NotFound;
  if (device.claims.holds(open.holder(), number)) return usb::Status::Ok;
  // A function that refuses the claim is as busy as one held elsewhere.
  usb::Status status = device.claims.claim(open.holder(), number);
  if (status == usb::Status::Ok) status = device.function->claimInterface(number);
  if (status != usb::Status::Ok) device.claims.release(open.holder(), number);
  return status;
}

usb::Status bulkTransfer(const DeviceOpen& open, uint8_t endpoint, uint8_t* data, int length,
                         int& transferred) {
  transferred = 0;
  BusDevice& device = *open.device;
  // An endpoint of no interface of the configuration is not found; one of an interface that
  // another open holds is busy.
  const int interface = usb::interfaceOfEndpoint(device.configuration, endpoint);
  if (interface < 0) return usb::Status::NotFound;
  const usb::Status claimed = claimInterface(open, interface);
  if (claimed != usb::Status::Ok) return claimed;
  if ((endpoint & 0x80) != 0) return device.function->bulkIn(endpoint, data, length, transferred);
  const usb::Status status = device.function->bulkOut(endpoint, data, length);
  if (status == usb::Status::Ok) transferred = length;
  return status;
}

}  // namespace ksim
