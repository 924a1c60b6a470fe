// Windows implementation of the platform primitives.
#if defined(_WIN32)

#include <windows.h>

#include <cstring>

#include "platform_os.h"

namespace kst::platform {

const char* const kOwnModuleName = "jsckestrel.dll";
const char* const kLibusbFileName = "libusb-1.0.dll";
const char* const kLoggerFileName = "nimbus_logger.dll";
const char* const kRelativeBinDir = "..\\bin\\";
const char* const kPartnerModuleName = "kstfast3.dll";
const char* const kDefaultModuleName = "kstboard.dll";

ModuleHandle loadLibrary(const char* pathOrName) {
  if (pathOrName == nullptr || *pathOrName == '\0') return nullptr;
  return reinterpret_cast<ModuleHandle>(LoadLibraryA(pathOrName));
}

bool freeLibrary(ModuleHandle module) {
  return module != nullptr && FreeLibrary(reinterpret_cast<HMODULE>(module)) != 0;
}

namespace os {

void sleepMs(uint32_t milliseconds) {
  Sleep(milliseconds);
}

const char* const kDirectorySeparators = "\\";
const char kDriveColonSeparator = '\\';

void* findSymbol(ModuleHandle module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

bool moduleFileName(const char* moduleName, char* out, std::size_t outSize) {
  if (moduleName == nullptr || out == nullptr || outSize == 0) return false;
  HMODULE module = GetModuleHandleA(moduleName);
  if (module == nullptr) return false;
  const DWORD length = GetModuleFileNameA(module, out, static_cast<DWORD>(outSize));
  return length != 0 && length < outSize;
}

uint64_t readCounter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<uint64_t>(now.QuadPart);
}

uint64_t counterFrequency() {
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency)) return 0;
  return static_cast<uint64_t>(frequency.QuadPart);
}

uint32_t tickMilliseconds() {
  return GetTickCount();
}

}  // namespace os
}  // namespace kst::platform

#endif
