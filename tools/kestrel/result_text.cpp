#include "result_text.h"

#include <cstdio>

#include "kestrel/kst_types.h"

namespace tool {

std::string resultText(int32_t result) {
  const char* text = nullptr;
  switch (result) {
    case KST_OK:
      text = "success";
      break;
    case KST_ERR_BAD_ARGUMENT:
      text = "bad argument";
      break;
    case KST_ERR_NO_MEMORY:
      text = "out of memory";
      break;
    case KST_ERR_NO_PROBE:
      text = "no Kestrel probe found";
      break;
    case KST_ERR_NO_REPLY:
      text = "no valid reply from the probe";
      break;
    case KST_ERR_DATA_PORT:
      text = "data port read failed";
      break;
    case KST_ERR_USB_LIBRARY:
      text = "libusb-1.0 could not be loaded";
      break;
    default:
      break;
  }
  char buffer[96];
  if (text != nullptr)
    std::snprintf(buffer, sizeof buffer, "%s (%d)", text, result);
  else
    std::snprintf(buffer, sizeof buffer, "probe error 0x%08x", static_cast<unsigned>(result));
  return buffer;
}

}  // namespace tool
