// kestrel power info: the power-measurement unit's hardware and its DC-DC controller.
#include <cstdio>

#include "commands.h"
#include "exit_status.h"
#include "kestrel/kestrel.h"
#include "probe_session.h"
#include "result_text.h"

namespace tool {

int runPowerInfo(Invocation& run) {
  ProbeSession session(run);
  if (const int status = session.open(true); status != kExitOk) return run.console.finish(status);
  std::ostream& text = run.console.text();
  nlohmann::json& document = run.console.document();
  uint32_t word = 0, version = 0;
  uint8_t byte = 0;
  char line[64];
  const int32_t info = PMON_HardwareInfo(session.probe(), &word, &byte);
  if (info == KST_OK) {
    std::snprintf(line, sizeof line, "hardware info     0x%08X, 0x%02X\n", word, byte);
    text << line;
    document["hardware_word"] = word;
    document["hardware_byte"] = byte;
  } else {
    run.console.error("hardware information: " + resultText(info));
  }
  const int32_t mcu = PMON_DCDC_GetMCUVersion(session.probe(), &version);
  if (mcu == KST_OK) {
    std::snprintf(line, sizeof line, "%u.%u.%u.%u", version >> 24, (version >> 16) & 0xFF,
                  (version >> 8) & 0xFF, version & 0xFF);
    text << "DC-DC MCU version " << line << '\n';
    document["dcdc_version"] = line;
  } else {
    run.console.error("DC-DC controller version: " + resultText(mcu));
  }
  return run.console.finish(info == KST_OK && mcu == KST_OK ? kExitOk : kExitIo);
}

}  // namespace tool
