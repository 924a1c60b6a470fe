// A framework session as the LOOM framework runs one: the operation table, one controller
// handle created from a configuration, its scan-manager handle (through which other
// components reach the probe with KST_GetHandle and the CMAPI_* functions), open, scans,
// close and delete. Whatever is still open is closed and deleted by the destructor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kestrel/jsc.h"
#include "loom_host/host.h"

namespace loomhost {

// The framework's scan-manager handle: the controller handle's pointer at byte 216.
struct ScanManagerHandle {
  uint8_t hostFields[216];
  JscHandle* controller;
};
static_assert(offsetof(ScanManagerHandle, controller) == 216, "the controller handle at 216");

// The framework's controller modes this stand-in uses.
constexpr uint32_t kModeJtag = 16;          // outdated firmware is updated, with the notice
constexpr uint32_t kModeNoUpdate = 20;      // outdated firmware is refused
constexpr uint32_t kModeSilentUpdate = 22;  // outdated firmware is updated without a word

class Session {
 public:
  explicit Session(uint32_t mode = kModeJtag, uint32_t creationFlags = 0)
      : mode_(mode), creationFlags_(creationFlags) {}
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Host& host() { return host_; }

  // Loads KEY=value lines into the host; false with the reason in error.
  bool configure(const std::string& path, std::string& error) { return host_.load(path, error); }

  // Each returns the library's result.
  int32_t createInterface();
  int32_t createHandle();
  int32_t open();
  int32_t close();
  int32_t deleteHandle();
  // Gives up the handle without deleting it: the library refuses to delete a handle whose
  // binding or open failed, and it stays allocated.
  JscHandle* abandonHandle();
  // Handles finish() gave up after the library refused to delete them, kept for the life of
  // the process as a framework keeps them (nothing else may free them).
  static const std::vector<JscHandle*>& refusedHandles();
  int32_t deleteInterface();
  // All of the above in order, up to open; the first failure ends it.
  int32_t start();
  // close, delete handle, delete interface; the first failure is returned, all are tried.
  int32_t finish();

  // The operation in slot, as its signature Fn.
  template <class Fn>
  Fn operation(int slot) const {
    return reinterpret_cast<Fn>(table_[slot]);
  }
  JSC_Operation* table() const { return table_; }
  JscHandle* handle() const { return handle_; }
  KST_SMG_HANDLE scanManager() { return &scanManager_; }
  bool firstOpener() const { return firstOpener_; }

  // One scan of bits through the instruction (register 1) or a data register (2), from and
  // back to Run-Test/Idle, the probe's bits landing in in.
  int32_t exchange(uint32_t scanRegister, uint32_t bits, const uint8_t* out, uint8_t* in);
  // The chain to Test-Logic-Reset, then Run-Test/Idle.
  int32_t resetChain();

 private:
  Host host_;
  uint32_t mode_;
  uint32_t creationFlags_;
  JSC_Operation* table_ = nullptr;
  JscHandle* handle_ = nullptr;
  ScanManagerHandle scanManager_{};
  bool opened_ = false;
  bool firstOpener_ = false;
};

}  // namespace loomhost
