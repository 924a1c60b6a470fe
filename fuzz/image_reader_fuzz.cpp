// Feeds arbitrary files to one image reader of mem write FILE (chosen at build time by
// IMAGE_FORMAT) and checks what it accepts: regions sorted, apart, and inside the caps.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  tool::BufferSource source(data, size);
  tool::Image image;
  std::string error;
  if (!tool::readImage(tool::ImageFormat::IMAGE_FORMAT, source, image, error)) return 0;
  bool first = true;
  uint64_t end = 0;
  for (const tool::ImageRegion& region : image.regions) {
    if (region.bytes.empty() || (!first && region.address <= end + 1)) std::abort();
    first = false;
    end = region.address + region.bytes.size() - 1;
  }
  if (image.size() > tool::kMaxImageBytes || image.regions.size() > tool::kMaxImageRegions)
    std::abort();
  return 0;
}
