// Many probes on many threads: N probes (1, 2, 4, 8), each driven by a thread of its own with
// 4-byte echo commands for a fixed time, untraced and with the virtual probe's traffic log
// off. Prints the total and per-probe command rates, each against one probe alone, and the
// CPU time the process used, so a run on a busy machine can be told from a slow library.
// After each probe count the same number of threads runs work that shares nothing (each on a
// buffer of its own): how that scales is the machine's own ceiling, which on a virtual machine
// may change from run to run (two virtual CPUs on one physical core give about 1.4x), so the
// library's scaling is read against it.
//
// Usage: kestrel_thread_bench [--seconds=S]   (S per probe count, default 1)
#include <sys/resource.h>
#include <sys/time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"

namespace {

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Run {
  int probes;
  double wallSeconds;
  double cpuSeconds;
  uint64_t commands;
  uint64_t failures;
};

// count threads, each running work(index, stop, failures) until stop and returning how many
// operations it did.
template <class Work>
Run runThreads(int count, double seconds, Work work) {
  std::atomic<bool> go{false}, stop{false};
  std::vector<uint64_t> done(count, 0), failed(count, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) {
    threads.emplace_back([&, i] {
      while (!go.load(std::memory_order_acquire)) std::this_thread::yield();
      uint64_t failures = 0;
      done[i] = work(i, stop, failures);
      failed[i] = failures;
    });
  }
  const double cpuBefore = cpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  go.store(true, std::memory_order_release);
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  stop.store(true);
  for (std::thread& thread : threads) thread.join();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Run run{count, wall, cpuSeconds() - cpuBefore, 0, 0};
  for (int i = 0; i < count; ++i) {
    run.commands += done[i];
    run.failures += failed[i];
  }
  return run;
}

Run runProbes(int count, double seconds) {
  ksim::reset();
  ksim::recordTransfers(false);
  std::vector<KSTInform*> contexts(count, nullptr);
  for (int i = 0; i < count; ++i) {
    ksim::ProbeConfig config;
    config.serial = "BENCH" + std::to_string(i);
    ksim::attachProbe(config);
    if (KST_Open(&contexts[i], 0, config.serial.c_str(), 0) != KST_OK) {
      std::fprintf(stderr, "could not open probe %d\n", i);
      std::exit(1);
    }
  }
  Run run =
      runThreads(count, seconds, [&](int i, const std::atomic<bool>& stop, uint64_t& failures) {
        const uint8_t data[4] = {1, 2, 3, static_cast<uint8_t>(i)};
        uint8_t echoed[4];
        uint64_t commands = 0;
        while (!stop.load(std::memory_order_relaxed)) {
          failures += KST_Echo(contexts[i], data, echoed, 4) != KST_OK ? 1 : 0;
          ++commands;
        }
        return commands;
      });
  for (KSTInform*& context : contexts) KST_Close(&context);
  return run;
}

// Work that shares nothing between the threads: a random walk over a buffer of the thread's
// own, about the size of what one probe's commands keep hot.
Run runPrivate(int count, double seconds) {
  return runThreads(count, seconds, [](int i, const std::atomic<bool>& stop, uint64_t&) {
    std::vector<uint32_t> buffer(8192);
    uint32_t x = 2463534242u + static_cast<uint32_t>(i);
    uint64_t rounds = 0;
    while (!stop.load(std::memory_order_relaxed)) {
      for (int step = 0; step < 64; ++step) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        buffer[x & 8191] += x;
      }
      ++rounds;
    }
    return rounds + (buffer[x & 8191] == 0 ? 1 : 0);  // keeps the buffer's writes live
  });
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 1.0;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) seconds = std::atof(argv[i] + 10);
  const unsigned cores = std::thread::hardware_concurrency();
  double load[3] = {};
  if (getloadavg(load, 3) < 0) load[0] = -1;
  std::printf("N probes on N threads, 4-byte echoes, %.1f s each; %u cores, load %.2f\n", seconds,
              cores, load[0]);
  // On a machine shared with other work the wall rates follow the CPU share the threads get;
  // commands per CPU second show what the library and the virtual probe cost whatever the load.
  // machine x: the work that shares nothing, against itself on one thread; of machine: the
  // probes' total scaling against it.
  std::printf("%6s %12s %10s %12s %10s %9s %12s %9s %10s %11s\n", "probes", "total/s", "x alone",
              "per probe/s", "x alone", "CPU used", "per CPU s", "failures", "machine x",
              "of machine");
  double alone = 0, privateAlone = 0;
  for (const int count : {1, 2, 4, 8}) {
    const Run run = runProbes(count, seconds);
    const Run control = runPrivate(count, seconds);
    const double total = run.commands / run.wallSeconds;
    const double privateTotal = control.commands / control.wallSeconds;
    if (count == 1) {
      alone = total;
      privateAlone = privateTotal;
    }
    const double perProbe = total / count;
    const double machine = privateTotal / privateAlone;
    // CPU used: cores kept busy on average (CPU seconds per wall second).
    std::printf("%6d %12.0f %10.2f %12.0f %10.2f %9.2f %12.0f %9llu %10.2f %11.2f\n", count, total,
                total / alone, perProbe, perProbe / alone, run.cpuSeconds / run.wallSeconds,
                run.commands / run.cpuSeconds, static_cast<unsigned long long>(run.failures),
                machine, total / alone / machine);
  }
  return 0;
}
