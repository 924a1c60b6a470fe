#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "exit_status.h"
#include "kestrel/kst_probe.h"
#include "platform/os.h"

namespace tool::os {

const char* const kLibusbName = "libusb-1.0.so.0";
const char* const kLoggerName = "libnimbus_logger.so";

void* loadLibrary(const std::string& path, bool global) {
  return dlopen(path.c_str(), RTLD_NOW | (global ? RTLD_GLOBAL : RTLD_LOCAL));
}

void* loadedLibrary(const char* name) { return dlopen(name, RTLD_NOW | RTLD_NOLOAD); }

void* findFunction(void* module, const char* name) { return dlsym(module, name); }

bool kestrelLibraryFile(std::string& file) {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&KST_Open), &info) == 0 || info.dli_fname == nullptr)
    return false;
  file = info.dli_fname;
  return true;
}

std::string programDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  path[length] = '\0';
  return directoryOf(path);
}

std::string canonicalPath(const std::string& path) {
  std::string resolved = path;
  if (char* real = realpath(path.c_str(), nullptr)) {
    resolved = real;
    std::free(real);
  }
  return resolved;
}

std::string directoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool sameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second{};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool makeTemporaryDirectory(std::string& path) {
  std::error_code failed;
  std::filesystem::path temporary = std::filesystem::temp_directory_path(failed);
  if (failed) temporary = "/tmp";
  path = (temporary / "kestrel-XXXXXX").string();
  return mkdtemp(&path[0]) != nullptr;
}

namespace {

int statusOf(int wait) {
  if (WIFEXITED(wait)) return WEXITSTATUS(wait);
  if (WIFSIGNALED(wait)) return 128 + WTERMSIG(wait);
  return kExitInternal;
}

}  // namespace

// LD_LIBRARY_PATH comes before the program's RUNPATH. Like system(), the waiting parent
// ignores the terminal's interrupt: the run decides what it means.
int runAgainWithLibraries(char** argv, const std::string& directory, const char* marker,
                          std::string& error) {
  struct sigaction ignore {}, savedInt{}, savedQuit{};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &savedInt);
  sigaction(SIGQUIT, &ignore, &savedQuit);
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    sigaction(SIGINT, &savedInt, nullptr);
    sigaction(SIGQUIT, &savedQuit, nullptr);
    std::string path = directory;
    if (const char* before = std::getenv("LD_LIBRARY_PATH"); before != nullptr && *before != 0)
      path += std::string(":") + before;
    setenv("LD_LIBRARY_PATH", path.c_str(), 1);
    setenv(marker, directory.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::fprintf(stderr, "kestrel: cannot run itself again on the private library copy\n");
    _exit(kExitInternal);
  }
  int wait = 0;
  const bool waited = child > 0 && waitpid(child, &wait, 0) == child;
  sigaction(SIGINT, &savedInt, nullptr);
  sigaction(SIGQUIT, &savedQuit, nullptr);
  if (!waited) {
    error = "cannot run itself again on the private library copy";
    return -1;
  }
  return statusOf(wait);
}

int openForReading(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

int createForWriting(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

long long readAt(int fd, void* buffer, std::size_t length, unsigned long long offset) {
  return pread(fd, buffer, length, static_cast<off_t>(offset));
}

void makeBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK); }

bool isStream(int mode) { return S_ISFIFO(mode) || S_ISCHR(mode) || S_ISSOCK(mode); }

bool isTerminal(int fd) { return isatty(fd) == 1; }

void useBinaryStandardStreams() {}

// Looks through every process's open descriptors for the device's usbfs node.
std::string deviceHolder(unsigned bus, unsigned address) {
  char node[32];
  std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", bus, address);
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return {};
  std::string holder;
  const std::string self = std::to_string(getpid());
  while (const dirent* process = readdir(processes)) {
    const std::string pid = process->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
      continue;
    const std::string fds = "/proc/" + pid + "/fd";
    DIR* descriptors = opendir(fds.c_str());
    if (descriptors == nullptr) continue;
    while (const dirent* fd = readdir(descriptors)) {
      char target[PATH_MAX];
      const ssize_t n = readlink((fds + "/" + fd->d_name).c_str(), target, sizeof target - 1);
      if (n <= 0 || std::string(target, static_cast<std::size_t>(n)) != node) continue;
      std::string name;
      std::getline(std::ifstream("/proc/" + pid + "/comm"), name);
      holder = name + " (pid " + pid + ")";
      break;
    }
    closedir(descriptors);
    if (!holder.empty()) break;
  }
  closedir(processes);
  return holder;
}

}  // namespace tool::os
