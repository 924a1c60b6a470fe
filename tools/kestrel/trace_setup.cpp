#include "trace_setup.h"

#include <dlfcn.h>

#include "exit_status.h"

namespace tool {

int configureTrace(int level, const std::string& file, std::string& error) {
  // The library loaded the logger by this name when it was loaded itself.
  void* logger = dlopen("libnimbus_logger.so", RTLD_NOW | RTLD_NOLOAD);
  using ConfigureFn = int (*)(int, const char*);
  auto configure = logger != nullptr
                       ? reinterpret_cast<ConfigureFn>(dlsym(logger, "nimbus_logger_configure"))
                       : nullptr;
  if (configure == nullptr) {
    error = "--trace needs libnimbus_logger.so installed beside libjsckestrel.so";
    return kExitNoProbe;
  }
  if (configure(level, file.empty() ? nullptr : file.c_str()) != 0) {
    error = "cannot open the trace file " + file;
    return kExitIo;
  }
  return kExitOk;
}

}  // namespace tool
