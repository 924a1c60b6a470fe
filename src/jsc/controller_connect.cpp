// Slots 2, 3 and 34: TRST, and the connect that resets the chain, optionally moves it to
// test-logic reset, sets the link delay and records what it did in the event log.
#include "controller_connect.h"

#include "controller_handle.h"
#include "event_log.h"
#include "kestrel/kst_jtag.h"
#include "operations.h"
#include "result_codes.h"
#include "test_clock.h"

namespace kst::jsc {
namespace {

// TRST low, then high: each followed by its wait (cycles, microseconds).
constexpr uint32_t kLowCycles = 8;
constexpr uint32_t kHighCycles = 160;
constexpr uint32_t kTrstWaitMicroseconds = 125;

// Event words of the framework's connect record.
constexpr uint32_t kEventTrstReleased = 43;
constexpr uint32_t kEventTrstPulsed = 42;
constexpr uint32_t kEventsAfterReset[] = {58, 45};
constexpr uint32_t kEventsAfterLinkDelay[] = {9, 28, 31, 22, 25};
constexpr uint32_t kEventPairFirst = 40;
constexpr uint32_t kEventPairSecond = 0;

int32_t driveTrst(const SharedController& record, uint8_t level) {
  KSTInform* probe = record.chain.probe;
  if (const int32_t result = KST_SetTrst(probe, level)) return result;
  return level == 0 ? tclkWait(probe, record.tclkFrequency, kLowCycles, kTrstWaitMicroseconds)
                    : tclkWait(probe, record.tclkFrequency, kHighCycles, kTrstWaitMicroseconds);
}

// Appends every word; the first failing append's code, else 0.
int32_t appendEvents(JscHandle& handle, const uint32_t* words, std::size_t count) {
  int32_t first = kOk;
  for (std::size_t i = 0; i < count; ++i) {
    const int32_t result = appendEvent(handle, words[i]);
    if (first == kOk) first = result;
  }
  return first;
}

}  // namespace

int32_t resetSequence(JscHandle& handle, bool pulse, bool record) {
  const SharedController* controller = controllerOf(&handle);
  if (controller == nullptr) return kBadArgument;
  uint32_t level = 0;
  if (const int32_t result = KST_GetTrst(controller->chain.probe, &level)) return result;
  if (level == 0) {
    if (const int32_t result = driveTrst(*controller, 1)) return result;
    return record ? appendEvent(handle, kEventTrstReleased) : kOk;
  }
  if (!pulse) return kOk;
  if (const int32_t result = driveTrst(*controller, 0)) return result;
  if (const int32_t result = driveTrst(*controller, 1)) return result;
  return record ? appendEvent(handle, kEventTrstPulsed) : kOk;
}

int32_t connectController(JscHandle* handle, const ConnectOptions* options) {
  if (handle == nullptr || options == nullptr) return kBadArgument;
  if (options->pulseTrst[0] != options->pulseTrst[1]) return kBadArgument;
  const bool pulse = options->pulseTrst[0] != 0;
  const bool record = options->recordEvents != 0;
  resetEventLog(*handle, record);
  if (const int32_t result = resetSequence(*handle, pulse, record)) return result;
  // A failing append does not stop the connect: the first one's code is its result at the end.
  const int32_t appendedAfterReset =
      record ? appendEvents(*handle, kEventsAfterReset, 2) : kOk;
  if (options->moveToReset[0] != 0 || options->moveToReset[1] != 0) {
    PathDescriptor toReset{};
    toReset.endPathMode = 1;
    toReset.endState = KST_STATE_TEST_LOGIC_RESET;
    if (const int32_t result = movePath(handle, &toReset, 0, 1)) return result;
  }
  SharedController& controller = *controllerOf(handle);
  const config::ScanLinkDelay& delay = handle->config.scan.linkDelay;
  controller.linkDelayAbsolute = delay.unsignedGiven ? delay.unsignedValue : 0;
  if (delay.signedGiven) controller.linkDelayRelative = static_cast<uint32_t>(delay.signedValue);
  if (!record) return kOk;
  const int32_t appendedAfterLinkDelay = appendEvents(*handle, kEventsAfterLinkDelay, 5);
  const int32_t appendedPair = appendEventPair(*handle, kEventPairFirst, kEventPairSecond);
  if (appendedAfterReset != kOk) return appendedAfterReset;
  return appendedAfterLinkDelay != kOk ? appendedAfterLinkDelay : appendedPair;
}

int32_t getTrst(JscHandle* handle, uint8_t* level) {
  if (handle == nullptr || controllerOf(handle) == nullptr || level == nullptr) return kBadArgument;
  uint32_t value = 0;
  if (const int32_t result = KST_GetTrst(probeOf(handle), &value)) return result;
  *level = value != 0;
  return kOk;
}

int32_t setTrst(JscHandle* handle, uint32_t line, uint32_t level) {
  if (handle == nullptr || controllerOf(handle) == nullptr || line != 1) return kBadArgument;
  return driveTrst(*controllerOf(handle), level != 0 ? 1 : 0);
}

}  // namespace kst::jsc
