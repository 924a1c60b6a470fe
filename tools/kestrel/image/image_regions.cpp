#include "image/image_regions.h"

#include <algorithm>

#include "address_range.h"
#include "number.h"

namespace tool {

uint64_t Image::size() const {
  uint64_t total = 0;
  for (const ImageRegion& region : regions) total += region.bytes.size();
  return total;
}

bool BufferSource::read(uint64_t offset, uint8_t* out, std::size_t length, std::string& error) {
  if (offset > size_ || length > size_ - offset) {
    error = "ends early";
    return false;
  }
  std::copy(data_ + offset, data_ + offset + length, out);
  return true;
}

bool RegionCollector::add(uint64_t address, const uint8_t* bytes, std::size_t length,
                          std::string& error) {
  if (length == 0) return true;
  if (const std::string problem = rangeProblem(address, length, AddressFamily::Bits64);
      !problem.empty()) {
    error = problem;
    return false;
  }
  if (length > kMaxImageBytes - total_) {
    error = "holds more than the " + std::to_string(kMaxImageBytes >> 20) +
            " MiB an image may put into memory";
    return false;
  }
  total_ += length;
  std::vector<ImageRegion>& regions = collected_.regions;
  if (!regions.empty() && regions.back().address + regions.back().bytes.size() == address) {
    regions.back().bytes.insert(regions.back().bytes.end(), bytes, bytes + length);
    return true;
  }
  if (regions.size() == kMaxImageRegions) {
    error = "has more than " + std::to_string(kMaxImageRegions) + " separate regions";
    return false;
  }
  regions.push_back({address, std::vector<uint8_t>(bytes, bytes + length)});
  return true;
}

bool RegionCollector::finish(Image& image, std::string& error) {
  std::vector<ImageRegion>& regions = collected_.regions;
  std::sort(regions.begin(), regions.end(),
            [](const ImageRegion& a, const ImageRegion& b) { return a.address < b.address; });
  image.regions.clear();
  for (ImageRegion& region : regions) {
    if (!image.regions.empty()) {
      ImageRegion& last = image.regions.back();
      const uint64_t end = last.address + last.bytes.size();
      if (region.address < end) {
        error = "writes " + hexAddress(region.address) + " twice (regions overlap)";
        return false;
      }
      if (region.address == end) {
        last.bytes.insert(last.bytes.end(), region.bytes.begin(), region.bytes.end());
        continue;
      }
    }
    image.regions.push_back(std::move(region));
  }
  regions.clear();
  return true;
}

bool hexBytes(const char* text, std::size_t count, uint8_t* bytes, int& sum) {
  sum = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int high = hexDigit(text[2 * i]), low = high < 0 ? -1 : hexDigit(text[2 * i + 1]);
    if (low < 0) return false;
    bytes[i] = static_cast<uint8_t>(high * 16 + low);
    sum += bytes[i];
  }
  return true;
}

}  // namespace tool
