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
  EXPECT_EQ(JSC_CreateInterface(nullptr), -122);
}

class FixedAnswers : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(JSC_CreateInterface(&table_), 0); }
  void TearDown() override { JSC_DeleteInterface(&table_); }
  template <class Fn>
  Fn slot(int n) const {
    return reinterpret_cast<Fn>(table_[n]);
  }
  JSC_Operation* table_ = nullptr;
  // The fixed answers never look inside the handle.
  JscHandle* handle_ = reinterpret_cast<JscHandle*>(&storage_);
  uint64_t storage_ = 0;
};

TEST_F(FixedAnswers, AnswerWithoutLookingAtTheProbe) {
  using Any = int32_t (*)(JscHandle*, uintptr_t, uintptr_t);
  EXPECT_EQ(slot<Any>(9)(nullptr, 1, 2), 0);
  EXPECT_EQ(slot<Any>(10)(handle_, 3, 4), 0);
  EXPECT_EQ(slot<int32_t (*)(JscHandle*, uint32_t)>(35)(nullptr, 0x80000001u),
            static_cast<int32_t>(0x80000001u));

  uint8_t record[4] = {9, 9, 9, 9};
  const auto version = slot<int32_t (*)(JscHandle*, uint8_t*)>(39);
  EXPECT_EQ(version(handle_, nullptr), -122);
  EXPECT_EQ(version(handle_, record), 0);
  const uint16_t major = 256;
  EXPECT_EQ(std::memcmp(record, &major, 2), 0);
  EXPECT_EQ(record[2], 1);
  EXPECT_EQ(record[3], 9) << "only three bytes are written";

  const auto indexed = slot<int32_t (*)(JscHandle*, uint32_t, uintptr_t, uint32_t*)>(42);
  uint32_t word = 7;
  EXPECT_EQ(indexed(handle_, 2, 0, &word), -122);
  EXPECT_EQ(indexed(handle_, 1, 0, &word), 0);
  EXPECT_EQ(word, 0u);

  using None = int32_t (*)(JscHandle*);
  using WithPointer = int32_t (*)(JscHandle*, const void*);
  for (const int n : {47, 49}) {
    EXPECT_EQ(slot<None>(n)(nullptr), -122);
    EXPECT_EQ(slot<None>(n)(handle_), -120);
  }
  for (const int n : {48, 50}) {
    EXPECT_EQ(slot<WithPointer>(n)(handle_, nullptr), -122);
    EXPECT_EQ(slot<WithPointer>(n)(handle_, &word), -120);
  }
  EXPECT_EQ(slot<None>(51)(handle_), 0);
  EXPECT_EQ(slot<WithPointer>(36)(handle_, nullptr), -122);
}

TEST_F(FixedAnswers, CapabilitiesByKind) {
  const auto capability = slot<int32_t (*)(JscHandle*, uint32_t, uint8_t*, uint32_t*)>(41);
  struct Row {
    uint32_t kind;
    uint8_t supported;
    uint32_t value;
  };
  for (const Row& row :
       {Row{1, 1, 5}, Row{2, 1, 0}, Row{3, 1, 16}, Row{4, 1, 0}, Row{5, 0, 0}, Row{0, 0, 0}}) {
    uint8_t supported = 9;
    uint32_t value = 9;
    EXPECT_EQ(capability(handle_, row.kind, &supported, &value), 0);
    EXPECT_EQ(supported, row.supported) << "kind " << row.kind;
    EXPECT_EQ(value, row.value) << "kind " << row.kind;
  }
}

TEST_F(FixedAnswers, ABlockTransferAskingForDataNeedsIt) {
  using Block = int32_t (*)(JscHandle*, uintptr_t, uint8_t*, uint8_t*, const uint8_t*, uintptr_t,
                            uintptr_t, const void*, uint32_t, uint32_t*);
  const auto block = slot<Block>(45);
  uint8_t a = 5, b = 5;
  uint32_t out = 5;
  const uint8_t asksData[5] = {0, 0, 1, 0, 1};
  const uint8_t data = 0;
  EXPECT_EQ(block(handle_, 0, &a, &b, asksData, 0, 0, nullptr, 4, &out), -122);
  EXPECT_EQ(block(handle_, 0, &a, &b, asksData, 0, 0, &data, 0, &out), -122);
  EXPECT_EQ(block(handle_, 0, &a, &b, asksData, 0, 0, &data, 1, &out), 0);
  EXPECT_EQ(a + b + out, 0u);
}

}  // namespace
