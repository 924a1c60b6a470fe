// Writes the virtual probe's firmware image: make_firmware_image FILE VERSION [KIB], the
// version as hexadecimal (0x03000029), the size in KiB (12 unless given).
#include <cstdio>
#include <cstdlib>

#include "firmware_image.h"

int main(int argc, char** argv) {
  const std::size_t kib = argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 12;
  if ((argc != 3 && argc != 4) || kib == 0) {
    std::fprintf(stderr, "usage: %s FILE VERSION [KIB]\n", argv[0]);
    return 2;
  }
  const auto version = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 16));
  const std::vector<uint8_t> image = ksim::firmwareImage(version, kib * 1024);
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr || std::fwrite(image.data(), 1, image.size(), file) != image.size()) {
    std::perror(argv[1]);
    return 1;
  }
  return std::fclose(file) == 0 ? 0 : 1;
}
