#include "image/load_image.h"

#include <algorithm>

#include "exit_status.h"
#include "image/file_source.h"

namespace tool {

int loadImage(InputFile& file, const std::string& path, const std::string& format, Image& image,
              std::string& error) {
  FileSource source(file);
  ImageFormat kind = ImageFormat::Unknown;
  if (!format.empty()) {
    parseFormatName(format, kind);  // the command line took only known names
  } else {
    uint8_t head[64];
    const std::size_t length =
        static_cast<std::size_t>(std::min<uint64_t>(sizeof head, file.size()));
    if (!source.read(0, head, length, error)) return kExitIo;
    kind = detectFormat(head, length);
  }
  if (kind == ImageFormat::Unknown || kind == ImageFormat::Binary) {
    error = path +
            " is not an ELF, Intel HEX or S-record image; a raw binary needs its address: mem "
            "write ADDR FILE";
    return kExitDataErr;
  }
  if (readImage(kind, source, image, error)) return kExitOk;
  error = path + " (" + formatName(kind) + ") " + error;
  return kExitDataErr;
}

}  // namespace tool
