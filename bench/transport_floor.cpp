#include "transport_floor.h"

#include <libusb.h>

#include <cstring>

#include "kestrel_sim/sim.h"
#include "link/usb_device.h"

namespace kstbench {

TransportFloor TransportFloor::record(KSTInform* probe, int32_t (*command)(KSTInform*)) {
  TransportFloor floor;
  ksim::clearEvents();
  if (command(probe) != KST_OK) return floor;
  // The library's own handle: the record behind the context is the library's, read here
  // through its declaration only (the library's functions are not exported).
  const auto* device = static_cast<const kst::link::UsbDevice*>(probe->usbDevice);
  floor.handle_ = reinterpret_cast<libusb_device_handle*>(device->handle);
  floor.buffer_.resize(KST_PACKET_SIZE);
  floor.callerIn_.resize(KST_PACKET_SIZE);
  floor.callerOut_.resize(KST_PACKET_SIZE);
  for (const ksim::Event& event : ksim::events()) {
    const bool out = event.kind == ksim::EventKind::BulkOut;
    if (!out && event.kind != ksim::EventKind::BulkIn) continue;
    if (out) std::memcpy(floor.callerIn_.data(), event.data.data(), event.data.size());
    floor.transfers_.push_back({event.endpoint, event.lengthAsked, event.timeoutMs,
                                out ? event.data : std::vector<uint8_t>{}});
    floor.moved_.push_back(static_cast<int>(event.data.size()));
  }
  return floor;
}

bool TransportFloor::replay(bool copies) {
  bool same = true;
  for (std::size_t i = 0; i < transfers_.size(); ++i) {
    Transfer& transfer = transfers_[i];
    const bool out = !transfer.bytes.empty();
    if (copies && out) std::memcpy(transfer.bytes.data(), callerIn_.data(), transfer.bytes.size());
    unsigned char* data = out ? transfer.bytes.data() : buffer_.data();
    int moved = 0;
    const int result = libusb_bulk_transfer(handle_, transfer.endpoint, data, transfer.length,
                                            &moved, transfer.timeoutMs);
    same = same && result == LIBUSB_SUCCESS && moved == moved_[i];
    if (copies && !out && moved > 0) std::memcpy(callerOut_.data(), buffer_.data(), moved);
  }
  return same;
}

int TransportFloor::bytesOut() const {
  int total = 0;
  for (std::size_t i = 0; i < transfers_.size(); ++i)
    if ((transfers_[i].endpoint & LIBUSB_ENDPOINT_IN) == 0) total += moved_[i];
  return total;
}

int TransportFloor::bytesIn() const {
  int total = 0;
  for (std::size_t i = 0; i < transfers_.size(); ++i)
    if ((transfers_[i].endpoint & LIBUSB_ENDPOINT_IN) != 0) total += moved_[i];
  return total;
}

std::string TransportFloor::describe() const {
  std::string text;
  for (std::size_t i = 0; i < transfers_.size(); ++i) {
    if (!text.empty()) text += ", ";
    text += (transfers_[i].endpoint & LIBUSB_ENDPOINT_IN) != 0 ? "IN " : "OUT ";
    text += std::to_string(moved_[i]) + " B";
  }
  return text;
}

}  // namespace kstbench
