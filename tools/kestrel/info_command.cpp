// kestrel info: open the probe, show its firmware and hardware, run the echo self-test.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "kestrel/kestrel.h"
#include "probe_session.h"
#include "result_text.h"

namespace tool {
namespace {

// The firmware version word carries major, minor, patch and build, most significant first.
void printVersion(uint32_t version) {
  std::printf("firmware version  %x.%x.%x.%x\n", (version >> 24) & 0xFF, (version >> 16) & 0xFF,
              (version >> 8) & 0xFF, version & 0xFF);
}

bool echoTest(KSTInform* probe, uint32_t size) {
  std::vector<uint8_t> sent(size), received(size);
  for (uint32_t i = 0; i < size; ++i) sent[i] = static_cast<uint8_t>(i * 7 + 1);
  const int32_t result = KST_Echo(probe, sent.data(), received.data(), size);
  const bool ok = result == KST_OK && received == sent;
  const std::string outcome = ok ? "ok" : result != KST_OK ? resultText(result) : "mismatch";
  std::printf("%s%u byte%s %s", size == 1 ? " " : ", ", size, size == 1 ? "" : "s",
              outcome.c_str());
  return ok;
}

}  // namespace

int runInfo(const Options& options) {
  ProbeSession session(options);
  if (!session.open()) return 1;
  KSTInform* probe = session.probe();
  std::printf("probe             USB %04x:%04x\n", probe->vendorId, probe->productId);
  uint32_t firmware = 0;
  uint16_t hardware = 0;
  const int32_t version = KST_Version(probe, &firmware, &hardware);
  bool ok = version == KST_OK;
  if (ok) {
    printVersion(firmware);
    std::printf("hardware id       0x%04x\n", hardware);
  } else {
    std::printf("version           %s\n", resultText(version).c_str());
  }
  std::printf("echo self-test   ");
  for (const uint32_t size : {1u, 64u, 4344u}) ok = echoTest(probe, size) && ok;
  std::printf("\n");
  return ok ? 0 : 1;
}

}  // namespace tool
