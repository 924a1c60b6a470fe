#include "update_image.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "exit_status.h"
#include "firmware_version.h"
#include "platform/os.h"

namespace tool {
namespace {

constexpr const char* kImageRelative = "kestrel/firmware_3.0.0.29.bin";
constexpr std::size_t kDfuSuffixBytes = 16;

uint32_t le32(const std::vector<uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// The DFU 1.1 suffix: ..., "UFD" backwards and its own length 16, then a CRC word.
bool hasDfuSuffix(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < kDfuSuffixBytes) return false;
  const uint8_t* tail = bytes.data() + bytes.size() - 8;
  return tail[0] == 'U' && tail[1] == 'F' && tail[2] == 'D' && tail[3] == kDfuSuffixBytes;
}

ImageCheck refused(int status, const std::string& path, const std::string& what) {
  ImageCheck check;
  check.status = status;
  check.error = "the firmware image " + path + " " + what;
  return check;
}

// The file's bytes, at most kMaxImageBytes + 1 of them: a larger file is refused by its size
// without being read whole.
bool readBounded(int fd, std::vector<uint8_t>& bytes) {
  bytes.resize(kMaxImageBytes + 1);
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return true;
}

}  // namespace

bool libraryImagePath(std::string& path, std::string& error) {
  // The library's own file, as the dynamic loader has it: the library builds the same path
  // from the same record.
  std::string library;
  if (!os::kestrelLibraryFile(library)) {
    error = "cannot find the file of the loaded libjsckestrel";
    return false;
  }
  // Shown without the loader's detours (bin/../lib); the same directory either way.
  path = os::canonicalPath(os::directoryOf(library)) + "/" + kImageRelative;
  return true;
}

ImageCheck checkImage(const std::string& path) {
  const int fd = os::openForReading(path);
  // Windows does not open a directory at all.
  std::error_code failed;
  if (fd < 0 && std::filesystem::is_directory(path, failed))
    return refused(kExitNoInput, path, "is not a regular file");
  if (fd < 0) return refused(kExitNoInput, path, std::string("cannot be read: ") + std::strerror(errno));
  struct stat status {};
  std::vector<uint8_t> bytes;
  const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  const bool read = regular && readBounded(fd, bytes);
  const int readError = errno;
  ::close(fd);
  if (!regular) return refused(kExitNoInput, path, "is not a regular file");
  if (!read) return refused(kExitNoInput, path, std::string("cannot be read: ") + std::strerror(readError));

  const uint64_t size = bytes.size();
  if (size > kMaxImageBytes)
    return refused(kExitDataErr, path,
                   "is larger than the probe's flash takes (" + std::to_string(kMaxImageBytes) +
                       " bytes)");
  if (size < kMinImageBytes)
    return refused(kExitDataErr, path,
                   "has " + std::to_string(size) + " bytes; an image has at least " +
                       std::to_string(kMinImageBytes) + " (its vector table with the version)");
  if (size % 4 != 0)
    return refused(kExitDataErr, path,
                   "has " + std::to_string(size) + " bytes, not a whole number of words: cut off?");
  if (hasDfuSuffix(bytes))
    return refused(kExitDataErr, path,
                   "ends in a DFU suffix; give the raw image (dfu-suffix --delete removes it)");
  if ((le32(bytes, kResetVectorOffset) & 1) == 0)
    return refused(kExitDataErr, path, "has no Thumb reset handler: not a probe firmware image");
  const uint32_t version = le32(bytes, kImageVersionOffset);
  if (!firmwareAccepted(version))
    return refused(kExitDataErr, path,
                   "holds firmware " + firmwareVersionText(version) +
                       ", which this library does not accept (3.0.0.29 or later within 3.0)");
  ImageCheck check;
  check.bytes = size;
  check.version = version;
  return check;
}

}  // namespace tool
