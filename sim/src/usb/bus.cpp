#include "usb/bus.h"

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
  device->function = std::move(function);
  scheduleArrival(*device, scans);
  const DeviceId id = device->id;
  state.devices.push_back(std::move(device));
  return id;
}

void scheduleArrival(BusDevice& device, unsigned scans) {
  device.scansUntilArrival = scans;
  device.present = scans == 0;
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
    device->present = false;
    device->scansUntilArrival = 0;
    if (successor != nullptr) arriving.emplace_back(std::move(successor), scans);
  }
  for (auto& [function, scans] : arriving) attachFunction(state, std::move(function), scans);
}

}  // namespace ksim
