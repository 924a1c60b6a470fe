#include "firmware_image.h"

#include "bootloader.h"
#include "link/wire.h"

namespace ksim {

std::vector<uint8_t> firmwareImage(uint32_t version, std::size_t size) {
  std::vector<uint8_t> image(size < 32 ? 32 : size);
  uint32_t state = 0x4B455354;
  for (uint8_t& byte : image) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  kst::wire::putU32(image.data(), 0x20008000);      // initial stack pointer
  kst::wire::putU32(image.data() + 4, 0x00001901);  // reset handler (Thumb)
  kst::wire::putU32(image.data() + kImageVersionOffset, version);
  return image;
}

}  // namespace ksim
