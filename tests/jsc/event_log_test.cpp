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
    h_ = s_->handle();
  }
  JscHandle* h_ = nullptr;
  uint8_t done_ = 0;
};

TEST_F(EventLogTest, TheCreationLogHolds256WordsAndThenOverflowsOrRefuses) {
  const auto add = op<JSC_AddEventLogEntryFn>(JSC_SLOT_ADD_EVENT_LOG_ENTRY);
  ASSERT_EQ(add(h_, 1, &done_, 1), 0);
  uint32_t needed = 0;
  EXPECT_TRUE(readEventLog(258, &needed).empty()) << "a new log is disabled";
  EXPECT_EQ(needed, 2u);
  ASSERT_EQ(op<JSC_ClearEventLogFn>(JSC_SLOT_CLEAR_EVENT_LOG)(h_, 1, &done_), 0);
  for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(add(h_, 1, &done_, i + 100), 0);
  EXPECT_EQ(kst::jsc::appendEvent(*h_, 1), -519);
  EXPECT_EQ(kst::jsc::appendEventPair(*h_, 1, 2), -520);
  ASSERT_EQ(op<JSC_SetEventLogOverflowFn>(JSC_SLOT_SET_EVENT_LOG_OVERFLOW)(h_, 1, &done_, 1), 0);
  EXPECT_EQ(kst::jsc::appendEvent(*h_, 1), 0) << "dropped";

  const std::vector<uint32_t> words = readEventLog(258);
  ASSERT_EQ(words.size(), 258u);
  EXPECT_EQ(words[0], 258u);
  EXPECT_EQ(words[1], 100u);
  EXPECT_EQ(words[256], 355u);
  EXPECT_EQ(words[257], 0u);
  EXPECT_TRUE(readEventLog(257, &needed).empty()) << "never more than the caller's capacity";
  EXPECT_EQ(needed, 258u);
}

TEST_F(EventLogTest, AMarkedPairIsTheMarkThenSecondThenFirst) {
  uint32_t granted = 0;
  ASSERT_EQ(op<JSC_CreateEventLogFn>(JSC_SLOT_CREATE_EVENT_LOG)(h_, 1, &done_, 4, &granted), 0);
  EXPECT_EQ(granted, 4u);
  kst::jsc::resetEventLog(*h_, true);
  ASSERT_EQ(kst::jsc::appendEvent(*h_, 7), 0);
  EXPECT_EQ(kst::jsc::appendEventPair(*h_, 40, 0), 0);
  EXPECT_EQ(kst::jsc::appendEventPair(*h_, 40, 0), -520);
  EXPECT_EQ(readEventLog(8), (std::vector<uint32_t>{6, 7, 0xFFFFFFFF, 0, 40, 0}));

  // Another kind is no log: nothing done, outputs zeroed.
  EXPECT_EQ(op<JSC_CreateEventLogFn>(JSC_SLOT_CREATE_EVENT_LOG)(h_, 2, &done_, 8, &granted), 0);
  EXPECT_EQ(done_ + granted, 0u);
  EXPECT_EQ(readEventLog(8).size(), 6u) << "the log of kind 1 is untouched";
}

}  // namespace
}  // namespace jsctest
