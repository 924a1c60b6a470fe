#include "clock_option.h"

#include <cstdio>

#include "jsc/test_clock.h"
#include "kestrel/kst_jtag.h"

namespace tool {

bool parseClock(const std::string& given, uint64_t& hertz) {
  std::string text = given;
  if (text.size() > 2 &&
      (text.compare(text.size() - 2, 2, "Hz") == 0 || text.compare(text.size() - 2, 2, "hz") == 0))
    text.resize(text.size() - 2);
  uint64_t scale = 1;
  if (!text.empty() && (text.back() == 'k' || text.back() == 'K')) scale = 1000;
  if (!text.empty() && text.back() == 'M') scale = 1000000;
  if (scale != 1) text.pop_back();
  // Whole and fractional digits, at most one dot, kept exact in millionths of a unit.
  uint64_t whole = 0, fraction = 0, fractionScale = 1;
  bool dot = false, digits = false;
  for (const char c : text) {
    if (c == '.' && !dot) {
      dot = true;
      continue;
    }
    if (c < '0' || c > '9') return false;
    digits = true;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (!dot) {
      if (whole > kMaxClockHertz) return false;
      whole = whole * 10 + digit;
    } else if (fractionScale < 1000000) {
      fraction = fraction * 10 + digit;
      fractionScale *= 10;
    }
  }
  if (!digits || whole > kMaxClockHertz) return false;
  hertz = whole * scale + fraction * scale / fractionScale;
  return hertz >= kMinClockHertz && hertz <= kMaxClockHertz;
}

std::string clockText(uint64_t hertz) {
  char text[32];
  if (hertz >= 1000000)
    std::snprintf(text, sizeof text, "%g MHz", static_cast<double>(hertz) / 1e6);
  else if (hertz >= 1000)
    std::snprintf(text, sizeof text, "%g kHz", static_cast<double>(hertz) / 1e3);
  else
    std::snprintf(text, sizeof text, "%llu Hz", static_cast<unsigned long long>(hertz));
  return text;
}

ClockSetting clockFor(uint64_t hertz) {
  const kst::jsc::TestClock clock = kst::jsc::testClockFor(hertz);
  return {clock.frequency, clock.delay};
}

int32_t setClock(KSTInform* probe, const ClockSetting& setting) {
  probe->tclkFrequency = setting.frequency;
  return KST_SetTclkDelay(probe, setting.delay);
}

}  // namespace tool
