// The primitives each operating system provides; platform_common.cpp builds the library's
// platform services on them. Implemented by platform_posix.cpp or platform_windows.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform.h"

namespace kst::platform {

// Module looked up by modulePathWithName when it is given no name.
extern const char* const kDefaultModuleName;

namespace os {

// Characters that end a directory in a module file name, and the separator appended after
// a drive colon ('\0' where paths have no drive letters).
extern const char* const kDirectorySeparators;
extern const char kDriveColonSeparator;

void* findSymbol(ModuleHandle module, const char* name);

// Full file name of an already loaded module into out. False when the module is not loaded,
// the name cannot be read, is empty, or fills the whole buffer (it may have been cut).
bool moduleFileName(const char* moduleName, char* out, std::size_t outSize);

// High-resolution counter and its ticks per second (0: no such counter).
uint64_t readCounter();
uint64_t counterFrequency();

uint32_t tickMilliseconds();

void sleepMs(uint32_t milliseconds);

}  // namespace os
}  // namespace kst::platform
