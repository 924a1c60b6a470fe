#include "bus_throughput.h"

namespace kstbench {
namespace {

constexpr uint32_t kCommands = 200;  // the model is deterministic: a few suffice

// Both speeds, with a firmware that answers at once and one that needs 200 us a command
// (more than a microframe, less than a frame).
const ksim::BusTiming kBuses[] = {
    {ksim::BusSpeed::Full, 0},
    {ksim::BusSpeed::Full, 200000},
    {ksim::BusSpeed::High, 0},
    {ksim::BusSpeed::High, 200000},
};

}  // namespace

std::vector<ThroughputResult> runThroughput(KSTInform* probe) {
  std::vector<ThroughputResult> results;
  ksim::recordTransfers(true);
  std::vector<TransportFloor> floors;
  for (const CommandRow& row : ratioRows())
    floors.push_back(TransportFloor::record(probe, row.call));
  ksim::recordTransfers(false);
  for (const ksim::BusTiming& timing : kBuses) {
    std::size_t index = 0;
    for (const CommandRow& row : ratioRows()) {
      const TransportFloor& floor = floors[index++];
      ksim::setBusTiming(timing);
      for (uint32_t i = 0; i < kCommands; ++i) row.call(probe);
      const double modelled = static_cast<double>(ksim::modelledTimeNs()) / kCommands;
      const double ceiling =
          static_cast<double>(ksim::modelledExchangeNs(timing, floor.bytesOut(), floor.bytesIn()));
      results.push_back({&row, timing, modelled, ceiling});
    }
  }
  ksim::setBusTiming({});
  return results;
}

}  // namespace kstbench
