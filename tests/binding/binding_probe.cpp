// Loads a libjsckestrel.so by path, opens a probe and reports which libusb the library bound.
// Usage: binding_probe LIBRARY [attach]
//   attach: after the first open, attach a probe whose interfaces are held by a kernel driver
//           to the virtual bus (when the bound libusb is the virtual probe) and open again.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "kestrel/kst_types.h"

namespace {

using OpenFn = int32_t (*)(KSTInform**, uint32_t, const char*, uint8_t);
using CloseFn = int32_t (*)(KSTInform**);

std::string boundLibusb() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    const auto slash = line.find('/');
    if (slash != std::string::npos && line.find("libusb-1.0.so") != std::string::npos)
      return line.substr(slash);
  }
  return "none";
}

int32_t openAndClose(OpenFn open, CloseFn close) {
  KSTInform* probe = nullptr;
  const int32_t result = open(&probe, 0, nullptr, 0);
  if (result == KST_OK) close(&probe);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::printf("load-failed %s\n", dlerror());
    return 3;
  }
  auto open = reinterpret_cast<OpenFn>(dlsym(library, "KST_Open"));
  auto close = reinterpret_cast<CloseFn>(dlsym(library, "KST_Close"));
  if (open == nullptr || close == nullptr) return 4;
  std::printf("open=%d\n", openAndClose(open, close));
  std::printf("libusb=%s\n", boundLibusb().c_str());
  if (argc > 2 && std::strcmp(argv[2], "attach") == 0) {
    void* libusb = dlopen("libusb-1.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    using AttachFn = int (*)(uint16_t, uint16_t, const char*, uint32_t, int);
    auto attach = libusb ? reinterpret_cast<AttachFn>(dlsym(libusb, "ksim_attach_probe")) : nullptr;
    if (attach == nullptr) return 5;
    attach(0x1209, 0x4B01, "KD", 0x03000029, 1);
    std::printf("open=%d\n", openAndClose(open, close));
  }
  return 0;
}
