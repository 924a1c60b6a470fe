#include "result_text.h"

#include <cstdio>

#include "link/result_codes.h"

namespace tool {
namespace {

struct FirmwareCode {
  int32_t code;
  const char* name;
  const char* meaning;
};

// The probe firmware's own results, which the library passes on unchanged: 0x1xx the probe
// refused the command, 0x2xx the target side failed.
constexpr FirmwareCode kFirmwareCodes[] = {
    {0x0101, "FW_BAD_FRAME", "the probe could not read the command's frame"},
    {0x0102, "FW_UNKNOWN_COMMAND", "the probe's firmware does not know the command"},
    {0x0103, "FW_BAD_ARGUMENTS",
     "the probe refused the command's arguments (an address, size or port out of range)"},
    {0x0201, "FW_MEMORY_FAULT", "the target's bus faulted on the memory access"},
    {0x0202, "FW_OUT_OF_ORDER", "the command came out of the order its unit needs"},
    {0x0203, "FW_NOT_CONNECTED", "the link or unit the command needs is not connected"},
    {0x0204, "FW_POWERED_DOWN", "the target's debug port or converter is powered down"},
};

}  // namespace

std::string resultText(int32_t result) {
  char buffer[160];
  if (const kst::ResultCode* entry = kst::findResultCode(result)) {
    std::snprintf(buffer, sizeof buffer, "%s (%s, %d)", entry->meaning, entry->name, result);
    return buffer;
  }
  for (const FirmwareCode& entry : kFirmwareCodes) {
    if (entry.code != result) continue;
    std::snprintf(buffer, sizeof buffer, "%s (%s, 0x%03X)", entry.meaning, entry.name,
                  static_cast<unsigned>(result));
    return buffer;
  }
  std::snprintf(buffer, sizeof buffer, "probe error 0x%08x (a code kestrel has no name for)",
                static_cast<unsigned>(result));
  return buffer;
}

}  // namespace tool
