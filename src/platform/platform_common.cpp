// Platform services whose behaviour is the same on every operating system.
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

#include "platform.h"
#include "platform_os.h"

namespace kst::platform {

const char* pathFileName(const char* path) {
  if (path == nullptr) return nullptr;
  for (const char separator : {'\\', '/', ':'}) {
    const char* last = std::strrchr(path, separator);
    if (last != nullptr) return last + 1;
  }
  return path;
}

bool beforeDeadline(uint32_t now, uint32_t start, uint32_t limit, bool noLimit) {
  if (noLimit) return true;
  uint32_t elapsed = now - start;
  if (now < start) elapsed -= 1;
  return elapsed < limit;
}

uint64_t elapsedPauseUnits(uint64_t elapsedTicks, uint64_t ticksPerSecond) {
  constexpr uint64_t kUnitsPerSecond = 1048576;
  if (ticksPerSecond > kUnitsPerSecond) return elapsedTicks / (ticksPerSecond / kUnitsPerSecond);
  if (ticksPerSecond == 0) return 0;
  return (kUnitsPerSecond / ticksPerSecond) * elapsedTicks;
}

bool directoryOfFileName(const char* fileName, char* out, std::size_t outSize,
                         const char* separators, char driveColonSeparator) {
  if (fileName == nullptr || out == nullptr || outSize == 0) return false;
  const std::size_t length = std::strlen(fileName);
  for (std::size_t i = length; i-- > 0;) {
    const char c = fileName[i];
    std::size_t keep = 0;
    bool appendSeparator = false;
    if (std::strchr(separators, c) != nullptr) {
      keep = i + 1;
    } else if (c == ':' && driveColonSeparator != '\0') {
      keep = i + 1;
      appendSeparator = true;
    } else {
      continue;
    }
    const std::size_t total = keep + (appendSeparator ? 1 : 0);
    if (total >= outSize) return false;
    std::memcpy(out, fileName, keep);
    if (appendSeparator) out[keep] = driveColonSeparator;
    out[total] = '\0';
    return true;
  }
  return false;
}

void* findFunction(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  if (void* address = os::findSymbol(module, name)) return address;
  // Names have no length limit; this runs only while binding, never on the command path.
  const std::size_t length = std::strlen(name);
  std::unique_ptr<char[]> underscored(new (std::nothrow) char[length + 2]);
  if (underscored == nullptr) return nullptr;
  underscored[0] = '_';
  std::memcpy(underscored.get() + 1, name, length + 1);
  return os::findSymbol(module, underscored.get());
}

bool ownDirectory(const char* moduleName, char* out, std::size_t outSize) {
  char fileName[kMaxModuleFileName + 1];
  if (!os::moduleFileName(moduleName, fileName, sizeof fileName)) return false;
  return directoryOfFileName(fileName, out, outSize, os::kDirectorySeparators,
                             os::kDriveColonSeparator);
}

bool modulePathWithName(char* out, std::size_t outSize, const char* moduleName,
                        const char* replacementName) {
  if (out == nullptr || outSize == 0) return true;
  if (!os::moduleFileName(moduleName != nullptr ? moduleName : kDefaultModuleName, out, outSize))
    return true;
  if (replacementName == nullptr) return false;
  char* namePart = const_cast<char*>(pathFileName(out));
  const char* replacement = pathFileName(replacementName);
  const std::size_t room = outSize - static_cast<std::size_t>(namePart - out);
  const std::size_t needed = std::strlen(replacement) + 1;
  // The caller keeps the replacement short enough; never write past the buffer regardless.
  if (needed > room) return true;
  std::memcpy(namePart, replacement, needed);
  return false;
}

}  // namespace kst::platform
