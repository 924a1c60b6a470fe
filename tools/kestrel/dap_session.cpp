#include "dap_session.h"

#include "exit_status.h"
#include "kestrel/kestrel.h"
#include "result_text.h"

namespace tool {

DapSession::~DapSession() {
  if (connected_) CMAPI_Disconnect(handle_);
}

int DapSession::open() {
  int32_t result = KST_OK;
  if (!run_.options.config.empty()) {
    framework_ = std::make_unique<FrameworkSession>(run_);
    if (const int status = framework_->open(); status != kExitOk) return status;
    handle_ = framework_->scanManager();
  } else {
    if (const int status = probe_.open(); status != kExitOk) return status;
    result = KST_CreateFakeSMGHandle(probe_.probe(), &handle_);
  }
  if (result == KST_OK) result = CMAPI_Connect(handle_, &idcode_);
  if (result != KST_OK) {
    run_.console.error("cannot connect the debug port: " + resultText(result));
    return kExitIo;
  }
  connected_ = true;
  return kExitOk;
}

}  // namespace tool
