#include "image/record_writer.h"

#include "address_range.h"
#include "image/image_regions.h"

namespace tool {
namespace {

constexpr std::size_t kRecordBytes = 16;

void hexPair(std::string& text, uint8_t byte) {
  static const char kDigits[] = "0123456789ABCDEF";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 0xF];
}

}  // namespace

std::string recordRangeProblem(ImageFormat format, uint64_t address, uint64_t length) {
  if (format != ImageFormat::IntelHex && format != ImageFormat::SRecord) return {};
  const std::string problem = rangeProblem(address, length, AddressFamily::Bits32);
  if (problem.empty()) return {};
  return std::string(format == ImageFormat::IntelHex ? "Intel HEX" : "S-records") +
         " hold 32-bit addresses only: " + problem;
}

RecordWriter::RecordWriter(std::ostream& out, ImageFormat format, uint64_t address, uint64_t length)
    : out_(out), hex_(format == ImageFormat::IntelHex), address_(address) {
  const uint64_t last = length == 0 ? address : address + length - 1;
  addressBytes_ = last <= 0xFFFF ? 2 : last <= 0xFFFFFF ? 3 : 4;
  if (format == ImageFormat::SRecord) {
    const uint8_t header[] = {'k', 'e', 's', 't', 'r', 'e', 'l'};
    record(0, 0, header, sizeof header);
  }
}

void RecordWriter::record(int type, uint64_t address, const uint8_t* data, std::size_t count) {
  std::string text;
  uint8_t sum = 0;
  const auto put = [&](uint8_t byte) {
    hexPair(text, byte);
    sum = static_cast<uint8_t>(sum + byte);
  };
  if (hex_) {
    text = ":";
    put(static_cast<uint8_t>(count));
    put(static_cast<uint8_t>(address >> 8));
    put(static_cast<uint8_t>(address));
    put(static_cast<uint8_t>(type));
    for (std::size_t i = 0; i < count; ++i) put(data[i]);
    hexPair(text, static_cast<uint8_t>(-sum));
  } else {
    const std::size_t width = kSRecordAddressBytes[type];
    text = "S" + std::to_string(type);
    put(static_cast<uint8_t>(width + count + 1));
    for (std::size_t i = width; i-- > 0;) put(static_cast<uint8_t>(address >> 8 * i));
    for (std::size_t i = 0; i < count; ++i) put(data[i]);
    hexPair(text, static_cast<uint8_t>(~sum));
  }
  out_ << text << '\n';
}

void RecordWriter::flushData() {
  if (filled_ == 0) return;
  if (hex_) {
    if ((address_ >> 16) != upper_) {
      upper_ = address_ >> 16;
      const uint8_t upper[] = {static_cast<uint8_t>(upper_ >> 8), static_cast<uint8_t>(upper_)};
      record(4, 0, upper, sizeof upper);
    }
    record(0, address_ & 0xFFFF, line_, filled_);
  } else {
    record(static_cast<int>(addressBytes_) - 1, address_, line_, filled_);
  }
  ++records_;
  address_ += filled_;
  filled_ = 0;
}

void RecordWriter::add(const uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    line_[filled_++] = bytes[i];
    // A record ends at 16 bytes, and an Intel HEX record at its 64 KiB segment's end too.
    if (filled_ == kRecordBytes || (hex_ && ((address_ + filled_) & 0xFFFF) == 0)) flushData();
  }
}

void RecordWriter::finish() {
  flushData();
  if (hex_) {
    record(1, 0, nullptr, 0);
    return;
  }
  if (records_ <= 0xFFFF)
    record(5, records_, nullptr, 0);
  else if (records_ <= 0xFFFFFF)
    record(6, records_, nullptr, 0);
  record(static_cast<int>(11 - addressBytes_), 0, nullptr, 0);
}

}  // namespace tool
