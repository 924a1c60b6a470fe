// Golden exchanges of the ARM families (CMAPI, SWD, ARMv7, SecAP) and the handle chain.
#include "target_fixture.h"

namespace kstest {
namespace {

class ArmGoldenTest : public TargetTest {};

TEST_F(ArmGoldenTest, EveryCommandAsTheProbeSeesIt) {
  const uint8_t four[4] = {9, 8, 7, 6};
  const uint32_t value = 0x50000000;
  uint32_t* word = &out_.w.word;
  uint8_t* buf = out_.bytes;
  KST_SMG_HANDLE h = handle_;
  // clang-format off
  const Golden rows[] = {
      {"CMAPI_Connect", [&](auto) { return CMAPI_Connect(h, word); }, 15, {}, {0x77, 0x14, 0xA0, 0x2B}, {0x77, 0x14, 0xA0, 0x2B}},
      {"CMAPI_Disconnect", [&](auto) { return CMAPI_Disconnect(h); }, 16},
      {"CMAPI_MemRead", [&](auto) { return CMAPI_MemRead(h, 1, 2, 0, 0x20000010, 4, 0x0A000000, buf); }, 19,
       {1, 2, 0, 0x10, 0, 0, 0x20, 4, 0, 0, 0, 0, 0x0A}, {1, 2, 3, 4}, {1, 2, 3, 4}, 4018},
      {"CMAPI_MemWrite", [&](auto) { return CMAPI_MemWrite(h, 1, 2, 0, 0x20000010, 4, 0x0A000000, four); }, 20, {1, 2, 0, 0x10, 0, 0, 0x20, 4, 0, 0, 0, 0, 0x0A, 9, 8, 7, 6}, {}, {}, 4018},
      {"CMAPI_MemRead64", [&](auto) { return CMAPI_MemRead64(h, 1, 2, 3, 0x0123456789ABCDEF, 2, 0x11223344, buf); }, 61,
       {1, 2, 3, 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 2, 0, 0x44, 0x33, 0x22, 0x11}, {0xAA, 0xBB}, {0xAA, 0xBB}},
      {"CMAPI_MemWrite64", [&](auto) { return CMAPI_MemWrite64(h, 0, 0, 0, 0x100000000, 3, 0, four); }, 62, {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 9, 8, 7}},
      {"CMAPI_DapRegRead", [&](auto) { return CMAPI_DapRegRead(h, 1, 0, 0xFC, word); }, 21, {1, 0, 0xFC}, {4, 0, 0x77, 0x44}, {4, 0, 0x77, 0x44}},
      {"CMAPI_DapRegWrite", [&](auto) { return CMAPI_DapRegWrite(h, 0, 0, 4, &value); }, 22, {0, 0, 4, 0, 0, 0, 0x50}},
      {"SWD_Connect", [](auto p) { return SWD_Connect(p); }, 23},
      {"SWD_Disconnect", [](auto p) { return SWD_Disconnect(p); }, 24},
      {"SWD_EnableSwo", [](auto p) { return SWD_EnableSwo(p); }, 25},
      {"SWD_DisableSwo", [](auto p) { return SWD_DisableSwo(p); }, 26},
      {"SWD_RegRead", [&](auto p) { return SWD_RegRead(p, 1, 0x0C, word); }, 27, {1, 0x0C}, {1, 2, 3, 4}, {1, 2, 3, 4}},
      {"SWD_RegWrite", [&](auto p) { return SWD_RegWrite(p, 0, 8, &value, 1); }, 28, {0, 8, 0, 0, 0, 0x50, 1}},
      {"ARMv7_MemRead", [&](auto) { return ARMv7_MemRead(h, 0x0102, 0x0304, 0x20000000, 0x55, 8, buf); }, 71,
       {2, 1, 4, 3, 0, 0, 0, 0x20, 0x55, 0, 0, 0, 8, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}, 4036},
      {"ARMv7_MemWrite", [&](auto) { return ARMv7_MemWrite(h, 1, 4, 0x20000000, 0, 4, four); }, 72, {1, 0, 4, 0, 0, 0, 0, 0x20, 0, 0, 0, 0, 4, 0, 0, 0, 9, 8, 7, 6}, {}, {}, 4018},
      {"SecAP_BulkWrite", [&](auto) { return SecAP_BulkWrite(h, 2, 1, four); }, 80, {2, 1, 0, 9, 8, 7, 6}, {}, {}, 4018},
      {"SecAP_BulkRead", [&](auto) { return SecAP_BulkRead(h, 2, 2, buf); }, 81, {2, 2, 0}, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}, 4036},
  };
  // clang-format on
  for (const Golden& row : rows) checkGolden(row);
}

TEST_F(ArmGoldenTest, AcquireReleaseAndBrokenHandleChainsSendNothing) {
  alignas(8) uint8_t brokenChain[256] = {};  // the controller-handle link is null
  uint32_t word = 0;
  EXPECT_EQ(CMAPI_Acquire(nullptr), KST_OK);
  EXPECT_EQ(CMAPI_Release(handle_), KST_OK);
  for (KST_SMG_HANDLE h : {KST_SMG_HANDLE{nullptr}, KST_SMG_HANDLE{brokenChain}}) {
    EXPECT_EQ(CMAPI_Connect(h, &word), KST_ERR_BAD_ARGUMENT);
    EXPECT_EQ(CMAPI_MemRead(h, 0, 0, 0, 0, 4, 0, &word), KST_ERR_BAD_ARGUMENT);
    EXPECT_EQ(WREN_MemRead(h, 0, 2, 0, 0, 0, 0, 0, 0, &word), KST_ERR_BAD_ARGUMENT);
    EXPECT_EQ(TERN_MemReadWithStat(h, 0, 0, 4, 0, 0, &word, nullptr), KST_ERR_BAD_ARGUMENT);
  }
  EXPECT_EQ(CMAPI_DapRegWrite(handle_, 0, 0, 4, nullptr), KST_ERR_BAD_ARGUMENT);
  EXPECT_EQ(SWD_RegRead(probe_, 0, 0, nullptr), KST_ERR_BAD_ARGUMENT);
  EXPECT_TRUE(ksim::events().empty());
}

}  // namespace
}  // namespace kstest
