// The usbfs requests on a node, answered as the kernel answers them, by the device's model.
#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <cerrno>
#include <cstring>

#include "usb/bus.h"
#include "usb/descriptors.h"
#include "usbfs/bridge_state.h"

namespace ksim::usbfs {

namespace {

// The driver name the kernel reports for an interface bound to the probe's own kernel driver.
constexpr const char* kKernelDriver = "kestrel";

// URB status (a negative errno) for what the transfer came to.
int urbStatus(usb::Status status) {
  switch (status) {
    case usb::Status::Ok:
      return 0;
    case usb::Status::Stall:
      return -EPIPE;
    case usb::Status::Overflow:
      return -EOVERFLOW;
    case usb::Status::NoDevice:
      return -ENODEV;
    default:
      return -EPROTO;
  }
}

// The result libusb gives for that status, for the bus's event log.
int libusbResult(usb::Status status) {
  switch (status) {
    case usb::Status::Ok:
      return 0;
    case usb::Status::Stall:
      return -9;
    case usb::Status::Timeout:
      return -7;
    case usb::Status::Overflow:
      return -8;
    case usb::Status::NoDevice:
      return -4;
    default:
      return -1;
  }
}

void logEvent(BusState& bus, DeviceId id, EventKind kind, uint8_t endpoint, int length,
              usb::Status status, const uint8_t* data, int count) {
  if (!bus.log.on()) return;
  Event event{id, kind, endpoint, length, 0, libusbResult(status), {}};
  if (data != nullptr && count > 0) event.data.assign(data, data + count);
  bus.log.add(std::move(event));
}

struct Request {
  BridgeState& state;
  UMockdevIoctlClient* client;
  OpenFile& file;
  UMockdevIoctlData* arg;

  void complete(long result = 0, int error = 0) {
    umockdev_ioctl_client_complete(client, result, error);
  }
  void fail(int error) { complete(-1, error); }
  // The argument's first bytes as a local copy, written back when the request completes.
  template <typename T>
  T* resolve() {
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(T), nullptr);
    if (data == nullptr) return nullptr;
    g_object_unref(data);  // arg keeps its child
    return reinterpret_cast<T*>(data->data);
  }
};

// The device behind an open file while it is on the bus in the stay it was opened in (under
// the device's lock).
BusDevice* presentDevice(OpenFile& file) {
  return file.refused || file.open.device == nullptr || !file.open.attached()
             ? nullptr
             : file.open.device.get();
}

// An errno for a claim's outcome, as usbfs gives it.
int claimErrno(usb::Status status) {
  switch (status) {
    case usb::Status::Ok:
      return 0;
    case usb::Status::NotFound:
      return ENOENT;
    case usb::Status::NoDevice:
      return ENODEV;
    default:
      return EBUSY;
  }
}

int claim(OpenFile& file, unsigned number) {
  return claimErrno(claimInterface(file.open, static_cast<int>(number)));
}

// One URB, carried out at once by the model. Returns the submit's errno (0: submitted); a
// submitted URB is reaped at once, or stays pending when the device gives nothing (the
// host's time-out then discards it).
int submit(Request& request, BusDevice& device) {
  UMockdevIoctlData* urbData =
      umockdev_ioctl_data_resolve(request.arg, 0, sizeof(usbdevfs_urb), nullptr);
  if (urbData == nullptr) return EFAULT;
  auto* urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
  UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
      urbData, offsetof(usbdevfs_urb, buffer), static_cast<gsize>(urb->buffer_length), nullptr);
  if (buffer == nullptr) {
    g_object_unref(urbData);
    return EFAULT;
  }
  g_object_unref(buffer);  // urbData keeps its child
  uint8_t* data = buffer->data;
  BusState& bus = ksim::bus();
  usb::Status status = usb::Status::Ok;
  int actual = 0;
  if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
    if (urb->buffer_length < 8) {
      g_object_unref(urbData);
      return EINVAL;
    }
    const usb::SetupPacket setup{data[0], data[1], static_cast<uint16_t>(data[2] | data[3] << 8),
                                 static_cast<uint16_t>(data[4] | data[5] << 8),
                                 static_cast<uint16_t>(data[6] | data[7] << 8)};
    status = device.function->control(setup, data + 8, actual);
    const bool in = (setup.requestType & 0x80) != 0;
    if (status == usb::Status::Ok && !in) actual = setup.length;
    logEvent(bus, device.id, EventKind::Control, 0, setup.length, status, data + 8,
             status == usb::Status::Ok ? actual : 0);
  } else if (urb->type == USBDEVFS_URB_TYPE_BULK || urb->type == USBDEVFS_URB_TYPE_INTERRUPT) {
    // As usbfs: an endpoint of an interface the file has not claimed claims it on first use.
    const bool in = (urb->endpoint & 0x80) != 0;
    status = bulkTransfer(request.file.open, urb->endpoint, data, urb->buffer_length, actual);
    if (status == usb::Status::NotFound || status == usb::Status::Busy) {
      g_object_unref(urbData);
      return status == usb::Status::Busy ? EBUSY : ENOENT;
    }
    logEvent(bus, device.id, in ? EventKind::BulkIn : EventKind::BulkOut, urb->endpoint,
             urb->buffer_length, status, data, in ? actual : urb->buffer_length);
  } else {
    g_object_unref(urbData);
    return EINVAL;
  }
  if (status == usb::Status::NoDevice) {
    g_object_unref(urbData);
    return ENODEV;
  }
  if (status == usb::Status::Timeout) {
    request.file.pending.push_back(urbData);
    return 0;
  }
  urb->status = urbStatus(status);
  urb->actual_length = actual;
  request.file.reaped.push_back(urbData);
  return 0;
}

void reap(Request& request) {
  if (request.file.reaped.empty()) {
    request.fail(presentDevice(request.file) == nullptr ? ENODEV : EAGAIN);
    return;
  }
  UMockdevIoctlData* urb = request.file.reaped.front();
  request.file.reaped.pop_front();
  UMockdevIoctlData* pointer = umockdev_ioctl_data_resolve(request.arg, 0, sizeof(void*), nullptr);
  umockdev_ioctl_data_set_ptr(pointer, 0, urb);
  g_object_unref(pointer);
  g_object_unref(urb);
  request.complete();
}

// The host gave up on a URB (its time-out): it is reaped with -ENOENT.
void discard(Request& request) {
  const gulong address = reinterpret_cast<gulong>(*reinterpret_cast<void**>(request.arg->data));
  for (auto it = request.file.pending.begin(); it != request.file.pending.end(); ++it) {
    if ((*it)->client_addr != address) continue;
    reinterpret_cast<usbdevfs_urb*>((*it)->data)->status = -ENOENT;
    request.file.reaped.push_back(*it);
    request.file.pending.erase(it);
    request.complete();
    return;
  }
  request.fail(EINVAL);
}

bool validInterface(const BusDevice& device, unsigned number) {
  return number < static_cast<unsigned>(usb::InterfaceClaims::kMaxInterfaces) &&
         hasInterface(device, static_cast<int>(number));
}

void getDriver(Request& request, BusDevice& device) {
  auto* query = request.resolve<usbdevfs_getdriver>();
  if (query == nullptr) return request.fail(EFAULT);
  if (!validInterface(device, query->interface)) return request.fail(EINVAL);
  const int number = static_cast<int>(query->interface);
  const char* name = device.claims.holds(request.file.open.holder(), number) ? "usbfs"
                     : device.claims.kernelDriverBound(number)               ? kKernelDriver
                                                                             : nullptr;
  if (name == nullptr) return request.fail(ENODATA);
  std::strncpy(query->driver, name, sizeof query->driver);
  request.complete();
}

// USBDEVFS_IOCTL: the driver requests to an interface; only disconnect and connect are used.
void interfaceIoctl(Request& request, BusDevice& device) {
  auto* command = request.resolve<usbdevfs_ioctl>();
  if (command == nullptr) return request.fail(EFAULT);
  const auto number = static_cast<unsigned>(command->ifno);
  if (!validInterface(device, number)) return request.fail(EINVAL);
  if (command->ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT)) {
    if (!device.claims.kernelDriverBound(static_cast<int>(number))) return request.fail(ENODATA);
    device.claims.bindKernelDriver(static_cast<int>(number), false);
    return request.complete();
  }
  if (command->ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
    device.claims.bindKernelDriver(static_cast<int>(number), true);
    return request.complete();
  }
  request.fail(ENOTTY);
}

void disconnectClaim(Request& request, BusDevice& device) {
  auto* command = request.resolve<usbdevfs_disconnect_claim>();
  if (command == nullptr) return request.fail(EFAULT);
  const unsigned number = command->interface;
  if (!validInterface(device, number)) return request.fail(EINVAL);
  const bool named = std::strncmp(command->driver, kKernelDriver, sizeof command->driver) == 0;
  const bool skip = ((command->flags & USBDEVFS_DISCONNECT_CLAIM_IF_DRIVER) != 0 && !named) ||
                    ((command->flags & USBDEVFS_DISCONNECT_CLAIM_EXCEPT_DRIVER) != 0 && named);
  if (!skip) device.claims.bindKernelDriver(static_cast<int>(number), false);
  const int error = claim(request.file, number);
  return error == 0 ? request.complete() : request.fail(error);
}

}  // namespace

bool answer(BridgeState& state, UMockdevIoctlClient* client) {
  OpenFile& file = state.files[client];
  const std::string devnode = umockdev_ioctl_client_get_devnode(client);
  if (file.device == kInvalidDevice) {
    for (const auto& [id, node] : state.nodes)
      if (node.devnode == devnode) file.device = id;
    // The open itself cannot be refused through the node (it is a file the test bed made, and
    // a root process opens any file): a device that refuses opens fails every request.
    file.refused = openDevice(ksim::bus(), file.device, file.open) != usb::Status::Ok;
  }
  Request request{state, client, file, umockdev_ioctl_client_get_arg(client)};
  const unsigned long code = umockdev_ioctl_client_get_request(client);
  BusState& bus = ksim::bus();
  {
    // The device's lock for the whole request; a departure its function asked for is settled
    // when the request is over.
    std::unique_lock<std::mutex> lock;
    if (file.open.device != nullptr) lock = std::unique_lock<std::mutex>(file.open.device->mutex);
    struct Finish {
      BusState& bus;
      BusDevice* device;
      std::unique_lock<std::mutex>& lock;
      ~Finish() {
        if (device != nullptr && lock.owns_lock()) finishRequest(bus, *device, lock);
      }
    } finish{bus, file.open.device.get(), lock};
    BusDevice* device = presentDevice(file);
    if (code == USBDEVFS_REAPURB || code == USBDEVFS_REAPURBNDELAY) {
      reap(request);
      return true;
    }
    if (code == USBDEVFS_DISCARDURB) {
      discard(request);
      return true;
    }
    if (device == nullptr) {
      request.fail(file.refused ? EACCES : ENODEV);
      return true;
    }
    switch (code) {
      case USBDEVFS_GET_CAPABILITIES: {
        auto* capabilities = request.resolve<uint32_t>();
        if (capabilities == nullptr) return request.fail(EFAULT), true;
        *capabilities = USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
                        USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
        request.complete();
        break;
      }
      case USBDEVFS_GET_SPEED:
        request.complete(3);  // USB_SPEED_HIGH
        break;
      case USBDEVFS_CLAIMINTERFACE:
      case USBDEVFS_RELEASEINTERFACE: {
        auto* number = request.resolve<unsigned>();
        if (number == nullptr) return request.fail(EFAULT), true;
        if (code == USBDEVFS_CLAIMINTERFACE) {
          const int error = claim(file, *number);
          error == 0 ? request.complete() : request.fail(error);
        } else if (device->claims.release(file.open.holder(), static_cast<int>(*number)) !=
                   usb::Status::Ok) {
          request.fail(EINVAL);  // usbfs: not held by this file
        } else {
          request.complete();
        }
        break;
      }
      case USBDEVFS_SETINTERFACE: {
        auto* setting = request.resolve<usbdevfs_setinterface>();
        if (setting == nullptr) return request.fail(EFAULT), true;
        const std::vector<uint8_t> configuration = device->function->configurationDescriptor();
        if (!device->claims.holds(file.open.holder(), static_cast<int>(setting->interface)) ||
            !usb::hasAlternateSetting(configuration, static_cast<int>(setting->interface),
                                      static_cast<int>(setting->altsetting)))
          return request.fail(EINVAL), true;
        const usb::SetupPacket setup{0x01, 0x0B, static_cast<uint16_t>(setting->altsetting),
                                     static_cast<uint16_t>(setting->interface), 0};
        int transferred = 0;
        usb::Status status = device->function->control(setup, nullptr, transferred);
        // The kernel accepts a stalled SET_INTERFACE to an interface with one setting.
        if (status == usb::Status::Stall &&
            usb::alternateSettingCount(configuration, static_cast<int>(setting->interface)) == 1)
          status = usb::Status::Ok;
        status == usb::Status::Ok ? request.complete() : request.fail(EPIPE);
        break;
      }
      case USBDEVFS_CLEAR_HALT: {
        auto* endpoint = request.resolve<unsigned>();
        if (endpoint == nullptr) return request.fail(EFAULT), true;
        logEvent(bus, device->id, EventKind::ClearHalt, static_cast<uint8_t>(*endpoint), 0,
                 usb::Status::Ok, nullptr, 0);
        device->function->clearHalt(static_cast<uint8_t>(*endpoint));
        request.complete();
        break;
      }
      case USBDEVFS_RESET:
        device->function->busReset();
        finishRequest(bus, *device, lock);  // a device that starts another function leaves
        device->present ? request.complete() : request.fail(ENODEV);
        break;
      case USBDEVFS_SUBMITURB: {
        const int error = submit(request, *device);
        error == 0 ? request.complete() : request.fail(error);
        break;
      }
      case USBDEVFS_GETDRIVER:
        getDriver(request, *device);
        break;
      case USBDEVFS_IOCTL:
        interfaceIoctl(request, *device);
        break;
      case USBDEVFS_DISCONNECT_CLAIM:
        disconnectClaim(request, *device);
        break;
      default:
        return false;
    }
  }
  // A request can take the device off the bus or bring its successor: the nodes follow.
  syncLocked(state);
  return true;
}

void closeFile(BridgeState& state, UMockdevIoctlClient* client) {
  const auto it = state.files.find(client);
  if (it == state.files.end()) return;
  OpenFile& file = it->second;
  {
    if (!file.refused && file.device != kInvalidDevice) closeDevice(file.open);
  }
  for (UMockdevIoctlData* urb : file.reaped) g_object_unref(urb);
  for (UMockdevIoctlData* urb : file.pending) g_object_unref(urb);
  state.files.erase(it);
}

}  // namespace ksim::usbfs
