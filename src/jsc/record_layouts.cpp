// The layouts the framework and the command library rely on, checked where they are built.
#include <cstddef>

#include "controller_handle.h"
#include "kestrel/jsc_records.h"

namespace {

// The handle chain: the leading fields of both records, naturally aligned for 64 bits.
static_assert(offsetof(JscHandle, chain) == 0, "the chain head leads the handle");
static_assert(offsetof(JscHandle, chain.shareBlockSize) == 0, "share block size at 0");
static_assert(offsetof(JscHandle, chain.shareBlock) == 8, "share block at 8");
static_assert(offsetof(JscHandle, chain.shareKey) == 16, "share key at 16");
static_assert(offsetof(JscHandle, chain.controller) == 24, "controller record at 24");
static_assert(offsetof(JscHandle, bound) == 32, "the handle's own fields follow");
using kst::jsc::SharedController;
static_assert(offsetof(SharedController, chain) == 0, "the chain head leads the record");
static_assert(offsetof(SharedController, chain.firmwareVersion) == 0, "firmware version at 0");
static_assert(offsetof(SharedController, chain.hardwareId) == 4, "hardware id at 4");
static_assert(offsetof(SharedController, chain.bindCount) == 8, "bind count at 8");
static_assert(offsetof(SharedController, chain.openCount) == 12, "open count at 12");
static_assert(offsetof(SharedController, chain.probe) == 16, "probe context at 16");
static_assert(offsetof(SharedController, tclkFrequency) == 24, "the record's own fields follow");

// The framework's records.
static_assert(offsetof(HandleParams, creationFlags) == 4 && offsetof(HandleParams, mode) == 8 &&
                  offsetof(HandleParams, hostServices) == 16 &&
                  offsetof(HandleParams, hostContext) == 24 && sizeof(HandleParams) == 32,
              "HandleParams");
static_assert(offsetof(PathDescriptor, wordSize) == 28 && sizeof(PathDescriptor) == 40,
              "PathDescriptor: eight words and 8 bytes not read");
static_assert(offsetof(ScanSettings, pair) == 4 && offsetof(ScanSettings, amblePresent) == 12 &&
                  offsetof(ScanSettings, ambles) == 16 &&
                  offsetof(ScanSettings, tclkTablePresent) == 32 &&
                  offsetof(ScanSettings, tclkCounts) == 36 && sizeof(ScanSettings) == 52,
              "ScanSettings");
static_assert(offsetof(FixedScanRequest, fill) == 12, "FixedScanRequest");
static_assert(offsetof(SendScanRequest, out) == 16, "SendScanRequest");
static_assert(offsetof(ExchangeScanRequest, out) == 16 && offsetof(ExchangeScanRequest, in) == 24,
              "ExchangeScanRequest");
static_assert(offsetof(ReadRestoreRequest, unused) == 16 &&
                  offsetof(ReadRestoreRequest, buffer) == 24,
              "ReadRestoreRequest");
static_assert(offsetof(ConnectOptions, pulseTrst) == 3 &&
                  offsetof(ConnectOptions, recordEvents) == 5 && sizeof(ConnectOptions) == 6,
              "ConnectOptions: six bytes");
static_assert(offsetof(JSC_DeviceDescription, routerType) == 60 &&
                  offsetof(JSC_DeviceDescription, routerTypeValid) == 64 &&
                  offsetof(JSC_DeviceDescription, routerPort) == 68 &&
                  offsetof(JSC_DeviceDescription, routerPortValid) == 72 &&
                  offsetof(JSC_DeviceDescription, options) == 77,
              "the device description's router fields");

}  // namespace
