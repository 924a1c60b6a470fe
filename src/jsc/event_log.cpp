#include "event_log.h"

#include <cstdlib>
#include <initializer_list>

#include "controller_handle.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

// 0 stored or dropped, 1 full without overflow permission.
int appendWord(EventLog* log, uint32_t word) {
  if (log == nullptr || !log->enabled) return 0;
  if (log->count < log->capacity) {
    log->words[log->count++] = word;
    return 0;
  }
  return log->allowOverflow ? 0 : 1;
}

}  // namespace

int32_t createEventLog(JscHandle& handle, uint32_t capacity) {
  deleteEventLog(handle);
  auto* log = static_cast<EventLog*>(std::calloc(1, sizeof(EventLog)));
  auto* words = static_cast<uint32_t*>(std::calloc(capacity, sizeof(uint32_t)));
  if (log == nullptr || words == nullptr) {
    std::free(log);
    std::free(words);
    return kNoMemory;
  }
  log->words = words;
  log->capacity = capacity;
  handle.eventLog = log;
  return kOk;
}

void deleteEventLog(JscHandle& handle) {
  if (handle.eventLog == nullptr) return;
  std::free(handle.eventLog->words);
  std::free(handle.eventLog);
  handle.eventLog = nullptr;
}

void resetEventLog(JscHandle& handle, bool enabled) {
  EventLog* log = handle.eventLog;
  if (log == nullptr) return;
  for (uint32_t i = 0; i < log->capacity; ++i) log->words[i] = 0;
  log->count = 0;
  log->enabled = enabled;
}

int32_t appendEvent(JscHandle& handle, uint32_t word) {
  return appendWord(handle.eventLog, word) == 0 ? kOk : kEventLogFull;
}

int32_t appendEventPair(JscHandle& handle, uint32_t first, uint32_t second) {
  for (const uint32_t word : {kEventPairMark, second, first})
    if (appendWord(handle.eventLog, word) != 0) return kEventLogPairFull;
  return kOk;
}

}  // namespace kst::jsc
