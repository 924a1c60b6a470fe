#include "probe_session.h"

#include <cstdio>

#include "kestrel/kst_probe.h"
#include "result_text.h"

namespace tool {

ProbeSession::~ProbeSession() {
  if (probe_ != nullptr) KST_Close(&probe_);
}

bool ProbeSession::open(bool powerMeasurement) {
  const char* serial = options_.serial.empty() ? nullptr : options_.serial.c_str();
  const int32_t result = KST_Open(&probe_, options_.index, serial, powerMeasurement ? 1 : 0);
  if (result == KST_OK) return true;
  std::fprintf(stderr, "kestrel: cannot open a probe: %s\n", resultText(result).c_str());
  return false;
}

}  // namespace tool
