// Operating-system services used by the rest of the library. Nothing outside src/platform/
// includes an OS header or tests the platform; one implementation file per OS.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst::platform {

using ModuleHandle = void*;

// File names of this library, of libusb and of the logger, and the directory beside the
// library's own where a libusb shipped with the debugger is looked for first.
extern const char* const kOwnModuleName;
extern const char* const kLibusbFileName;
extern const char* const kLoggerFileName;
extern const char* const kRelativeBinDir;
// The scan manager this library works with, as the component identity names it.
extern const char* const kPartnerModuleName;

// Longest path the library builds (own directory, libusb path).
constexpr std::size_t kMaxPath = 260;
// Longest module file name it reads.
constexpr std::size_t kMaxModuleFileName = 1024;

// Loads a shared library by path, or by bare name through the system's search order.
ModuleHandle loadLibrary(const char* pathOrName);
// Finds an exported function; retries once with "_" in front of the name.
void* findFunction(ModuleHandle module, const char* name);
bool freeLibrary(ModuleHandle module);

// The directory (with its trailing separator) of an already loaded module; false when the
// module is not loaded, its file name cannot be read, has no separator, or does not fit.
bool ownDirectory(const char* moduleName, char* out, std::size_t outSize);

// The text after the last '\', else after the last '/', else after the last ':', else all.
const char* pathFileName(const char* path);

// The full path of a loaded module (null name: the board module, kDefaultModuleName), with its
// file-name part replaced by the file-name part of replacementName when given. Returns false on
// success and true on failure (the historic sense of this service).
bool modulePathWithName(char* out, std::size_t outSize, const char* moduleName,
                        const char* replacementName);

// Time, through the installed clock (clock.h): the system's unless a test installed its own.
void sleepMs(uint32_t milliseconds);
// Busy-waits at least count units of 1/1048576 s.
void pause(uint32_t count);
// Millisecond tick, wrapping modulo 2^32.
uint32_t tickMilliseconds();
// Millisecond tick times 1000, wrapping modulo 2^32.
uint32_t tickMicroseconds();

// True while (now - start) modulo 2^32 is below limit; always true with noLimit.
bool beforeDeadline(uint32_t now, uint32_t start, uint32_t limit, bool noLimit);

// Converts elapsed counter ticks to 1/1048576 s units at a counter frequency of
// ticksPerSecond, with the whole-number divisions the pause uses.
uint64_t elapsedPauseUnits(uint64_t elapsedTicks, uint64_t ticksPerSecond);

// Cuts a module file name to its directory. separators lists the characters that end a
// directory; a drive colon (when allowed) keeps the colon and gets a separator appended.
bool directoryOfFileName(const char* fileName, char* out, std::size_t outSize,
                         const char* separators, char driveColonSeparator);

}  // namespace kst::platform
