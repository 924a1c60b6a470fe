// The tool's exit statuses, in the style of BSD's sysexits.h, so that scripts can tell a
// mistyped command line from a missing probe or a failing one.
#pragma once

#include <cstdint>

namespace tool {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 64;       // EX_USAGE: the command line, the probe choice or a range
constexpr int kExitDataErr = 65;     // EX_DATAERR: a file's content is not what it must be
constexpr int kExitNoInput = 66;     // EX_NOINPUT: a file is missing or cannot be read
constexpr int kExitNoProbe = 69;     // EX_UNAVAILABLE: no probe, or libusb or the logger missing
constexpr int kExitInternal = 70;    // EX_SOFTWARE: a fault of the tool itself
constexpr int kExitIo = 74;          // EX_IOERR: the probe, a file or standard output failed
constexpr int kExitBusy = 75;        // EX_TEMPFAIL: another program holds the probe; try later
constexpr int kExitPermission = 77;  // EX_NOPERM: the probe is there, this user may not open it
constexpr int kExitConfig = 78;      // EX_CONFIG: the --config file is wrong

// The exit status for a failed KST_Open.
int exitStatusForOpen(int32_t result);

}  // namespace tool
