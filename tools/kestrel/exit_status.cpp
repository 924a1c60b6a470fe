#include "exit_status.h"

#include "kestrel/kst_types.h"

namespace tool {

int exitStatusForOpen(int32_t result) {
  switch (result) {
    case KST_OK:
      return kExitOk;
    case KST_ERR_NO_PROBE:
    case KST_ERR_USB_LIBRARY:
      return kExitNoProbe;
    case KST_ERR_NO_MEMORY:
    case KST_ERR_BAD_ARGUMENT:
      return kExitInternal;
    default:
      return kExitIo;  // the connect command failed on the probe
  }
}

}  // namespace tool
