// What the image readers share: the collector of the pieces they decode into an image's regions,
// the S-record address widths and the decoding of hexadecimal byte pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/image.h"

namespace tool {

class RegionCollector {
 public:
  // Adds length bytes at address: false (error says why) past 2^64 or past the caps.
  bool add(uint64_t address, const uint8_t* bytes, std::size_t length, std::string& error);
  // Sorts and joins the regions into image: false when two of them overlap.
  bool finish(Image& image, std::string& error);

 private:
  Image collected_;
  uint64_t total_ = 0;
};

// The address bytes of each S-record type S0..S9 (0: S4, which is refused), for reading and
// writing them.
constexpr std::size_t kSRecordAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

// The count bytes written as pairs of hexadecimal digits at text, into bytes, and their sum;
// false at the first pair that is not two hexadecimal digits.
bool hexBytes(const char* text, std::size_t count, uint8_t* bytes, int& sum);

}  // namespace tool
