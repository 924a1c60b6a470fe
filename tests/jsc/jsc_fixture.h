// Framework sessions on a fresh virtual bus, with every probe checked closed after each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"
#include "link/wire.h"
#include "loom_host/session.h"
#include "probe/command_codes.h"
#include "support/bus.h"

namespace jsctest {

using Bytes = std::vector<uint8_t>;

// The command code of a packet as the probe received it.
inline uint8_t codeOf(const Bytes& packet) {
  return packet.at(3);
}
// The u32 or u16 argument at byte offset at (after the code) of a packet; at() checks that its
// last byte is there.
inline uint32_t argU32(const Bytes& packet, std::size_t at) {
  return kst::wire::getU32(&packet.at(4 + at + 3) - 3);
}
inline uint16_t argU16(const Bytes& packet, std::size_t at) {
  return kst::wire::getU16(&packet.at(4 + at + 1) - 1);
}

// A command as a test compares it: its code and its first argument (a byte or a word; 0 when
// it has none).
struct Sent {
  uint8_t code;
  uint32_t argument;
  bool operator==(const Sent& other) const {
    return code == other.code && argument == other.argument;
  }
};
std::vector<Sent> summary(const std::vector<Bytes>& packets);
using kstest::codes;

// The probe's command codes, as the virtual probe's firmware answers them.
using namespace ksim::command;

inline std::ostream& operator<<(std::ostream& out, const Sent& sent) {
  return out << "(" << int{sent.code} << ", " << sent.argument << ")";
}

class JscTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A probe on the bus, with chain behind it.
  ksim::DeviceId attach(ksim::ProbeConfig config = {});
  // A session configured for the probe driver on port, not yet started.
  std::unique_ptr<loomhost::Session> session(uint32_t mode = loomhost::kModeJtag, uint32_t port = 0,
                                             uint32_t flags = 0);
  // A started session (interface, handle, open), with the bus traffic of the start forgotten.
  std::unique_ptr<loomhost::Session> opened(uint32_t mode = loomhost::kModeJtag);

  // Checks that the library refuses to delete the session's handle after a failed open (it
  // stays bound without its record) and frees what the library allocated for it.
  static void discardRefusedHandle(loomhost::Session& session);

  // An operation of the session s_ (a test's own session, closed before the check for open
  // probes).
  template <class Fn>
  Fn op(int slot) const {
    return s_->operation<Fn>(slot);
  }

  // The event log (kind 1) of s_'s handle read into capacity words: the words it gave.
  std::vector<uint32_t> readEventLog(uint32_t capacity, uint32_t* needed = nullptr) const;

  std::vector<Bytes> packets() const { return ksim::commandPackets(device_); }
  // Packets sent since the last call.
  std::vector<Bytes> newPackets();

  ksim::DeviceId device_ = 0;
  std::size_t seen_ = 0;
  std::unique_ptr<loomhost::Session> s_;
};

}  // namespace jsctest
