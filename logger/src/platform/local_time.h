// The wall-clock time of day for the logger's timestamps, in a thread-safe conversion: one
// implementation file per operating system.
#pragma once

#include <ctime>

namespace nimbus::platform {

// The current local time and its milliseconds (0 to 999).
void localNow(std::tm& local, long& milliseconds);

}  // namespace nimbus::platform
