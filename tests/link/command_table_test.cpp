// Wire bytes of the JTAG and probe control commands: what each call puts on the wire, how
// long it waits, and what a size past the packet limits does.
#include <functional>

#include "probe_fixture.h"

namespace kstest {
namespace {

using ksim::EventKind;
using Call = std::function<int32_t(KSTInform*)>;

struct WireCase {
  const char* name;
  Call call;
  uint8_t code;
  Bytes arguments;
  int replyBytes;  // length asked of the first IN read: 7 + reply data
  unsigned timeoutMs;
};

class CommandTableTest : public ProbeTest {
 protected:
  void expectWire(const WireCase& c) {
    SCOPED_TRACE(c.name);
    ksim::clearEvents();
    EXPECT_EQ(c.call(probe_), KST_OK);
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(hex(sent[0]), hex(packet(c.code, c.arguments)));
    const auto in = eventsOf(EventKind::BulkIn);
    ASSERT_FALSE(in.empty());
    EXPECT_EQ(in[0].lengthAsked, c.replyBytes);
    EXPECT_EQ(in[0].timeoutMs, c.timeoutMs);
  }
};

TEST_F(CommandTableTest, JtagCommandsPackTheirArgumentsLittleEndian) {
  ksim::ProbeConfig config;
  config.chain = ksim::demoChain();
  attachAndOpen(config);
  uint32_t word = 0;
  const uint8_t data[4] = {0xA1, 0xB2, 0xC3, 0xD4};
  uint8_t received[4];
  const WireCase cases[] = {
      {"SetTclkDelay",
       [](KSTInform* p) { return KST_SetTclkDelay(p, 0x01020304); },
       4,
       {4, 3, 2, 1},
       7,
       4000},
      {"SetTrst", [](KSTInform* p) { return KST_SetTrst(p, 1); }, 5, {1}, 7, 4000},
      {"GetTrst", [&](KSTInform* p) { return KST_GetTrst(p, &word); }, 6, {}, 8, 4000},
      {"CycleTclk",
       [](KSTInform* p) { return KST_CycleTclk(p, 1000); },
       7,
       {0xE8, 3, 0, 0},
       7,
       4000},
      {"GetJtagState", [&](KSTInform* p) { return KST_GetJtagState(p, &word); }, 8, {}, 11, 4000},
      {"GotoJtagState",
       [](KSTInform* p) { return KST_GotoJtagState(p, 2, 3); },
       9,
       {2, 0, 0, 0, 3, 0, 0, 0},
       7,
       4000},
      {"FixedScan",
       [](KSTInform* p) {
         return KST_FixedScan(p, 0x0102, 3, 1, 2, 1, 0x0304, 0x0506, 7, 2, 0x5A);
       },
       10,
       {2, 1, 3, 1, 2, 1, 4, 3, 6, 5, 7, 0, 2, 0, 0x5A},
       7,
       4000},
      {"SendScan",
       [&](KSTInform* p) { return KST_SendScan(p, 32, 4, 2, 2, 1, 1, 0, 0, 1, 4, data, 4); },
       11,
       {32, 0, 4, 2, 2, 1, 1, 0, 0, 0, 0, 0, 1, 0, 4, 0, 0xA1, 0xB2, 0xC3, 0xD4},
       7,
       4000},
      {"SendRecvScan",
       [&](KSTInform* p) {
         return KST_SendRecvScan(p, 32, 3, 1, 2, 1, 0, 0, 0, 1, 4, 4, data, received, 4, 4);
       },
       12,
       {32, 0, 3, 1, 2, 1, 0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 4, 0, 0xA1, 0xB2, 0xC3, 0xD4},
       11,
       4000},
      {"SetAmbleDelay",
       [](KSTInform* p) { return KST_SetAmbleDelay(p, 1, 2, 3, 0x10000); },
       13,
       {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0, 0, 1, 0},
       7,
       4000},
      {"CJTAG_Connect",
       [](KSTInform* p) { return CJTAG_Connect(p, 0x0D); },
       43,
       {0x0D, 0, 0, 0},
       7,
       4000},
      {"CJTAG_Disconnect", [](KSTInform* p) { return CJTAG_Disconnect(p); }, 44, {}, 7, 4000},
      {"SelectTap forced",
       [](KSTInform* p) { return KST_SelectTap(p, 1, 2, 3, 4, 5, 'C', 7, 1); },
       45,
       {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 'C', 3},
       7,
       4000},
      {"SelectTap option",
       [](KSTInform* p) { return KST_SelectTap(p, 1, 2, 3, 4, 5, 'C', 7, 0); },
       45,
       {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 'C', 7},
       7,
       4000},
      {"DeselectTap",
       [](KSTInform* p) { return KST_DeselectTap(p, 2, 0, 0, 0, 0, 'D'); },
       46,
       {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'D'},
       7,
       4000},
      {"JTAG_Connect 1",
       [](KSTInform* p) { return JTAG_Connect(p, 1); },
       69,
       {0, 0, 0, 0},
       7,
       4000},
      {"JTAG_Connect 0",
       [](KSTInform* p) { return JTAG_Connect(p, 0); },
       69,
       {1, 0, 0, 0},
       7,
       4000},
      {"JTAG_Connect 2",
       [](KSTInform* p) { return JTAG_Connect(p, 2); },
       69,
       {3, 0, 0, 0},
       7,
       4000},
  };
  for (const WireCase& c : cases) expectWire(c);
}

TEST_F(CommandTableTest, ControlCommandsPackTheirArgumentsLittleEndian) {
  attachAndOpen();
  uint32_t word = 0;
  uint16_t half = 0;
  const uint16_t value = 0xBEEF;
  uint8_t read[3] = {};
  const uint8_t bytes[3] = {7, 8, 9};
  const WireCase cases[] = {
      {"SetSrst", [](KSTInform* p) { return KST_SetSrst(p, 0); }, 14, {0}, 7, 4000},
      {"ProductTest",
       [&](KSTInform* p) { return KST_ProductTest(p, 2, &word); },
       39,
       {2, 0, 0, 0},
       11,
       4000},
      {"ConnectPMON", [](KSTInform* p) { return KST_ConnectPMON(p); }, 40, {}, 7, 4000},
      {"RegisterRead",
       [&](KSTInform* p) { return KST_RegisterRead(p, 0x1234, &half); },
       41,
       {0x34, 0x12, 0, 0},
       9,
       4000},
      {"RegisterWrite",
       [&](KSTInform* p) { return KST_RegisterWrite(p, 0x1234, &value); },
       42,
       {0x34, 0x12, 0, 0, 0xEF, 0xBE},
       7,
       8000},
      {"JTAGIsolate", [](KSTInform* p) { return KST_JTAGIsolate(p); }, 47, {}, 7, 4000},
      {"SetSupply",
       [](KSTInform* p) { return KST_SetSupply(p, 1, 3300); },
       50,
       {0xE4, 0x0C, 0, 0, 1},
       7,
       4000},
      {"PowerIsolate", [](KSTInform* p) { return KST_PowerIsolate(p, 1); }, 57, {1}, 7, 4000},
      {"EEPROMRead",
       [&](KSTInform* p) { return KST_EEPROMRead(p, 0x0102, 3, read); },
       63,
       {2, 1, 3, 0},
       10,
       4000},
      {"EEPROMWrite",
       [&](KSTInform* p) { return KST_EEPROMWrite(p, 0x0102, 3, bytes); },
       64,
       {2, 1, 3, 0, 7, 8, 9},
       7,
       4000},
      {"SetProperty",
       [](KSTInform* p) { return KST_SetProperty(p, 2, 0x01020304); },
       73,
       {2, 0, 0, 0, 4, 3, 2, 1},
       7,
       4000},
  };
  for (const WireCase& c : cases) expectWire(c);
}

// Sizes at the packet limits: the largest that fit go out whole, one more is refused
// before any traffic.
TEST_F(CommandTableTest, VariableSizesStopAtThePacketLimits) {
  attachAndOpen();
  Bytes data(4400, 0), received(4400, 0);
  auto send = [&](uint32_t n) {
    return [&, n](KSTInform* p) {
      return KST_SendScan(p, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, data.data(), n);
    };
  };
  auto exchange = [&](uint32_t n, uint32_t m) {
    return [&, n, m](KSTInform* p) {
      return KST_SendRecvScan(p, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, 2, data.data(), received.data(), n,
                              m);
    };
  };
  auto write = [&](uint16_t n) {
    return [&, n](KSTInform* p) { return KST_EEPROMWrite(p, 0, n, data.data()); };
  };
  auto read = [&](uint16_t n) {
    return [&, n](KSTInform* p) { return KST_EEPROMRead(p, 0, n, received.data()); };
  };
  const struct {
    const char* name;
    Call call;
    int32_t expected;
    std::size_t packetSize;  // 0: nothing sent
    int replyBytes;
  } cases[] = {
      {"SendScan 4332", send(4332), KST_OK, 4352, 7},
      {"SendScan 4333", send(4333), KST_ERR_BAD_ARGUMENT, 0, 0},
      // The probe answers the 2 bytes the scan captures, not the 4345 asked for.
      {"SendRecvScan M 4345", exchange(2, 4345), KST_ERR_NO_REPLY, 24, 4352},
      {"SendRecvScan M 4346", exchange(2, 4346), KST_ERR_BAD_ARGUMENT, 0, 0},
      {"SendRecvScan N 4330", exchange(4330, 2), KST_OK, 4352, 9},
      {"SendRecvScan N 4331", exchange(4331, 2), KST_ERR_BAD_ARGUMENT, 0, 0},
      {"EEPROMWrite 4344", write(4344), KST_OK, 4352, 7},
      {"EEPROMWrite 4345", write(4345), KST_ERR_BAD_ARGUMENT, 0, 0},
      {"EEPROMRead 4345", read(4345), KST_OK, 8, 4352},
      {"EEPROMRead 4346", read(4346), KST_ERR_BAD_ARGUMENT, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::clearEvents();
    EXPECT_EQ(c.call(probe_), c.expected);
    const auto sent = eventsOf(EventKind::BulkOut);
    if (c.packetSize == 0) {
      EXPECT_TRUE(ksim::events().empty());
      continue;
    }
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data.size(), c.packetSize);
    EXPECT_EQ(eventsOf(EventKind::BulkIn).at(0).lengthAsked, c.replyBytes);
  }
}

// A probe error leaves every output as the caller had it.
TEST_F(CommandTableTest, OutputsAreUntouchedWhenTheProbeFails) {
  attachAndOpen();
  uint32_t word = 0x11111111;
  uint16_t half = 0x2222;
  Bytes buffer(8, 0x33);
  const uint8_t send[2] = {0, 0};
  const Call calls[] = {
      [&](KSTInform* p) { return KST_GetTrst(p, &word); },
      [&](KSTInform* p) { return KST_GetJtagState(p, &word); },
      [&](KSTInform* p) { return KST_ProductTest(p, 1, &word); },
      [&](KSTInform* p) { return KST_RegisterRead(p, 1, &half); },
      [&](KSTInform* p) { return KST_EEPROMRead(p, 0, 8, buffer.data()); },
      [&](KSTInform* p) {
        return KST_SendRecvScan(p, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, 2, send, buffer.data(), 2, 2);
      },
  };
  for (const Call& call : calls) {
    ksim::injectFault(device_, {ksim::Fault::FirmwareError, ksim::kAnyCommand, 1, 0x77});
    EXPECT_EQ(call(probe_), 0x77);
  }
  EXPECT_EQ(word, 0x11111111u);
  EXPECT_EQ(half, 0x2222);
  EXPECT_EQ(buffer, Bytes(8, 0x33));
}

TEST_F(CommandTableTest, NullPointersAreRefusedBeforeAnyTraffic) {
  attachAndOpen();
  uint8_t byte = 0;
  const Call calls[] = {
      [](KSTInform* p) { return KST_GetTrst(p, nullptr); },
      [](KSTInform* p) { return KST_GetJtagState(p, nullptr); },
      [](KSTInform* p) { return KST_ProductTest(p, 1, nullptr); },
      [](KSTInform* p) { return KST_RegisterRead(p, 1, nullptr); },
      [](KSTInform* p) { return KST_RegisterWrite(p, 1, nullptr); },
      [](KSTInform* p) { return KST_EEPROMRead(p, 0, 1, nullptr); },
      [](KSTInform* p) { return KST_EEPROMWrite(p, 0, 1, nullptr); },
      [](KSTInform* p) { return KST_SendScan(p, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, nullptr, 2); },
      [&](KSTInform* p) {
        return KST_SendRecvScan(p, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, 2, &byte, nullptr, 1, 2);
      },
      [](KSTInform* p) { return KST_CreateFakeSMGHandle(p, nullptr); },
      [](KSTInform* p) {
        int32_t count = 0;
        return KST_ReadDataPort(p, nullptr, 4, &count);
      },
      [](KSTInform*) { return KST_SetProperty(nullptr, 2, 1); },
      [](KSTInform*) { return KST_Connect(nullptr); },
      [](KSTInform* p) {
        uint16_t hardware;
        return KST_Version(p, nullptr, &hardware);
      },
      [](KSTInform*) { return KST_SetSupply(nullptr, 1, 3300); },
      [](KSTInform*) { return KST_FixedScan(nullptr, 8, 3, 1, 2, 1, 0, 0, 0, 1, 0); },
  };
  for (const Call& call : calls) EXPECT_EQ(call(probe_), KST_ERR_BAD_ARGUMENT);
  EXPECT_TRUE(ksim::events().empty());
}

}  // namespace
}  // namespace kstest
