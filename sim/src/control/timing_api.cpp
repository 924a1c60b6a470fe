// The control API of the transfer log's switch and of the modelled bus time.
#include "timing/bus_timing.h"
#include "usb/bus.h"

namespace ksim {

void recordTransfers(bool on) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.recording = on;
}

void setBusTiming(const BusTiming& timing) {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.clock.configure(timing);
}

uint64_t modelledTimeNs() {
  BusState& state = bus();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.clock.nowNs();
}

uint64_t modelledExchangeNs(const BusTiming& timing, int outBytes, int inBytes) {
  return timing::exchangeNs(timing, outBytes, inBytes);
}

}  // namespace ksim
