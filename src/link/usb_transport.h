// Moving command packets and replies over the probe's bulk endpoints.
#pragma once

#include <cstdint>

#include "kestrel/kst_types.h"

namespace kst::link {

// Statuses of the transfers; the command exchange treats every non-zero status alike.
enum TransportStatus : int {
  kTransportOk = 0,
  kTransportNotOpen = 1,
  kTransportFailed = 4,
  kTransportTooLarge = 13,
};

// Writes the first byteCount bytes of the command buffer, clearing a halted OUT endpoint
// and writing again up to 3 times.
int USBSendPacket(KSTInform& context, uint32_t byteCount);

// Reads a reply of expected bytes into the reply buffer, with follow-up reads of at most
// 500 ms each, and of at most timeoutMs together, until it is complete. timeoutMs 0 means
// 5000. received may be null.
int USBReceivePacket(KSTInform& context, uint32_t expected, uint32_t* received, uint32_t timeoutMs);

// One read from the data IN endpoint (500 ms); the libusb result, count through transferred.
int dataPortRead(KSTInform& context, uint8_t* buffer, int32_t length, int32_t* transferred);

}  // namespace kst::link
