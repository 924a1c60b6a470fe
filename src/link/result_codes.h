// The registry of result codes the library makes: one table of code, name and meaning, for
// traces and for tools that explain a result. The named constants are in kestrel/kst_results.h
// (library codes) and update/dfu_result.h (the DFU client's own numbering, which overlaps the
// probe's codes and so is a domain of its own).
#pragma once

#include <cstddef>
#include <cstdint>

#include "kestrel/kst_results.h"
#include "update/dfu_result.h"

namespace kst {

enum class ResultDomain : uint8_t { Library, DfuClient };

struct ResultCode {
  ResultDomain domain;
  int32_t code;
  const char* name;
  const char* meaning;
};

#define KST_RESULT(name, meaning) \
  { ResultDomain::Library, name, #name, meaning }
#define KST_DFU_RESULT(name, meaning) \
  { ResultDomain::DfuClient, update::name, #name, meaning }
inline constexpr ResultCode kResultCodes[] = {
    KST_RESULT(KST_OK, "success"),
    KST_RESULT(KST_ERR_BAD_ARGUMENT, "bad argument: null pointer or a size outside the limits"),
    KST_RESULT(KST_ERR_NO_MEMORY, "out of memory"),
    KST_RESULT(KST_ERR_NO_PROBE, "no Kestrel probe could be found, opened and claimed on USB"),
    KST_RESULT(KST_ERR_NO_REPLY, "no valid reply from the probe"),
    KST_RESULT(KST_ERR_DATA_PORT, "the read on the probe's data port failed"),
    KST_RESULT(KST_ERR_USB_LIBRARY, "libusb-1.0 could not be loaded or lacks a function"),
    KST_RESULT(KST_ERR_FIRMWARE_READ, "the firmware file could not be read whole"),
    KST_RESULT(KST_ERR_DFU_ALREADY_ON_BUS, "an update-mode device was on the bus already"),
    KST_RESULT(KST_ERR_DFU_NOT_APPEARED, "no update-mode device appeared within 30 s"),
    KST_RESULT(KST_ERR_DFU_OPEN, "the update-mode device did not open within 10 s"),
    KST_RESULT(KST_ERR_DFU_DOWNLOAD, "the firmware download to the bootloader failed"),
    KST_RESULT(KST_ERR_UPDATE_VERSION, "the updated firmware's version is still not accepted"),
    KST_RESULT(KST_ERR_REOPEN, "the probe did not reopen within 5 s after the update"),
    KST_RESULT(KST_ERR_FIRMWARE_OPEN, "the firmware file could not be opened"),
    KST_RESULT(JSC_ERR_NO_SCAN_DATA, "a scan without out data or in buffer"),
    KST_RESULT(JSC_ERR_WRONG_STATE, "the handle is not bound or opened as the call needs"),
    KST_RESULT(JSC_ERR_NOT_SUPPORTED, "operation not supported"),
    KST_RESULT(JSC_ERR_SHARE_REGISTRY, "the share registry could not take the handle"),
    KST_RESULT(JSC_ERR_FIRMWARE_REFUSED, "the probe's firmware version is not accepted"),
    KST_RESULT(JSC_ERR_SUPPLY_VOLTAGE, "target supply voltage outside 1800..3600 mV"),
    KST_RESULT(JSC_ERR_EVENT_LOG_FULL, "event log full and overflow not allowed"),
    KST_RESULT(JSC_ERR_EVENT_PAIR_FULL, "event log full while appending a marked pair"),
    KST_RESULT(JSC_ERR_NO_DEVICE_DESCRIPTION, "the framework has no description of the device"),
    KST_RESULT(JSC_ERR_ROUTER_PORT, "router port out of range for the router type"),
    KST_RESULT(JSC_ERR_NOT_PROVIDED, "operation not provided"),
    KST_RESULT(JSC_ERR_SWD_CONNECTED, "a JTAG operation while connected in SWD mode"),
    KST_RESULT(JSC_ERR_SWD_NOT_CONNECTED, "an SWD operation while not connected in SWD mode"),
    KST_RESULT(CFG_ERR_JTAGBOOT_MODE, "bad LOOM.JTAGBOOT_MODE"),
    KST_RESULT(CFG_ERR_JTAGBOOT_VALUE, "bad LOOM.JTAGBOOT_VALUE"),
    KST_RESULT(CFG_ERR_POWERBOOT_MODE, "bad LOOM.POWERBOOT_MODE"),
    KST_RESULT(CFG_ERR_POWERBOOT_VALUE, "bad LOOM.POWERBOOT_VALUE"),
    KST_RESULT(CFG_ERR_EMUOUTPUT_MODE, "bad LOOM.EMUOUTPUT_MODE"),
    KST_RESULT(CFG_ERR_EMUOUTPUT_VALUE, "bad LOOM.EMUOUTPUT_VALUE"),
    KST_RESULT(CFG_ERR_LOOPBACK_MODE, "bad LOOM.LOOPBACK_MODE"),
    KST_RESULT(CFG_ERR_LOOPBACK_VALUE, "bad LOOM.LOOPBACK_VALUE"),
    KST_RESULT(CFG_ERR_BOOT_PINMAP, "bad LOOM.BOOT_PINMAP"),
    KST_RESULT(CFG_ERR_SCAN_BITS, "LOOM.TCLK_SCAN_BITS outside 256..524288"),
    KST_RESULT(CFG_ERR_PATH_IRSIZE, "LOOM.TCLK_PATH_IRSIZE above 524288"),
    KST_RESULT(CFG_ERR_PATH_DRSIZE, "LOOM.TCLK_PATH_DRSIZE above 524288"),
    KST_RESULT(CFG_ERR_SQUALL_SERIAL, "the squall ECOM serial is not QRVM- and 17 characters"),
    KST_RESULT(CFG_ERR_SQUALL_PORT, "the squall port is above 4095"),
    KST_RESULT(CFG_ERR_TCLK_PROGRAM, "bad LOOM.TCLK_PROGRAM"),
    KST_RESULT(CFG_ERR_TCLK_BEGINNING, "bad LOOM.TCLK_BEGINNING"),
    KST_RESULT(CFG_ERR_TCLK_FREQUENCY, "bad LOOM.TCLK_FREQUENCY"),
    KST_RESULT(CFG_ERR_TCLK_ADVANCE, "bad LOOM.TCLK_ADVANCE"),
    KST_RESULT(CFG_ERR_TCLK_RETREAT, "bad LOOM.TCLK_RETREAT"),
    KST_RESULT(CFG_ERR_TCLK_REFERENCE, "bad LOOM.TCLK_REFERENCE"),
    KST_RESULT(CFG_ERR_TCLK_INITIAL, "bad LOOM.TCLK_INITIAL"),
    KST_RESULT(CFG_ERR_TCLK_TERMINAL, "bad LOOM.TCLK_TERMINAL"),
    KST_RESULT(CFG_ERR_TCLK_TESTMODE, "bad LOOM.TCLK_TESTMODE"),
    KST_RESULT(CFG_ERR_TCLK_OVERFLOW, "bad LOOM.TCLK_OVERFLOW"),
    KST_RESULT(CFG_ERR_TEXT_LENGTH, "a pod text is empty or longer than 256 characters"),
    KST_RESULT(CFG_ERR_BOOLEAN_TEXT, "a pod supply text is no boolean word or number"),
    KST_RESULT(CFG_ERR_BAD_VALUE, "a configuration value that cannot be used"),
    KST_DFU_RESULT(DFU_OK, "success"),
    KST_DFU_RESULT(DFU_ERR_HANDLE, "null DFU handle"),
    KST_DFU_RESULT(DFU_ERR_MEMORY, "out of memory"),
    KST_DFU_RESULT(DFU_ERR_NOT_FOUND, "no update-mode device found"),
    KST_DFU_RESULT(DFU_ERR_UNKNOWN, "a request failed or moved the wrong number of bytes"),
    KST_DFU_RESULT(DFU_ERR_UNSUPPORTED, "the bootloader lacks the extension, or refused the file"),
    KST_DFU_RESULT(DFU_ERR_INVALID_FORMAT, "invalid image format"),
    KST_DFU_RESULT(DFU_ERR_INVALID_ADDR, "address beyond the flash, or a null pointer"),
    KST_DFU_RESULT(DFU_ERR_INVALID_SIZE, "a block longer than the transfer size"),
    KST_DFU_RESULT(DFU_ERR_DISCONNECTED, "named only, never returned"),
    KST_DFU_RESULT(DFU_ERR_TIMEOUT, "named only, never returned"),
    KST_DFU_RESULT(DFU_ERR_STALL, "the device stalled a request"),
    KST_DFU_RESULT(DFU_ERR_DNLOAD_FAIL, "the device could not write, erase or verify a block"),
    KST_DFU_RESULT(DFU_ERR_CANT_VERIFY, "the device was not idle when verification began"),
    KST_DFU_RESULT(DFU_ERR_VERIFY_FAIL, "the flash differs from the image"),
};
#undef KST_RESULT
#undef KST_DFU_RESULT

// Each code once in its domain, every entry named and explained: checked as the code builds.
constexpr bool resultCodesWellFormed() {
  for (const ResultCode& a : kResultCodes) {
    if (a.name[0] == '\0' || a.meaning[0] == '\0') return false;
    for (const ResultCode& b : kResultCodes)
      if (&a != &b && a.domain == b.domain && a.code == b.code) return false;
  }
  return true;
}
static_assert(resultCodesWellFormed(), "each result code once per domain, with name and meaning");

// The entry of a code in a domain; null when the library makes no such code (for the
// library domain: any other value is the probe's own result).
constexpr const ResultCode* findResultCode(int32_t code,
                                           ResultDomain domain = ResultDomain::Library) {
  for (const ResultCode& entry : kResultCodes)
    if (entry.domain == domain && entry.code == code) return &entry;
  return nullptr;
}

}  // namespace kst
