// Control of the nimbus logger from the program that loaded it: level, destination and an
// in-memory capture for tests. Settings start from the environment:
//   NIMBUS_LOG_LEVEL  0 (off, the default) to 6 (everything); lines above it are dropped
//   NIMBUS_LOG_FILE   append lines to this file instead of standard error
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A DLL exports only what is marked for export (else everything, the static C++ runtime's
// internals included); elsewhere the library is built with hidden visibility.
#if defined(_WIN32)
#if defined(NIMBUS_BUILDING_LOGGER)
#define NIMBUS_API __declspec(dllexport)
#else
#define NIMBUS_API __declspec(dllimport)
#endif
#else
#define NIMBUS_API __attribute__((visibility("default")))
#endif

extern "C" {
// Sets the level (0 to 6) and the file (null or empty: standard error). 0 on success.
NIMBUS_API int nimbus_logger_configure(int level, const char* file);
}

namespace nimbus {

struct CapturedLine {
  uint32_t component;
  uint32_t subcomponent;
  uint32_t level;
  std::string text;
};

// Captures lines up to level in memory instead of writing them; level 0 stops capturing.
NIMBUS_API void capture(int level);
// The lines captured since the last call.
NIMBUS_API std::vector<CapturedLine> takeCaptured();

}  // namespace nimbus
