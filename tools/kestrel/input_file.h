// A file the tool reads: its kind and size checked before anything of it is used, and its
// length checked again while it is read, since pipes and devices tell none in advance. It is
// read in pieces, so that a large file never sits in memory whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tool {

class InputFile {
 public:
  // Pipes and character devices (`-` for standard input among them) are taken only where
  // the reader says so; they are copied to an unlinked temporary file first, so that their
  // length is known, and the cap enforced, before any of their bytes is used.
  enum class Streams { Refused, Spooled };

  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens path for at most cap bytes: 0, or the exit status with the one-line reason in
  // error. 66 for a file that is missing, unreadable, a directory or a stream where only a
  // regular file will do; tooLarge for one longer than cap; 74 when reading it fails.
  int open(const std::string& path, uint64_t cap, Streams streams, int tooLarge,
           std::string& error);
  uint64_t size() const { return size_; }
  // Fills buffer with the next bytes (fewer only at the end): the count, or false when the
  // read failed or the file changed its length under the reader (error says so).
  bool read(uint8_t* buffer, std::size_t length, std::size_t& got, std::string& error);
  // Exactly length bytes from offset, wherever the reading stands (error says why not).
  bool readAt(uint64_t offset, uint8_t* buffer, std::size_t length, std::string& error);
  // Back to the first byte, for a second pass.
  bool rewind(std::string& error);

 private:
  bool spool(int from, uint64_t cap, std::string& error);

  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
};

// A small file read whole (a configuration): the status and reason as InputFile::open gives
// them; streams are taken, since they are read only once.
int readSmallFile(const std::string& path, uint64_t cap, int tooLarge, std::string& text,
                  std::string& error);

}  // namespace tool
