// The external logger, bound once while the library is being loaded.
#pragma once

#include "kestrel/logging.h"

namespace kst::trace {

constexpr uint32_t kComponent = 48;
constexpr uint32_t kSubcomponent = 3;

// The process-wide logger, or null when no logger library (or entry point) was found.
Logging::ILogger* logger();

}  // namespace kst::trace
