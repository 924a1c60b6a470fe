// kestrel dap info: the debug port's IDCODE and the identification of its access ports.
#include <cstdio>

#include "commands.h"
#include "dap_session.h"
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

}  // namespace

int runDapInfo(const Options& options) {
  DapSession session(options);
  if (!session.open()) return 1;
  const uint32_t id = session.idcode();
  std::printf("DP IDCODE 0x%08X (version %u, part 0x%04X, designer 0x%03X)\n", id, id >> 28,
              (id >> 12) & 0xFFFF, (id >> 1) & 0x7FF);
  uint32_t status = 0;
  if (CMAPI_DapRegRead(session.handle(), kDebugPort, 0, kCtrlStat, &status) == KST_OK)
    std::printf("DP CTRL/STAT 0x%08X (%s)\n", status,
                (status & kPowerAcks) == kPowerAcks ? "powered up" : "not powered up");
  for (int ap = 0; ap < kMaxAps; ++ap) {
    const auto number = static_cast<uint8_t>(ap);
    uint32_t idr = 0, cfg = 0, base = 0;
    if (CMAPI_DapRegRead(session.handle(), kAccessPort, number, kIdr, &idr) != KST_OK || idr == 0)
      break;
    if (((idr >> 13) & 0xF) != kMemApClass) {
      std::printf("AP %d: IDR 0x%08X\n", ap, idr);
      continue;
    }
    int32_t result = CMAPI_DapRegRead(session.handle(), kAccessPort, number, kCfg, &cfg);
    if (result == KST_OK)
      result = CMAPI_DapRegRead(session.handle(), kAccessPort, number, kBase, &base);
    if (result != KST_OK) {
      std::printf("AP %d: IDR 0x%08X MEM-AP (%s): %s\n", ap, idr, busName(idr),
                  resultText(result).c_str());
      continue;
    }
    std::printf("AP %d: IDR 0x%08X MEM-AP (%s), %s addresses, BASE 0x%08X\n", ap, idr, busName(idr),
                (cfg & kLargeAddress) != 0 ? "64-bit" : "32-bit", base);
  }
  return 0;
}

}  // namespace tool
