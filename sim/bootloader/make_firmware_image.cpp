// Writes the virtual probe's firmware image: make_firmware_image FILE VERSION [KIB], the
// version as hexadecimal (0x03000029), the size in KiB (12 unless given). The image is a vector
// table (stack top, reset handler, the version in the first reserved slot) followed by a fixed
// pseudo-random body, so a download that drops or swaps a block is caught by the verification.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bootloader.h"

int main(int argc, char** argv) {
  const std::size_t kib = argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 12;
  if ((argc != 3 && argc != 4) || kib == 0) {
    std::fprintf(stderr, "usage: %s FILE VERSION [KIB]\n", argv[0]);
    return 2;
  }
  std::vector<uint8_t> image(kib * 1024);
  uint32_t state = 0x4B455354;
  for (uint8_t& byte : image) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  const uint32_t words[3][2] = {{0, 0x20008000}, {4, 0x00001901}, {ksim::kImageVersionOffset, 0}};
  for (const auto& word : words) {
    const uint32_t value =
        word[0] == ksim::kImageVersionOffset ? std::strtoul(argv[2], nullptr, 16) : word[1];
    for (int i = 0; i < 4; ++i) image[word[0] + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr || std::fwrite(image.data(), 1, image.size(), file) != image.size()) {
    std::perror(argv[1]);
    return 1;
  }
  return std::fclose(file) == 0 ? 0 : 1;
}
