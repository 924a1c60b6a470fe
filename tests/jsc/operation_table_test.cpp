// The table handed to the framework, and the slots whose answers are fixed.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "jsc/operations.h"
#include "kestrel/jsc.h"

namespace {

TEST(OperationTable, NoSlotOfAHandedOutTableHoldsTheDefault) {
  JSC_Operation* table = nullptr;
  ASSERT_EQ(JSC_CreateInterface(&table), 0);
  const auto defaultOperation = reinterpret_cast<JSC_Operation>(&kst::jsc::notProvided);
  for (int slot = 0; slot < JSC_OPERATION_COUNT; ++slot)
    EXPECT_NE(table[slot], defaultOperation) << "slot " << slot;
  EXPECT_EQ(JSC_DeleteInterface(&table), 0);
  EXPECT_EQ(table, nullptr);
  EXPECT_EQ(JSC_DeleteInterface(&table), -122);
}

// The fixed answers: a missing handle or output is refused (-122) with nothing written; given
// both, each returns its answer and writes its outputs (zeros, the record version, a capability).
// None looks inside the handle (a word of zeros here).
TEST(OperationTable, FixedAnswersRefuseMissingArgumentsAndWriteTheirOutputs) {
  JSC_Operation* table = nullptr;
  ASSERT_EQ(JSC_CreateInterface(&table), 0);
  using H = JscHandle*;
  using B = uint8_t*;
  using W = uint32_t*;
  using U = uintptr_t;
  using Bytes = std::vector<uint8_t>;
  auto at = [&](int n, auto type) { return reinterpret_cast<decltype(type)>(table[n]); };
  using Block = int32_t (*)(H, U, B, B, const uint8_t*, U, U, const void*, uint32_t, W);
  using Alone = int32_t (*)(H);
  using WithPointer = int32_t (*)(H, const void*);
  const struct {
    int slot;
    std::function<int32_t(H, B)> call;
    int32_t result;
    Bytes written;  // the output's first bytes afterwards (9: untouched)
    bool needsHandle = true, needsOutput = true;
  } rows[] = {
      // clang-format off
      {9, [&](H h, B) { return at(9, static_cast<int32_t (*)(H, U, U)>(nullptr))(h, 1, 2); }, 0, {9}, false, false},
      {10, [&](H h, B) { return at(10, static_cast<int32_t (*)(H, U, U)>(nullptr))(h, 3, 4); }, 0, {9}, false, false},
      {35, [&](H h, B) { return at(35, static_cast<int32_t (*)(H, uint32_t)>(nullptr))(h, 0x80000001u); },
       static_cast<int32_t>(0x80000001u), {9}, false, false},
      {36, [&](H h, B p) { return at(36, WithPointer{})(h, p); }, 0, {9}},
      {38, [&](H h, B p) { return at(38, static_cast<int32_t (*)(H, W)>(nullptr))(h, W(p)); }, 0, {0, 0, 0, 0}},
      // Version 256 in the host's (little-endian) order and revision 1: three bytes only.
      {39, [&](H h, B p) { return at(39, static_cast<int32_t (*)(H, B)>(nullptr))(h, p); }, 0, {0, 1, 1, 9}},
      {40, [&](H h, B p) { return at(40, static_cast<int32_t (*)(H, U, const void*)>(nullptr))(h, 0, p); }, 0, {9}},
      {41, [&](H h, B p) { return at(41, static_cast<int32_t (*)(H, uint32_t, B, W)>(nullptr))(h, 1, p, W(p)); }, 0, {5, 0, 0, 0}},
      {42, [&](H h, B p) { return at(42, static_cast<int32_t (*)(H, uint32_t, U, W)>(nullptr))(h, 1, 0, W(p)); }, 0, {0, 0, 0, 0}},
      {43, [&](H h, B p) { return at(43, static_cast<int32_t (*)(H, U, B, B)>(nullptr))(h, 0, p, p + 1); }, 0, {0, 0}},
      {44, [&](H h, B p) { return at(44, static_cast<int32_t (*)(H, U, B, B, W)>(nullptr))(h, 0, p, p + 4, W(p)); }, 0, {0, 0, 0, 0, 0}},
      {45, [&](H h, B p) { return at(45, Block{})(h, 0, p, p + 4, p, 0, 0, nullptr, 0, W(p)); }, 0, {0, 0, 0, 0, 0}},
      {46, [&](H h, B p) { return at(46, static_cast<int32_t (*)(H, B, B)>(nullptr))(h, p, p + 1); }, 0, {0, 0}},
      {47, [&](H h, B) { return at(47, Alone{})(h); }, -120, {9}, true, false},
      {48, [&](H h, B p) { return at(48, WithPointer{})(h, p); }, -120, {9}},
      {49, [&](H h, B) { return at(49, Alone{})(h); }, -120, {9}, true, false},
      {50, [&](H h, B p) { return at(50, WithPointer{})(h, p); }, -120, {9}},
      {51, [&](H h, B) { return at(51, Alone{})(h); }, 0, {9}, true, false},
      // clang-format on
  };
  uint64_t storage = 0;
  auto* handle = reinterpret_cast<H>(&storage);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.slot);
    alignas(4) uint8_t out[8];
    std::memset(out, 9, sizeof out);
    EXPECT_EQ(row.call(nullptr, out), row.needsHandle ? -122 : row.result);
    if (row.needsOutput) {
      EXPECT_EQ(row.call(handle, nullptr), -122);
    }
    EXPECT_EQ(out[0], 9) << "nothing written when refused";
    EXPECT_EQ(row.call(handle, out), row.result);
    EXPECT_EQ(Bytes(out, out + row.written.size()), row.written);
  }
  using Capability = int32_t (*)(H, uint32_t, B, W);
  const uint32_t values[] = {0, 5, 0, 16, 0, 0};  // kinds 0 to 5; 1 to 4 are supported
  for (uint32_t kind = 0; kind < 6; ++kind) {
    uint8_t supported = 9;
    uint32_t value = 9;
    EXPECT_EQ(at(41, Capability{})(handle, kind, &supported, &value), 0);
    EXPECT_EQ(supported, kind >= 1 && kind <= 4) << "kind " << kind;
    EXPECT_EQ(value, values[kind]) << "kind " << kind;
  }
  uint32_t word = 9;
  EXPECT_EQ(at(42, static_cast<int32_t (*)(H, uint32_t, U, W)>(nullptr))(handle, 2, 0, &word), -122)
      << "two indexed words";
  // A block record whose bytes 2 and 4 are both 1 asks for data, which must then be given.
  uint8_t a = 9, b = 9;
  const uint8_t record[5] = {0, 0, 1, 0, 1};
  EXPECT_EQ(at(45, Block{})(handle, 0, &a, &b, record, 0, 0, nullptr, 4, &word), -122);
  EXPECT_EQ(at(45, Block{})(handle, 0, &a, &b, record, 0, 0, record, 0, &word), -122);
  EXPECT_EQ(at(45, Block{})(handle, 0, &a, &b, record, 0, 0, record, 4, &word), 0);
  EXPECT_EQ(JSC_DeleteInterface(&table), 0);
}

}  // namespace
