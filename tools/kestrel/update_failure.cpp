#include "update_failure.h"

#include "exit_status.h"
#include "kestrel/kst_results.h"

namespace tool {
namespace {

struct Row {
  int32_t result;
  bool probeBack;  // the library's failure table: which results leave the new probe open
  UpdateFailure failure;
};

// Everything is the probe's or a file's failure (74) except the allocation of the image,
// which is this machine's (70).
constexpr Row kRows[] = {
    {KST_ERR_DFU_ALREADY_ON_BUS,
     false,
     {"switch", "switching the probe into its bootloader", kExitIo}},
    {KST_ERR_DFU_NOT_APPEARED,
     false,
     {"switch", "switching the probe into its bootloader", kExitIo}},
    {KST_ERR_DFU_OPEN, false, {"connect", "connecting to the bootloader", kExitIo}},
    {KST_ERR_FIRMWARE_OPEN, false, {"image", "reading the firmware image", kExitIo}},
    {KST_ERR_FIRMWARE_READ, false, {"image", "reading the firmware image", kExitIo}},
    {KST_ERR_NO_MEMORY, false, {"image", "reading the firmware image", kExitInternal}},
    {KST_ERR_DFU_DOWNLOAD, false, {"download", "downloading the firmware", kExitIo}},
    {KST_ERR_REOPEN, false, {"reboot", "reopening the probe after its reboot", kExitIo}},
    {KST_ERR_UPDATE_VERSION, true, {"verify", "checking the new firmware's version", kExitIo}},
};

}  // namespace

UpdateFailure updateFailure(int32_t result, bool probeBack) {
  // After the reopen any other result is the version read's; before it every result is one of
  // the table's, so an unknown one is still named by the step the probe reached.
  for (const Row& row : kRows)
    if (row.result == result && row.probeBack == probeBack) return row.failure;
  if (probeBack) return {"verify", "reading the new firmware's version", kExitIo};
  return {"update", "updating the firmware", kExitIo};
}

}  // namespace tool
