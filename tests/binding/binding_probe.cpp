// Loads the library by path, opens a probe and reports which libusb the library bound.
// Usage: binding_probe LIBRARY [attach]
//   attach: after the first open, attach a probe whose interfaces are held by a kernel driver
//           to the virtual bus (when the bound libusb is the virtual probe) and open again.
#include <cstdio>
#include <cstring>
#include <string>

#include "kestrel/kst_types.h"
#include "support/portable.h"

namespace {

using OpenFn = int32_t (*)(KSTInform**, uint32_t, const char*, uint8_t);
using CloseFn = int32_t (*)(KSTInform**);

std::string boundLibusb() {
  const std::string file = kstest::loadedModuleFile(kstest::kLibusbFile);
  return file.empty() ? "none" : file;
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
  void* library = kstest::loadModule(argv[1]);
  if (library == nullptr) {
    std::printf("load-failed\n");
    return 3;
  }
  auto open = reinterpret_cast<OpenFn>(kstest::moduleFunction(library, "KST_Open"));
  auto close = reinterpret_cast<CloseFn>(kstest::moduleFunction(library, "KST_Close"));
  if (open == nullptr || close == nullptr) return 4;
  std::printf("open=%d\n", openAndClose(open, close));
  std::printf("libusb=%s\n", boundLibusb().c_str());
  if (argc > 2 && std::strcmp(argv[2], "attach") == 0) {
    void* libusb = kstest::loadedModule(kstest::kLibusbFile);
    using AttachFn = int (*)(uint16_t, uint16_t, const char*, uint32_t, int);
    auto attach = libusb ? reinterpret_cast<AttachFn>(kstest::moduleFunction(libusb, "ksim_attach_probe")) : nullptr;
    if (attach == nullptr) return 5;
    attach(0x1209, 0x4B01, "KD", 0x03000029, 1);
    std::printf("open=%d\n", openAndClose(open, close));
  }
  return 0;
}
