#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/os.h"

namespace tool::os {

const char* const kLibusbName = "libusb-1.0.dll";
const char* const kLoggerName = "nimbus_logger.dll";

namespace {

constexpr const char* kLibraryName = "jsckestrel.dll";
// A program run again from a private directory finds its libraries there, and its own
// installation (the virtual probe beside it) through this variable.
constexpr const char* kProgramDirectory = "KESTREL_PROGRAM_DIRECTORY";

std::string moduleFile(HMODULE module) {
  char path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  return std::string(path, length);
}

}  // namespace

// Any module already loaded answers a later LoadLibrary of its bare name: global needs
// nothing more here.
void* loadLibrary(const std::string& path, bool) {
  return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}

void* loadedLibrary(const char* name) { return reinterpret_cast<void*>(GetModuleHandleA(name)); }

void* findFunction(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

bool kestrelLibraryFile(std::string& file) {
  const HMODULE module = GetModuleHandleA(kLibraryName);
  if (module == nullptr) return false;
  file = moduleFile(module);
  return !file.empty();
}

std::string programDirectory() {
  if (const char* original = std::getenv(kProgramDirectory); original != nullptr && *original != 0)
    return original;
  const std::string file = moduleFile(nullptr);
  return file.empty() ? "." : directoryOf(file);
}

std::string canonicalPath(const std::string& path) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return path;
  return std::string(full, length);
}

std::string directoryOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  return separator == std::string::npos ? "." : path.substr(0, separator);
}

bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// The volume and the file's index on it: Windows' equivalent of a device and inode number.
bool fileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& identity) {
  const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &identity) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return fileIdentity(a, first) && fileIdentity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

bool makeTemporaryDirectory(std::string& path) {
  static std::atomic<unsigned> serial{0};
  std::error_code failed;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(failed);
  if (failed) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "kestrel-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(serial++) + "-" + std::to_string(GetTickCount());
    path = (temporary / name).string();
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

// A program's own directory comes first in the search for the DLLs it imports, before PATH:
// the run is made from a copy of this program in the directory. The waiting parent ignores
// the console's interrupt, which reaches the child too: the run decides what it means.
int runAgainWithLibraries(char**, const std::string& directory, const char* marker,
                          std::string& error) {
  const std::string program = moduleFile(nullptr);
  const std::string copy = directory + "\\" + std::filesystem::path(program).filename().string();
  if (program.empty() || !CopyFileA(program.c_str(), copy.c_str(), FALSE)) {
    error = "cannot copy the program into " + directory;
    return -1;
  }
  SetEnvironmentVariableA(marker, directory.c_str());
  SetEnvironmentVariableA(kProgramDirectory, programDirectory().c_str());
  std::fflush(nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = GetCommandLineA();
  SetConsoleCtrlHandler(nullptr, TRUE);
  const bool started = CreateProcessA(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  DWORD status = 0;
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  SetConsoleCtrlHandler(nullptr, FALSE);
  SetEnvironmentVariableA(marker, nullptr);
  SetEnvironmentVariableA(kProgramDirectory, nullptr);
  if (!started) {
    error = "cannot run itself again on the private library copy";
    return -1;
  }
  return static_cast<int>(status);
}

int openForReading(const std::string& path) {
  return _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int createForWriting(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
}

// No pread: the position is put back after the read.
long long readAt(int fd, void* buffer, std::size_t length, unsigned long long offset) {
  const long long position = _lseeki64(fd, 0, SEEK_CUR);
  if (position < 0 || _lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) return -1;
  const int n = _read(fd, buffer, static_cast<unsigned>(length > 0x40000000 ? 0x40000000 : length));
  const int saved = errno;
  _lseeki64(fd, position, SEEK_SET);
  errno = saved;
  return n;
}

void makeBlocking(int) {}

bool isStream(int mode) { return (mode & _S_IFMT) == _S_IFIFO || (mode & _S_IFMT) == _S_IFCHR; }

bool isTerminal(int fd) { return _isatty(fd) != 0; }

void useBinaryStandardStreams() {
  for (int fd : {0, 1, 2}) _setmode(fd, _O_BINARY);
}

// Windows does not tell which process holds a USB device.
std::string deviceHolder(unsigned, unsigned) { return {}; }

}  // namespace tool::os
