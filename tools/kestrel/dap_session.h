// A probe opened for the ARM debug port: the handle chain built and the DP connected, and
// disconnected again when the subcommand ends.
#pragma once

#include <cstdint>

#include "kestrel/kst_types.h"
#include "options.h"
#include "probe_session.h"

namespace tool {

class DapSession {
 public:
  explicit DapSession(const Options& options) : probe_(options) {}
  ~DapSession();
  DapSession(const DapSession&) = delete;
  DapSession& operator=(const DapSession&) = delete;

  // Prints why not and returns false on failure.
  bool open();
  KST_SMG_HANDLE handle() const { return handle_; }
  uint32_t idcode() const { return idcode_; }

 private:
  ProbeSession probe_;
  KST_SMG_HANDLE handle_ = nullptr;
  uint32_t idcode_ = 0;
  bool connected_ = false;
};

}  // namespace tool
