// One function per DFU 1.1 class request, each a single control transfer on the DFU
// interface. No request retries or waits; the loops above them do.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dfu_handle.h"

namespace kst::update {

// A DFU_GETSTATUS reply.
struct Status6 {
  uint8_t status;
  uint32_t pollTimeoutMs;  // 24 bits, little-endian on the wire
  uint8_t state;
  uint8_t iString;
};

constexpr std::size_t kStatusSize = 6;

// Decodes a status reply; false unless exactly six bytes arrived.
bool decodeStatus(const uint8_t* reply, std::size_t size, Status6& out);

// The control transfer every request goes through: bytes moved, or negative on failure.
int endpoint0Transfer(Handle& handle, const Setup& setup, uint8_t* data);

// DNLOAD and UPLOAD carry the block counter as wValue and advance it, whatever the outcome.
int requestDownload(Handle& handle, const uint8_t* block, uint16_t length);
int requestUpload(Handle& handle, uint8_t* block, uint16_t length);
bool requestStatus(Handle& handle, Status6& status);
bool requestClearStatus(Handle& handle);
bool requestAbort(Handle& handle);

// Waits the device's poll time-out through the port's pause, as long as the device asks: the
// largest 24-bit value is about 4.7 hours, and the device is the judge of how long it needs.
void waitPollTimeout(Handle& handle, uint32_t pollTimeoutMs);

}  // namespace kst::update
