// A memory image with its own addresses (ELF, Intel HEX, Motorola S-record): the regions of
// bytes it puts into target memory, sorted by address, none overlapping, adjacent ones joined.
// Every reader decodes untrusted bytes: lengths are checked before they are used, and a file
// that breaks its format is refused with one line saying where.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tool {

struct ImageRegion {
  uint64_t address;
  std::vector<uint8_t> bytes;
};

struct Image {
  std::vector<ImageRegion> regions;
  uint64_t size() const;  // the bytes of all regions
};

enum class ImageFormat { Unknown, Binary, Elf, IntelHex, SRecord };

// Random access to a file's bytes (a file on disk, or a buffer in the fuzz targets).
class ImageSource {
 public:
  virtual ~ImageSource() = default;
  virtual uint64_t size() const = 0;
  // Exactly length bytes from offset, or false with the reason in error.
  virtual bool read(uint64_t offset, uint8_t* out, std::size_t length, std::string& error) = 0;
};

class BufferSource : public ImageSource {
 public:
  BufferSource(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  uint64_t size() const override { return size_; }
  bool read(uint64_t offset, uint8_t* out, std::size_t length, std::string& error) override;

 private:
  const uint8_t* data_;
  std::size_t size_;
};

// What an image may hold: its bytes are kept in memory until they are written.
constexpr uint64_t kMaxImageBytes = uint64_t{64} << 20;
constexpr std::size_t kMaxImageRegions = 4096;

// The format the first bytes show: ELF by its magic, Intel HEX by ':', S-record by 'S' and a
// digit; Unknown otherwise.
ImageFormat detectFormat(const uint8_t* head, std::size_t length);
const char* formatName(ImageFormat format);  // "elf", "ihex", "srec", "bin"
bool parseFormatName(const std::string& name, ImageFormat& format);

// Each reader fills image, or returns false with the reason (no file name) in error.
bool readElf(ImageSource& source, Image& image, std::string& error);
bool readIntelHex(ImageSource& source, Image& image, std::string& error);
bool readSRecord(ImageSource& source, Image& image, std::string& error);
bool readImage(ImageFormat format, ImageSource& source, Image& image, std::string& error);

}  // namespace tool
