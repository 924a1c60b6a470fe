// The table handed to the framework, and the slots whose answers are fixed.
#include <gtest/gtest.h>

#include <cstring>

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

}  // namespace
