#include "exchange.h"

#include <cstring>

#include "../trace/command_trace.h"
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

Command::Command(KSTInform* context, CommandCode code)
    : context_(context), valid_(context != nullptr) {
  if (valid_) context_->commandBuffer[kFrameHeadSize] = code;
}

bool Command::reserve(uint32_t count) {
  if (!valid_ || count > KST_PACKET_SIZE - size_) {
    valid_ = false;
    return false;
  }
  return true;
}

Command& Command::u8(uint8_t value) {
  if (reserve(1)) context_->commandBuffer[size_++] = value;
  return *this;
}

Command& Command::u16(uint16_t value) {
  if (reserve(2)) {
    wire::putU16(context_->commandBuffer + size_, value);
    size_ += 2;
  }
  return *this;
}

Command& Command::u32(uint32_t value) {
  if (reserve(4)) {
    wire::putU32(context_->commandBuffer + size_, value);
    size_ += 4;
  }
  return *this;
}

Command& Command::bytes(const void* data, uint32_t count) {
  require(data, count);
  if (reserve(count) && count != 0) {
    std::memcpy(context_->commandBuffer + size_, data, count);
    size_ += count;
  }
  return *this;
}

Command& Command::reply(uint32_t dataBytes) {
  if (dataBytes > KST_PACKET_SIZE - kReplyHeadSize) valid_ = false;
  replyData_ = dataBytes;
  return *this;
}

Command& Command::timeout(uint32_t milliseconds) {
  timeout_ = milliseconds;
  return *this;
}

Command& Command::require(const void* pointer) {
  if (pointer == nullptr) valid_ = false;
  return *this;
}

Command& Command::require(const void* buffer, uint32_t byteCount) {
  if (buffer == nullptr && byteCount != 0) valid_ = false;
  return *this;
}

int32_t Command::run() {
  if (!valid_) return KST_ERR_BAD_ARGUMENT;
  return tracedExchange(*context_, size_, replyData_ + kReplyHeadSize, 1, timeout_, true);
}

}  // namespace kst::link
