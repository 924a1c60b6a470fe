// The command builder's forms on a context without a USB device: a command that passes its
// checks is framed in the command buffer and then cannot be sent (-261); a refused one
// returns -122 and leaves the buffer unframed.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "link/exchange.h"
#include "link/handle_chain.h"

namespace {

using kst::link::Command;
using kst::wire::Reader;
using Bytes = std::vector<uint8_t>;

class CommandBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&context_, 0, sizeof context_);
    context_.tclkFrequency = 1000000;
  }
  Command command(kst::CommandCode code = kst::CMAPI_MEMREAD64) { return {&context_, code}; }
  bool framed() const { return context_.commandBuffer[0] == '*'; }

  KSTInform context_;
};

TEST_F(CommandBuilder, FieldsPackLittleEndianAndReservedBytesKeepWhatTheBufferHeld) {
  std::memset(context_.commandBuffer, 0xEE, sizeof context_.commandBuffer);
  const uint16_t half = 0xBEEF;
  const uint32_t word = 0x01020304;
  Command c = command();
  c.u8(1).u64(0x1122334455667788).u16Count(4345).reserved(2).u16From(&half).u32From(&word);
  EXPECT_EQ(c.reply(4345).run(), KST_ERR_NO_REPLY);
  const Bytes expected{'*',  20,   0,    61,   1,    0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22,
                       0x11, 0xF9, 0x10, 0xEE, 0xEE, 0xEF, 0xBE, 4,    3,    2,    1};
  EXPECT_EQ(Bytes(context_.commandBuffer, context_.commandBuffer + c.packetSize()), expected);
  EXPECT_EQ(c.replySize(), 4352u);
}

// Each limit against the nearest case that passes; null inputs and null handles.
TEST_F(CommandBuilder, RefusalsComeBeforeFramingAndNeverWrapIntoRange) {
  kst::SharedControllerHead controller{};
  controller.probe = &context_;
  kst::ControllerHandleHead handle{};
  handle.controller = &controller;
  alignas(8) uint8_t smg[kst::kSmgControllerHandleOffset + sizeof(void*)] = {};
  kst::ControllerHandleHead* link = &handle;
  std::memcpy(smg + kst::kSmgControllerHandleOffset, &link, sizeof link);
  static const uint8_t data[4349] = {};
  const struct {
    const char* name;
    std::function<Command()> build;
    bool refused;
  } cases[] = {
      {"u16From null", [&] { return command().u16From(nullptr); }, true},
      {"u32From null", [&] { return command().u32From(nullptr); }, true},
      {"count 65535", [&] { return command().u16Count(65535); }, false},
      {"count 65536", [&] { return command().u16Count(65536); }, true},
      {"2172 data and status", [&] { return command().reply(2172, 2); }, false},
      {"2173 data and status", [&] { return command().reply(2173, 2); }, true},
      {"2^31 + 1 data and status", [&] { return command().reply(0x80000001u, 2); }, true},
      {"1086 words", [&] { return command().reply(1086, 4); }, false},
      {"1087 words", [&] { return command().reply(1087, 4); }, true},
      {"2^30 + 1 words", [&] { return command().reply(0x40000001u, 4); }, true},
      {"items of no bytes", [&] { return command().reply(0xFFFFFFFFu, 0); }, false},
      {"4348 reserved", [&] { return command().reserved(4348); }, false},
      {"4349 reserved", [&] { return command().reserved(4349); }, true},
      {"u64 at the end", [&] { return command().reserved(4340).u64(1); }, false},
      {"u64 past the end", [&] { return command().reserved(4341).u64(1); }, true},
      {"4348 data bytes", [&] { return command().bytes(data, 4348); }, false},
      {"4349 data bytes", [&] { return command().bytes(data, 4349); }, true},
      {"2^32 - 1 data bytes", [&] { return command().bytes(data, 0xFFFFFFFFu); }, true},
      {"a reply of 2^32 - 1", [&] { return command().reply(0xFFFFFFFFu); }, true},
      {"handle chain", [&] { return Command::throughHandle(smg, kst::CMAPI_MEMREAD); }, false},
      {"null handle", [&] { return Command::throughHandle(nullptr, kst::CMAPI_MEMREAD); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::memset(context_.commandBuffer, 0, sizeof context_.commandBuffer);
    EXPECT_EQ(c.build().run(), c.refused ? KST_ERR_BAD_ARGUMENT : KST_ERR_NO_REPLY);
    EXPECT_EQ(framed(), !c.refused);
  }
  // The output writer of runAlways runs after every failure (the commands' tests pin its zeros)
  // but one for a missing output.
  bool written = false;
  EXPECT_EQ(command().reply(6).require(nullptr).runAlways([&](Reader&) { written = true; }),
            KST_ERR_BAD_ARGUMENT);
  EXPECT_FALSE(written);
}

TEST(MemoryTimeout, GrowsWithTheWordsAndSlowerClocks) {
  const struct {
    uint32_t hz;
    uint32_t bytes;
    uint32_t expected;
  } cases[] = {
      {1000000, 4096, 22432},    // k = 9
      {2006666, 4096, 8096},     // the last frequency with k = 2
      {2006667, 4096, 6048},     // and the first with k = 1 again
      {1204000, 4, 4014},        // 15.05 / 1.204 - 5.5 is exactly 7
      {100000, 4345, 318940},    // k = 145; 1086 whole words
      {1000000, 3, 4000},        // no whole word
      {1, 4345, UINT32_MAX},     // past the u32 range
      {0, 4, UINT32_MAX},        // no clock at all
      {UINT32_MAX, 4345, 6172},  // k never below 1
  };
  for (const auto& c : cases)
    EXPECT_EQ(kst::link::memoryTimeoutMs(c.hz, c.bytes), c.expected) << c.hz << " Hz " << c.bytes;
}

}  // namespace
