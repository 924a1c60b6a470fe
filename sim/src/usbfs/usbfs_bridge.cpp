#include "usbfs/usbfs_bridge.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "usb/bus.h"
#include "usb/bus_layout.h"
#include "usb/descriptors.h"
#include "usbfs/bridge_state.h"

namespace ksim::usbfs {

namespace {

std::string hexBytes(const std::vector<uint8_t>& bytes) {
  std::string text;
  char byte[3];
  for (const uint8_t b : bytes) {
    std::snprintf(byte, sizeof byte, "%02x", b);
    text += byte;
  }
  return text;
}

Node nodeFor(DeviceId id) {
  char name[64], devnode[64];
  std::snprintf(name, sizeof name, "1-%d.%d", layout::rootPortOf(id), layout::hubPortOf(id));
  std::snprintf(devnode, sizeof devnode, "/dev/bus/usb/001/%03d", layout::addressOf(id));
  return {std::string("/sys/devices/ksim/usb1/1-") + std::to_string(layout::rootPortOf(id)) + "/" +
              name,
          devnode};
}

// The device as the kernel shows it: uevent properties, the attributes libusb reads, and
// the descriptors file (device descriptor, then the configuration as the device sent it).
std::string record(const Node& node, const BusDevice& device) {
  std::vector<uint8_t> descriptors =
      usb::deviceDescriptorBytes(device.function->deviceDescriptor());
  const std::vector<uint8_t> configuration = device.function->configurationDescriptor();
  descriptors.insert(descriptors.end(), configuration.begin(), configuration.end());
  const std::string address = node.devnode.substr(node.devnode.size() - 3);
  const int devnum = std::atoi(address.c_str());
  return "P: " + node.syspath.substr(4) + "\n" +  // without the /sys prefix
         "N: " + node.devnode.substr(5) + "\n" +  // without /dev/
         "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n"
         "E: BUSNUM=001\nE: DEVNUM=" +
         address + "\n" + "E: DEVNAME=" + node.devnode + "\n" +
         "A: busnum=1\\n\nA: devnum=" + std::to_string(devnum) + "\\n\n" +
         "A: bConfigurationValue=1\\n\nA: speed=480\\n\n" +
         "H: descriptors=" + hexBytes(descriptors) + "\n";
}

// The four-port hub on root port `port`, as a real bus has it: libusb walks the parents for a
// device's port path, so without it the path would end at the hub's port.
void addHub(BridgeState& state, int port) {
  if (state.hubs.count(port) != 0) return;
  const std::string name = "1-" + std::to_string(port);
  char devnum[16];
  std::snprintf(devnum, sizeof devnum, "%03d", 127 - port);  // clear of the devices' addresses
  const std::string descriptors =
      "12010002090001400000000000010000000109021900010100e0000904000001090000000705810301000c";
  const std::string text =
      "P: /devices/ksim/usb1/" + name + "\nN: bus/usb/001/" + devnum +
      "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\nE: BUSNUM=001\nE: DEVNUM=" +
      devnum + "\nE: DEVNAME=/dev/bus/usb/001/" + devnum +
      "\nA: busnum=1\\n\nA: devnum=" + std::to_string(127 - port) +
      "\\n\nA: bConfigurationValue=1\\n\nA: speed=480\\n\n" + "H: descriptors=" + descriptors +
      "\n";
  umockdev_testbed_add_from_string(state.testbed, text.c_str(), nullptr);
  state.hubs.insert(port);
}

void add(BridgeState& state, const BusDevice& device) {
  addHub(state, layout::rootPortOf(device.id));
  Node node = nodeFor(device.id);
  node.function = device.function.get();
  // The handler first, so that the node answers from the moment its uevent is seen.
  if (!umockdev_testbed_attach_ioctl(state.testbed, node.devnode.c_str(), state.handler, nullptr))
    return;
  umockdev_testbed_add_from_string(state.testbed, record(node, device).c_str(), nullptr);
  state.nodes[device.id] = node;
}

void remove(BridgeState& state, DeviceId id) {
  const Node node = state.nodes[id];
  umockdev_testbed_uevent(state.testbed, node.syspath.c_str(), "remove");
  umockdev_testbed_remove_device(state.testbed, node.syspath.c_str());
  umockdev_testbed_detach_ioctl(state.testbed, node.devnode.c_str(), nullptr);
  state.nodes.erase(id);
}

gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer) {
  BridgeState& state = bridge();
  std::lock_guard<std::mutex> lock(state.mutex);
  return answer(state, client) ? TRUE : FALSE;
}

void onConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer) {
  BridgeState& state = bridge();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (getenv("KSIM_USBFS_DEBUG")) fprintf(stderr, "connected %p\n", (void*)client);
  closeFile(state, client);  // a client object of a closed file may be made again
  state.files[client];
}

void onVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer) {
  BridgeState& state = bridge();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (getenv("KSIM_USBFS_DEBUG")) fprintf(stderr, "vanished %p\n", (void*)client);
  closeFile(state, client);
}

}  // namespace

BridgeState& bridge() {
  static BridgeState state;
  return state;
}

bool start() {
  BridgeState& state = bridge();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.testbed != nullptr) return true;
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload == nullptr || std::strstr(preload, "umockdev-preload") == nullptr) return false;
  state.testbed = umockdev_testbed_new();
  state.handler = umockdev_ioctl_base_new();
  g_signal_connect(state.handler, "handle-ioctl", G_CALLBACK(onIoctl), nullptr);
  g_signal_connect(state.handler, "client-connected", G_CALLBACK(onConnected), nullptr);
  g_signal_connect(state.handler, "client-vanished", G_CALLBACK(onVanished), nullptr);
  syncLocked(state);
  return true;
}

void sync() {
  BridgeState& state = bridge();
  std::lock_guard<std::mutex> lock(state.mutex);
  syncLocked(state);
}

void syncLocked(BridgeState& state) {
  if (state.testbed == nullptr) return;
  BusState& bus = ksim::bus();
  std::vector<DeviceId> gone;
  std::vector<std::shared_ptr<const BusDevice>> arrived;
  {
    std::lock_guard<std::mutex> lock(bus.mutex);
    // The kernel enumerates a device as it comes: one on its way is there at the next look.
    for (auto& device : bus.devices)
      if (!device->present && device->scansUntilArrival > 0) scheduleArrival(*device, 0);
    for (const auto& [id, node] : state.nodes) {
      const std::shared_ptr<BusDevice> device = findDevice(bus, id);
      if (device == nullptr || !device->present || device->function.get() != node.function)
        gone.push_back(id);
    }
    for (const auto& device : bus.devices)
      if (device->present && (state.nodes.count(device->id) == 0 ||
                              state.nodes[device->id].function != device->function.get()))
        arrived.push_back(device);
  }
  for (const DeviceId id : gone) remove(state, id);
  for (const auto& device : arrived) add(state, *device);
}

}  // namespace ksim::usbfs
