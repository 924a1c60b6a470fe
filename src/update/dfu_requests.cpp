#include "dfu_requests.h"

#include "link/wire.h"

namespace kst::update {
namespace {

enum Request : uint8_t {
  kDnload = 1,
  kUpload = 2,
  kGetStatus = 3,
  kClrStatus = 4,
  kAbort = 6,
};

constexpr uint8_t kClassOut = 0x21;  // host to device, class, interface
constexpr uint8_t kClassIn = 0xA1;   // device to host, class, interface

Setup classRequest(const Handle& handle, uint8_t requestType, uint8_t request, uint16_t value,
                   uint16_t length) {
  return Setup{requestType, request, value, handle.interfaceNumber, length};
}

}  // namespace

bool decodeStatus(const uint8_t* reply, std::size_t size, Status6& out) {
  if (size != kStatusSize) return false;
  wire::Reader reader(reply, size);
  out.status = reader.u8();
  const uint16_t low = reader.u16();
  out.pollTimeoutMs = low | (static_cast<uint32_t>(reader.u8()) << 16);
  out.state = reader.u8();
  out.iString = reader.u8();
  return reader.ok();
}

int endpoint0Transfer(Handle& handle, const Setup& setup, uint8_t* data) {
  const int moved = handle.port.transfer(handle.port.link, setup, data);
  // A device never moves more than it was asked for; a port that claims so is broken.
  return moved > setup.length ? -1 : moved;
}

int requestDownload(Handle& handle, const uint8_t* block, uint16_t length) {
  const Setup setup = classRequest(handle, kClassOut, kDnload, handle.blockCounter++, length);
  // An OUT transfer only reads from the buffer; the port's signature serves both directions.
  return endpoint0Transfer(handle, setup, const_cast<uint8_t*>(block));
}

int requestUpload(Handle& handle, uint8_t* block, uint16_t length) {
  const Setup setup = classRequest(handle, kClassIn, kUpload, handle.blockCounter++, length);
  return endpoint0Transfer(handle, setup, block);
}

bool requestStatus(Handle& handle, Status6& status) {
  uint8_t reply[kStatusSize] = {};
  const int moved =
      endpoint0Transfer(handle, classRequest(handle, kClassIn, kGetStatus, 0, kStatusSize), reply);
  return moved >= 0 && decodeStatus(reply, static_cast<std::size_t>(moved), status);
}

bool requestClearStatus(Handle& handle) {
  return endpoint0Transfer(handle, classRequest(handle, kClassOut, kClrStatus, 0, 0), nullptr) >= 0;
}

bool requestAbort(Handle& handle) {
  return endpoint0Transfer(handle, classRequest(handle, kClassOut, kAbort, 0, 0), nullptr) >= 0;
}

void waitPollTimeout(Handle& handle, uint32_t pollTimeoutMs) {
  // Units of 1/1048576 s, a thousand per millisecond as the probe's firmware counts them. A
  // pause counts in 32 bits, so a long time-out is waited as several pauses.
  constexpr uint32_t kUnitsPerMs = 1000;
  constexpr uint32_t kLongestPauseMs = UINT32_MAX / kUnitsPerMs;
  for (uint32_t left = pollTimeoutMs; left != 0;) {
    const uint32_t ms = left < kLongestPauseMs ? left : kLongestPauseMs;
    handle.port.pause(handle.port.link, ms * kUnitsPerMs);
    left -= ms;
  }
}

}  // namespace kst::update
