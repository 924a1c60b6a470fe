#include "ratio_benchmarks.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <map>

#include "kestrel_sim/sim.h"

namespace kstbench {
namespace {

using ConfigureFn = int (*)(int, const char*);

ConfigureFn loggerControl() {
  // Loaded by the library if at all; never loaded here, so the no-logger run stays without.
  void* logger = dlopen("libnimbus_logger.so", RTLD_NOW | RTLD_NOLOAD);
  return logger != nullptr ? reinterpret_cast<ConfigureFn>(dlsym(logger, "nimbus_logger_configure"))
                           : nullptr;
}

// Keeps the least CPU time per benchmark over its repetitions.
class LeastTime : public benchmark::ConsoleReporter {
 public:
  explicit LeastTime(bool console) : console_(console) {}
  bool ReportContext(const Context& context) override {
    return console_ ? ConsoleReporter::ReportContext(context) : true;
  }
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double ns = run.GetAdjustedCPUTime();
      auto [entry, fresh] = least_.emplace(run.run_name.function_name, ns);
      if (!fresh && ns < entry->second) entry->second = ns;
    }
    if (console_) ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    if (console_) ConsoleReporter::Finalize();
  }
  double least(const std::string& name) const {
    const auto found = least_.find(name);
    return found != least_.end() ? found->second : 0.0;
  }

 private:
  bool console_;
  std::map<std::string, double> least_;
};

std::string keyOf(const CommandRow& row, const char* side) {
  std::string key = row.name;
  for (char& c : key)
    if (c == ' ') c = '_';
  return key + "/" + side;
}

}  // namespace

bool loggerBound() {
  return loggerControl() != nullptr;
}

void setLoggerLevel(int level) {
  if (ConfigureFn configure = loggerControl()) configure(level, level > 0 ? "/dev/null" : nullptr);
}

std::vector<RatioResult> runRatios(KSTInform* probe, const RatioOptions& options, int argc,
                                   char** argv) {
  std::vector<RatioResult> results;
  std::vector<TransportFloor> floors;
  setLoggerLevel(0);
  ksim::recordTransfers(true);
  for (const CommandRow& row : ratioRows()) {
    floors.push_back(TransportFloor::record(probe, row.call));
    if (floors.back().empty()) return {};
  }
  ksim::recordTransfers(false);

  const bool traced = options.traceLevel3 && loggerBound();
  std::size_t index = 0;
  for (const CommandRow& row : ratioRows()) {
    TransportFloor* floor = &floors[index++];
    const CommandRow* command = &row;
    auto configure = [&](benchmark::internal::Benchmark* b) {
      b->MinTime(options.minSeconds)->Repetitions(options.repetitions);
    };
    auto bare = [floor](benchmark::State& s, bool copies) {
      for (auto _ : s)
        if (!floor->replay(copies)) s.SkipWithError("the floor's transfers changed");
    };
    configure(benchmark::RegisterBenchmark(keyOf(row, "floor").c_str(), bare, false));
    if (options.floorCopies)
      configure(benchmark::RegisterBenchmark(keyOf(row, "floor+copies").c_str(), bare, true));
    auto library = [probe, command](benchmark::State& s, int level) {
      setLoggerLevel(level);
      for (auto _ : s)
        if (command->call(probe) != KST_OK) s.SkipWithError("the command failed");
      // Untimed: the next command finds the level back at 0 and switches the probe's log off,
      // which otherwise would weigh on the floor's replays that follow.
      setLoggerLevel(0);
      command->call(probe);
    };
    configure(benchmark::RegisterBenchmark(keyOf(row, "library").c_str(), library, 0));
    if (traced) configure(benchmark::RegisterBenchmark(keyOf(row, "trace3").c_str(), library, 3));
  }

  std::vector<char*> arguments(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  arguments.insert(arguments.begin() + 1, interleave.data());
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  LeastTime reporter(options.console);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::ClearRegisteredBenchmarks();

  index = 0;
  for (const CommandRow& row : ratioRows()) {
    results.push_back({&row, floors[index++].describe(), reporter.least(keyOf(row, "floor")),
                       reporter.least(keyOf(row, "floor+copies")),
                       reporter.least(keyOf(row, "library")),
                       traced ? reporter.least(keyOf(row, "trace3")) : 0.0});
  }
  return results;
}

}  // namespace kstbench
