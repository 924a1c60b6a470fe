// The handle's event log: a fixed array of words the framework reads back after a connect.
#pragma once

#include <cstdint>

struct JscHandle;

namespace kst::jsc {

constexpr uint32_t kCreationEventLogWords = 256;
constexpr uint32_t kEventPairMark = 0xFFFFFFFF;

// Replaces the handle's log by an empty, disabled one of capacity words (zeroed).
// -131 when it cannot be allocated; the handle has no log then.
int32_t createEventLog(JscHandle& handle, uint32_t capacity);
void deleteEventLog(JscHandle& handle);
// Empties the log and sets whether it records.
void resetEventLog(JscHandle& handle, bool enabled);

// Nothing happens without an enabled log. A full log drops the word when overflow is allowed
// (0), else -519.
int32_t appendEvent(JscHandle& handle, uint32_t word);
// The mark, then second, then first; -520 at the first word that does not fit.
int32_t appendEventPair(JscHandle& handle, uint32_t first, uint32_t second);

}  // namespace kst::jsc
