#include "handle_chain.h"

#include <cstring>

namespace kst {

static_assert(offsetof(SharedControllerHead, hardwareId) == 4, "hardware id at 4");
static_assert(offsetof(SharedControllerHead, bindCount) == 8, "bind count at 8");
static_assert(offsetof(SharedControllerHead, openCount) == 12, "open count at 12");
static_assert(offsetof(SharedControllerHead, probe) == 16, "probe context at 16");
static_assert(offsetof(ControllerHandleHead, shareBlock) == 8, "share block at 8");
static_assert(offsetof(ControllerHandleHead, shareKey) == 16, "share key at 16");
static_assert(offsetof(ControllerHandleHead, controller) == 24, "controller record at 24");

KSTInform* probeOfSmgHandle(const void* smgHandle) {
  if (smgHandle == nullptr) return nullptr;
  const ControllerHandleHead* handle = nullptr;
  // The scan-manager handle is the host's record; only this one field of it is read.
  std::memcpy(&handle, static_cast<const uint8_t*>(smgHandle) + kSmgControllerHandleOffset,
              sizeof handle);
  if (handle == nullptr || handle->controller == nullptr) return nullptr;
  return handle->controller->probe;
}

}  // namespace kst
