// Result codes the scan-controller interface makes itself.
#pragma once

#include <cstdint>

namespace kst::jsc {

constexpr int32_t kOk = 0;
constexpr int32_t kBadArgument = -122;          // null handle or pointer, value out of range
constexpr int32_t kNoMemory = -131;             // allocation failed
constexpr int32_t kWrongState = -116;           // not bound, already opened, counts inconsistent
constexpr int32_t kShareRegistry = -164;        // the share registry could not attach the handle
constexpr int32_t kEventLogFull = -519;         // a word did not fit and overflow is not allowed
constexpr int32_t kEventLogPairFull = -520;     // as kEventLogFull, inside a marked pair
constexpr int32_t kNotProvided = -601;          // the default operation
constexpr int32_t kNotSupported = -120;         // an operation or kind this controller lacks
constexpr int32_t kNoScanData = -115;           // a scan without out data or in buffer
constexpr int32_t kSwdConnected = -611;         // a JTAG operation while connected in SWD mode
constexpr int32_t kSwdNotConnected = -612;      // an SWD operation while not in SWD mode
constexpr int32_t kNoDeviceDescription = -320;  // the host knows no such device
constexpr int32_t kRouterPortRange = -496;      // the router port does not fit its type

}  // namespace kst::jsc
