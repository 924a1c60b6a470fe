// A probe chosen by the selector and opened for one subcommand, closed when it ends.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "commands.h"
#include "device_listing.h"
#include "kestrel/kst_types.h"

namespace tool {

class ProbeSession {
 public:
  explicit ProbeSession(Invocation& run) : run_(run) {}
  ~ProbeSession();
  ProbeSession(const ProbeSession&) = delete;
  ProbeSession& operator=(const ProbeSession&) = delete;

  // Lists the bus, resolves the selector and opens the probe (connected for power
  // measurement when asked); 0, or the exit status after saying why not. The document's
  // "probe" names the device.
  int open(bool powerMeasurement = false);
  KSTInform* probe() const { return probe_; }
  const ListedDevice& device() const { return devices_[index_]; }

 private:
  Invocation& run_;
  std::vector<ListedDevice> devices_;
  std::size_t index_ = 0;
  KSTInform* probe_ = nullptr;
};

}  // namespace tool
