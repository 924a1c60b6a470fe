#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "exit_status.h"

namespace tool {
namespace {

constexpr std::size_t kSpoolPiece = 64 * 1024;

std::string sizeText(uint64_t bytes) {
  if (bytes >= (uint64_t{1} << 30) && bytes % (uint64_t{1} << 30) == 0)
    return std::to_string(bytes >> 30) + " GiB";
  if (bytes >= (uint64_t{1} << 20) && bytes % (uint64_t{1} << 20) == 0)
    return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

// read(2) that resumes after signals.
ssize_t readSome(int fd, void* buffer, std::size_t length) {
  ssize_t n = 0;
  do n = ::read(fd, buffer, length);
  while (n < 0 && errno == EINTR);
  return n;
}

}  // namespace

InputFile::~InputFile() {
  if (fd_ >= 0) close(fd_);
}

int InputFile::open(const std::string& path, uint64_t cap, Streams streams, int tooLarge,
                    std::string& error) {
  path_ = path;
  const bool standardInput = path == "-" && streams == Streams::Spooled;
  // Not blocking in open: a FIFO without a writer would hold the tool before it can look.
  const int fd =
      standardInput ? dup(STDIN_FILENO) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return kExitNoInput;
  }
  struct stat status {};
  fstat(fd, &status);
  if (S_ISDIR(status.st_mode)) {
    close(fd);
    error = path + " is a directory, not a file";
    return kExitNoInput;
  }
  if (S_ISREG(status.st_mode)) {
    fd_ = fd;
    size_ = static_cast<uint64_t>(status.st_size);
    if (size_ <= cap) return kExitOk;
    error = path + " holds " + std::to_string(size_) + " bytes, more than the " + sizeText(cap) +
            " the tool takes";
    return tooLarge;
  }
  const bool stream =
      S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISSOCK(status.st_mode);
  if (!stream || streams == Streams::Refused) {
    close(fd);
    error = path + " is not a regular file";
    return kExitNoInput;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  const bool spooled = spool(fd, cap, error);
  close(fd);
  if (spooled) return kExitOk;
  return size_ > cap ? tooLarge : kExitIo;
}

bool InputFile::spool(int from, uint64_t cap, std::string& error) {
  FILE* temporary = std::tmpfile();
  if (temporary == nullptr) {
    error = std::string("cannot make a temporary file for ") + path_ + ": " + std::strerror(errno);
    return false;
  }
  fd_ = dup(fileno(temporary));
  std::fclose(temporary);
  std::vector<uint8_t> piece(kSpoolPiece);
  for (;;) {
    const ssize_t n = readSome(from, piece.data(), piece.size());
    if (n == 0) break;
    if (n < 0) {
      error = "cannot read " + path_ + ": " + std::strerror(errno);
      return false;
    }
    size_ += static_cast<uint64_t>(n);
    if (size_ > cap) {
      error = path_ + " holds more than the " + sizeText(cap) + " the tool takes";
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t written = ::write(fd_, piece.data() + done, static_cast<std::size_t>(n - done));
      if (written <= 0) {
        error = "cannot keep " + path_ + " in a temporary file: " + std::strerror(errno);
        return false;
      }
      done += written;
    }
  }
  return rewind(error);
}

bool InputFile::read(uint8_t* buffer, std::size_t length, std::size_t& got, std::string& error) {
  got = 0;
  while (got < length) {
    const ssize_t n = readSome(fd_, buffer + got, length - got);
    if (n < 0) {
      error = "cannot read " + path_ + ": " + std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  position_ += got;
  // A file that grows or shrinks while it is read no longer matches the checks made on its size.
  if (position_ > size_ || (got < length && position_ != size_)) {
    error = path_ + " changed its length while it was read";
    return false;
  }
  return true;
}

bool InputFile::readAt(uint64_t offset, uint8_t* buffer, std::size_t length, std::string& error) {
  std::size_t got = 0;
  while (got < length) {
    ssize_t n = 0;
    do n = pread(fd_, buffer + got, length - got, static_cast<off_t>(offset + got));
    while (n < 0 && errno == EINTR);
    if (n <= 0) {
      error = n < 0 ? "cannot read " + path_ + ": " + std::strerror(errno)
                    : path_ + " changed its length while it was read";
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  return true;
}

bool InputFile::rewind(std::string& error) {
  if (lseek(fd_, 0, SEEK_SET) != 0) {
    error = "cannot read " + path_ + " again: " + std::strerror(errno);
    return false;
  }
  position_ = 0;
  return true;
}

int readSmallFile(const std::string& path, uint64_t cap, int tooLarge, std::string& text,
                  std::string& error) {
  InputFile file;
  if (const int status = file.open(path, cap, InputFile::Streams::Spooled, tooLarge, error))
    return status;
  text.assign(static_cast<std::size_t>(file.size()), '\0');
  std::size_t got = 0;
  if (!file.read(reinterpret_cast<uint8_t*>(text.data()), text.size(), got, error)) return kExitIo;
  return kExitOk;
}

}  // namespace tool
