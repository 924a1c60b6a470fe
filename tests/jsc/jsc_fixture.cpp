#include "jsc_fixture.h"

#include <cstdlib>

#include "jsc/controller_handle.h"

namespace jsctest {

std::vector<Sent> summary(const std::vector<Bytes>& packets) {
  std::vector<Sent> sent;
  for (const Bytes& p : packets) {
    const std::size_t arguments = p.size() - 4;
    sent.push_back({codeOf(p), arguments >= 4 ? argU32(p, 0) : arguments == 1 ? p[4] : 0u});
  }
  return sent;
}

void JscTest::SetUp() {
  ksim::reset();
}

void JscTest::TearDown() {
  s_.reset();
  const ksim::Resources live = ksim::resources();
  EXPECT_EQ(live.handles, 0) << "a probe was left open";
}

ksim::DeviceId JscTest::attach(ksim::ProbeConfig config) {
  device_ = ksim::attachProbe(config);
  seen_ = 0;
  return device_;
}

std::unique_ptr<loomhost::Session> JscTest::session(uint32_t mode, uint32_t port, uint32_t flags) {
  auto s = std::make_unique<loomhost::Session>(mode, flags);
  s->host().set("HARP.POD_DRVR", "kestrel.dll");
  s->host().set("HARP.POD_PORT", std::to_string(port));
  return s;
}

std::unique_ptr<loomhost::Session> JscTest::opened(uint32_t mode) {
  auto s = session(mode);
  EXPECT_EQ(s->start(), 0);
  newPackets();
  return s;
}

void JscTest::discardRefusedHandle(loomhost::Session& session) {
  JscHandle* handle = session.abandonHandle();
  ASSERT_NE(handle, nullptr);
  JscHandle* refused = handle;
  EXPECT_EQ(JSC_DeleteHandle(&refused), -116);
  ASSERT_EQ(refused, handle) << "refused, and still allocated";
  EXPECT_EQ(handle->chain.controller, nullptr);
  EXPECT_EQ(handle->chain.shareKey, nullptr);
  if (handle->eventLog != nullptr) {
    std::free(handle->eventLog->words);
    std::free(handle->eventLog);
  }
  std::free(handle);
}

std::vector<uint32_t> JscTest::readEventLog(uint32_t capacity, uint32_t* needed) const {
  std::vector<uint32_t> words(capacity, 0xAAAAAAAA);
  uint8_t done = 0;
  uint32_t count = 99, need = 0;
  EXPECT_EQ(op<JSC_ReadEventLogFn>(JSC_SLOT_READ_EVENT_LOG)(s_->handle(), 1, &done, capacity,
                                                            words.data(), &count, &need),
            0);
  if (needed != nullptr) *needed = need;
  words.resize(count);
  return words;
}

std::vector<Bytes> JscTest::newPackets() {
  const std::vector<Bytes> all = packets();
  std::vector<Bytes> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
  seen_ = all.size();
  return fresh;
}

}  // namespace jsctest
