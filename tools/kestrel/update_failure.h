// Which step of the firmware update a failed result comes from, and the exit status it ends
// kestrel with.
#pragma once

#include <cstdint>

namespace tool {

struct UpdateFailure {
  const char* step;    // for the JSON document: switch, connect, image, download, reboot, verify
  const char* during;  // for the error line: "update failed while <during>: <result>"
  int status;
};

// probeBack: the library handed back a probe (it fails after the reopen only with the
// version read's result or a version it does not accept).
UpdateFailure updateFailure(int32_t result, bool probeBack);

}  // namespace tool
