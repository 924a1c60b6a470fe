// The table handed to the framework, and the slots whose answers are fixed.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

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

// The answers that carry a value; the plain refusals are one line each in the code.
TEST(OperationTable, FixedAnswersNeverLookInsideTheHandle) {
  JSC_Operation* table = nullptr;
  ASSERT_EQ(JSC_CreateInterface(&table), 0);
  uint64_t storage = 0;
  auto* handle = reinterpret_cast<JscHandle*>(&storage);
  auto slot = [&](int n, auto type) { return reinterpret_cast<decltype(type)>(table[n]); };
  using Any = int32_t (*)(JscHandle*, uintptr_t, uintptr_t);
  EXPECT_EQ(slot(9, Any{})(nullptr, 1, 2) + slot(10, Any{})(handle, 3, 4), 0);
  EXPECT_EQ(slot(35, static_cast<int32_t (*)(JscHandle*, uint32_t)>(nullptr))(nullptr, 0x80000001u),
            static_cast<int32_t>(0x80000001u));

  uint8_t record[4] = {9, 9, 9, 9};
  EXPECT_EQ(slot(39, static_cast<int32_t (*)(JscHandle*, uint8_t*)>(nullptr))(handle, record), 0);
  const uint16_t version = 256;
  EXPECT_EQ(std::memcmp(record, &version, 2), 0);
  EXPECT_EQ(record[2], 1);
  EXPECT_EQ(record[3], 9) << "only three bytes are written";

  using Capability = int32_t (*)(JscHandle*, uint32_t, uint8_t*, uint32_t*);
  const uint32_t values[] = {0, 5, 0, 16, 0, 0};  // kinds 0 to 5; 1 to 4 are supported
  for (uint32_t kind = 0; kind < 6; ++kind) {
    uint8_t supported = 9;
    uint32_t value = 9;
    EXPECT_EQ(slot(41, Capability{})(handle, kind, &supported, &value), 0);
    EXPECT_EQ(supported, kind >= 1 && kind <= 4) << "kind " << kind;
    EXPECT_EQ(value, values[kind]) << "kind " << kind;
  }
  // Slots 47 to 50 are not supported on a handle, and a missing handle is still refused first.
  using Alone = int32_t (*)(JscHandle*);
  using WithPointer = int32_t (*)(JscHandle*, const void*);
  for (const int n : {47, 49}) {
    EXPECT_EQ(slot(n, Alone{})(handle), -120) << "slot " << n;
    EXPECT_EQ(slot(n, Alone{})(nullptr), -122) << "slot " << n;
  }
  for (const int n : {48, 50}) {
    EXPECT_EQ(slot(n, WithPointer{})(handle, record), -120) << "slot " << n;
    EXPECT_EQ(slot(n, WithPointer{})(nullptr, record), -122) << "slot " << n;
  }
  EXPECT_EQ(JSC_DeleteInterface(&table), 0);
}

// The fixed answers that take pointers: a missing handle or pointer is refused (-122); with
// both given the outputs are written (zeros, or the capability's answer).
TEST(OperationTable, FixedAnswersRefuseMissingArgumentsAndWriteTheirOutputs) {
  JSC_Operation* table = nullptr;
  ASSERT_EQ(JSC_CreateInterface(&table), 0);
  using H = JscHandle*;
  using B = uint8_t*;
  using W = uint32_t*;
  using U = uintptr_t;
  auto at = [&](int n, auto type) { return reinterpret_cast<decltype(type)>(table[n]); };
  using Block = int32_t (*)(H, U, B, B, const uint8_t*, U, U, const void*, uint32_t, W);
  const struct {
    int slot;
    std::function<int32_t(H, B)> call;
    uint8_t written;  // the first byte of the output afterwards
  } rows[] = {
      // clang-format off
      {36, [&](H h, B p) { return at(36, static_cast<int32_t (*)(H, const void*)>(nullptr))(h, p); }, 9},
      {38, [&](H h, B p) { return at(38, static_cast<int32_t (*)(H, W)>(nullptr))(h, W(p)); }, 0},
      {39, [&](H h, B p) { return at(39, static_cast<int32_t (*)(H, B)>(nullptr))(h, p); }, 0},
      {40, [&](H h, B p) { return at(40, static_cast<int32_t (*)(H, U, const void*)>(nullptr))(h, 0, p); }, 9},
      {41, [&](H h, B p) { return at(41, static_cast<int32_t (*)(H, uint32_t, B, W)>(nullptr))(h, 1, p, W(p)); }, 5},
      {42, [&](H h, B p) { return at(42, static_cast<int32_t (*)(H, uint32_t, U, W)>(nullptr))(h, 1, 0, W(p)); }, 0},
      {43, [&](H h, B p) { return at(43, static_cast<int32_t (*)(H, U, B, B)>(nullptr))(h, 0, p, p + 1); }, 0},
      {44, [&](H h, B p) { return at(44, static_cast<int32_t (*)(H, U, B, B, W)>(nullptr))(h, 0, p, p + 1, W(p)); }, 0},
      {45, [&](H h, B p) { return at(45, Block{})(h, 0, p, p + 1, p, 0, 0, nullptr, 0, W(p)); }, 0},
      {46, [&](H h, B p) { return at(46, static_cast<int32_t (*)(H, B, B)>(nullptr))(h, p, p + 1); }, 0},
      // clang-format on
  };
  uint64_t storage = 0;
  auto* handle = reinterpret_cast<H>(&storage);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.slot);
    alignas(4) uint8_t out[8];
    std::memset(out, 9, sizeof out);
    EXPECT_EQ(row.call(nullptr, out), -122);
    EXPECT_EQ(row.call(handle, nullptr), -122);
    EXPECT_EQ(out[0], 9) << "nothing written when refused";
    EXPECT_EQ(row.call(handle, out), 0);
    EXPECT_EQ(out[0], row.written);
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
  EXPECT_EQ(at(51, static_cast<int32_t (*)(H)>(nullptr))(handle), 0);
  EXPECT_EQ(at(51, static_cast<int32_t (*)(H)>(nullptr))(nullptr), -122);
  EXPECT_EQ(JSC_DeleteInterface(&table), 0);
}

}  // namespace
