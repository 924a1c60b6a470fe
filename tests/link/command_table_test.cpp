// Golden exchanges of the core, JTAG and probe control commands: what each call puts on the
// wire, how long it waits and what it stores from a scripted reply; and that a probe error,
// every cut of that reply and an overlong one leave its outputs as they were. Then the refused
// null pointers and handles of every family, and the chain a handle leads along to its probe.
// The size limits are in the target limits table.
#include <cstring>
#include <functional>

#include "link/handle_chain.h"
#include "probe_fixture.h"

namespace kstest {
namespace {

using Call = std::function<int32_t(KSTInform*)>;

class CommandTableTest : public TargetTest {};

TEST_F(CommandTableTest, CoreJtagAndControlCommands) {
  const uint8_t data[4] = {0xA1, 0xB2, 0xC3, 0xD4};
  const uint16_t value = 0xBEEF;
  const uint8_t u = kUntouched;
  uint8_t* bytes = out_.bytes;
  uint32_t* word = &out_.w.word;
  // clang-format off
  const Golden rows[] = {
      {"Version", [&](auto p) { return KST_Version(p, word, &out_.w.half); }, 3, {}, {0x29, 0, 0, 3, 2, 0}, {0x29, 0, 0, 3, 2, 0}},
      {"Connect", [](auto p) { return KST_Connect(p); }, 1},
      {"Disconnect", [](auto p) { return KST_Disconnect(p); }, 2},
      {"Echo", [&](auto p) { return KST_Echo(p, data, bytes, 3); }, 0, {3, 0, 0, 0, 0xA1, 0xB2, 0xC3}, {7, 8, 9}, {7, 8, 9}},
      {"SetTclkDelay", [](auto p) { return KST_SetTclkDelay(p, 0x01020304); }, 4, {4, 3, 2, 1}},
      {"SetTrst", [](auto p) { return KST_SetTrst(p, 1); }, 5, {1}},
      {"GetTrst", [&](auto p) { return KST_GetTrst(p, word); }, 6, {}, {0xA5}, {0xA5, 0, 0, 0}},
      {"CycleTclk", [](auto p) { return KST_CycleTclk(p, 1000); }, 7, {0xE8, 3, 0, 0}},
      {"GetJtagState", [&](auto p) { return KST_GetJtagState(p, word); }, 8, {}, {0x10, 0, 0, 0}, {0x10, 0, 0, 0}},
      {"GotoJtagState", [](auto p) { return KST_GotoJtagState(p, 2, 3); }, 9, {2, 0, 0, 0, 3, 0, 0, 0}},
      {"FixedScan", [](auto p) { return KST_FixedScan(p, 0x0102, 3, 1, 2, 1, 0x0304, 0x0506, 7, 2, 0x5A); }, 10,
       {2, 1, 3, 1, 2, 1, 4, 3, 6, 5, 7, 0, 2, 0, 0x5A}},
      {"SendScan", [&](auto p) { return KST_SendScan(p, 32, 4, 2, 2, 1, 1, 0, 0, 1, 4, data, 4); }, 11,
       {32, 0, 4, 2, 2, 1, 1, 0, 0, 0, 0, 0, 1, 0, 4, 0, 0xA1, 0xB2, 0xC3, 0xD4}},
      {"SendRecvScan", [&](auto p) { return KST_SendRecvScan(p, 32, 3, 1, 2, 1, 0, 0, 0, 1, 4, 4, data, bytes, 4, 4); }, 12,
       {32, 0, 3, 1, 2, 1, 0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 4, 0, 0xA1, 0xB2, 0xC3, 0xD4}, {1, 2, 3, 4}, {1, 2, 3, 4}},
      {"SetAmbleDelay", [](auto p) { return KST_SetAmbleDelay(p, 1, 2, 3, 0x10000); }, 13, {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0, 0, 1, 0}},
      {"CJTAG_Connect", [](auto p) { return CJTAG_Connect(p, 0x0D); }, 43, {0x0D, 0, 0, 0}},
      {"CJTAG_Disconnect", [](auto p) { return CJTAG_Disconnect(p); }, 44},
      {"SelectTap forced", [](auto p) { return KST_SelectTap(p, 1, 2, 3, 4, 5, 'C', 7, 1); }, 45, {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 'C', 3}},
      {"SelectTap option", [](auto p) { return KST_SelectTap(p, 1, 2, 3, 4, 5, 'C', 7, 0); }, 45, {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 'C', 7}},
      {"DeselectTap", [](auto p) { return KST_DeselectTap(p, 2, 0, 0, 0, 0, 'D'); }, 46, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'D'}},
      {"JTAG_Connect 1", [](auto p) { return JTAG_Connect(p, 1); }, 69, {0, 0, 0, 0}},
      {"JTAG_Connect 2", [](auto p) { return JTAG_Connect(p, 2); }, 69, {3, 0, 0, 0}},
      // Probe control.
      {"SetSrst", [](auto p) { return KST_SetSrst(p, 0); }, 14, {0}},
      {"ProductTest", [&](auto p) { return KST_ProductTest(p, 2, &out_.w.word); }, 39, {2, 0, 0, 0}, {4, 3, 2, 1}, {4, 3, 2, 1}},
      {"ConnectPMON", [](auto p) { return KST_ConnectPMON(p); }, 40},
      {"RegisterRead", [&](auto p) { return KST_RegisterRead(p, 0x1234, &out_.w.half); }, 41, {0x34, 0x12, 0, 0}, {0xCD, 0xAB}, {u, u, u, u, 0xCD, 0xAB}},
      {"RegisterWrite", [&](auto p) { return KST_RegisterWrite(p, 0x1234, &value); }, 42, {0x34, 0x12, 0, 0, 0xEF, 0xBE}, {}, {}, 8000},
      {"JTAGIsolate", [](auto p) { return KST_JTAGIsolate(p); }, 47},
      {"SetSupply", [](auto p) { return KST_SetSupply(p, 1, 3300); }, 50, {0xE4, 0x0C, 0, 0, 1}},
      {"PowerIsolate", [](auto p) { return KST_PowerIsolate(p, 1); }, 57, {1}},
      {"EEPROMRead", [&](auto p) { return KST_EEPROMRead(p, 0x0102, 3, out_.bytes); }, 63, {2, 1, 3, 0}, {9, 8, 7}, {9, 8, 7}},
      {"EEPROMWrite", [&](auto p) { return KST_EEPROMWrite(p, 0x0102, 3, data); }, 64, {2, 1, 3, 0, 0xA1, 0xB2, 0xC3}},
      {"SetProperty", [](auto p) { return KST_SetProperty(p, 2, 0x01020304); }, 73, {2, 0, 0, 0, 4, 3, 2, 1}},
  };
  // clang-format on
  for (const Golden& row : rows) checkGolden(row);
}

// Null pointers, and handle chains that lead to no probe (the controller-handle link null).
TEST_F(CommandTableTest, NullPointersAndBrokenHandleChainsAreRefusedBeforeAnyTraffic) {
  EXPECT_EQ(CMAPI_Acquire(nullptr), KST_OK);
  EXPECT_EQ(CMAPI_Release(handle_), KST_OK);
  alignas(8) uint8_t brokenChain[256] = {};
  uint32_t word = 0;
  for (KST_SMG_HANDLE h : {KST_SMG_HANDLE{nullptr}, KST_SMG_HANDLE{brokenChain}}) {
    EXPECT_EQ(CMAPI_Connect(h, &word), KST_ERR_BAD_ARGUMENT);
    EXPECT_EQ(CMAPI_MemRead(h, 0, 0, 0, 0, 4, 0, &word), KST_ERR_BAD_ARGUMENT);
    EXPECT_EQ(WREN_MemRead(h, 0, 2, 0, 0, 0, 0, 0, 0, &word), KST_ERR_BAD_ARGUMENT);
    EXPECT_EQ(TERN_MemReadWithStat(h, 0, 0, 4, 0, 0, &word, nullptr), KST_ERR_BAD_ARGUMENT);
  }
  uint8_t byte = 0;
  int32_t count = 0;
  uint16_t hardware = 0;
  KSTInform* none = nullptr;
  // clang-format off
  const Call calls[] = {
      [](KSTInform* p) { return KST_GetTrst(p, nullptr); },
      [](KSTInform* p) { return KST_GetJtagState(p, nullptr); },
      [](KSTInform* p) { return KST_ProductTest(p, 1, nullptr); },
      [](KSTInform* p) { return KST_RegisterRead(p, 1, nullptr); },
      [](KSTInform* p) { return KST_RegisterWrite(p, 1, nullptr); },
      [](KSTInform* p) { return KST_EEPROMRead(p, 0, 1, nullptr); },
      [](KSTInform* p) { return KST_EEPROMWrite(p, 0, 1, nullptr); },
      [](KSTInform* p) { return KST_SendScan(p, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, nullptr, 2); },
      [&](KSTInform* p) { return KST_SendRecvScan(p, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, 2, &byte, nullptr, 1, 2); },
      [](KSTInform* p) { return KST_CreateFakeSMGHandle(p, nullptr); },
      [&](KSTInform* p) { return KST_ReadDataPort(p, nullptr, 4, &count); },
      [&](KSTInform* p) { return KST_ReadDataPort(p, &byte, 1, nullptr); },
      [&](KSTInform* p) { return KST_ReadDataPort(p, &byte, -1, &count); },
      [&](KSTInform*) { return KST_ReadDataPort(nullptr, &byte, 1, &count); },
      [](KSTInform*) { return KST_SetProperty(nullptr, 2, 1); },
      [](KSTInform*) { return KST_Connect(nullptr); },
      [&](KSTInform* p) { return KST_Version(p, nullptr, &hardware); },
      [&](KSTInform* p) { return KST_Echo(p, nullptr, &byte, 1); },
      [&](KSTInform* p) { return KST_Echo(p, &byte, nullptr, 1); },
      [](KSTInform*) { return KST_Open(nullptr, 0, nullptr, 0); },
      [](KSTInform*) { return KST_Close(nullptr); },
      [&](KSTInform*) { return KST_Close(&none); },
      [&](KSTInform*) { return CMAPI_DapRegWrite(handle_, 0, 0, 4, nullptr); },
      [](KSTInform* p) { return SWD_RegRead(p, 0, 0, nullptr); },
  };
  // clang-format on
  for (const Call& call : calls) EXPECT_EQ(call(probe_), KST_ERR_BAD_ARGUMENT);
  EXPECT_TRUE(ksim::events().empty());
}

// The fake handle is one per process and follows the last context; a host's handle leads to
// its probe through the controller records, and a missing one leads nowhere (a null handle and
// a null first link: the refusals above).
TEST_F(CommandTableTest, HandlesLeadToTheProbeThroughTheirChain) {
  KSTInform first{}, second{};
  KST_SMG_HANDLE a = nullptr, b = nullptr;
  ASSERT_EQ(KST_CreateFakeSMGHandle(&first, &a), KST_OK);
  EXPECT_EQ(KST_GetHandle(a), &first);
  ASSERT_EQ(KST_CreateFakeSMGHandle(&second, &b), KST_OK);
  EXPECT_EQ(a, b);
  EXPECT_EQ(KST_GetHandle(a), &second);
  EXPECT_EQ(KST_CreateFakeSMGHandle(nullptr, &a), KST_ERR_BAD_ARGUMENT);

  kst::SharedControllerHead controller{};
  kst::ControllerHandleHead handle{};
  alignas(8) uint8_t smg[256] = {};
  const kst::ControllerHandleHead* link = &handle;
  std::memcpy(smg + kst::kSmgControllerHandleOffset, &link, sizeof link);
  EXPECT_EQ(KST_GetHandle(smg), nullptr);
  handle.controller = &controller;
  controller.probe = &first;
  EXPECT_EQ(KST_GetHandle(smg), &first);
}

}  // namespace
}  // namespace kstest
