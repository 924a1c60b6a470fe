#include "probe_fixture.h"

#include <algorithm>
#include <cstring>

#include "nimbus_logger/control.h"

namespace kstest {

void ProbeTest::SetUp() {
  // Whatever the environment says, the logger wants nothing unless a test asks for it.
  nimbus_logger_configure(0, nullptr);
  nimbus::capture(0);
  ksim::reset();
}

void ProbeTest::TearDown() {
  if (probe_ != nullptr) {
    EXPECT_EQ(KST_Close(&probe_), KST_OK);
  }
  const ksim::Resources live = ksim::resources();
  EXPECT_EQ(live.contexts + live.deviceLists + live.devices + live.handles, 0);
}

ksim::DeviceId ProbeTest::attach(const ksim::ProbeConfig& config) {
  device_ = ksim::attachProbe(config);
  return device_;
}

void ProbeTest::attachAndOpen(const ksim::ProbeConfig& config) {
  attach(config);
  ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
  ksim::clearEvents();
}

namespace {

// The output area as it must be: the given first bytes, the rest untouched.
Bytes outputArea(Bytes first) {
  first.resize(sizeof(Outputs), kUntouched);
  return first;
}

}  // namespace

void ProbeTest::checkGolden(const Golden& row) {
  SCOPED_TRACE(row.name);
  auto call = [&](int32_t result, const ksim::FaultRule* fault) {
    ksim::scriptReply(device_, {row.code, result, row.reply});
    if (fault != nullptr) ksim::injectFault(device_, *fault);
    std::memset(&out_, kUntouched, sizeof out_);
    ksim::clearEvents();
    return row.call(probe_);
  };
  auto area = [&] {
    Bytes image(sizeof out_);
    std::memcpy(image.data(), &out_, sizeof out_);
    return image;
  };
  ASSERT_EQ(call(KST_OK, nullptr), KST_OK);
  EXPECT_EQ(packets(), std::vector<Bytes>{packet(row.code, row.arguments)});
  const auto in = eventsOf(ksim::EventKind::BulkIn);
  ASSERT_FALSE(in.empty());
  const int whole = static_cast<int>(7 + row.reply.size());
  EXPECT_EQ(in[0].lengthAsked, whole);
  EXPECT_EQ(in[0].timeoutMs, row.timeoutMs);
  EXPECT_EQ(area(), outputArea(row.outputs));

  const Bytes failed = outputArea(row.outputsOnFailure);
  EXPECT_EQ(call(0x77, nullptr), 0x77);
  EXPECT_EQ(area(), failed) << "probe error";
  for (int cut = 1; cut <= whole + 1; ++cut) {
    // Cuts of 1 byte up to the whole reply, then one byte more than the reply.
    const ksim::FaultRule fault = cut <= whole
                                      ? ksim::FaultRule{ksim::Fault::ShortReply, row.code, 1, cut}
                                      : ksim::FaultRule{ksim::Fault::LongReply, row.code, 1, 1};
    EXPECT_EQ(call(KST_OK, &fault), KST_ERR_NO_REPLY) << "cut " << cut;
    EXPECT_EQ(packets().size(), 1u) << "cut " << cut << ": one attempt";
    EXPECT_EQ(area(), failed) << "cut " << cut;
  }
}

}  // namespace kstest
