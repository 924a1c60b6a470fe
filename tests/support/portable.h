// What the tests need of the operating system, the same on Linux and on Windows: the
// library's file names, loading modules, temporary directories, the environment and the
// exit status of a program run through the shell.
#pragma once

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <process.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kstest {

#ifdef _WIN32
inline constexpr char kLibraryFile[] = "jsckestrel.dll";
inline constexpr char kLibusbFile[] = "libusb-1.0.dll";
// Windows has no named pipes in the file system, and system() runs cmd.exe.
inline constexpr bool kHasFifos = false;
inline constexpr bool kPosixShell = false;
// No libusb-1.0.dll comes with the system: one is installed beside the program or on PATH.
inline constexpr bool kSystemLibusb = false;
// fopen refuses a directory; Linux opens it and fails the first read.
inline constexpr bool kOpensDirectories = false;

inline void* loadModule(const std::string& path) { return LoadLibraryA(path.c_str()); }
inline void* loadedModule(const char* name) { return GetModuleHandleA(name); }
inline void* moduleFunction(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
inline void closeModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }
inline int processId() { return _getpid(); }
// _putenv_s changes the C library's copy that getenv reads; an empty value removes the name.
inline void setEnvironment(const char* name, const char* value) {
  _putenv_s(name, value == nullptr ? "" : value);
}
inline int exitStatus(int systemResult) { return systemResult; }
// A path as the system names the file it opens (Windows: with its drive and backslashes).
inline std::string systemPath(const std::string& path) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length == 0 || length >= sizeof full ? path : std::string(full, length);
}
// The full file name of the loaded module of that file name, or empty.
inline std::string loadedModuleFile(const char* name) {
  char path[MAX_PATH];
  const HMODULE module = GetModuleHandleA(name);
  const DWORD length = module == nullptr ? 0 : GetModuleFileNameA(module, path, sizeof path);
  return length == 0 || length >= sizeof path ? std::string() : std::string(path, length);
}
inline bool makeFifo(const std::string&) { return false; }
#else
inline constexpr char kLibraryFile[] = "libjsckestrel.so";
inline constexpr char kLibusbFile[] = "libusb-1.0.so.0";
inline constexpr bool kHasFifos = true;
inline constexpr bool kPosixShell = true;
// The distribution's libusb-1.0 (the test suite's set-up installs it).
inline constexpr bool kSystemLibusb = true;
inline constexpr bool kOpensDirectories = true;

inline void* loadModule(const std::string& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
inline void* loadedModule(const char* name) { return dlopen(name, RTLD_NOW | RTLD_NOLOAD); }
inline void* moduleFunction(void* module, const char* name) { return dlsym(module, name); }
inline void closeModule(void* module) { dlclose(module); }
inline int processId() { return getpid(); }
inline void setEnvironment(const char* name, const char* value) {
  if (value == nullptr)
    unsetenv(name);
  else
    setenv(name, value, 1);
}
inline int exitStatus(int systemResult) {
  return WIFEXITED(systemResult) ? WEXITSTATUS(systemResult) : -1;
}
inline bool makeFifo(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }
inline std::string systemPath(const std::string& path) { return path; }
inline std::string loadedModuleFile(const char* name) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    const auto slash = line.find('/');
    if (slash != std::string::npos && line.find(name) != std::string::npos)
      return line.substr(slash);
  }
  return {};
}
#endif

// A new empty directory under the system's temporary directory, named prefix-<pid>-<n>.
inline std::filesystem::path temporaryDirectory(const char* prefix) {
  static std::atomic<unsigned> serial{0};
  for (;;) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       (std::string(prefix) + "-" + std::to_string(processId()) +
                                        "-" + std::to_string(serial++));
    if (std::filesystem::create_directory(path)) return path;
  }
}

}  // namespace kstest
