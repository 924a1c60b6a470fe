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
  device->probe = ProbeState(config);
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

void scriptReply(DeviceId id, const ScriptedReply& reply) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (SimDevice* device = findDevice(state, id); device != nullptr && reply.times > 0)
    device->scripted.push_back(reply);
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

ProbeStatus probeStatus(DeviceId id) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  const SimDevice* device = findDevice(state, id);
  if (device == nullptr) return {};
  ProbeStatus status = device->probe.status;
  status.tapState = device->probe.chain.state();
  status.tapVisible.clear();
  for (std::size_t i = 0; i < device->probe.chain.size(); ++i)
    status.tapVisible.push_back(device->probe.chain.visible(i));
  return status;
}

namespace {

// Runs f on the probe's firmware state under the bus lock, when the device is a probe.
template <class F>
void withProbe(DeviceId id, F f) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (SimDevice* device = findDevice(state, id); device != nullptr && device->isProbe)
    f(device->probe);
}

}  // namespace

void appendProbeLog(DeviceId id, const ProbeLogRecord& record) {
  withProbe(id, [&](ProbeState& probe) { probe.log.append(record); });
}

void appendUsageReport(DeviceId id, const uint32_t (&counters)[7]) {
  withProbe(id, [&](ProbeState& probe) {
    probe.log.append({8, counters[0], counters[1], counters[2], 0, 0});
    probe.log.append({counters[3], counters[4], counters[5], counters[6], 0, 0});
  });
}

void reportProbeLogFlag(DeviceId id, int flag) {
  withProbe(id, [&](ProbeState& probe) { probe.log.reportFlag(flag); });
}

void reportProbeLogCount(DeviceId id, uint32_t count) {
  withProbe(id, [&](ProbeState& probe) { probe.log.reportCountOnce(count); });
}

std::vector<uint8_t> eeprom(DeviceId id) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  const SimDevice* device = findDevice(state, id);
  return device != nullptr ? device->probe.eeprom : std::vector<uint8_t>{};
}

std::vector<TapConfig> demoChain() {
  TapConfig arm;  // an ARM debug port: IR 4
  arm.irLength = 4;
  arm.idcode = 0x4BA00477;
  TapConfig dsp;  // a DSP core with a user data register
  dsp.irLength = 6;
  dsp.idcode = 0x0B97C02F;
  dsp.userRegisters = {{0x02, 16, 0xC0DE}};
  TapConfig boundary;  // a TAP without IDCODE: BYPASS after reset
  boundary.irLength = 5;
  boundary.hasIdcode = false;
  return {arm, dsp, boundary};
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
  ksim::ProbeConfig config;
  config.chain = ksim::demoChain();
  ksim::attachProbe(config);
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
