// Faults a test injects into a probe's command endpoint, and how they bend a reply.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include "kestrel_sim/sim.h"

namespace ksim {

class FaultList {
 public:
  void add(const FaultRule& fault) {
    if (fault.times > 0) faults_.push_back(fault);
  }
  // Takes the first fault of the given kinds that matches the command, counting it down.
  bool take(int code, std::initializer_list<Fault> kinds, FaultRule& taken);

 private:
  std::vector<FaultRule> faults_;
};

// The kinds that act on a reply rather than on the OUT transfer.
constexpr std::initializer_list<Fault> kReplyFaults = {
    Fault::NoReply,       Fault::ShortReply,   Fault::LongReply,
    Fault::SplitReply,    Fault::BadStartByte, Fault::BadLengthField,
    Fault::FirmwareError, Fault::Vanish,       Fault::EmptyPackets};

// Bends a well-formed reply frame as the fault says and queues what is left of it, one entry
// per IN transfer. Vanish queues nothing: the caller takes the device off the bus. Returns true
// when zero-length packets without end follow what was queued.
bool queueBentReply(std::deque<std::vector<uint8_t>>& queue, std::vector<uint8_t> frame,
                    const FaultRule* fault);

}  // namespace ksim
