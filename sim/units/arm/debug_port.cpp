#include "debug_port.h"

namespace ksim {
namespace {

constexpr uint32_t kApSelectShift = 24;
constexpr uint32_t kBankMask = 0xF0;
constexpr uint32_t kFailed = 1;  // the result word of a failed operation in the log

}  // namespace

DebugPort::DebugPort(const TargetConfig& config, SparseMemory& memory) : idcode_(config.dpIdcode) {
  for (const MemApConfig& ap : config.aps) aps_.emplace_back(ap, memory);
}

void DebugPort::record(uint32_t type, uint32_t ap, uint32_t address, uint32_t value, bool ok) {
  if (recorder_) recorder_({type, ap, address, value, ok ? 0 : kFailed, depth_});
}

bool DebugPort::dpRead(uint8_t address, uint32_t& value) {
  bool ok = true;
  switch (address) {
    case kIdcode:
      value = idcode_;
      break;
    case kCtrlStat:
      value = ctrlStat_;
      break;
    case kSelect:
      value = select_;
      break;
    case kRdbuff:
      value = readBuffer_;
      break;
    default:
      value = 0;
      ok = false;
  }
  record(address == kRdbuff ? kFinalRdbuff : kDpRead, 0, address, value, ok);
  return ok;
}

// The acknowledges follow the requests: this target's power controller answers at once.
bool DebugPort::dpWrite(uint8_t address, uint32_t value, bool flush) {
  bool ok = true;
  switch (address) {
    case kAbort:
      if (value & kStickyErrorClear) ctrlStat_ &= ~kStickyError;
      break;
    case kCtrlStat: {
      const uint32_t requests = value & kPowerRequests;
      ctrlStat_ = (ctrlStat_ & kStickyError) | requests | (requests << 1);
      break;
    }
    case kSelect:
      select_ = value;
      break;
    default:
      ok = false;
  }
  record(flush ? kDpWriteFlush : kDpWrite, 0, address, value, ok);
  return ok;
}

bool DebugPort::powered() const {
  constexpr uint32_t kAcks = kDebugPowerAck | kSystemPowerAck;
  return (ctrlStat_ & kAcks) == kAcks;
}

bool DebugPort::powerUp() {
  Nested nested(*this);
  uint32_t status = 0;
  return dpWrite(kCtrlStat, kPowerRequests) && dpRead(kCtrlStat, status) && powered();
}

void DebugPort::powerDown() {
  Nested nested(*this);
  dpWrite(kCtrlStat, 0);
}

bool DebugPort::selectFor(uint8_t ap, uint8_t offset) {
  const uint32_t wanted = static_cast<uint32_t>(ap) << kApSelectShift | (offset & kBankMask);
  return select_ == wanted || dpWrite(kSelect, wanted);
}

bool DebugPort::apAccess(uint8_t ap, uint8_t offset, uint32_t& value, bool isWrite, bool flush) {
  bool ok = ap < aps_.size() && powered();
  {
    Nested nested(*this);
    if (ok) ok = selectFor(ap, offset);
    if (ok) ok = isWrite ? aps_[ap].write(offset, value) : aps_[ap].read(offset, readBuffer_);
    if (ok && !isWrite) ok = dpRead(kRdbuff, value);
    if (ok && flush) ok = dpRead(kRdbuff, readBuffer_);
  }
  if (!ok && ap < aps_.size() && powered()) ctrlStat_ |= kStickyError;
  record(isWrite ? (flush ? kApWriteFlush : kApWrite) : kApRead, ap, offset, value, ok);
  return ok;
}

bool DebugPort::apRead(uint8_t ap, uint8_t offset, uint32_t& value) {
  return apAccess(ap, offset, value, false, false);
}

bool DebugPort::apWrite(uint8_t ap, uint8_t offset, uint32_t value, bool flush) {
  return apAccess(ap, offset, value, true, flush);
}

}  // namespace ksim
