// kestrel power info: the power-measurement unit's hardware and its DC-DC controller.
#include <cstdio>

#include "commands.h"
#include "kestrel/kestrel.h"
#include "probe_session.h"
#include "result_text.h"

namespace tool {

int runPowerInfo(const Options& options) {
  ProbeSession session(options);
  if (!session.open(true)) return 1;
  uint32_t word = 0, version = 0;
  uint8_t byte = 0;
  const int32_t info = PMON_HardwareInfo(session.probe(), &word, &byte);
  if (info == KST_OK)
    std::printf("hardware info     0x%08X, 0x%02X\n", word, byte);
  else
    std::printf("hardware info     %s\n", resultText(info).c_str());
  const int32_t mcu = PMON_DCDC_GetMCUVersion(session.probe(), &version);
  if (mcu == KST_OK)
    std::printf("DC-DC MCU version %u.%u.%u.%u\n", version >> 24, (version >> 16) & 0xFF,
                (version >> 8) & 0xFF, version & 0xFF);
  else
    std::printf("DC-DC MCU version %s\n", resultText(mcu).c_str());
  return info == KST_OK && mcu == KST_OK ? 0 : 1;
}

}  // namespace tool
