#include "command_trace.h"

#include <atomic>
#include <cstdarg>

#include "../link/command_codes.h"
#include "../link/exchange.h"
#include "kestrel/kst_control.h"
#include "logger_binding.h"
#include "probe_log.h"

namespace kst::trace {
namespace {

enum Level : uint32_t {
  kRecordsOfFailure = 1,
  kNotice = 1,
  kExecuting = 2,
  kExecuted = 3,
  kOverflow = 4,
  kRetrievalFailure = 5,
  kRecordsOfSuccess = 6,
};

// Process-wide, like the logger: whether the probe's log is believed on (commands are
// traced exactly then), and whether the gate is busy switching it. Commands on different
// probes read and write them from different threads without a lock: they are atomic so that
// every read sees a whole value, and relaxed because they order nothing else. While one
// thread's gate is busy, other threads' commands go untraced, and two threads that switch at
// once both send the property command; a trace line more or less is all that can differ.
struct TraceState {
  std::atomic<bool> probeLogging{false};
  std::atomic<bool> gateBusy{false};
};
TraceState g_state;

bool loadRelaxed(const std::atomic<bool>& flag) {
  return flag.load(std::memory_order_relaxed);
}
void storeRelaxed(std::atomic<bool>& flag, bool value) {
  flag.store(value, std::memory_order_relaxed);
}

// The format and its values go to the logger as they are; it does the formatting.
template <class... Values>
void log(uint32_t level, const char* format, Values... values) {
  logger()->Log(nullptr, kComponent, kSubcomponent, level, format, values...);
}

void logThroughArgumentList(uint32_t level, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  logger()->LogV(nullptr, kComponent, kSubcomponent, level, format, arguments);
  va_end(arguments);
}

bool passes(Logging::ILogger* l, uint32_t level) {
  return !l->IsFiltered(kComponent, kSubcomponent, level);
}

bool wantsTraces() {
  Logging::ILogger* l = logger();
  return l != nullptr && l->IsEnabled() &&
         (passes(l, kRecordsOfFailure) || passes(l, kRecordsOfSuccess));
}

bool wantsRecordsOfSuccess() {
  Logging::ILogger* l = logger();
  return l != nullptr && l->IsEnabled() && passes(l, kRecordsOfSuccess);
}

// Tells the probe to switch its log, on a scratch copy so the caller's prepared command
// stays in its buffer. The property command is untraced because the gate is busy.
void switchProbeLog(const KSTInform& context, bool wanted) {
  KSTInform scratch = context;
  const int value = wanted ? 1 : 0;
  const char* verb = wanted ? "enable" : "disable";
  log(kExecuting, "KST_SetProperty((*KSTInform) %p, KST_PROPERTY_LOGGING_ENABLED, %d (\"%s\"))",
      static_cast<void*>(&scratch), value, verb);
  const int32_t result = KST_SetProperty(&scratch, KST_PROPERTY_LOGGING_ENABLED, value);
  log(kExecuted, "KST_SetProperty((*KSTInform) %p, KST_PROPERTY_LOGGING_ENABLED, %d (\"%s\")) = %d",
      static_cast<void*>(&scratch), value, verb, result);
}

void writeProbeLog(uint32_t level, const uint8_t* reply) {
  Logging::ILogger& l = *logger();
  writeOverflowNotice(l, reply);
  const bool probeFlag = probeLogFlag(reply);
  if (probeFlag != loadRelaxed(g_state.probeLogging)) {
    l.LogMessage(nullptr, kComponent, kSubcomponent, kNotice,
                 "KST_GETLOG(): There's some mismatch between loom and the Kestrel regarding "
                 "whether logging is enabled. Will be remedied in the next tick.");
    storeRelaxed(g_state.probeLogging, probeFlag);
  }
  writeProbeLogRecords(l, level, reply);
}

}  // namespace

bool gate(KSTInform& context) {
  if (loadRelaxed(g_state.gateBusy)) return false;
  const bool wanted = wantsTraces();
  if (wanted == loadRelaxed(g_state.probeLogging)) return wanted;
  storeRelaxed(g_state.gateBusy, true);
  switchProbeLog(context, wanted);
  storeRelaxed(g_state.gateBusy, false);
  storeRelaxed(g_state.probeLogging, wanted);
  return wanted;
}

void begin(const KSTInform& context) {
  const uint8_t code = context.commandBuffer[link::kFrameHeadSize];
  log(kExecuting, "Executing command 0x%02x (%s)", static_cast<unsigned>(code), commandName(code));
}

void end(KSTInform& context, int32_t result) {
  const uint8_t code = context.commandBuffer[link::kFrameHeadSize];
  log(kExecuted, "Executed command 0x%02x (%s), return code: 0x%08x", static_cast<unsigned>(code),
      commandName(code), static_cast<unsigned>(result));
  if (result == KST_OK && !wantsRecordsOfSuccess()) return;

  // The caller's reply buffer still holds the reply whose data are not copied out yet.
  KSTInform scratch = context;
  scratch.commandBuffer[link::kFrameHeadSize] = KST_GETLOG;
  const int32_t fetched = link::untracedExchange(scratch, link::kArgumentsOffset,
                                                 kProbeLogReplySize, 1, link::kCommandTimeoutMs);
  if (fetched != KST_OK) {
    log(kRetrievalFailure, "KST_GETLOG() = %d, failed to retrieve log entries from Kestrel",
        fetched);
    return;
  }
  writeProbeLog(result != KST_OK ? kRecordsOfFailure : kRecordsOfSuccess, scratch.replyBuffer);
}

void propertyLine(uint32_t id, uint32_t value) {
  logThroughArgumentList(kNotice, "id=0x%08x value=0x%08x", id, value);
}

}  // namespace kst::trace
