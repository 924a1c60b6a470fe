// A probe reached the way the LOOM framework reaches it (--config): the configuration file
// read into the host stand-in, the operation table, a controller handle created from the file
// and opened through slot 0 (firmware check and update, test clock, reset, the configured
// connect); closed and deleted through the table when the subcommand ends.
#pragma once

#include <cstddef>
#include <vector>

#include "commands.h"
#include "device_listing.h"
#include "jtag_detect.h"
#include "kestrel/kst_probe.h"
#include "loom_host/session.h"

namespace tool {

class FrameworkSession {
 public:
  explicit FrameworkSession(Invocation& run) : run_(run) {}
  FrameworkSession(const FrameworkSession&) = delete;
  FrameworkSession& operator=(const FrameworkSession&) = delete;

  // Reads the file, chooses the probe, creates the handle and opens the controller; 0, or the
  // exit status after saying why not. The document's "probe" names the device and its
  // "framework" the session.
  int open();
  // The probe context at the end of the scan-manager handle's chain, as other components of
  // a debugger reach it.
  KSTInform* probe() { return KST_GetHandle(session_.scanManager()); }
  KST_SMG_HANDLE scanManager() { return session_.scanManager(); }
  const ListedDevice& device() const { return devices_[index_]; }
  // The chain as the framework's MovePath and ExchangeScan operations reach it.
  ChainAccess& chain() { return chain_; }

 private:
  class FrameworkChain : public ChainAccess {
   public:
    explicit FrameworkChain(loomhost::Session& session) : session_(session) {}
    int32_t reset() override { return session_.resetChain(); }
    int32_t exchange(bool instruction, uint32_t bits, const uint8_t* out, uint8_t* in) override {
      return session_.exchange(instruction ? 1 : 2, bits, out, in);
    }

   private:
    loomhost::Session& session_;
  };

  int choose();  // the probe, and the serial number the framework opens it by
  int refuse(int status, const std::string& message);

  Invocation& run_;
  // Mode 16: a JTAG controller whose outdated firmware is updated with the console notice,
  // the mode a debugger's own session uses; the connect itself follows the file's keys.
  loomhost::Session session_{loomhost::kModeJtag};
  FrameworkChain chain_{session_};
  std::vector<ListedDevice> devices_;
  std::size_t index_ = 0;
};

}  // namespace tool
