// The test and demo side of the virtual probe.
#include <libusb.h>

#include "bootloader/bootloader_function.h"
#include "control/control_unit.h"
#include "jtag/jtag_unit.h"
#include "log/log_unit.h"
#include "probe/probe_function.h"
#include "usb/bus.h"
#include "usb/plain_device.h"

namespace ksim {
namespace {

ProbeFunction* probeOf(BusDevice& device) {
  return dynamic_cast<ProbeFunction*>(device.function.get());
}

// Runs f on the probe under its device's lock, when the device is a probe.
template <class F>
void withProbe(DeviceId id, F f) {
  std::shared_ptr<BusDevice> device;
  {
    BusState& state = bus();
    std::lock_guard<std::mutex> lock(state.mutex);
    device = findDevice(state, id);
  }
  if (device == nullptr) return;
  std::lock_guard<std::mutex> lock(device->mutex);
  if (ProbeFunction* probe = probeOf(*device)) f(*probe);
}

// IEEE 1149.1 fixes bit 0 of every IDCODE at 1: it tells an IDCODE from BYPASS's 0 bit.
bool validChain(const std::vector<TapConfig>& chain) {
  for (const TapConfig& tap : chain)
    if (tap.hasIdcode && (tap.idcode & 1) == 0) return false;
  return true;
}

}  // namespace

// Handles still open keep their devices' records; those fail from now on.
void reset() {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (const auto& device : state.devices) departBus(*device);
  state.devices.clear();
  state.log.clear();
  state.log.switchOn(true);
  state.clock.configure({});
}

DeviceId attachProbe(const ProbeConfig& config) {
  if (!validChain(config.chain)) return kInvalidDevice;
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto probe = std::make_unique<ProbeFunction>(config);
  const InterfaceLayout layout = probe->layout();
  const DeviceId id = attachFunction(state, std::move(probe));
  const std::shared_ptr<BusDevice> device = findDevice(state, id);
  std::lock_guard<std::mutex> deviceLock(device->mutex);
  device->claims.bindKernelDriver(layout.commandInterface, config.kernelDriverActive);
  device->claims.bindKernelDriver(layout.dataInterface, config.kernelDriverActive);
  return id;
}

DeviceId attachDevice(uint16_t vendorId, uint16_t productId) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  return attachFunction(state, std::make_unique<usb::PlainDevice>(vendorId, productId));
}

DeviceId attachBootloader(const ProbeConfig& config) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  return attachFunction(state, std::make_unique<BootloaderFunction>(config));
}

uint64_t bootloaderPollMs() {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  uint64_t total = 0;
  for (const auto& device : state.devices) {
    std::lock_guard<std::mutex> deviceLock(device->mutex);
    if (const auto* bootloader = dynamic_cast<const BootloaderFunction*>(device->function.get()))
      total += bootloader->model().pollRequestedMs();
  }
  return total;
}

void detach(DeviceId id) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (const std::shared_ptr<BusDevice> device = findDevice(state, id)) departBus(*device);
}

void appearAfterScans(DeviceId id, unsigned scans) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (const std::shared_ptr<BusDevice> device = findDevice(state, id))
    scheduleArrival(*device, scans);
}

void injectFault(DeviceId id, const FaultRule& fault) {
  withProbe(id, [&](ProbeFunction& probe) { probe.addFault(fault); });
}

void scriptReply(DeviceId id, const ScriptedReply& reply) {
  withProbe(id, [&](ProbeFunction& probe) { probe.addScriptedReply(reply); });
}

std::vector<Event> events() {
  return bus().log.events();
}

void clearEvents() {
  bus().log.clear();
}

std::vector<std::vector<uint8_t>> commandPackets(DeviceId id) {
  uint8_t commandOut = 0;
  bool isProbe = false;
  withProbe(id, [&](ProbeFunction& probe) {
    isProbe = true;
    commandOut = probe.layout().commandOut;
  });
  std::vector<std::vector<uint8_t>> packets;
  if (!isProbe) return packets;
  for (const Event& event : bus().log.events()) {
    if (event.device == id && event.kind == EventKind::BulkOut && event.endpoint == commandOut &&
        event.result == LIBUSB_SUCCESS)
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
  ProbeStatus status;
  withProbe(id, [&](ProbeFunction& probe) { status = probe.firmware().report(); });
  return status;
}

void appendProbeLog(DeviceId id, const ProbeLogRecord& record) {
  withProbe(id, [&](ProbeFunction& probe) {
    probe.firmware().unit<units::log::LogUnit>().log.append(record);
  });
}

void appendUsageReport(DeviceId id, const uint32_t (&counters)[7]) {
  withProbe(id, [&](ProbeFunction& probe) {
    ProbeLog& log = probe.firmware().unit<units::log::LogUnit>().log;
    log.append({8, counters[0], counters[1], counters[2], 0, 0});
    log.append({counters[3], counters[4], counters[5], counters[6], 0, 0});
  });
}

void reportProbeLogFlag(DeviceId id, int flag) {
  withProbe(id, [&](ProbeFunction& probe) {
    probe.firmware().unit<units::log::LogUnit>().log.reportFlag(flag);
  });
}

void reportProbeLogCount(DeviceId id, uint32_t count) {
  withProbe(id, [&](ProbeFunction& probe) {
    probe.firmware().unit<units::log::LogUnit>().log.reportCountOnce(count);
  });
}

std::vector<uint8_t> eeprom(DeviceId id) {
  std::vector<uint8_t> bytes;
  withProbe(id, [&](ProbeFunction& probe) {
    bytes = probe.firmware().unit<units::control::ControlUnit>().eeprom;
  });
  return bytes;
}

void pushDataPort(DeviceId id, const std::vector<uint8_t>& bytes) {
  withProbe(id, [&](ProbeFunction& probe) { probe.pushDataPort(bytes); });
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

}  // namespace ksim
