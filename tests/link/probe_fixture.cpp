#include "probe_fixture.h"

#include <algorithm>
#include <cstdio>

#include "nimbus_logger/control.h"

namespace kstest {

std::string hex(const Bytes& bytes) {
  std::string text;
  char byte[4];
  for (const uint8_t b : bytes) {
    std::snprintf(byte, sizeof byte, "%02X ", b);
    text += byte;
  }
  return text;
}

ksim::TapConfig tap(uint16_t irLength, bool hasIdcode, uint32_t idcode) {
  ksim::TapConfig config;
  config.irLength = irLength;
  config.hasIdcode = hasIdcode;
  config.idcode = idcode;
  return config;
}

Bytes packet(uint8_t code, const Bytes& arguments) {
  const std::size_t length = arguments.size() + 1;
  Bytes bytes(4 + arguments.size());
  bytes[0] = '*';
  bytes[1] = static_cast<uint8_t>(length);
  bytes[2] = static_cast<uint8_t>(length >> 8);
  bytes[3] = code;
  std::copy(arguments.begin(), arguments.end(), bytes.begin() + 4);
  return bytes;
}

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
  EXPECT_EQ(live.contexts, 0);
  EXPECT_EQ(live.deviceLists, 0);
  EXPECT_EQ(live.devices, 0);
  EXPECT_EQ(live.handles, 0);
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

std::vector<ksim::Event> ProbeTest::eventsOf(ksim::EventKind kind) const {
  std::vector<ksim::Event> selected;
  for (const ksim::Event& event : ksim::events())
    if (event.kind == kind) selected.push_back(event);
  return selected;
}

}  // namespace kstest
