// Result codes the scan-controller interface makes itself, under the short names its code
// uses; the values and their meanings live in the library's one registry.
#pragma once

#include <cstdint>

#include "kestrel/kst_results.h"

namespace kst::jsc {

constexpr int32_t kOk = KST_OK;
constexpr int32_t kBadArgument = KST_ERR_BAD_ARGUMENT;
constexpr int32_t kNoMemory = KST_ERR_NO_MEMORY;
constexpr int32_t kWrongState = JSC_ERR_WRONG_STATE;
constexpr int32_t kShareRegistry = JSC_ERR_SHARE_REGISTRY;
constexpr int32_t kEventLogFull = JSC_ERR_EVENT_LOG_FULL;
constexpr int32_t kEventLogPairFull = JSC_ERR_EVENT_PAIR_FULL;
constexpr int32_t kNotProvided = JSC_ERR_NOT_PROVIDED;
constexpr int32_t kNotSupported = JSC_ERR_NOT_SUPPORTED;
constexpr int32_t kNoScanData = JSC_ERR_NO_SCAN_DATA;
constexpr int32_t kSwdConnected = JSC_ERR_SWD_CONNECTED;
constexpr int32_t kSwdNotConnected = JSC_ERR_SWD_NOT_CONNECTED;
constexpr int32_t kNoDeviceDescription = JSC_ERR_NO_DEVICE_DESCRIPTION;
constexpr int32_t kRouterPort = JSC_ERR_ROUTER_PORT;

}  // namespace kst::jsc
