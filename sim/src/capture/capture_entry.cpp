// The capture's C entry point, and KESTREL_SIM_CAPTURE: a capture file named in the
// environment is opened as the virtual probe loads.
#include <cstdlib>

#include "capture/capture_file.h"
#include "kestrel_sim/ksim.h"

extern "C" int ksim_capture(const char* path) {
  return ksim::capture::writeTo(path) ? 0 : -1;
}

namespace {

// A file that cannot be created leaves the capture off: a library has nowhere to say so,
// and the program runs as it would without the variable.
__attribute__((constructor)) void captureWhenAsked() {
  const char* path = std::getenv("KESTREL_SIM_CAPTURE");
  if (path != nullptr && *path != '\0') ksim_capture(path);
}

}  // namespace
