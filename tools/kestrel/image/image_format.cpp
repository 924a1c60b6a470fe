#include "image/image.h"

namespace tool {

ImageFormat detectFormat(const uint8_t* head, std::size_t length) {
  if (length >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
    return ImageFormat::Elf;
  std::size_t i = 0;
  while (i < length && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n'))
    ++i;
  if (i < length && head[i] == ':') return ImageFormat::IntelHex;
  if (i + 1 < length && head[i] == 'S' && head[i + 1] >= '0' && head[i + 1] <= '9')
    return ImageFormat::SRecord;
  return ImageFormat::Unknown;
}

const char* formatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::Binary:
      return "bin";
    case ImageFormat::Elf:
      return "elf";
    case ImageFormat::IntelHex:
      return "ihex";
    case ImageFormat::SRecord:
      return "srec";
    case ImageFormat::Unknown:
      break;
  }
  return "unknown";
}

bool parseFormatName(const std::string& name, ImageFormat& format) {
  for (const ImageFormat known :
       {ImageFormat::Binary, ImageFormat::Elf, ImageFormat::IntelHex, ImageFormat::SRecord}) {
    if (name != formatName(known)) continue;
    format = known;
    return true;
  }
  return false;
}

bool readImage(ImageFormat format, ImageSource& source, Image& image, std::string& error) {
  switch (format) {
    case ImageFormat::Elf:
      return readElf(source, image, error);
    case ImageFormat::IntelHex:
      return readIntelHex(source, image, error);
    case ImageFormat::SRecord:
      return readSRecord(source, image, error);
    default:
      break;
  }
  error = "is not an ELF, Intel HEX or S-record image";
  return false;
}

}  // namespace tool
