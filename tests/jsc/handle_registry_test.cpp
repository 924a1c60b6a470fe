// Handles, their binding to shared controller records, and open and close across handles.
#include "jsc/controller_handle.h"
#include "jsc/handle_lifecycle.h"
#include "jsc/share_registry.h"
#include "jsc_fixture.h"

namespace jsctest {
namespace {

using kst::jsc::controllerOf;
using kst::jsc::SharedController;

const char* keyOf(const JscHandle* handle) {
  return static_cast<const char*>(handle->chain.shareKey);
}

class HandleRegistry : public JscTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(kst::jsc::shareEntryCount(), 0u) << "a controller record outlived its handles";
    JscTest::TearDown();
  }
};

// The share key hashes every byte sign-extended (the é of the other driver's name).
TEST_F(HandleRegistry, HandlesOnOneDriverAndPortShareOneRecordUntilTheLastLeaves) {
  auto a = session(loomhost::kModeJtag, 42);
  auto b = session(loomhost::kModeJtag, 42);
  auto other = session(loomhost::kModeJtag, 7);
  other->host().set("HARP.POD_DRVR", "k\xc3\xa9strel.dll");
  for (auto* s : {a.get(), b.get(), other.get()}) {
    ASSERT_EQ(s->createInterface(), 0);
    ASSERT_EQ(s->createHandle(), 0);
  }
  EXPECT_STREQ(keyOf(a->handle()), "SHK-e99e4686");
  EXPECT_STREQ(keyOf(other->handle()), "SHK-de30f7dd");
  SharedController* shared = controllerOf(a->handle());
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(controllerOf(b->handle()), shared);
  EXPECT_NE(controllerOf(other->handle()), shared);
  EXPECT_EQ(shared->chain.bindCount, 2u);
  EXPECT_EQ(kst::jsc::shareEntryCount(), 2u);
  EXPECT_EQ(kst::jsc::shareReferences(keyOf(a->handle())), 2u);

  const std::string key = keyOf(a->handle());
  EXPECT_EQ(a->deleteHandle(), 0);
  EXPECT_EQ(a->handle(), nullptr);
  EXPECT_EQ(shared->chain.bindCount, 1u) << "the record lives on for the other handle";
  EXPECT_EQ(kst::jsc::shareReferences(key.c_str()), 1u);
  EXPECT_EQ(b->deleteHandle(), 0);
  EXPECT_EQ(kst::jsc::shareReferences(key.c_str()), 0u);
  EXPECT_EQ(kst::jsc::shareEntryCount(), 1u);
}

// A handle whose binding failed has no controller record: every probe operation refuses it
// without reading further (a read through the null record would crash here).
void expectOperationsRefused(JscHandle* h) {
  JSC_Operation* table = nullptr;
  ASSERT_EQ(JSC_CreateInterface(&table), 0);
  auto op = [&](int slot, auto type) { return reinterpret_cast<decltype(type)>(table[slot]); };
  const PathDescriptor p{1, 2, 1, 2, 0, 1, 0, 0, {}};
  uint8_t bytes[8] = {};
  uint32_t value = 0;
  const ExchangeScanRequest exchange{1, 0, 8, bytes, bytes};
  const ReadRestoreRequest readRestore{1, 0, 8, nullptr, bytes};
  EXPECT_EQ(op(JSC_SLOT_EXCHANGE_SCAN, JSC_ExchangeScanFn{})(h, &p, &exchange), -122);
  EXPECT_EQ(op(JSC_SLOT_READ_RESTORE, JSC_ReadRestoreScanFn{})(h, &p, &readRestore), -122);
  EXPECT_EQ(op(JSC_SLOT_MOVE_PATH, JSC_MovePathFn{})(h, &p, 0, 1), -122);
  EXPECT_EQ(op(JSC_SLOT_CYCLE_TCLK, JSC_CycleTclkFn{})(h, 8), -122);
  EXPECT_EQ(op(JSC_SLOT_SWD_REG_READ, JSC_SwdRegReadFn{})(h, 0, 0, &value), -122);
  EXPECT_EQ(op(JSC_SLOT_GET_TRST, JSC_GetTrstFn{})(h, bytes), -122);
  uint16_t half = 0;
  EXPECT_EQ(op(JSC_SLOT_REGISTER_WRITE, JSC_RegisterAccessFn{})(h, 0, 0, 0x40, 0, &half), -122);
  EXPECT_EQ(op(JSC_SLOT_ADD_LINK_DELAY, JSC_AddLinkDelayFn{})(h, 0), -122);
  EXPECT_EQ(JSC_DeleteInterface(&table), 0);
}

TEST_F(HandleRegistry, FailedBindingsLeaveTheHandleAllocatedRefusedAtDeleteAndByOperations) {
  struct Case {
    const char* name;
    uint32_t mode;
    const char* driver;
    const char* badKey;
    int32_t created;
  };
  const Case cases[] = {
      {"mode 0", 0, "kestrel.dll", nullptr, -122},
      {"mode 24", 24, "kestrel.dll", nullptr, -122},
      {"no probe driver to share by", 16, nullptr, nullptr, -164},
      {"a bad configuration value", 16, "kestrel.dll", "DOT7.TS_FORMAT", -448},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    loomhost::Host host;
    if (c.driver != nullptr) host.set("HARP.POD_DRVR", c.driver);
    if (c.badKey != nullptr) host.set(c.badKey, "no such format");
    const HandleParams params{0, 0, c.mode, host.services(), host.context()};
    JscHandle* handle = nullptr;
    EXPECT_EQ(JSC_CreateHandle(&handle, &params), c.created);
    ASSERT_NE(handle, nullptr) << "stored before binding";
    EXPECT_EQ(controllerOf(handle), nullptr);
    expectOperationsRefused(handle);
    EXPECT_EQ(JSC_DeleteHandle(&handle), -116);
    ASSERT_NE(handle, nullptr);
    kst::jsc::freeHandle(&handle);
  }
  HandleParams params{};
  JscHandle* handle = nullptr;
  EXPECT_EQ(JSC_CreateHandle(&handle, nullptr), -122);
  EXPECT_EQ(JSC_CreateHandle(nullptr, &params), -122);
  EXPECT_EQ(JSC_DeleteHandle(&handle), -122);
}

}  // namespace
}  // namespace jsctest
