// Writes the virtual probe's firmware image: make_firmware_image FILE VERSION, the version
// as hexadecimal (0x03000029).
#include <cstdio>
#include <cstdlib>

#include "firmware_image.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FILE VERSION\n", argv[0]);
    return 2;
  }
  const auto version = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 16));
  const std::vector<uint8_t> image = ksim::firmwareImage(version);
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr || std::fwrite(image.data(), 1, image.size(), file) != image.size()) {
    std::perror(argv[1]);
    return 1;
  }
  return std::fclose(file) == 0 ? 0 : 1;
}
