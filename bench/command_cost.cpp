// Time per command on the virtual probe, to weigh what the trace costs.
// Usage: command_cost [off|trace]
//   off:   a logger is bound but wants nothing (run with the library in a directory without
//          the logger, via LD_LIBRARY_PATH, for no logger at all)
//   trace: every command traced at level 3 into /dev/null
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"

int main(int argc, char** argv) {
  const bool trace = argc > 1 && std::strcmp(argv[1], "trace") == 0;
  void* logger = dlopen("libnimbus_logger.so", RTLD_NOW | RTLD_NOLOAD);
  auto configure =
      logger ? reinterpret_cast<int (*)(int, const char*)>(dlsym(logger, "nimbus_logger_configure"))
             : nullptr;
  if (configure != nullptr) configure(trace ? 3 : 0, trace ? "/dev/null" : nullptr);
  std::printf("logger: %s\n", configure == nullptr ? "none" : trace ? "tracing" : "silent");

  ksim::reset();
  ksim::attachProbe({});
  KSTInform* probe = nullptr;
  if (KST_Open(&probe, 0, nullptr, 0) != KST_OK) return 1;
  constexpr int kRounds = 20;
  constexpr int kCommands = 10000;
  double best = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    ksim::clearEvents();
    uint32_t state = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCommands; ++i) KST_GetJtagState(probe, &state);
    const std::chrono::duration<double, std::nano> elapsed =
        std::chrono::steady_clock::now() - start;
    if (elapsed.count() / kCommands < best) best = elapsed.count() / kCommands;
  }
  std::printf("KST_GetJtagState: %.0f ns per command (best of %d rounds of %d)\n", best, kRounds,
              kCommands);
  KST_Close(&probe);
  return 0;
}
