// Creating, binding, unbinding and freeing controller handles.
#include "handle_lifecycle.h"

#include <cstdlib>

#include "config/configuration_reader.h"
#include "controller_handle.h"
#include "event_log.h"
#include "host_services.h"
#include "kestrel/jsc.h"
#include "result_codes.h"
#include "share_registry.h"

namespace kst::jsc {
namespace {

constexpr uint32_t kLowestMode = 1;
constexpr uint32_t kHighestMode = 23;
constexpr const char* kShareRole = "control";
// The key names the module as the framework's own build of this library is named, on every
// platform, so that keys are the same wherever the handles are made.
constexpr const char* kShareModuleName = "jsckestrel.dll";

int32_t createHandle(JscHandle** out) {
  if (out == nullptr) return kBadArgument;
  *out = nullptr;
  // Zeroed: every field up to the TCLK-count table, and all pointers.
  auto* handle = static_cast<JscHandle*>(std::calloc(1, sizeof(JscHandle)));
  if (handle == nullptr) return kNoMemory;
  config::writeDefaults(handle->config);
  handle->eventLog = nullptr;
  *out = handle;
  return kOk;
}

void initialiseController(SharedController& record) {
  // The probe context stays as it is until the first open sets it; zeroing it too means
  // the chain walk meets a null link rather than garbage before that.
  record = SharedController{};
  record.tclkFrequency = kInitialTclkFrequency;
}

int32_t bindHandle(JscHandle* handle, const HandleParams& params) {
  if (handle == nullptr || params.mode < kLowestMode || params.mode > kHighestMode ||
      params.hostContext == nullptr || params.hostServices == nullptr)
    return kBadArgument;
  handle->creationFlags = params.creationFlags;
  handle->mode = params.mode;
  handle->hostContext = params.hostContext;
  handle->hostServices = params.hostServices;
  if (handle->bound || handle->opened) return kWrongState;
  handle->bound = 1;

  const HostServices host(handle->hostContext, handle->hostServices);
  if (const int32_t result = config::readConfiguration(host, handle->config)) return result;
  if (handle->creationFlags & JSC_CREATE_EVENT_LOG) {
    if (const int32_t result = createEventLog(*handle, kCreationEventLogWords)) return result;
  }

  handle->chain.shareBlockSize = sizeof(SharedController);
  const config::PodRecord& pod = handle->config.pod;
  uint8_t created = 0;
  if (const int32_t result = attachShare(*handle, kShareRole, kShareModuleName,
                                         pod.selectedDriverName, pod.selectedPort, &created))
    return result;
  auto* record = static_cast<SharedController*>(handle->chain.shareBlock);
  handle->chain.controller = &record->chain;
  if (created) initialiseController(*record);
  if (record->chain.bindCount < record->chain.openCount) return kWrongState;
  ++record->chain.bindCount;
  return kOk;
}

int32_t unbindHandle(JscHandle* handle) {
  if (!handle->bound || handle->opened) return kWrongState;
  handle->bound = 0;
  SharedController* record = controllerOf(handle);
  if (record == nullptr || record->chain.bindCount == 0 ||
      record->chain.bindCount - 1 < record->chain.openCount)
    return kWrongState;
  --record->chain.bindCount;
  detachShare(handle);
  handle->chain.controller = nullptr;
  return kOk;
}

}  // namespace

void freeHandle(JscHandle** out) {
  JscHandle* handle = *out;
  *out = nullptr;
  if (handle == nullptr) return;
  detachShare(handle);
  deleteEventLog(*handle);
  std::free(handle);
}

}  // namespace kst::jsc

KST_API int32_t JSC_CreateHandle(JscHandle** handle, const HandleParams* params) {
  if (params == nullptr) return kst::jsc::kBadArgument;
  if (const int32_t result = kst::jsc::createHandle(handle)) return result;
  return kst::jsc::bindHandle(*handle, *params);
}

KST_API int32_t JSC_DeleteHandle(JscHandle** handle) {
  if (handle == nullptr || *handle == nullptr) return kst::jsc::kBadArgument;
  if (const int32_t result = kst::jsc::unbindHandle(*handle)) return result;
  kst::jsc::freeHandle(handle);
  return kst::jsc::kOk;
}
