// Slots 4 to 7: the handle's scan settings (amble bit counts and TCLK counts) and the link
// delay, which this controller supports only at 0.
#include "controller_handle.h"
#include "kestrel/kst_jtag.h"
#include "operations.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

template <std::size_t N>
bool store(uint32_t (&target)[N], const uint32_t (&source)[N]) {
  bool changed = false;
  for (std::size_t i = 0; i < N; ++i) {
    changed |= target[i] != source[i];
    target[i] = source[i];
  }
  return changed;
}

uint32_t totalLinkDelay(const SharedController& record) {
  return record.linkDelayBase + record.linkDelayRelative + record.linkDelayAbsolute;
}

}  // namespace

int32_t getScanSettings(JscHandle* handle, ScanSettings* settings) {
  if (handle == nullptr || settings == nullptr) return kBadArgument;
  if (settings->pairPresent) store(settings->pair, handle->scanPair);
  if (settings->amblePresent) store(settings->ambles, handle->ambles);
  if (settings->tclkTablePresent) store(settings->tclkCounts, handle->tclkCounts);
  return kOk;
}

// The configured end delays win over the framework's first two TCLK counts.
int32_t setScanSettings(JscHandle* handle, ScanSettings* settings) {
  if (handle == nullptr || settings == nullptr) return kBadArgument;
  if (settings->pairPresent) store(handle->scanPair, settings->pair);
  const bool amblesChanged = settings->amblePresent && store(handle->ambles, settings->ambles);
  if (settings->tclkTablePresent) {
    store(handle->tclkCounts, settings->tclkCounts);
    const config::ScanRecord& scan = handle->config.scan;
    if (scan.endDelayOnceFound) handle->tclkCounts[0] = scan.endDelayOnce;
    if (scan.endDelayManyFound) handle->tclkCounts[1] = scan.endDelayMany;
  }
  if (controllerOf(handle) == nullptr || !amblesChanged) return kOk;
  return KST_SetAmbleDelay(probeOf(handle), handle->ambles[0], handle->ambles[1], handle->ambles[2],
                           handle->ambles[3]);
}

// Null outputs are refused like a null handle.
int32_t getLinkDelay(JscHandle* handle, uint32_t* first, uint32_t* second, uint32_t* total) {
  if (handle == nullptr || controllerOf(handle) == nullptr) return kBadArgument;
  if (first == nullptr || second == nullptr || total == nullptr) return kBadArgument;
  const uint32_t delay = totalLinkDelay(*controllerOf(handle));
  if (delay != 0) return kBadArgument;
  *first = 0;
  *second = 0;
  *total = delay;
  return kOk;
}

int32_t addLinkDelay(JscHandle* handle, uint32_t delta) {
  if (handle == nullptr || controllerOf(handle) == nullptr) return kBadArgument;
  SharedController& record = *controllerOf(handle);
  if (delta != 0) record.linkDelayRelative += delta;
  return totalLinkDelay(record) == 0 ? kOk : kBadArgument;
}

}  // namespace kst::jsc
