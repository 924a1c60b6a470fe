// The DFU 1.1 state machine of the bootloader's control endpoint.
#include "bootloader.h"

#include <algorithm>
#include <cstring>

#include "dfu_states.h"

namespace ksim {

using namespace dfu;

Bootloader::Bootloader(const BootloaderConfig& config, const BootloaderFaults& faults)
    : config_(config),
      faults_(faults),
      flash_(static_cast<std::size_t>(config.blockSize) * config.blockCount, 0xFF) {
  if (config.appStart >= flash_.size()) return;
  const std::size_t count = std::min(config.image.size(), flash_.size() - config.appStart);
  std::copy_n(config.image.begin(), count, flash_.begin() + config.appStart);
}

ControlReply Bootloader::control(const ControlRequest& request, uint8_t* data) {
  if (left_) return {ControlReply::kGone, 0};
  const uint8_t type = request.requestType & 0x60;
  if (type == 0x00) return standardRequest(request, data);
  const bool toOurInterface = (request.requestType & 0x1F) == 1 && request.index == 0;
  if (type != 0x20 || !toOurInterface) return {ControlReply::kStall, 0};
  if (request.request == kCorvidCheck && request.requestType == 0xA1) {
    if (request.length < 4) return {ControlReply::kStall, 0};
    const uint8_t reply[4] = {static_cast<uint8_t>(faults_.corvidMagic),
                              static_cast<uint8_t>(faults_.corvidMagic >> 8),
                              static_cast<uint8_t>(faults_.corvidVersion),
                              static_cast<uint8_t>(faults_.corvidVersion >> 8)};
    std::memcpy(data, reply, sizeof reply);
    return {ControlReply::kDone, sizeof reply};
  }
  return dfuRequest(request, data);
}

ControlReply Bootloader::stall(uint8_t status) {
  state_ = kError;
  status_ = status;
  pending_ = Pending::kNone;
  return {ControlReply::kStall, 0};
}

void Bootloader::enterPending(Pending pending, uint32_t pollMs) {
  pending_ = pending;
  // The bootloader's millisecond is 1000 ticks of its 1 048 576 Hz timer (about 0.954 ms),
  // the same count of units the host pauses for each millisecond of bwPollTimeout.
  pendingUntilUs_ = clock_ ? clock_() + pollMs * 1000000000ull / 1048576 : 0;
  pollRequestedMs_ += pollMs;
}

// Ends DNBUSY or MANIFEST once their poll time-out has passed; false when the host came
// back too early.
bool Bootloader::finishPending() {
  if (pending_ == Pending::kNone) return true;
  if (clock_ && clock_() < pendingUntilUs_) {
    ++earlyRequests_;
    return false;
  }
  if (pending_ == Pending::kBusy) {
    state_ = kDnloadSync;
  } else {
    manifested_ = true;
    state_ = (config_.attributes & kManifestationTolerant) ? kManifestSync : kManifestWaitReset;
  }
  pending_ = Pending::kNone;
  return true;
}

void Bootloader::endTransfers() {
  programming_ = false;
  uploadKind_ = Upload::kApplication;
  uploaded_ = 0;
}

ControlReply Bootloader::dfuRequest(const ControlRequest& request, uint8_t* data) {
  if (!finishPending()) return stall(kErrStalledPkt);
  if (state_ == kManifestWaitReset) return {ControlReply::kStall, 0};  // only a reset leaves
  const bool in = (request.requestType & 0x80) != 0;
  switch (request.request) {
    case kGetStatus:
      if (!in) break;
      return getStatus(data, request.length);
    case kGetState:
      if (!in || request.length < 1 || state_ == kDnBusy || state_ == kManifest) break;
      data[0] = state_;
      return {ControlReply::kDone, 1};
    case kClrStatus:
      if (in || state_ != kError) break;
      state_ = kIdle;
      status_ = kOk;
      endTransfers();
      return {ControlReply::kDone, 0};
    case kAbort:
      if (in || (state_ != kIdle && state_ != kDnloadIdle && state_ != kUploadIdle)) break;
      state_ = kIdle;
      endTransfers();
      return {ControlReply::kDone, 0};
    case kDnload:
      if (in || (state_ != kIdle && state_ != kDnloadIdle)) break;
      return download(request, data);
    case kUpload:
      if (!in || (state_ != kIdle && state_ != kUploadIdle)) break;
      if ((config_.attributes & kCanUpload) == 0) break;
      return upload(request, data);
    default:
      break;
  }
  return stall(kErrStalledPkt);
}

ControlReply Bootloader::getStatus(uint8_t* data, uint16_t length) {
  if (length < 6) return stall(kErrStalledPkt);
  uint32_t pollMs = 0;
  if (state_ == kDnloadSync) {
    if (busyPolls_ != 0) {
      pollMs = busyMs_;
      --busyPolls_;
      state_ = kDnBusy;
      enterPending(Pending::kBusy, pollMs);
    } else {
      state_ = afterSync_;
    }
  } else if (state_ == kManifestSync) {
    const bool tolerant = (config_.attributes & kManifestationTolerant) != 0;
    if (!manifested_ && (config_.manifestPollMs != 0 || !tolerant)) {
      pollMs = config_.manifestPollMs;
      state_ = kManifest;
      enterPending(Pending::kManifest, pollMs);
    } else {
      state_ = kIdle;
      endTransfers();
    }
  }
  const uint8_t reply[6] = {status_,
                            static_cast<uint8_t>(pollMs),
                            static_cast<uint8_t>(pollMs >> 8),
                            static_cast<uint8_t>(pollMs >> 16),
                            state_,
                            0};
  std::memcpy(data, reply, sizeof reply);
  if (leaveAfterStatus_ && state_ == kIdle) left_ = true;
  return {ControlReply::kDone, sizeof reply};
}

void Bootloader::busReset() {
  if (state_ == kManifestWaitReset) {
    left_ = true;  // manifestation done: the application starts
    return;
  }
  state_ = kIdle;
  status_ = kOk;
  pending_ = Pending::kNone;
  endTransfers();
}

}  // namespace ksim
