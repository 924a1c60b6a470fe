#include "bus.h"

#include <libusb.h>

#include <algorithm>
#include <cstring>

namespace ksim {
namespace {

// Takes the first fault of the given kinds that matches the command, counting it down.
const FaultRule* takeFault(SimDevice& device, int code, std::initializer_list<Fault> kinds,
                           FaultRule& taken) {
  for (auto it = device.faults.begin(); it != device.faults.end(); ++it) {
    if (std::find(kinds.begin(), kinds.end(), it->kind) == kinds.end()) continue;
    if (it->command != kAnyCommand && it->command != code) continue;
    taken = *it;
    if (--it->times == 0) device.faults.erase(it);
    return &taken;
  }
  return nullptr;
}

// Bends a well-formed reply frame as the fault says and queues what is left of it.
void queueReply(SimDevice& device, std::vector<uint8_t> frame, const FaultRule* fault) {
  if (fault == nullptr) {
    device.replyChunks.push_back(std::move(frame));
    return;
  }
  const std::size_t half = frame.size() / 2;
  switch (fault->kind) {
    case Fault::NoReply:
    case Fault::OutPipe:
      return;
    case Fault::Vanish:
      device.present = false;
      return;
    case Fault::ShortReply:
      frame.resize(frame.size() -
                   std::min<std::size_t>(frame.size(), fault->value ? fault->value : 1));
      break;
    case Fault::LongReply:
      frame.resize(frame.size() + (fault->value ? fault->value : 4), 0xEE);
      break;
    case Fault::EmptyPackets:
      device.replyChunks.emplace_back(frame.begin(), frame.begin() + half);
      frame.erase(frame.begin(), frame.begin() + half);
      if (fault->value < 0) {
        device.endlessEmptyPackets = true;
        return;
      }
      for (int32_t i = 0; i < fault->value; ++i) device.replyChunks.emplace_back();
      break;
    case Fault::SplitReply: {
      const std::size_t first =
          fault->value > 0 ? std::min<std::size_t>(fault->value, frame.size()) : half;
      device.replyChunks.emplace_back(frame.begin(), frame.begin() + first);
      frame.erase(frame.begin(), frame.begin() + first);
      break;
    }
    case Fault::BadStartByte:
      frame[0] = '#';
      break;
    case Fault::BadLengthField: {
      const uint16_t length = static_cast<uint16_t>((frame[1] | frame[2] << 8) + 1);
      frame[1] = static_cast<uint8_t>(length);
      frame[2] = static_cast<uint8_t>(length >> 8);
      break;
    }
    case Fault::FirmwareError:
      for (int i = 0; i < 4; ++i) frame[3 + i] = static_cast<uint8_t>(fault->value >> (8 * i));
      break;
  }
  device.replyChunks.push_back(std::move(frame));
}

// The frame of a scripted reply for this packet's command, counting it down; empty when none.
std::vector<uint8_t> takeScripted(SimDevice& device, const uint8_t* data, int length) {
  if (length < 4) return {};
  for (auto it = device.scripted.begin(); it != device.scripted.end(); ++it) {
    if (it->command != data[3]) continue;
    Reply reply;
    reply.result = it->result;
    reply.data = it->data;
    if (--it->times == 0) device.scripted.erase(it);
    return frameReply(reply);
  }
  return {};
}

}  // namespace

BusState& bus() {
  static BusState state;
  return state;
}

SimDevice* findDevice(BusState& state, DeviceId id) {
  for (auto& device : state.devices)
    if (device->id == id) return device.get();
  return nullptr;
}

int commandOut(SimDevice& device, const uint8_t* data, int length) {
  if (device.outHalted) return LIBUSB_ERROR_PIPE;
  const int code = length >= 4 ? data[3] : -1;
  FaultRule fault{};
  if (takeFault(device, code, {Fault::OutPipe}, fault) != nullptr) {
    device.outHalted = true;
    return LIBUSB_ERROR_PIPE;
  }
  device.endlessEmptyPackets = false;
  int parsedCode = code;
  std::vector<uint8_t> frame = takeScripted(device, data, length);
  if (frame.empty())
    frame = runPacket(device.probe, data, static_cast<std::size_t>(length), parsedCode);
  const FaultRule* replyFault = takeFault(
      device, parsedCode,
      {Fault::NoReply, Fault::ShortReply, Fault::LongReply, Fault::SplitReply, Fault::BadStartByte,
       Fault::BadLengthField, Fault::FirmwareError, Fault::Vanish, Fault::EmptyPackets},
      fault);
  queueReply(device, std::move(frame), replyFault);
  return LIBUSB_SUCCESS;
}

int commandIn(SimDevice& device, uint8_t* data, int length, int& transferred) {
  transferred = 0;
  if (device.replyChunks.empty())
    return device.endlessEmptyPackets ? LIBUSB_SUCCESS : LIBUSB_ERROR_TIMEOUT;
  std::vector<uint8_t> chunk = std::move(device.replyChunks.front());
  device.replyChunks.pop_front();
  // A device sending more than the host asked for is a babble: libusb reports an overflow.
  const bool overflow = chunk.size() > static_cast<std::size_t>(length);
  const std::size_t count = overflow ? static_cast<std::size_t>(length) : chunk.size();
  if (count > 0) std::memcpy(data, chunk.data(), count);
  transferred = static_cast<int>(count);
  return overflow ? LIBUSB_ERROR_OVERFLOW : LIBUSB_SUCCESS;
}

}  // namespace ksim
