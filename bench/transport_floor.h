// The transport floor of a command: the same libusb calls with the same bytes, on the same
// handle of the same virtual probe, that the library made for it, replayed without the
// library. Its time is what any host code must pay on this bus; the library's own cost is
// what it adds on top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kestrel/kestrel.h"

struct libusb_device_handle;

namespace kstbench {

struct Transfer {
  uint8_t endpoint;
  int length;  // asked
  unsigned timeoutMs;
  std::vector<uint8_t> bytes;  // written, for an OUT
};

class TransportFloor {
 public:
  // Records the transfers of one call of command on probe (the virtual probe's transfer log
  // must be on). Empty when the call failed.
  static TransportFloor record(KSTInform* probe, int32_t (*command)(KSTInform*));

  bool empty() const { return transfers_.empty(); }
  // Makes the transfers again; false when one of them did not move what it moved before.
  // With copies, as a caller of libusb whose data sit in its own buffers must: each packet is
  // copied in from a buffer of the caller's before it is written, each reply out to one after
  // it is read. That is the least any command function taking the caller's pointers can do.
  bool replay(bool copies = false);

  // Bytes written and read, for the bus model's ceiling.
  int bytesOut() const;
  int bytesIn() const;
  std::string describe() const;  // "OUT 23 B, IN 23 B"

 private:
  libusb_device_handle* handle_ = nullptr;
  std::vector<Transfer> transfers_;
  std::vector<int> moved_;
  std::vector<uint8_t> buffer_;
  std::vector<uint8_t> callerIn_;   // the caller's packet bytes, copied in
  std::vector<uint8_t> callerOut_;  // where the caller wants the reply
};

}  // namespace kstbench
