#include "update_image.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tool {
namespace {

constexpr const char* kImageRelative = "kestrel/firmware_3.0.0.29.bin";

std::string directoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string systemError() {
  return std::strerror(errno);
}

// Writes all of source's bytes to fd; false with errno set.
bool copyInto(int fd, std::FILE* source) {
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), source);
    for (std::size_t done = 0; done < got;) {
      const ssize_t n = ::write(fd, buffer.data() + done, got - done);
      if (n < 0) return false;
      done += static_cast<std::size_t>(n);
    }
    if (got < buffer.size()) return std::ferror(source) == 0;
  }
}

}  // namespace

bool libraryImagePath(std::string& path, std::string& error) {
  // The library's own file, as the dynamic loader has it: the library builds the same path
  // from the same record.
  Dl_info info{};
  void* symbol = dlsym(RTLD_DEFAULT, "KST_AutoUpdate");
  if (symbol == nullptr || dladdr(symbol, &info) == 0 || info.dli_fname == nullptr) {
    error = "cannot find the file of the loaded libjsckestrel";
    return false;
  }
  // Shown without the loader's detours (bin/../lib); the same directory either way.
  std::string directory = directoryOf(info.dli_fname);
  if (char* resolved = realpath(directory.c_str(), nullptr)) {
    directory = resolved;
    std::free(resolved);
  }
  path = directory + "/" + kImageRelative;
  return true;
}

bool checkImage(const std::string& path, uint64_t& bytes, std::string& error) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    error = "the firmware image " + path + " cannot be used: " + systemError();
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    error = "the firmware image " + path + " is not a regular file";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "the firmware image " + path + " cannot be read: " + systemError();
    return false;
  }
  std::fclose(file);
  bytes = static_cast<uint64_t>(status.st_size);
  if (bytes == 0) {
    error = "the firmware image " + path + " is empty";
    return false;
  }
  if (bytes > kMaxImageBytes) {
    error = "the firmware image " + path + " has " + std::to_string(bytes) +
            " bytes; the probe's flash takes at most " + std::to_string(kMaxImageBytes);
    return false;
  }
  return true;
}

bool installImage(const std::string& source, const std::string& destination, std::string& error) {
  struct stat from {
  }, to{};
  if (stat(source.c_str(), &from) == 0 && stat(destination.c_str(), &to) == 0 &&
      from.st_dev == to.st_dev && from.st_ino == to.st_ino)
    return true;
  const std::string directory = directoryOf(destination);
  if (mkdir(directory.c_str(), 0755) != 0 && errno != EEXIST) {
    error = "cannot create " + directory + ": " + systemError();
    return false;
  }
  std::string temporary = destination + ".XXXXXX";
  const int fd = mkstemp(&temporary[0]);
  if (fd < 0) {
    error = "cannot install the firmware image in " + directory + ": " + systemError();
    return false;
  }
  std::string failure;
  std::FILE* input = std::fopen(source.c_str(), "rb");
  if (input == nullptr || !copyInto(fd, input) || fchmod(fd, 0644) != 0) failure = systemError();
  if (input != nullptr) std::fclose(input);
  if (close(fd) != 0 && failure.empty()) failure = systemError();
  if (failure.empty() && std::rename(temporary.c_str(), destination.c_str()) != 0)
    failure = systemError();
  if (failure.empty()) return true;
  std::remove(temporary.c_str());
  error = "cannot install " + source + " as " + destination + ": " + failure;
  return false;
}

}  // namespace tool
