// The test and demo side of the virtual probe.
#include <libusb.h>

#include "bus.h"
#include "link/usb_ids.h"

namespace ksim {
namespace {

constexpr InterfaceLayout kCompactLayout{0, 0x81, 0x01, 1, 0x82, 0x02};
constexpr InterfaceLayout kCompositeLayout{2, 0x83, 0x03, 6, 0x87, 0x05};

}  // namespace

void reset() {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.devices.clear();
  state.events.clear();
}

DeviceId attachProbe(const ProbeConfig& config) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto device = std::make_unique<SimDevice>();
  device->id = state.nextId++;
  device->vendorId = config.vendorId;
  device->productId = config.productId;
  device->isProbe = true;
  device->probe.config = config;
  device->layout =
      kst::usesCompactLayout(config.vendorId, config.productId) ? kCompactLayout : kCompositeLayout;
  device->kernelDriver[device->layout.commandInterface] = config.kernelDriverActive;
  device->kernelDriver[device->layout.dataInterface] = config.kernelDriverActive;
  const DeviceId id = device->id;
  state.devices.push_back(std::move(device));
  return id;
}

DeviceId attachDevice(uint16_t vendorId, uint16_t productId) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto device = std::make_unique<SimDevice>();
  device->id = state.nextId++;
  device->vendorId = vendorId;
  device->productId = productId;
  const DeviceId id = device->id;
  state.devices.push_back(std::move(device));
  return id;
}

void detach(DeviceId id) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (SimDevice* device = findDevice(state, id)) device->present = false;
}

void injectFault(DeviceId id, const FaultRule& fault) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (SimDevice* device = findDevice(state, id); device != nullptr && fault.times > 0)
    device->faults.push_back(fault);
}

std::vector<Event> events() {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.events;
}

void clearEvents() {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.events.clear();
}

std::vector<std::vector<uint8_t>> commandPackets(DeviceId id) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::vector<std::vector<uint8_t>> packets;
  const SimDevice* device = findDevice(state, id);
  if (device == nullptr) return packets;
  for (const Event& event : state.events) {
    if (event.device == id && event.kind == EventKind::BulkOut &&
        event.endpoint == device->layout.commandOut && event.result == LIBUSB_SUCCESS)
      packets.push_back(event.data);
  }
  return packets;
}

Resources resources() {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.live;
}

bool probeConnected(DeviceId id) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  const SimDevice* device = findDevice(state, id);
  return device != nullptr && device->probe.connected;
}

void pushDataPort(DeviceId id, const std::vector<uint8_t>& bytes) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (SimDevice* device = findDevice(state, id))
    device->dataPort.insert(device->dataPort.end(), bytes.begin(), bytes.end());
}

}  // namespace ksim

extern "C" void ksim_install_default_bus(void) {
  ksim::reset();
  ksim::attachProbe(ksim::ProbeConfig{});
}

extern "C" int ksim_attach_probe(uint16_t vendorId, uint16_t productId, const char* serial,
                                 int kernelDriverActive) {
  ksim::ProbeConfig config;
  config.vendorId = vendorId;
  config.productId = productId;
  if (serial != nullptr) config.serial = serial;
  config.kernelDriverActive = kernelDriverActive != 0;
  return ksim::attachProbe(config);
}
