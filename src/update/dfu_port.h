// The client's view of a device: its control endpoint and the host's pause. The libusb port
// drives a real device; tests and the fuzz target put a scripted device and a virtual clock
// behind the same two functions.
#pragma once

#include <cstdint>

namespace kst::update {

struct Setup {
  uint8_t requestType;
  uint8_t request;
  uint16_t value;
  uint16_t index;
  uint16_t length;
};

struct ControlPort {
  // Moves one request's data stage (in or out of data); the bytes moved, or a negative value
  // when the request failed.
  int (*transfer)(void* link, const Setup& setup, uint8_t* data);
  // Waits count units of 1/1048576 s.
  void (*pause)(void* link, uint32_t count);
  void* link;
};

}  // namespace kst::update
