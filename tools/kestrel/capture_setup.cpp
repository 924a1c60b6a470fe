#include "capture_setup.h"

#include <cerrno>
#include <cstring>

#include "exit_status.h"
#include "platform/os.h"

namespace tool {

int startCapture(void* usbModule, const std::string& file, std::string& error) {
  using CaptureFn = int (*)(const char*);
  auto capture = reinterpret_cast<CaptureFn>(os::findFunction(usbModule, "ksim_capture"));
  if (capture == nullptr) {
    // A real bus is captured by the kernel's usbmon, not by kestrel.
    error =
        "--capture records the virtual probe's bus (add --sim); capture a real USB bus with "
        "usbmon (Wireshark on usbmonN)";
    return kExitUsage;
  }
  if (capture(file.c_str()) != 0) {
    error = "cannot write the capture file " + file + ": " + std::strerror(errno);
    return kExitIo;
  }
  return kExitOk;
}

}  // namespace tool
