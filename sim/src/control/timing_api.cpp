// The control API of the transfer log's switch and of the modelled bus time.
#include "timing/bus_timing.h"
#include "usb/bus.h"

namespace ksim {

void recordTransfers(bool on) {
  bus().log.switchOn(on);
}

void setBusTiming(const BusTiming& timing) {
  bus().clock.configure(timing);
}

uint64_t modelledTimeNs() {
  return bus().clock.nowNs();
}

uint64_t modelledExchangeNs(const BusTiming& timing, int outBytes, int inBytes) {
  return timing::exchangeNs(timing, outBytes, inBytes);
}

}  // namespace ksim
