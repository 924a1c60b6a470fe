// Selecting and deselecting TAPs behind a router: the router word from the host's device
// description, and the refusals.
#include "jsc_fixture.h"

namespace jsctest {
namespace {

constexpr uint32_t kDevice = 0x77;

class TapRouter : public JscTest {
 protected:
  void SetUp() override {
    JscTest::SetUp();
    attach();
    s_ = session();
    s_->host().addDevice(kDevice, "cortex_m");
    ASSERT_EQ(s_->start(), 0);
    newPackets();
  }
  int32_t route(int slot, uint8_t kind, uint32_t device = kDevice, int32_t mode = 1) {
    return s_->operation<JSC_TapRouterFn>(slot)(s_->handle(), kind, &settings_, &device, mode);
  }
  ScanSettings settings_{};
};

// A description without router fields is type 5, port 0, and a selected TAP's ambles become
// the handle's; then the words by type and port.
TEST_F(TapRouter, RouterWordsByTypeAndPort) {
  ksim::scriptReply(device_, {kSelectTap, 0, {}, 101});
  ksim::scriptReply(device_, {kDeselectTap, 0, {}, 100});
  settings_.ambles[0] = 4;
  settings_.ambles[3] = 1;
  ASSERT_EQ(route(JSC_SLOT_SELECT_TAP, 'C'), 0);
  std::vector<Bytes> sent = newPackets();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(argU32(sent[0], 0), 0x10000000u);
  ScanSettings held{};
  held.amblePresent = 1;
  ASSERT_EQ(s_->operation<JSC_ScanSettingsFn>(JSC_SLOT_GET_SCAN_SETTINGS)(s_->handle(), &held), 0);
  EXPECT_EQ(held.ambles[0], 4u);
  EXPECT_EQ(held.ambles[3], 1u);

  struct Case {
    uint32_t type;
    uint32_t port;
    uint8_t kind;
    int32_t result;
    uint32_t word;
  };
  const Case cases[] = {
      {0, 3, 'C', 0, 0x13000000},  {1, 16, 'D', 0, 0x20000000}, {5, 31, 'C', 0, 0x2F000000},
      {8, 32, 'C', -496, 0},       {6, 15, 'C', 0, 0x2F000000}, {6, 17, 'C', -496, 0},
      {6, 17, 'D', 0, 0x31000000}, {6, 32, 'D', -496, 0},       {7, 15, 'D', 0, 0x1F000000},
      {7, 16, 'C', -496, 0},       {2, 99, 'C', 0, 0},          {9, 5, 'D', 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " port " << c.port << " " << c.kind);
    s_->host().setRouter(kDevice, c.type, c.port, 2, 0);
    for (const int slot : {JSC_SLOT_SELECT_TAP, JSC_SLOT_DESELECT_TAP}) {
      EXPECT_EQ(route(slot, c.kind), c.result);
      sent = newPackets();
      ASSERT_EQ(sent.size(), c.result == 0 ? 1u : 0u);
      if (c.result == 0) {
        EXPECT_EQ(argU32(sent[0], 0), c.word);
        EXPECT_EQ(sent[0].at(4 + 20), c.kind);
      }
    }
  }
}

TEST_F(TapRouter, RefusalsComeBeforeAnyCommand) {
  EXPECT_EQ(route(JSC_SLOT_SELECT_TAP, 'E'), -120);
  EXPECT_EQ(route(JSC_SLOT_DESELECT_TAP, 'C', kDevice, 2), -120);
  EXPECT_EQ(route(JSC_SLOT_SELECT_TAP, 'C', kDevice + 1), -320);
  s_->host().failEntry(JSC_HOST_DEVICE_DESCRIPTIONS, -9999);
  EXPECT_EQ(route(JSC_SLOT_SELECT_TAP, 'D'), -9999);
  EXPECT_TRUE(newPackets().empty());
}

}  // namespace
}  // namespace jsctest
