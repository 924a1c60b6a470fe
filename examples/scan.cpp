// Opens the first Kestrel probe, resets its JTAG chain and prints the IDCODE of the TAP nearest
// TDO. With --sim it runs on the virtual probe. Built by CMakeLists.txt beside it.
#include <dlfcn.h>
#include <kestrel/kestrel.h>

#include <cstdio>
#include <cstring>

// Loaded under libusb's name before the first KST_Open, the virtual probe is what the library
// binds as libusb.
static bool useVirtualProbe() {
  void* sim = dlopen(SIM_LIBUSB, RTLD_NOW | RTLD_GLOBAL);
  void* install = sim != nullptr ? dlsym(sim, "ksim_install_default_bus") : nullptr;
  if (install != nullptr) reinterpret_cast<void (*)()>(install)();
  return install != nullptr;
}

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--sim") == 0 && !useVirtualProbe()) return 1;
  KSTInform* probe = nullptr;
  if (KST_Open(&probe, 0, nullptr, 0) != KST_OK) return 1;
  // After test-logic reset each TAP's data register is IDCODE (or BYPASS); 32 ones shifted in
  // bring the first one out, least significant bit first.
  const uint8_t ones[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  uint8_t in[4] = {};
  int32_t result = KST_GotoJtagState(probe, KST_STATE_TEST_LOGIC_RESET, 1);
  if (result == KST_OK) result = KST_GotoJtagState(probe, KST_STATE_RUN_TEST_IDLE, 1);
  if (result == KST_OK)
    result = KST_SendRecvScan(probe, 32, KST_STATE_SHIFT_DR, 1, KST_STATE_RUN_TEST_IDLE, 1, 0, 0, 0,
                              1, 4, 4, ones, in, 4, 4);
  const unsigned long idcode = in[0] | in[1] << 8 | in[2] << 16 | (unsigned long)in[3] << 24;
  if (result == KST_OK)
    std::printf("first TAP: IDCODE 0x%08lX\n", idcode);
  else
    std::fprintf(stderr, "scan failed (result %d)\n", static_cast<int>(result));
  KST_Close(&probe);
  return result == KST_OK ? 0 : 1;
}
