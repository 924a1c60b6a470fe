#include "dap_session.h"

#include <cstdio>

#include "kestrel/kestrel.h"
#include "result_text.h"

namespace tool {

DapSession::~DapSession() {
  if (connected_) CMAPI_Disconnect(handle_);
}

bool DapSession::open() {
  if (!probe_.open()) return false;
  int32_t result = KST_CreateFakeSMGHandle(probe_.probe(), &handle_);
  if (result == KST_OK) result = CMAPI_Connect(handle_, &idcode_);
  if (result != KST_OK) {
    std::fprintf(stderr, "kestrel: cannot connect the debug port: %s\n",
                 resultText(result).c_str());
    return false;
  }
  connected_ = true;
  return true;
}

}  // namespace tool
