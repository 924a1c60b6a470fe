// Many probes in one process, one thread each, with the command trace on: every reply must
// be the one its own command asked for. KESTREL_TEST_PROBES sets how many (32 by default).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"

#if defined(KESTREL_LOCKFREE_LOGGER)
#include "lockfree_logger.h"
uint64_t tracedLines() {
  return lockfree_logger_lines();
}
#else
#include "nimbus_logger/control.h"
uint64_t tracedLines() {
  static uint64_t lines = 0;
  lines += nimbus::takeCaptured().size();
  return lines;
}
#endif

namespace {

constexpr int kCommandsPerProbe = 300;

int probeCount() {
  const char* text = std::getenv("KESTREL_TEST_PROBES");
  const int count = text != nullptr ? std::atoi(text) : 32;
  return count > 0 ? count : 32;
}

std::string serialOf(int probe) {
  char serial[16];
  std::snprintf(serial, sizeof serial, "KSTT%04d", probe);
  return serial;
}

// One probe's life on one thread: opened by serial, echoes of data of its own, closed.
// Returns the commands whose result or reply was wrong.
int driveProbe(int probe) {
  KSTInform* context = nullptr;
  if (KST_Open(&context, 0, serialOf(probe).c_str(), 0) != KST_OK) return kCommandsPerProbe;
  int wrong = 0;
  uint8_t sent[64], echoed[64];
  for (int i = 0; i < kCommandsPerProbe; ++i) {
    const uint32_t length = 1 + (i + probe) % sizeof sent;
    for (uint32_t at = 0; at < length; ++at) sent[at] = static_cast<uint8_t>(probe * 31 + i + at);
    std::fill(echoed, echoed + sizeof echoed, 0);
    if (KST_Echo(context, sent, echoed, length) != KST_OK ||
        !std::equal(sent, sent + length, echoed))
      ++wrong;
  }
  uint32_t firmware = 0;
  uint16_t hardware = 0;
  if (KST_Version(context, &firmware, &hardware) != KST_OK || firmware != 0x03000029) ++wrong;
  if (KST_Close(&context) != KST_OK) ++wrong;
  return wrong;
}

TEST(ManyProbes, EachThreadDrivesItsOwnProbeWithTheTraceOn) {
  ksim::reset();
  ksim::recordTransfers(false);  // one list for the whole bus would order the threads
#if !defined(KESTREL_LOCKFREE_LOGGER)
  nimbus::capture(3);
#endif
  const int count = probeCount();
  for (int probe = 0; probe < count; ++probe) {
    ksim::ProbeConfig config;
    config.serial = serialOf(probe);
    ASSERT_NE(ksim::attachProbe(config), ksim::kInvalidDevice);
  }
  const uint64_t linesBefore = tracedLines();
  std::vector<int> wrong(count, 0);
  std::vector<std::thread> threads;
  for (int probe = 0; probe < count; ++probe)
    threads.emplace_back([&wrong, probe] { wrong[probe] = driveProbe(probe); });
  for (std::thread& thread : threads) thread.join();
  for (int probe = 0; probe < count; ++probe) EXPECT_EQ(wrong[probe], 0) << serialOf(probe);
  // Two lines a command at least (the trace may miss some while another thread's gate is busy).
  EXPECT_GT(tracedLines() - linesBefore, static_cast<uint64_t>(count) * kCommandsPerProbe);
#if !defined(KESTREL_LOCKFREE_LOGGER)
  nimbus::capture(0);
#endif
  const ksim::Resources live = ksim::resources();
  EXPECT_EQ(live.contexts + live.deviceLists + live.devices + live.handles, 0);
}

}  // namespace
