// A probe opened for the ARM debug port: the handle chain built (or, with --config, the
// framework session's scan-manager handle) and the DP connected, and disconnected again when
// the subcommand ends.
#pragma once

#include <cstdint>
#include <memory>

#include "commands.h"
#include "framework_session.h"
#include "kestrel/kst_types.h"
#include "probe_session.h"

namespace tool {

class DapSession {
 public:
  explicit DapSession(Invocation& run) : run_(run), probe_(run) {}
  ~DapSession();
  DapSession(const DapSession&) = delete;
  DapSession& operator=(const DapSession&) = delete;

  // 0, or the exit status after saying why not.
  int open();
  KST_SMG_HANDLE handle() const { return handle_; }
  uint32_t idcode() const { return idcode_; }

 private:
  Invocation& run_;
  ProbeSession probe_;
  std::unique_ptr<FrameworkSession> framework_;  // with --config
  KST_SMG_HANDLE handle_ = nullptr;
  uint32_t idcode_ = 0;
  bool connected_ = false;
};

}  // namespace tool
