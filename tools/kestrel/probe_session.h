// A probe opened for one subcommand, closed when the subcommand ends.
#pragma once

#include "kestrel/kst_types.h"
#include "options.h"

namespace tool {

class ProbeSession {
 public:
  explicit ProbeSession(const Options& options) : options_(options) {}
  ~ProbeSession();
  ProbeSession(const ProbeSession&) = delete;
  ProbeSession& operator=(const ProbeSession&) = delete;

  // Opens the probe the options name (connected for power measurement when asked); prints
  // why not and returns false on failure.
  bool open(bool powerMeasurement = false);
  KSTInform* probe() const { return probe_; }

 private:
  const Options& options_;
  KSTInform* probe_ = nullptr;
};

}  // namespace tool
