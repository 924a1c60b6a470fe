// Little-endian packing of the probe's wire format. Every field is written and read byte by
// byte; no record is ever laid over the buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kst::wire {

inline void putU16(uint8_t* at, uint16_t value) noexcept {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

inline void putU32(uint8_t* at, uint32_t value) noexcept {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void putU64(uint8_t* at, uint64_t value) noexcept {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint16_t getU16(const uint8_t* at) noexcept {
  return static_cast<uint16_t>(at[0] | (static_cast<uint16_t>(at[1]) << 8));
}

inline uint32_t getU32(const uint8_t* at) noexcept {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
         (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

inline uint64_t getU64(const uint8_t* at) noexcept {
  return static_cast<uint64_t>(getU32(at)) | (static_cast<uint64_t>(getU32(at + 4)) << 32);
}

// Reads fields in order from a bounded span. Reading past the end yields zeros and marks
// the reader as short instead of touching memory outside the span.
class Reader {
 public:
  Reader(const uint8_t* data, std::size_t size) noexcept : data_(data), size_(size) {}

  uint8_t u8() noexcept { return take(1) ? data_[pos_ - 1] : 0; }
  uint16_t u16() noexcept { return take(2) ? getU16(data_ + pos_ - 2) : 0; }
  uint32_t u32() noexcept { return take(4) ? getU32(data_ + pos_ - 4) : 0; }
  uint64_t u64() noexcept { return take(8) ? getU64(data_ + pos_ - 8) : 0; }
  // Pointer to the next count bytes, or null when fewer remain.
  const uint8_t* bytes(std::size_t count) noexcept {
    return take(count) ? data_ + pos_ - count : nullptr;
  }

  // Copies the next count bytes to out (zeros past the end, as the other readers).
  void copyTo(void* out, std::size_t count) noexcept {
    if (count == 0) return;
    const uint8_t* from = bytes(count);
    if (from != nullptr)
      std::memcpy(out, from, count);
    else
      std::memset(out, 0, count);
  }

  bool ok() const noexcept { return !short_; }
  std::size_t remaining() const noexcept { return size_ - pos_; }

 private:
  bool take(std::size_t count) noexcept {
    if (count > size_ - pos_) {
      short_ = true;
      return false;
    }
    pos_ += count;
    return true;
  }

  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool short_ = false;
};

}  // namespace kst::wire
