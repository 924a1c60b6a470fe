#include "update_time.h"

#include <sys/resource.h>

#include <chrono>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"

namespace kstbench {
namespace {

constexpr double kPauseUnitNs = 1e9 / 1048576;
constexpr uint32_t kUnitsPerPollMs = 1000;
constexpr uint32_t kProgressPauses = 5;
constexpr uint32_t kProgressPauseUnits = 1000000;

long preemptions() {
  rusage usage{};
  return getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_nivcsw : 0;
}

int32_t quiet(uint32_t, const char*) {
  return 0;
}

UpdateTime updateOnce(bool callback) {
  ksim::reset();
  ksim::recordTransfers(false);
  ksim::ProbeConfig config;
  config.firmwareVersion = 0x03000028;
  config.dfu.flash.blockPollMs = kBlockPollMs;
  config.dfu.flash.manifestPollMs = kManifestPollMs;
  ksim::attachProbe(config);
  UpdateTime time{callback, KST_ERR_NO_REPLY, 0, 0, 0, 0};
  KSTInform* probe = nullptr;
  if (KST_Open(&probe, 0, nullptr, 0) != KST_OK) return time;
  const long preemptedBefore = preemptions();
  const auto start = std::chrono::steady_clock::now();
  time.result = KST_AutoUpdate(&probe, 0, nullptr, 0, callback ? quiet : nullptr);
  time.wallNs =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
  time.preempted = preemptions() - preemptedBefore;
  time.pollMs = ksim::bootloaderPollMs();
  const double units = static_cast<double>(time.pollMs) * kUnitsPerPollMs +
                       (callback ? kProgressPauses * kProgressPauseUnits : 0);
  time.requiredNs = units * kPauseUnitNs;
  if (probe != nullptr) KST_Close(&probe);
  ksim::reset();
  return time;
}

}  // namespace

std::vector<UpdateTime> runUpdates(int runs) {
  std::vector<UpdateTime> least;
  for (const bool callback : {true, false}) {
    UpdateTime best = updateOnce(callback);
    for (int i = 1; i < runs && best.result == KST_OK; ++i) {
      const UpdateTime next = updateOnce(callback);
      if (next.result != KST_OK || next.wallNs < best.wallNs) best = next;
    }
    least.push_back(best);
  }
  return least;
}

}  // namespace kstbench
