#include "transport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#if defined(KESTREL_REAL_USB)
#include "usbfs/usbfs_bridge.h"
#endif

namespace transport {

void resetBus() {
  ksim::reset();
  settle();
}

void settle() {
#if defined(KESTREL_REAL_USB)
  ksim::usbfs::sync();
#endif
}

ksim::DeviceId attachProbe(const ksim::ProbeConfig& config) {
  const ksim::DeviceId id = ksim::attachProbe(config);
  settle();
  return id;
}

}  // namespace transport

#if defined(KESTREL_REAL_USB)
// The real-stack program runs itself again under umockdev's preload (as umockdev-wrapper
// would), after the sanitizer's runtime when it has one: that one must be first.
int main(int argc, char** argv) {
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload == nullptr || std::strstr(preload, "umockdev-preload") == nullptr) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    if (!listing) {
      std::string libraries = KESTREL_PRELOAD_FIRST;
      if (!libraries.empty()) libraries += ":";
      libraries += "libumockdev-preload.so.0";
      if (preload != nullptr && *preload != '\0') libraries += std::string(":") + preload;
      setenv("LD_PRELOAD", libraries.c_str(), 1);
      execv("/proc/self/exe", argv);
      std::perror("umockdev preload");
      return 1;
    }
  } else if (!ksim::usbfs::start()) {
    std::fprintf(stderr, "umockdev test bed not available\n");
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
#endif
