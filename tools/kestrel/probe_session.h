// A probe chosen by the selector and opened for one subcommand, closed when it ends.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
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
  // For KST_AutoUpdate, which closes the probe and stores the one it reopens (or null) here,
  // and the device index or serial number it reopens by, as the probe was opened.
  KSTInform** context() { return &probe_; }
  uint32_t openIndex() const { return openIndex_; }
  const char* openSerial() const { return openSerial_.empty() ? nullptr : openSerial_.c_str(); }

 private:
  int applyClock();  // --clock, once the probe is open

  Invocation& run_;
  std::vector<ListedDevice> devices_;
  std::size_t index_ = 0;
  KSTInform* probe_ = nullptr;
  uint32_t openIndex_ = 0;
  std::string openSerial_;
};

}  // namespace tool
