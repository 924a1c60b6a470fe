#include "mem_ap.h"

namespace ksim {
namespace {

constexpr uint64_t kAutoIncrementBlock = 0x3FF;
constexpr uint32_t kLargeAddress = 0x2;

unsigned bytesOfSize(uint32_t size) {
  return size <= 2 ? 1u << size : 0u;
}

}  // namespace

uint64_t MemAp::mask(uint64_t address) const {
  return config_.largeAddress ? address : address & 0xFFFFFFFFu;
}

bool MemAp::access(uint64_t address, uint32_t& value, bool isWrite) {
  const unsigned bytes = bytesOfSize(csw_ & kSizeMask);
  if (bytes == 0 || address % bytes != 0 || memory_->faults(address, bytes)) return false;
  const unsigned lane = static_cast<unsigned>(address & 3);
  uint8_t data[4] = {};
  if (isWrite) {
    for (unsigned i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(value >> (8 * (lane + i)));
    memory_->write(address, data, bytes);
    return true;
  }
  memory_->read(address, data, bytes);
  value = 0;
  for (unsigned i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(data[i]) << (8 * (lane + i));
  return true;
}

void MemAp::advance() {
  if ((csw_ & kIncrementMask) != kIncrementSingle) return;
  const uint64_t next = tar_ + bytesOfSize(csw_ & kSizeMask);
  tar_ = mask((tar_ & ~kAutoIncrementBlock) | (next & kAutoIncrementBlock));
}

bool MemAp::read(uint8_t offset, uint32_t& value) {
  switch (offset) {
    case kCsw:
      value = csw_ | kDeviceEnabled;
      return true;
    case kTar:
      value = static_cast<uint32_t>(tar_);
      return true;
    case kTarHigh:
      value = config_.largeAddress ? static_cast<uint32_t>(tar_ >> 32) : 0;
      return true;
    case kDrw:
      if (!access(tar_, value, false)) return false;
      advance();
      return true;
    case kCfg:
      value = config_.largeAddress ? kLargeAddress : 0;
      return true;
    case kBase:
      value = config_.base;
      return true;
    case kIdr:
      value = config_.idr;
      return true;
    default:
      if (offset >= kBd0 && offset < kBd0 + 16) {
        const uint32_t size = csw_;
        csw_ = (csw_ & ~kSizeMask) | 2;  // banked data registers are word accesses
        const bool ok = access(mask((tar_ & ~uint64_t{0xF}) + (offset - kBd0)), value, false);
        csw_ = size;
        return ok;
      }
      value = 0;
      return true;
  }
}

bool MemAp::write(uint8_t offset, uint32_t value) {
  switch (offset) {
    case kCsw:
      csw_ = value & ~kDeviceEnabled;
      return true;
    case kTar:
      tar_ = (tar_ & ~uint64_t{0xFFFFFFFF}) | value;
      return true;
    case kTarHigh:
      if (config_.largeAddress) tar_ = (tar_ & 0xFFFFFFFFu) | static_cast<uint64_t>(value) << 32;
      return true;
    case kDrw:
      if (!access(tar_, value, true)) return false;
      advance();
      return true;
    default:
      if (offset >= kBd0 && offset < kBd0 + 16) {
        const uint32_t size = csw_;
        csw_ = (csw_ & ~kSizeMask) | 2;
        const bool ok = access(mask((tar_ & ~uint64_t{0xF}) + (offset - kBd0)), value, true);
        csw_ = size;
        return ok;
      }
      return true;  // read-only and unimplemented registers ignore writes
  }
}

}  // namespace ksim
