// One table of every name the DFU client gives, for messages.
#include "dfu_codes.h"

namespace kst::dfu {
namespace {

struct NameRow {
  NameKind kind;
  int32_t code;
  const char* text;
};

constexpr NameRow kNames[] = {
    {NameKind::kState, kAppIdle, "APP_IDLE"},
    {NameKind::kState, kAppDetach, "APP_DETACH"},
    {NameKind::kState, kIdle, "IDLE"},
    {NameKind::kState, kDnloadSync, "DNLOAD_SYNC"},
    {NameKind::kState, kDnBusy, "DNBUSY"},
    {NameKind::kState, kDnloadIdle, "DNLOAD_IDLE"},
    {NameKind::kState, kManifestSync, "MANIFEST_SYNC"},
    {NameKind::kState, kManifest, "MANIFEST"},
    {NameKind::kState, kManifestWaitReset, "MANIFEST_WAIT_RESET"},
    {NameKind::kState, kUploadIdle, "UPLOAD_IDLE"},
    {NameKind::kState, kError, "ERROR"},
    {NameKind::kStatus, kStatusOk, "STATUS_OK"},
    {NameKind::kStatus, kErrTarget, "STATUS_ERR_TARGET"},
    {NameKind::kStatus, kErrFile, "STATUS_ERR_FILE"},
    {NameKind::kStatus, kErrWrite, "STATUS_ERR_WRITE"},
    {NameKind::kStatus, kErrErase, "STATUS_ERR_ERASE"},
    {NameKind::kStatus, kErrCheckErased, "STATUS_ERR_CHECK_ERASED"},
    {NameKind::kStatus, kErrProg, "STATUS_ERR_PROG"},
    {NameKind::kStatus, kErrVerify, "STATUS_ERR_VERIFY"},
    {NameKind::kStatus, kErrAddress, "STATUS_ERR_ADDRESS"},
    {NameKind::kStatus, kErrNotDone, "STATUS_ERR_NOTDONE"},
    {NameKind::kStatus, kErrFirmware, "STATUS_ERR_FIRMWARE"},
    {NameKind::kStatus, kErrVendor, "STATUS_ERR_VENDOR"},
    {NameKind::kStatus, kErrUsbr, "STATUS_ERR_USBR"},
    {NameKind::kStatus, kErrPor, "STATUS_ERR_POR"},
    {NameKind::kStatus, kErrUnknownStatus, "STATUS_ERR_UNKNOWN"},
    {NameKind::kStatus, kErrStalledPkt, "STATUS_ERR_STALLEDPKT"},
    {NameKind::kResult, kOk, "DFU_OK"},
    {NameKind::kResult, kErrHandle, "DFU_ERR_HANDLE"},
    {NameKind::kResult, kErrMemory, "DFU_ERR_MEMORY"},
    {NameKind::kResult, kErrNotFound, "DFU_ERR_NOT_FOUND"},
    {NameKind::kResult, kErrUnknown, "DFU_ERR_UNKNOWN"},
    {NameKind::kResult, kErrUnsupported, "DFU_ERR_UNSUPPORTED"},
    {NameKind::kResult, kErrInvalidFormat, "DFU_ERR_INVALID_FORMAT"},
    {NameKind::kResult, kErrInvalidAddr, "DFU_ERR_INVALID_ADDR"},
    {NameKind::kResult, kErrInvalidSize, "DFU_ERR_INVALID_SIZE"},
    {NameKind::kResult, kErrDisconnected, "DFU_ERR_DISCONNECTED"},
    {NameKind::kResult, kErrTimeout, "DFU_ERR_TIMEOUT"},
    {NameKind::kResult, kErrStall, "DFU_ERR_STALL"},
    {NameKind::kResult, kErrDnloadFail, "DFU_ERR_DNLOAD_FAIL"},
    {NameKind::kResult, kErrCantVerify, "DFU_ERR_CANT_VERIFY"},
    {NameKind::kResult, kErrVerifyFail, "DFU_ERR_VERIFY_FAIL"},
};

}  // namespace

const char* name(NameKind kind, int32_t code) {
  for (const NameRow& row : kNames) {
    if (row.kind == kind && row.code == code) return row.text;
  }
  return "unknown";
}

}  // namespace kst::dfu
