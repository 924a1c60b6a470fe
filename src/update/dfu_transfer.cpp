#include "dfu_transfer.h"

#include <memory>
#include <new>

#include "dfu_requests.h"

namespace kst::update {
namespace {

bool busy(uint8_t state) {
  return state == kDnloadSync || state == kDnBusy;
}

}  // namespace

int32_t bringToIdle(Handle& handle) {
  Status6 status{};
  if (!requestStatus(handle, status)) return DFU_ERR_UNKNOWN;
  switch (status.state) {
    case kAppIdle:
    case kAppDetach:
    case kManifestWaitReset:
      return DFU_ERR_UNSUPPORTED;
    case kDnloadSync:
    case kDnloadIdle:
    case kUploadIdle:
      return requestAbort(handle) ? DFU_OK : DFU_ERR_UNKNOWN;
    case kDnBusy:
      waitPollTimeout(handle, status.pollTimeoutMs);
      return requestAbort(handle) ? DFU_OK : DFU_ERR_UNKNOWN;
    case kManifestSync:
    case kManifest:
      if ((handle.attributes & kManifestationTolerant) == 0) return DFU_ERR_UNSUPPORTED;
      waitPollTimeout(handle, status.pollTimeoutMs);
      return requestAbort(handle) ? DFU_OK : DFU_ERR_UNKNOWN;
    case kError:
      return requestClearStatus(handle) ? DFU_OK : DFU_ERR_UNKNOWN;
    default:  // IDLE, and states DFU 1.1 does not know
      return DFU_OK;
  }
}

int32_t mapStatus(uint8_t status) {
  switch (status) {
    case kStatusOk:
      return DFU_OK;
    case kErrTarget:
    case kErrFile:
      return DFU_ERR_UNSUPPORTED;
    case kErrWrite:
    case kErrErase:
    case kErrCheckErased:
    case kErrProg:
    case kErrVerify:
    case kErrNotDone:
      return DFU_ERR_DNLOAD_FAIL;
    case kErrAddress:
      return DFU_ERR_INVALID_ADDR;
    case kErrStalledPkt:
      return DFU_ERR_STALL;
    default:
      return DFU_ERR_UNKNOWN;
  }
}

int32_t downloadBlock(Handle& handle, const uint8_t* block, uint32_t length, bool statusWait) {
  if (length > handle.transferSize) return DFU_ERR_INVALID_SIZE;
  const auto wanted = static_cast<uint16_t>(length);
  if (requestDownload(handle, block, wanted) != static_cast<int>(wanted)) return DFU_ERR_UNKNOWN;
  if (!statusWait) return DFU_OK;
  // The device names every wait and how many there are: an erase of a large flash may keep it
  // busy for minutes. The client sets no limit of its own; a device that has left the bus
  // ends the wait with a failed request.
  Status6 status{};
  for (;;) {
    if (!requestStatus(handle, status)) return DFU_ERR_UNKNOWN;
    if (!busy(status.state)) break;
    waitPollTimeout(handle, status.pollTimeoutMs);
  }
  return mapStatus(status.status);
}

int32_t downloadData(Handle& handle, const uint8_t* data, uint32_t size) {
  if (size != 0 && handle.transferSize == 0) return DFU_ERR_INVALID_SIZE;
  for (uint32_t done = 0; done < size;) {
    const uint32_t left = size - done;
    const uint32_t length = left < handle.transferSize ? left : handle.transferSize;
    const int32_t result = downloadBlock(handle, data + done, length, true);
    if (result != DFU_OK) return result;
    done += length;
  }
  return downloadBlock(handle, nullptr, 0, true);
}

int32_t uploadData(Handle& handle, uint8_t* out, uint32_t size) {
  if (size != 0 && handle.transferSize == 0) return DFU_ERR_INVALID_SIZE;
  for (uint32_t done = 0; done < size;) {
    const uint32_t left = size - done;
    const auto length =
        static_cast<uint16_t>(left < handle.transferSize ? left : handle.transferSize);
    if (requestUpload(handle, out + done, length) != length) return DFU_ERR_UNKNOWN;
    done += length;
  }
  return DFU_OK;
}

int32_t verifyImage(Handle& handle, const uint8_t* image, uint32_t size) {
  std::unique_ptr<uint8_t[]> flash(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
  if (!flash) return DFU_ERR_MEMORY;
  const int32_t uploaded = uploadData(handle, flash.get(), size);
  if (uploaded != DFU_OK) return uploaded;
  for (uint32_t i = 0; i < size; ++i) {
    if (flash[i] != image[i]) return DFU_ERR_VERIFY_FAIL;
  }
  return DFU_OK;
}

}  // namespace kst::update
