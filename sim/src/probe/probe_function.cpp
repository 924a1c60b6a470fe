#include "probe/probe_function.h"

#include <algorithm>
#include <cstring>

#include "usb/descriptors.h"

namespace ksim {

ProbeFunction::ProbeFunction(const ProbeConfig& config)
    : layout_(layoutFor(config.vendorId, config.productId)), firmware_(config) {}

usb::DeviceDescriptor ProbeFunction::deviceDescriptor() const {
  usb::DeviceDescriptor descriptor;
  descriptor.vendorId = firmware_.config.vendorId;
  descriptor.productId = firmware_.config.productId;
  return descriptor;
}

std::vector<uint8_t> ProbeFunction::configurationDescriptor() const {
  return usb::configurationBytes({
      {layout_.commandInterface,
       usb::kClassVendor,
       0,
       0,
       {layout_.commandIn, layout_.commandOut},
       {}},
      {layout_.dataInterface, usb::kClassVendor, 0, 0, {layout_.dataIn, layout_.dataOut}, {}},
  });
}

std::string ProbeFunction::stringDescriptor(uint8_t index) const {
  switch (index) {
    case 1:
      return "Kestrel";
    case 2:
      return "Kestrel USB Debug Probe";
    case 3:
      return firmware_.config.serial;
    default:
      return {};
  }
}

usb::Status ProbeFunction::open() {
  return firmware_.config.failOpen ? usb::Status::Access : usb::Status::Ok;
}

usb::Status ProbeFunction::claimInterface(int number) {
  const bool busy = (number == layout_.commandInterface && firmware_.config.failClaimCommand) ||
                    (number == layout_.dataInterface && firmware_.config.failClaimData);
  return busy ? usb::Status::Busy : usb::Status::Ok;
}

usb::Status ProbeFunction::bulkOut(uint8_t endpoint, const uint8_t* data, int length) {
  if (endpoint != layout_.commandOut) return usb::Status::Timeout;  // the data OUT takes nothing
  if (outHalted_) return usb::Status::Stall;
  const int code = length >= 4 ? data[3] : -1;
  FaultRule fault{};
  if (faults_.take(code, {Fault::OutPipe}, fault)) {
    outHalted_ = true;
    return usb::Status::Stall;
  }
  endlessEmptyPackets_ = false;
  int parsedCode = code;
  std::vector<uint8_t> frame = takeScripted(code);
  if (frame.empty()) frame = firmware_.run(data, static_cast<std::size_t>(length), parsedCode);
  const bool bent = faults_.take(parsedCode, kReplyFaults, fault);
  if (bent && fault.kind == Fault::Vanish) leaveBus();
  endlessEmptyPackets_ = queueBentReply(replies_, std::move(frame), bent ? &fault : nullptr);
  return usb::Status::Ok;
}

usb::Status ProbeFunction::bulkIn(uint8_t endpoint, uint8_t* data, int length, int& transferred) {
  transferred = 0;
  if (endpoint == layout_.dataIn) {
    if (dataPort_.empty()) return usb::Status::Timeout;
    while (transferred < length && !dataPort_.empty()) {
      data[transferred++] = dataPort_.front();
      dataPort_.pop_front();
    }
    return usb::Status::Ok;
  }
  if (replies_.empty()) return endlessEmptyPackets_ ? usb::Status::Ok : usb::Status::Timeout;
  std::vector<uint8_t> chunk = std::move(replies_.front());
  replies_.pop_front();
  // A device sending more than the host asked for is a babble: the host reports an overflow.
  const bool overflow = chunk.size() > static_cast<std::size_t>(length);
  const std::size_t count = overflow ? static_cast<std::size_t>(length) : chunk.size();
  if (count > 0) std::memcpy(data, chunk.data(), count);
  transferred = static_cast<int>(count);
  return overflow ? usb::Status::Overflow : usb::Status::Ok;
}

void ProbeFunction::clearHalt(uint8_t endpoint) {
  if (endpoint == layout_.commandOut) outHalted_ = false;
}

void ProbeFunction::addScriptedReply(const ScriptedReply& reply) {
  if (reply.times > 0) scripted_.push_back(reply);
}

void ProbeFunction::pushDataPort(const std::vector<uint8_t>& bytes) {
  dataPort_.insert(dataPort_.end(), bytes.begin(), bytes.end());
}

std::vector<uint8_t> ProbeFunction::takeScripted(int code) {
  for (auto it = scripted_.begin(); it != scripted_.end(); ++it) {
    if (it->command != code) continue;
    Reply reply;
    reply.result = it->result;
    reply.data = it->data;
    if (--it->times == 0) scripted_.erase(it);
    return frameReply(reply);
  }
  return {};
}

}  // namespace ksim
