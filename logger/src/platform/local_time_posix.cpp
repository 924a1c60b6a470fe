// POSIX: gettimeofday and the reentrant localtime_r.
#if !defined(_WIN32)

#include <sys/time.h>

#include "local_time.h"

namespace nimbus::platform {

void localNow(std::tm& local, long& milliseconds) {
  timeval now{};
  gettimeofday(&now, nullptr);
  localtime_r(&now.tv_sec, &local);
  milliseconds = static_cast<long>(now.tv_usec / 1000);
}

}  // namespace nimbus::platform

#endif
