// Freeing a handle whatever state it is in. JSC_DeleteHandle refuses a handle whose binding
// failed (it stays allocated, as the framework expects); tests use this to release it.
#pragma once

struct JscHandle;

namespace kst::jsc {

// Drops the handle's share key and reference, its event log and the handle; nulls *handle.
void freeHandle(JscHandle** handle);

}  // namespace kst::jsc
