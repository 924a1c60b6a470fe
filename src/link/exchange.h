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

// The reply time-out of a memory transfer of byteCount bytes at a test clock of tclkHz:
// 4000 ms plus 2 x k ms per whole 32-bit word, k = max(1, 15.05 MHz / f - 5.5) truncated.
// A clock of 0 Hz, and any time-out past the u32 range, give the longest time-out.
uint32_t memoryTimeoutMs(uint32_t tclkHz, uint32_t byteCount);

// One command, built in the context's command buffer:
//
//   return Command(context, KST_GETJTAGSTATE).reply(4).run([&](wire::Reader& r) {
//     *state = r.u32();
//   });
//
// and a memory read addressed through the host's handle, its 32-bit count in a 16-bit field:
//
//   return Command::throughHandle(smgHandle, CMAPI_MEMREAD)
//       .u8(a).u8(b).u8(c).u32(address).u16Count(count).u32(attributes)
//       .require(buffer, count).reply(count).memoryTimeout(count)
//       .run([&](wire::Reader& r) { r.copyTo(buffer, count); });
//
// Argument writers append little-endian fields after the command code. Anything that would
// not fit a 4352-byte packet or reply, a null context or a null required pointer refuses the
// command: run() returns -122 before any trace or USB traffic (unless traceRefusal() asks for
// the refusal to be traced). The output reader runs only on result 0. Every member is
// noexcept: the command functions are C entry points, and nothing may unwind through them.
class Command {
 public:
  Command(KSTInform* context, CommandCode code) noexcept;
  // A command addressed through the host's scan-manager handle; a null link anywhere in the
  // handle chain refuses it.
  static Command throughHandle(KST_SMG_HANDLE smgHandle, CommandCode code) noexcept;

  Command& u8(uint8_t value) noexcept;
  Command& u16(uint16_t value) noexcept;
  Command& u32(uint32_t value) noexcept;
  Command& u64(uint64_t value) noexcept;
  // A count the function takes as 32 bits and the packet carries in 16. A count the field
  // cannot hold is refused rather than cut (no packet could carry that much anyway).
  Command& u16Count(uint32_t count) noexcept;
  // An input word the caller passes by pointer; a null pointer refuses the command.
  Command& u16From(const uint16_t* value) noexcept;
  Command& u32From(const uint32_t* value) noexcept;
  // Bytes the command does not set: the packet carries whatever the buffer held there.
  Command& reserved(uint32_t count) noexcept;
  // Variable data, copied only when it fits; null data with a non-zero count is refused.
  Command& bytes(const void* data, uint32_t count) noexcept;
  // Reply data after the result field: count items of bytesEach bytes, as (n, 2) for n data
  // bytes followed by n status bytes or (n, 4) for n words. The limit is checked on the count
  // itself, so no product can wrap into range.
  Command& reply(uint32_t count, uint32_t bytesEach = 1) noexcept;
  Command& timeout(uint32_t milliseconds) noexcept;
  // The memory time-out for byteCount bytes at the context's test clock.
  Command& memoryTimeout(uint32_t byteCount) noexcept;
  // Refuses the command when pointer is null (an output or input the caller must give).
  Command& require(const void* pointer) noexcept;
  // Refuses the command when a buffer of byteCount bytes (more than 0) is null.
  Command& require(const void* buffer, uint32_t byteCount) noexcept;
  // A refusal is traced as the command's result (nothing is sent), not returned silently.
  Command& traceRefusal() noexcept;

  int32_t run() noexcept;

  template <class ReadOutputs>
  int32_t run(ReadOutputs&& readOutputs) noexcept {
    const int32_t result = run();
    if (result == KST_OK) {
      wire::Reader reader(context_->replyBuffer + kReplyHeadSize, replyData_);
      readOutputs(reader);
    }
    return result;
  }

  // For commands that write their outputs whatever the result: writeOutputs runs after every
  // exchange and every refusal except one for a missing pointer. Unless the result is 0 its
  // reader is empty, so every field it reads is 0 and a copy of a length read from it is
  // empty.
  template <class WriteOutputs>
  int32_t runAlways(WriteOutputs&& writeOutputs) noexcept {
    const int32_t result = run();
    if (!pointerMissing_) {
      wire::Reader reader(result == KST_OK ? context_->replyBuffer + kReplyHeadSize : nullptr,
                          result == KST_OK ? replyData_ : 0);
      writeOutputs(reader);
    }
    return result;
  }

  // What run() would exchange: the packet and expected reply sizes in bytes, the time-out.
  uint32_t packetSize() const noexcept { return size_; }
  uint32_t replySize() const noexcept { return replyData_ + kReplyHeadSize; }
  uint32_t timeoutMs() const noexcept { return timeout_; }

 private:
  bool reserve(uint32_t count) noexcept;

  KSTInform* context_;
  uint32_t size_ = kArgumentsOffset;
  uint32_t replyData_ = 0;
  uint32_t timeout_ = kCommandTimeoutMs;
  bool valid_;
  bool pointerMissing_ = false;
  bool traceRefusal_ = false;
};

}  // namespace kst::link
