#include "firmware_version.h"

#include <cstdio>

#include "kestrel/kst_update.h"
#include "number.h"
#include "update/firmware_acceptance.h"

namespace tool {

std::string firmwareVersionText(uint32_t version) {
  char text[24];
  std::snprintf(text, sizeof text, "%x.%x.%x.%x", (version >> 24) & 0xFF, (version >> 16) & 0xFF,
                (version >> 8) & 0xFF, version & 0xFF);
  return text;
}

bool parseFirmwareVersion(const std::string& text, uint32_t& version) {
  uint32_t word = 0;
  std::size_t at = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && (at >= text.size() || text[at++] != '.')) return false;
    uint32_t value = 0;
    std::size_t digits = 0;
    for (; at < text.size() && hexDigit(text[at]) >= 0; ++at, ++digits)
      value = value * 16 + static_cast<uint32_t>(hexDigit(text[at]));
    if (digits == 0 || digits > 2) return false;
    word = word << 8 | value;
  }
  if (at != text.size()) return false;
  version = word;
  return true;
}

bool firmwareAccepted(uint32_t version) {
  return kst::update::firmwareAccepted(version);
}

}  // namespace tool
