#include "trace_setup.h"

#include "exit_status.h"
#include "platform/os.h"

namespace tool {

int configureTrace(int level, const std::string& file, std::string& error) {
  // The library loaded the logger by this name when it was loaded itself.
  void* logger = os::loadedLibrary(os::kLoggerName);
  using ConfigureFn = int (*)(int, const char*);
  auto configure = logger != nullptr
                       ? reinterpret_cast<ConfigureFn>(os::findFunction(logger, "nimbus_logger_configure"))
                       : nullptr;
  if (configure == nullptr) {
    error = std::string("--trace needs ") + os::kLoggerName + ", which the library did not load";
    return kExitNoProbe;
  }
  if (configure(level, file.empty() ? nullptr : file.c_str()) != 0) {
    error = "cannot open the trace file " + file;
    return kExitIo;
  }
  return kExitOk;
}

}  // namespace tool
