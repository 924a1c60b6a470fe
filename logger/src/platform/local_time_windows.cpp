// Windows: the system's local time, already broken down.
#if defined(_WIN32)

#include <windows.h>

#include "local_time.h"

namespace nimbus::platform {

void localNow(std::tm& local, long& milliseconds) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  local = std::tm{};
  local.tm_hour = now.wHour;
  local.tm_min = now.wMinute;
  local.tm_sec = now.wSecond;
  milliseconds = now.wMilliseconds;
}

}  // namespace nimbus::platform

#endif
