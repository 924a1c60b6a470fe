#include "logger_binding.h"

#include "../platform/platform.h"

namespace kst::trace {
namespace {

Logging::ILogger* bindLogger() {
  void* module = platform::loadLibrary(platform::kLoggerFileName);
  if (module == nullptr) return nullptr;
  // findFunction also tries "_GetLogger". The module is never unloaded.
  auto getLogger = reinterpret_cast<GetLoggerFn>(platform::findFunction(module, "GetLogger"));
  return getLogger != nullptr ? getLogger() : nullptr;
}

// Bound during the library's static initialisation, before any export can run.
Logging::ILogger* const g_logger = bindLogger();

}  // namespace

Logging::ILogger* logger() {
  return g_logger;
}

}  // namespace kst::trace
