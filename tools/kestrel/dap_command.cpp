// kestrel dap info: the debug port's IDCODE and the identification of its access ports.
#include <cstdio>
#include <string>

#include "commands.h"
#include "dap_session.h"
#include "exit_status.h"
#include "kestrel/kestrel.h"
#include "result_text.h"

namespace tool {
namespace {

// Register selection of CMAPI_DapRegRead: the port kind, then the AP and the byte offset.
constexpr uint8_t kDebugPort = 0, kAccessPort = 1;
constexpr uint8_t kCtrlStat = 0x04, kCfg = 0xF4, kBase = 0xF8, kIdr = 0xFC;
constexpr uint32_t kPowerAcks = 0xA0000000;  // CSYSPWRUPACK and CDBGPWRUPACK
constexpr uint32_t kMemApClass = 8;
constexpr uint32_t kLargeAddress = 0x2;
constexpr int kMaxAps = 256;

const char* busName(uint32_t idr) {
  switch (idr & 0xF) {
    case 1:
      return "AHB3";
    case 2:
      return "APB";
    case 4:
      return "AXI";
    case 5:
      return "AHB5";
    case 6:
      return "APB4";
    case 7:
      return "AXI5";
    default:
      return "bus";
  }
}

std::string hex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// One access port: its line of text and its entry in the document.
void describeAp(Invocation& run, KST_SMG_HANDLE handle, uint8_t ap, uint32_t idr) {
  std::ostream& text = run.console.text();
  nlohmann::json entry = {{"ap", ap}, {"idr", idr}};
  text << "AP " << int{ap} << ": IDR " << hex32(idr);
  uint32_t cfg = 0, base = 0;
  int32_t result = KST_OK;
  if (((idr >> 13) & 0xF) == kMemApClass) {
    result = CMAPI_DapRegRead(handle, kAccessPort, ap, kCfg, &cfg);
    if (result == KST_OK) result = CMAPI_DapRegRead(handle, kAccessPort, ap, kBase, &base);
    text << " MEM-AP (" << busName(idr) << ")";
    entry["mem_ap"] = true;
    if (result == KST_OK) {
      const int bits = (cfg & kLargeAddress) != 0 ? 64 : 32;
      text << ", " << bits << "-bit addresses, BASE " << hex32(base);
      entry["address_bits"] = bits;
      entry["base"] = base;
    } else {
      text << ": " << resultText(result);
      entry["error"] = resultText(result);
    }
  }
  text << '\n';
  run.console.document()["aps"].push_back(entry);
}

}  // namespace

int runDapInfo(Invocation& run) {
  DapSession session(run);
  if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
  const uint32_t id = session.idcode();
  char line[96];
  std::snprintf(line, sizeof line, "DP IDCODE %s (version %u, part 0x%04X, designer 0x%03X)\n",
                hex32(id).c_str(), id >> 28, (id >> 12) & 0xFFFF, (id >> 1) & 0x7FF);
  run.console.text() << line;
  nlohmann::json& document = run.console.document();
  document["dp_idcode"] = id;
  uint32_t status = 0;
  if (CMAPI_DapRegRead(session.handle(), kDebugPort, 0, kCtrlStat, &status) == KST_OK) {
    const bool powered = (status & kPowerAcks) == kPowerAcks;
    run.console.text() << "DP CTRL/STAT " << hex32(status) << " ("
                       << (powered ? "powered up" : "not powered up") << ")\n";
    document["dp_powered"] = powered;
  }
  document["aps"] = nlohmann::json::array();
  // Access ports answer from 0 up; the first that answers no IDR (or an error) ends the list.
  for (int ap = 0; ap < kMaxAps; ++ap) {
    uint32_t idr = 0;
    const auto number = static_cast<uint8_t>(ap);
    if (CMAPI_DapRegRead(session.handle(), kAccessPort, number, kIdr, &idr) != KST_OK || idr == 0)
      break;
    describeAp(run, session.handle(), number, idr);
  }
  return run.console.finish(kExitOk);
}

}  // namespace tool
