// The handle's event log through slots 28 to 33.
#include "jsc/event_log.h"

#include "jsc_fixture.h"

namespace jsctest {
namespace {

class EventLogTest : public JscTest {
 protected:
  void SetUp() override {
    JscTest::SetUp();
    s_ = session(loomhost::kModeJtag, 0, JSC_CREATE_EVENT_LOG);
    ASSERT_EQ(s_->createInterface(), 0);
    ASSERT_EQ(s_->createHandle(), 0);
  }
  void TearDown() override {
    s_.reset();
    JscTest::TearDown();
  }
  template <class Fn>
  Fn op(int slot) const {
    return s_->operation<Fn>(slot);
  }
  int32_t add(uint32_t word) {
    uint8_t done = 0;
    return op<JSC_AddEventLogEntryFn>(JSC_SLOT_ADD_EVENT_LOG_ENTRY)(s_->handle(), 1, &done, word);
  }
  // Reads with an array of capacity words; returns count.
  uint32_t read(uint32_t capacity, std::vector<uint32_t>& words, uint32_t& needed) {
    words.assign(capacity, 0xAAAAAAAA);
    uint8_t done = 0;
    uint32_t count = 99;
    EXPECT_EQ(op<JSC_ReadEventLogFn>(JSC_SLOT_READ_EVENT_LOG)(s_->handle(), 1, &done, capacity,
                                                              words.data(), &count, &needed),
              0);
    EXPECT_EQ(done, 1);
    return count;
  }
  void clear() {
    uint8_t done = 0;
    ASSERT_EQ(op<JSC_ClearEventLogFn>(JSC_SLOT_CLEAR_EVENT_LOG)(s_->handle(), 1, &done), 0);
  }

  std::unique_ptr<loomhost::Session> s_;
};

TEST_F(EventLogTest, TheCreationLogHolds256WordsAndThenOverflowsOrRefuses) {
  std::vector<uint32_t> words;
  uint32_t needed = 0;
  ASSERT_EQ(add(1), 0);
  EXPECT_EQ(read(258, words, needed), 0u) << "a new log is disabled";
  EXPECT_EQ(needed, 2u);
  clear();
  for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(add(i + 100), 0);
  EXPECT_EQ(kst::jsc::appendEvent(*s_->handle(), 1), -519);
  EXPECT_EQ(kst::jsc::appendEventPair(*s_->handle(), 1, 2), -520);
  uint8_t done = 0;
  ASSERT_EQ(
      op<JSC_SetEventLogOverflowFn>(JSC_SLOT_SET_EVENT_LOG_OVERFLOW)(s_->handle(), 1, &done, 1), 0);
  EXPECT_EQ(kst::jsc::appendEvent(*s_->handle(), 1), 0) << "dropped";

  ASSERT_EQ(read(258, words, needed), 258u);
  EXPECT_EQ(words[0], 258u);
  EXPECT_EQ(words[1], 100u);
  EXPECT_EQ(words[256], 355u);
  EXPECT_EQ(words[257], 0u);
  EXPECT_EQ(read(257, words, needed), 0u) << "never more than the caller's capacity";
  EXPECT_EQ(needed, 258u);
  EXPECT_EQ(words[0], 0xAAAAAAAAu);
}

TEST_F(EventLogTest, AMarkedPairIsTheMarkThenSecondThenFirst) {
  uint8_t done = 0;
  uint32_t granted = 0;
  ASSERT_EQ(
      op<JSC_CreateEventLogFn>(JSC_SLOT_CREATE_EVENT_LOG)(s_->handle(), 1, &done, 4, &granted), 0);
  EXPECT_EQ(granted, 4u);
  clear();
  ASSERT_EQ(add(7), 0);
  EXPECT_EQ(kst::jsc::appendEventPair(*s_->handle(), 40, 0), 0);
  EXPECT_EQ(kst::jsc::appendEventPair(*s_->handle(), 40, 0), -520);
  std::vector<uint32_t> words;
  uint32_t needed = 0;
  ASSERT_EQ(read(8, words, needed), 6u);
  EXPECT_EQ(std::vector<uint32_t>(words.begin(), words.begin() + 6),
            (std::vector<uint32_t>{6, 7, 0xFFFFFFFF, 0, 40, 0}));
}

TEST_F(EventLogTest, OnlyKindOneIsALog) {
  uint8_t done = 9;
  uint32_t granted = 9, count = 9, needed = 9, word = 0;
  EXPECT_EQ(
      op<JSC_CreateEventLogFn>(JSC_SLOT_CREATE_EVENT_LOG)(s_->handle(), 2, &done, 8, &granted), 0);
  EXPECT_EQ(done + granted, 0u);
  EXPECT_EQ(op<JSC_ReadEventLogFn>(JSC_SLOT_READ_EVENT_LOG)(s_->handle(), 0, &done, 8, &word,
                                                            &count, &needed),
            0);
  EXPECT_EQ(count + needed, 0u);
  EXPECT_EQ(op<JSC_DeleteEventLogFn>(JSC_SLOT_DELETE_EVENT_LOG)(s_->handle(), 1, nullptr), -122);
  EXPECT_EQ(op<JSC_DeleteEventLogFn>(JSC_SLOT_DELETE_EVENT_LOG)(s_->handle(), 1, &done), 0);
  EXPECT_EQ(add(1), 0) << "no log: nothing to append to";
}

}  // namespace
}  // namespace jsctest
