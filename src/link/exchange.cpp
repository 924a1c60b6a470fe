#include "exchange.h"

#include <cstring>

#include "../trace/command_trace.h"
#include "handle_chain.h"
#include "usb_transport.h"

namespace kst::link {

void writeFrameHeader(KSTInform& context, uint32_t packetSize) {
  context.commandBuffer[0] = kStartOfFrame;
  wire::putU16(context.commandBuffer + 1, static_cast<uint16_t>(packetSize - kFrameHeadSize));
}

int32_t runAttempts(KSTInform& context, uint32_t packetSize, uint32_t expectedReply,
                    uint32_t attempts, uint32_t timeoutMs) {
  bool failed = false;
  bool received = false;
  for (uint32_t attempt = 0; attempt < attempts && !received; ++attempt) {
    if (USBSendPacket(context, packetSize) != kTransportOk) {
      failed = true;
      continue;
    }
    uint32_t count = 0;
    if (USBReceivePacket(context, expectedReply, &count, timeoutMs) != kTransportOk ||
        count != expectedReply) {
      failed = true;
      continue;
    }
    received = true;
  }
  if (!received && failed) return KST_ERR_NO_REPLY;
  // A well-sized reply with a bad head ends the command: the probe did answer, wrongly.
  const uint8_t* reply = context.replyBuffer;
  if (reply[0] != kStartOfFrame || wire::getU16(reply + 1) != expectedReply - kFrameHeadSize)
    return KST_ERR_NO_REPLY;
  return static_cast<int32_t>(wire::getU32(reply + kFrameHeadSize));
}

int32_t untracedExchange(KSTInform& context, uint32_t packetSize, uint32_t expectedReply,
                         uint32_t attempts, uint32_t timeoutMs) {
  writeFrameHeader(context, packetSize);
  return runAttempts(context, packetSize, expectedReply, attempts, timeoutMs);
}

int32_t tracedExchange(KSTInform& context, uint32_t packetSize, uint32_t expectedReply,
                       uint32_t attempts, uint32_t timeoutMs, bool sizesValid) {
  const bool traced = trace::gate(context);
  if (traced) trace::begin(context);
  const int32_t result =
      sizesValid ? untracedExchange(context, packetSize, expectedReply, attempts, timeoutMs)
                 : KST_ERR_BAD_ARGUMENT;
  if (traced) trace::end(context, result);
  return result;
}

uint32_t memoryTimeoutMs(uint32_t tclkHz, uint32_t byteCount) {
  const uint64_t words = byteCount / 4;
  if (words == 0) return kCommandTimeoutMs;
  if (tclkHz == 0) return UINT32_MAX;
  // 15.05 / f - 5.5 with f in MHz is (30 100 000 - 11 Hz) / (2 Hz): whole numbers throughout,
  // so no floating-point value is ever converted out of range at very slow clocks.
  const uint64_t hz = tclkHz;
  const uint64_t slowness = 30100000u > 11 * hz ? (30100000u - 11 * hz) / (2 * hz) : 0;
  const uint64_t k = slowness > 1 ? slowness : 1;
  const uint64_t milliseconds = kCommandTimeoutMs + 2 * k * words;  // below 2^56
  return milliseconds > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(milliseconds);
}

Command::Command(KSTInform* context, CommandCode code) noexcept
    : context_(context), valid_(context != nullptr) {
  if (valid_) context_->commandBuffer[kFrameHeadSize] = code;
}

Command Command::throughHandle(KST_SMG_HANDLE smgHandle, CommandCode code) noexcept {
  return Command(probeOfSmgHandle(smgHandle), code);
}

bool Command::reserve(uint32_t count) noexcept {
  if (!valid_ || count > KST_PACKET_SIZE - size_) {
    valid_ = false;
    return false;
  }
  return true;
}

Command& Command::u8(uint8_t value) noexcept {
  if (reserve(1)) context_->commandBuffer[size_++] = value;
  return *this;
}

Command& Command::u16(uint16_t value) noexcept {
  if (reserve(2)) {
    wire::putU16(context_->commandBuffer + size_, value);
    size_ += 2;
  }
  return *this;
}

Command& Command::u32(uint32_t value) noexcept {
  if (reserve(4)) {
    wire::putU32(context_->commandBuffer + size_, value);
    size_ += 4;
  }
  return *this;
}

Command& Command::u64(uint64_t value) noexcept {
  if (reserve(8)) {
    wire::putU64(context_->commandBuffer + size_, value);
    size_ += 8;
  }
  return *this;
}

Command& Command::u16Count(uint32_t count) noexcept {
  if (count > UINT16_MAX) valid_ = false;
  return u16(static_cast<uint16_t>(count));
}

Command& Command::u16From(const uint16_t* value) noexcept {
  require(value);
  return u16(value != nullptr ? *value : 0);
}

Command& Command::u32From(const uint32_t* value) noexcept {
  require(value);
  return u32(value != nullptr ? *value : 0);
}

Command& Command::reserved(uint32_t count) noexcept {
  if (reserve(count)) size_ += count;
  return *this;
}

Command& Command::bytes(const void* data, uint32_t count) noexcept {
  require(data, count);
  if (reserve(count) && count != 0) {
    std::memcpy(context_->commandBuffer + size_, data, count);
    size_ += count;
  }
  return *this;
}

Command& Command::reply(uint32_t count, uint32_t bytesEach) noexcept {
  constexpr uint32_t kMostData = KST_PACKET_SIZE - kReplyHeadSize;
  if (bytesEach != 0 && count > kMostData / bytesEach) {
    valid_ = false;
    return *this;
  }
  replyData_ = count * bytesEach;
  return *this;
}

Command& Command::timeout(uint32_t milliseconds) noexcept {
  timeout_ = milliseconds;
  return *this;
}

Command& Command::memoryTimeout(uint32_t byteCount) noexcept {
  if (context_ != nullptr) timeout_ = memoryTimeoutMs(context_->tclkFrequency, byteCount);
  return *this;
}

Command& Command::require(const void* pointer) noexcept {
  return require(pointer, 1);
}

Command& Command::require(const void* buffer, uint32_t byteCount) noexcept {
  if (buffer == nullptr && byteCount != 0) {
    valid_ = false;
    pointerMissing_ = true;
  }
  return *this;
}

Command& Command::traceRefusal() noexcept {
  traceRefusal_ = true;
  return *this;
}

int32_t Command::run() noexcept {
  if (context_ == nullptr || (!valid_ && !traceRefusal_)) return KST_ERR_BAD_ARGUMENT;
  return tracedExchange(*context_, size_, replyData_ + kReplyHeadSize, 1, timeout_, valid_);
}

}  // namespace kst::link
