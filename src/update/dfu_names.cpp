// The names of the DFU 1.1 states and statuses, for messages; result names are looked up in
// the registry of result codes, where the results are explained too.
#include "dfu_codes.h"
#include "link/result_codes.h"

namespace kst::update {
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
};

}  // namespace

const char* name(NameKind kind, int32_t code) {
  if (kind == NameKind::kResult) {
    const ResultCode* entry = findResultCode(code, ResultDomain::DfuClient);
    return entry != nullptr ? entry->name : "unknown";
  }
  for (const NameRow& row : kNames) {
    if (row.kind == kind && row.code == code) return row.text;
  }
  return "unknown";
}

}  // namespace kst::update
