#include "usb/bus.h"

#include "usb/descriptors.h"

namespace ksim {

BusState& bus() {
  static BusState state;
  return state;
}

BusDevice* findDevice(BusState& state, DeviceId id) {
  for (auto& device : state.devices)
    if (device->id == id) return device.get();
  return nullptr;
}

DeviceId attachFunction(BusState& state, std::unique_ptr<usb::Function> function, unsigned scans) {
  auto device = std::make_unique<BusDevice>();
  device->id = state.nextId++;
  device->configuration = function->configurationDescriptor();
  device->function = std::move(function);
  scheduleArrival(*device, scans);
  const DeviceId id = device->id;
  state.devices.push_back(std::move(device));
  return id;
}

void scheduleArrival(BusDevice& device, unsigned scans) {
  if (device.present && scans > 0) departBus(device);  // it re-enumerates
  device.scansUntilArrival = scans;
  device.present = scans == 0;
}

void departBus(BusDevice& device) {
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

void settleDepartures(BusState& state) {
  // Successors are collected first: attaching them grows the device list being walked.
  std::vector<std::pair<std::unique_ptr<usb::Function>, unsigned>> arriving;
  for (auto& device : state.devices) {
    std::unique_ptr<usb::Function> successor;
    unsigned scans = 0;
    if (!device->function->takeDeparture(successor, scans)) continue;
    departBus(*device);
    if (successor != nullptr) arriving.emplace_back(std::move(successor), scans);
  }
  for (auto& [function, scans] : arriving) attachFunction(state, std::move(function), scans);
}

usb::Status openDevice(BusState& state, DeviceId id, DeviceOpen& open) {
  BusDevice* device = findDevice(state, id);
  if (device == nullptr || !device->present) return usb::Status::NoDevice;
  const usb::Status status = device->function->open();
  if (status != usb::Status::Ok) return status;
  open.id = id;
  open.stay = device->stay;
  return usb::Status::Ok;
}

void closeDevice(BusState& state, const DeviceOpen& open) {
  BusDevice* device = findDevice(state, open.id);
  if (device == nullptr) return;
  device->claims.releaseAll(open.holder());
  if (device->present && device->stay == open.stay) device->function->closed();
}

BusDevice* deviceOf(BusState& state, const DeviceOpen& open) {
  BusDevice* device = findDevice(state, open.id);
  return device != nullptr && device->present && device->stay == open.stay ? device : nullptr;
}

bool hasInterface(const BusDevice& device, int number) {
  return number >= 0 && number < usb::InterfaceClaims::kMaxInterfaces &&
         usb::hasInterface(device.configuration, number);
}

usb::Status claimInterface(BusDevice& device, const DeviceOpen& open, int number) {
  if (!hasInterface(device, number)) return usb::Status::NotFound;
  if (device.claims.holds(open.holder(), number)) return usb::Status::Ok;
  // A function that refuses the claim is as busy as one held elsewhere.
  usb::Status status = device.claims.claim(open.holder(), number);
  if (status == usb::Status::Ok) status = device.function->claimInterface(number);
  if (status != usb::Status::Ok) device.claims.release(open.holder(), number);
  return status;
}

usb::Status bulkTransfer(BusDevice& device, const DeviceOpen& open, uint8_t endpoint, uint8_t* data,
                         int length, int& transferred) {
  transferred = 0;
  // An endpoint of no interface of the configuration is not found; one of an interface that
  // another open holds is busy.
  const int interface = usb::interfaceOfEndpoint(device.configuration, endpoint);
  if (interface < 0) return usb::Status::NotFound;
  const usb::Status claimed = claimInterface(device, open, interface);
  if (claimed != usb::Status::Ok) return claimed;
  if ((endpoint & 0x80) != 0) return device.function->bulkIn(endpoint, data, length, transferred);
  const usb::Status status = device.function->bulkOut(endpoint, data, length);
  if (status == usb::Status::Ok) transferred = length;
  return status;
}

}  // namespace ksim
