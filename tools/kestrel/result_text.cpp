#include "result_text.h"

#include <cstdio>

#include "link/result_codes.h"

namespace tool {

std::string resultText(int32_t result) {
  char buffer[96];
  if (const kst::ResultCode* entry = kst::findResultCode(result))
    std::snprintf(buffer, sizeof buffer, "%s (%d)", entry->meaning, result);
  else
    std::snprintf(buffer, sizeof buffer, "probe error 0x%08x", static_cast<unsigned>(result));
  return buffer;
}

}  // namespace tool
