// The command exchange: framing, the attempt loop and reply validation, and the builder
// through which every command function states its code, arguments, reply and time-out.
#pragma once

#include <cstdint>

#include "command_codes.h"
#include "kestrel/kst_types.h"
#include "wire.h"

namespace kst::link {

constexpr uint32_t kCommandTimeoutMs = 4000;
constexpr uint32_t kFrameHeadSize = 3;    // '*' and the u16 length
constexpr uint32_t kReplyHeadSize = 7;    // frame head and the i32 result
constexpr uint32_t kArgumentsOffset = 4;  // after the frame head and the command code
constexpr uint8_t kStartOfFrame = '*';

// Writes '*' and the length field for a packet of packetSize bytes.
void writeFrameHeader(KSTInform& context, uint32_t packetSize);

// Sends the framed packet and receives its reply, trying up to attempts times; returns the
// reply's result field, or -261 when no valid reply of expectedReply bytes arrived.
int32_t runAttempts(KSTInform& context, uint32_t packetSize, uint32_t expectedReply,
                    uint32_t attempts, uint32_t timeoutMs);

// Frames and exchanges the command in the command buffer without any trace.
int32_t untracedExchange(KSTInform& context, uint32_t packetSize, uint32_t expectedReply,
                         uint32_t attempts, uint32_t timeoutMs);

// Frames and exchanges the command in the command buffer inside its trace lines. With
// sizesValid false nothing is sent and -122 is the traced result.
int32_t tracedExchange(KSTInform& context, uint32_t packetSize, uint32_t expectedReply,
                       uint32_t attempts, uint32_t timeoutMs, bool sizesValid);

// One command, built in the context's command buffer:
//
//   return Command(context, KST_GETJTAGSTATE).reply(4).run([&](wire::Reader& r) {
//     *state = r.u32();
//   });
//
// Argument writers append little-endian fields after the command code. Anything that would
// not fit a 4352-byte packet or reply, a null context or a null required pointer makes run()
// return -122 before any trace or USB traffic. The output reader runs only on result 0.
class Command {
 public:
  Command(KSTInform* context, CommandCode code);

  Command& u8(uint8_t value);
  Command& u16(uint16_t value);
  Command& u32(uint32_t value);
  // Variable data, copied only when it fits; null data with a non-zero count is refused.
  Command& bytes(const void* data, uint32_t count);
  // Number of reply data bytes after the result field.
  Command& reply(uint32_t dataBytes);
  Command& timeout(uint32_t milliseconds);
  // Refuses the command when pointer is null (an output or input the caller must give).
  Command& require(const void* pointer);
  // Refuses the command when a buffer of byteCount bytes (more than 0) is null.
  Command& require(const void* buffer, uint32_t byteCount);

  int32_t run();

  template <class ReadOutputs>
  int32_t run(ReadOutputs&& readOutputs) {
    const int32_t result = run();
    if (result == KST_OK) {
      wire::Reader reader(context_->replyBuffer + kReplyHeadSize, replyData_);
      readOutputs(reader);
    }
    return result;
  }

 private:
  bool reserve(uint32_t count);

  KSTInform* context_;
  uint32_t size_ = kArgumentsOffset;
  uint32_t replyData_ = 0;
  uint32_t timeout_ = kCommandTimeoutMs;
  bool valid_;
};

}  // namespace kst::link
