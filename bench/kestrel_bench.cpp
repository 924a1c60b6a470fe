// What the library costs per command on the virtual probe, and what it would get from a USB
// bus. Prints, in one run:
//   - library / transport floor per command (CPU time), the library bound to a logger that
//     filters everything; the floor bare, and with the copies of the caller's data;
//   - the trace's cost: no logger (the same program again, its library in a directory without
//     the logger), a logger filtering everything, a logger taking level 3;
//   - allocations the library makes in 10 000 commands of every command family;
//   - throughput on the modelled full- and high-speed bus against the model's ceiling;
//   - the firmware update's wall time against the waits its protocol asks for (the program
//     again, its library in a directory with a firmware image beside it).
//
// Usage: kestrel_bench [--seconds=S] [--repetitions=N] [--update-runs=N] [--console]
//                      [Google Benchmark flags]
//        kestrel_bench --guard=BASELINE [...]   the ratios only, checked against BASELINE:
//                                               exit status 1 when one more than doubled
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bus_throughput.h"
#include "family_allocations.h"
#include "kestrel_sim/sim.h"
#include "ratio_benchmarks.h"
#include "ratio_guard.h"
#include "update_time.h"

namespace {

using namespace kstbench;

constexpr uint32_t kCountedCommands = 10000;

struct Options {
  RatioOptions ratios;
  std::string guard;
  bool child = false;        // the no-logger run, started by the main one
  bool updateChild = false;  // the update run, started by the main one
  int updateRuns = 3;
  std::vector<char*> rest;
};

bool takeValue(const char* argument, const char* name, std::string& value) {
  const std::size_t length = std::strlen(name);
  if (std::strncmp(argument, name, length) != 0 || argument[length] != '=') return false;
  value = argument + length + 1;
  return true;
}

Options parse(int argc, char** argv) {
  Options options;
  options.rest.push_back(argv[0]);
  for (int i = 1; i < argc; ++i) {
    std::string value;
    if (takeValue(argv[i], "--seconds", value)) {
      options.ratios.minSeconds = std::stod(value);
    } else if (takeValue(argv[i], "--repetitions", value)) {
      options.ratios.repetitions = std::stoi(value);
    } else if (takeValue(argv[i], "--guard", value)) {
      options.guard = value;
    } else if (takeValue(argv[i], "--update-runs", value)) {
      options.updateRuns = std::stoi(value);
    } else if (std::strcmp(argv[i], "--update-child") == 0) {
      options.updateChild = true;
    } else if (std::strcmp(argv[i], "--no-logger-child") == 0) {
      options.child = true;
    } else if (std::strcmp(argv[i], "--console") == 0) {
      options.ratios.console = true;
    } else {
      options.rest.push_back(argv[i]);
    }
  }
  return options;
}

KSTInform* openProbe() {
  ksim::reset();
  ksim::ProbeConfig config;
  config.chain = ksim::demoChain();
  ksim::attachProbe(config);
  KSTInform* probe = nullptr;
  if (KST_Open(&probe, 0, nullptr, 0) != KST_OK) return nullptr;
  if (connectTarget(probe) == KST_OK) return probe;
  KST_Close(&probe);
  return nullptr;
}

std::string loadAverage() {
  char text[64] = {};
  if (FILE* file = std::fopen("/proc/loadavg", "r")) {
    if (std::fgets(text, sizeof text, file) == nullptr) text[0] = '\0';
    std::fclose(file);
  }
  std::string load(text);
  const std::size_t third = load.find(' ', load.find(' ', load.find(' ') + 1) + 1);
  return load.substr(0, third);
}

std::string selfPath() {
  char self[4096] = {};
  return readlink("/proc/self/exe", self, sizeof self - 1) > 0 ? self : "";
}

// The update's figures from a run of this program whose library is the copy beside the
// update's image; empty when that run failed.
std::vector<UpdateTime> runUpdateChild(const Options& options) {
  const std::string command =
      "LD_LIBRARY_PATH='" KESTREL_UPDATE_DIR "' '" + selfPath() +
      "' --update-child --update-runs=" + std::to_string(options.updateRuns);
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return {};
  std::vector<UpdateTime> times;
  char line[256];
  while (std::fgets(line, sizeof line, child) != nullptr) {
    int callback = 0;
    int result = 0;
    unsigned long long pollMs = 0;
    double required = 0;
    double wall = 0;
    long preempted = 0;
    if (std::sscanf(line, "update %d %d %llu %lf %lf %ld", &callback, &result, &pollMs, &required,
                    &wall, &preempted) == 6)
      times.push_back({callback != 0, result, pollMs, required, wall, preempted});
  }
  return pclose(child) == 0 ? times : std::vector<UpdateTime>{};
}

int updateChild(const Options& options) {
  const std::vector<UpdateTime> times = runUpdates(options.updateRuns);
  for (const UpdateTime& t : times)
    std::printf("update %d %d %llu %.0f %.0f %ld\n", t.callback ? 1 : 0, t.result,
                static_cast<unsigned long long>(t.pollMs), t.requiredNs, t.wallNs, t.preempted);
  return 0;
}

bool printUpdate(const Options& options) {
  std::printf(
      "\nFirmware update of a %u KiB image (DNBUSY %u ms a block, manifestation %u ms), least "
      "wall time of %d runs against the waits the protocol asks for\n",
      kUpdateImageKiB, kBlockPollMs, kManifestPollMs, options.updateRuns);
  std::printf("%-10s %9s %12s %12s %7s %10s\n", "progress", "polls", "required", "wall", "ratio",
              "preempted");
  const std::vector<UpdateTime> times = runUpdateChild(options);
  bool done = !times.empty();
  for (const UpdateTime& t : times) {
    if (t.result != KST_OK) {
      std::printf("%-10s failed with %d\n", t.callback ? "callback" : "none", t.result);
      done = false;
      continue;
    }
    std::printf("%-10s %6llu ms %9.1f ms %9.1f ms %7.4f %10ld\n", t.callback ? "callback" : "none",
                static_cast<unsigned long long>(t.pollMs), t.requiredNs / 1e6, t.wallNs / 1e6,
                t.wallNs / t.requiredNs, t.preempted);
  }
  if (times.empty()) std::printf("the update run failed\n");
  return done;
}

// The library's ns per command without any logger, from a run of this program whose library
// is a copy in a directory without the logger; empty when that run failed.
std::vector<RatioResult> runWithoutLogger(const Options& options) {
  const std::string command =
      "LD_LIBRARY_PATH='" KESTREL_NO_LOGGER_DIR "' '" + selfPath() +
      "' --no-logger-child --seconds=" + std::to_string(options.ratios.minSeconds) +
      " --repetitions=" + std::to_string(options.ratios.repetitions);
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return {};
  std::vector<RatioResult> results;
  for (const CommandRow& row : ratioRows()) results.push_back({&row, "", 0, 0, 0, 0});
  char line[256];
  while (std::fgets(line, sizeof line, child) != nullptr) {
    unsigned index = 0;
    double floorNs = 0;
    double libraryNs = 0;
    if (std::sscanf(line, "row %u %lf %lf", &index, &floorNs, &libraryNs) == 3 &&
        index < results.size()) {
      results[index].floorNs = floorNs;
      results[index].libraryNs = libraryNs;
    }
  }
  return pclose(child) == 0 ? results : std::vector<RatioResult>{};
}

void printRatios(const std::vector<RatioResult>& results) {
  std::printf(
      "\nLibrary against its transport floor (CPU ns per command; logger bound, "
      "filtering everything)\n");
  std::printf("%-26s %-22s %8s %8s %8s %7s %7s\n", "command", "transfers", "floor", "+copies",
              "library", "ratio", "+copies");
  for (const RatioResult& r : results) {
    char copies[16] = "-";
    char copiesRatio[16] = "-";
    if (r.floorCopiesNs > 0) {
      std::snprintf(copies, sizeof copies, "%.0f", r.floorCopiesNs);
      std::snprintf(copiesRatio, sizeof copiesRatio, "%.3f", r.libraryNs / r.floorCopiesNs);
    }
    std::printf("%-26s %-22s %8.0f %8s %8.0f %7.3f %7s\n", r.row->name, r.transfers.c_str(),
                r.floorNs, copies, r.libraryNs, r.libraryNs / r.floorNs, copiesRatio);
  }
}

void printTraceCost(const std::vector<RatioResult>& results,
                    const std::vector<RatioResult>& withoutLogger) {
  std::printf("\nThe trace's cost (CPU ns per command, and / the floor of the same run)\n");
  std::printf("%-26s %18s %18s %18s\n", "command", "no logger", "filtering all", "level 3");
  for (std::size_t i = 0; i < results.size(); ++i) {
    const RatioResult& r = results[i];
    char bare[32] = "failed";
    if (i < withoutLogger.size() && withoutLogger[i].floorNs > 0)
      std::snprintf(bare, sizeof bare, "%.0f (%.3f)", withoutLogger[i].libraryNs,
                    withoutLogger[i].libraryNs / withoutLogger[i].floorNs);
    char silent[32];
    std::snprintf(silent, sizeof silent, "%.0f (%.3f)", r.libraryNs, r.libraryNs / r.floorNs);
    char traced[32] = "no logger";
    if (r.tracedNs > 0)
      std::snprintf(traced, sizeof traced, "%.0f (%.3f)", r.tracedNs, r.tracedNs / r.floorNs);
    std::printf("%-26s %18s %18s %18s\n", r.row->name, bare, silent, traced);
  }
}

bool printAllocations(KSTInform* probe) {
  std::printf("\nHeap allocations in %u commands per family (trace off)\n", kCountedCommands);
  std::printf("%-10s %10s %15s %8s\n", "family", "library", "virtual probe", "failed");
  std::size_t count = 0;
  const CommandFamily* all = families(count);
  bool none = true;
  for (std::size_t i = 0; i < count; ++i) {
    const FamilyCount counted = countFamily(probe, all[i], kCountedCommands);
    std::printf("%-10s %10llu %15llu %8u\n", all[i].name,
                static_cast<unsigned long long>(counted.allocations.library),
                static_cast<unsigned long long>(counted.allocations.probe), counted.failedCommands);
    none = none && counted.allocations.library == 0;
  }
  return none;
}

void printThroughput(KSTInform* probe) {
  std::printf(
      "\nModelled bus throughput: the library through the bus model, against the "
      "model's ceiling for the same packets\n");
  std::printf("%-26s %-5s %8s %16s %16s %6s\n", "command", "bus", "service", "modelled", "ceiling",
              "ratio");
  for (const ThroughputResult& r : runThroughput(probe)) {
    const bool bytes = r.row->payloadBytes != 0;
    // Payload MB/s (10^6 bytes) for a command that moves data, else calls per second.
    const double scale = bytes ? r.row->payloadBytes * 1e3 : 1e9;
    const char* unit = bytes ? "MB/s" : "/s";
    char modelled[32];
    char ceiling[32];
    std::snprintf(modelled, sizeof modelled, "%.1f %s", scale / r.modelledNs, unit);
    std::snprintf(ceiling, sizeof ceiling, "%.1f %s", scale / r.ceilingNs, unit);
    std::printf("%-26s %-5s %5.0f us %16s %16s %6.3f\n", r.row->name,
                r.timing.speed == ksim::BusSpeed::Full ? "full" : "high",
                static_cast<double>(r.timing.firmwareServiceNs) / 1e3, modelled, ceiling,
                r.ceilingNs / r.modelledNs);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options = parse(argc, argv);
  if (options.updateChild) return updateChild(options);
  KSTInform* probe = openProbe();
  if (probe == nullptr) {
    std::fprintf(stderr, "kestrel_bench: the virtual probe did not open\n");
    return 1;
  }
  if (options.child) {
    if (loggerBound()) {
      std::fprintf(stderr, "kestrel_bench: the no-logger run found a logger\n");
      return 1;
    }
    options.ratios.floorCopies = false;
    const std::vector<RatioResult> results = runRatios(
        probe, options.ratios, static_cast<int>(options.rest.size()), options.rest.data());
    for (std::size_t i = 0; i < results.size(); ++i)
      std::printf("row %zu %.3f %.3f\n", i, results[i].floorNs, results[i].libraryNs);
    KST_Close(&probe);
    return results.empty() ? 1 : 0;
  }

  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  std::printf("%ld cores, load average %s at the start\n", cores, loadAverage().c_str());
  if (!options.guard.empty()) {
    options.ratios.traceLevel3 = false;
    options.ratios.floorCopies = false;
  }
  const std::vector<RatioResult> results =
      runRatios(probe, options.ratios, static_cast<int>(options.rest.size()), options.rest.data());
  if (results.empty()) {
    std::fprintf(stderr, "kestrel_bench: a command failed on the virtual probe\n");
    return 1;
  }
  printRatios(results);

  int status = 0;
  if (!options.guard.empty()) {
    std::vector<BaselineRatio> baseline;
    std::string report;
    if (!readBaseline(options.guard, baseline, report)) {
      std::fprintf(stderr, "kestrel_bench: %s\n", report.c_str());
      return 1;
    }
    const bool held = checkRatios(results, baseline, report);
    std::printf("\nAgainst the baseline %s:\n%s", options.guard.c_str(), report.c_str());
    status = held ? 0 : 1;
  } else {
    printTraceCost(results, runWithoutLogger(options));
    if (!printAllocations(probe)) status = 1;
    printThroughput(probe);
    if (!printUpdate(options)) status = 1;
  }
  std::printf("\nload average %s at the end\n", loadAverage().c_str());
  KST_Close(&probe);
  return status;
}
