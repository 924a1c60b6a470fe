// Slots 28 to 33: the framework's view of the handle's event log. Only kind 1 is a log this
// controller keeps; every other kind answers "not done".
#include "controller_handle.h"
#include "event_log.h"
#include "operations.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

constexpr uint32_t kLogKind = 1;
constexpr uint32_t kReadHeaderWords = 2;  // the count word before, the zero word after
constexpr uint32_t kShortestRead = 3;

// Another kind: nothing done, the outputs that exist are zeroed.
int32_t notDone(uint8_t* done, uint32_t* first = nullptr, uint32_t* second = nullptr) {
  if (done != nullptr) *done = 0;
  if (first != nullptr) *first = 0;
  if (second != nullptr) *second = 0;
  return kOk;
}

}  // namespace

int32_t createEventLogOperation(JscHandle* handle, int32_t kind, uint8_t* done, uint32_t capacity,
                                uint32_t* granted) {
  if (handle == nullptr) return kBadArgument;
  if (kind != static_cast<int32_t>(kLogKind)) return notDone(done, granted);
  if (done == nullptr || granted == nullptr) return kBadArgument;
  *done = 1;
  *granted = capacity;
  // The framework is not told whether the log could be made: without one it records nothing.
  if (capacity != 0) createEventLog(*handle, capacity);
  return kOk;
}

int32_t deleteEventLogOperation(JscHandle* handle, int32_t kind, uint8_t* done) {
  if (handle == nullptr) return kBadArgument;
  if (kind != static_cast<int32_t>(kLogKind)) return notDone(done);
  if (done == nullptr) return kBadArgument;
  *done = 1;
  deleteEventLog(*handle);
  return kOk;
}

int32_t clearEventLogOperation(JscHandle* handle, uint32_t kind, uint8_t* done) {
  if (handle == nullptr) return kBadArgument;
  if (kind != kLogKind) return notDone(done);
  if (done == nullptr) return kBadArgument;
  *done = 1;
  resetEventLog(*handle, true);
  return kOk;
}

int32_t setEventLogOverflow(JscHandle* handle, int32_t kind, uint8_t* done, uint8_t allow) {
  if (handle == nullptr) return kBadArgument;
  if (kind != static_cast<int32_t>(kLogKind)) return notDone(done);
  if (done == nullptr) return kBadArgument;
  *done = 1;
  if (handle->eventLog != nullptr) handle->eventLog->allowOverflow = allow;
  return kOk;
}

// A handle without a log reads as an empty, disabled one. A caller's array too small for the
// whole log gets nothing (count 0) and learns the size it needs: a cut log would look whole.
int32_t readEventLog(JscHandle* handle, uint32_t kind, uint8_t* done, uint32_t capacity,
                     uint32_t* words, uint32_t* count, uint32_t* needed) {
  if (handle == nullptr) return kBadArgument;
  if (kind != kLogKind) return notDone(done, count);
  if (done == nullptr || words == nullptr || count == nullptr || capacity == 0) return kBadArgument;
  *done = 1;
  const EventLog* log = handle->eventLog;
  const uint32_t logged = log != nullptr ? log->count : 0;
  const uint64_t size = uint64_t{logged} + kReadHeaderWords;
  *count = 0;
  if (needed != nullptr) *needed = static_cast<uint32_t>(size);
  if (log == nullptr || !log->enabled || capacity < kShortestRead || capacity < size) return kOk;
  words[0] = static_cast<uint32_t>(size);
  for (uint32_t i = 0; i < logged; ++i) words[1 + i] = log->words[i];
  words[1 + logged] = 0;
  *count = static_cast<uint32_t>(size);
  return kOk;
}

int32_t addEventLogEntry(JscHandle* handle, int32_t kind, uint8_t* done, uint32_t word) {
  if (handle == nullptr) return kBadArgument;
  if (kind != static_cast<int32_t>(kLogKind)) return notDone(done);
  if (done == nullptr) return kBadArgument;
  *done = 1;
  appendEvent(*handle, word);  // a full log is the framework's to notice by reading it
  return kOk;
}

}  // namespace kst::jsc
