// kestrel mem read / mem write: target memory through a MEM-AP.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands.h"
#include "dap_session.h"
#include "exit_status.h"
#include "memory_transfer.h"
#include "result_text.h"
#include "transfer_report.h"

namespace tool {
namespace {

constexpr std::size_t kDumpWidth = 16;

std::string hexAddress(uint64_t address) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(address));
  return text;
}

void hexdump(std::ostream& out, uint64_t address, const std::vector<uint8_t>& bytes) {
  const int digits = address + bytes.size() > UINT32_MAX ? 16 : 8;
  char cell[24];
  for (std::size_t line = 0; line < bytes.size(); line += kDumpWidth) {
    std::snprintf(cell, sizeof cell, "%0*llX ", digits,
                  static_cast<unsigned long long>(address + line));
    out << cell;
    std::string text;
    for (std::size_t i = line; i < line + kDumpWidth; ++i) {
      if (i >= bytes.size()) {
        out << "   ";
        continue;
      }
      std::snprintf(cell, sizeof cell, " %02X", bytes[i]);
      out << cell;
      text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
    }
    out << "  |" << text << "|\n";
  }
}

bool showBar(const Invocation& run) {
  return !run.options.quiet && !run.options.json;
}

// A transfer with its progress and rate (on standard error, in the document under --json);
// false (said) on failure, naming where it stopped.
template <class Move>
bool transfer(Invocation& run, const char* verb, const char* key, std::size_t length, Move move) {
  TransferReport report(verb, length, showBar(run));
  const TransferResult result = move([&](std::size_t done) { report.update(done); });
  if (result.result != KST_OK) {
    run.console.error(std::string(verb) + " stopped at " + hexAddress(result.stoppedAt) + ": " +
                      resultText(result.result));
    run.console.document()["stopped_at"] = result.stoppedAt;
    return false;
  }
  const double rate = report.finish(
      length, run.options.quiet || run.options.json ? run.console.text() : run.console.detail(0));
  run.console.document()[key] = rate;
  return true;
}

}  // namespace

int runMemRead(Invocation& run) {
  const Options& options = run.options;
  DapSession session(run);
  if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
  const MemoryPort port{session.handle(), options.accessPort};
  std::vector<uint8_t> bytes(static_cast<std::size_t>(options.length));
  nlohmann::json& document = run.console.document();
  document["address"] = options.address;
  document["length"] = options.length;
  if (!transfer(run, "read", "read_bytes_per_second", bytes.size(), [&](const Progress& progress) {
        return readMemory(port, options.address, bytes.data(), bytes.size(), progress);
      }))
    return run.console.finish(kExitIo);
  if (options.file.empty()) {
    hexdump(run.console.text(), options.address, bytes);
    std::string hex;
    char cell[4];
    for (const uint8_t byte : bytes) {
      std::snprintf(cell, sizeof cell, "%02x", byte);
      hex += cell;
    }
    document["data"] = hex;
    return run.console.finish(kExitOk);
  }
  std::ofstream file(options.file, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) {
    run.console.error("cannot write " + options.file);
    return run.console.finish(kExitIo);
  }
  return run.console.finish(kExitOk);
}

int runMemWrite(Invocation& run) {
  const Options& options = run.options;
  std::ifstream file(options.file, std::ios::binary);
  if (!file) {
    run.console.error("cannot read " + options.file);
    return run.console.finish(kExitIo);
  }
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
  DapSession session(run);
  if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
  const MemoryPort port{session.handle(), options.accessPort};
  nlohmann::json& document = run.console.document();
  document["address"] = options.address;
  document["length"] = data.size();
  if (!transfer(run, "wrote", "write_bytes_per_second", data.size(), [&](const Progress& progress) {
        return writeMemory(port, options.address, data.data(), data.size(), progress);
      }))
    return run.console.finish(kExitIo);
  if (!options.verify) return run.console.finish(kExitOk);
  std::vector<uint8_t> back(data.size());
  if (!transfer(run, "read back", "read_bytes_per_second", back.size(),
                [&](const Progress& progress) {
                  return readMemory(port, options.address, back.data(), back.size(), progress);
                }))
    return run.console.finish(kExitIo);
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (back[i] == data[i]) continue;
    char detail[48];
    std::snprintf(detail, sizeof detail, " (wrote 0x%02X, read 0x%02X)", data[i], back[i]);
    run.console.error("verify failed at " + hexAddress(options.address + i) + detail);
    document["verified"] = false;
    document["first_difference"] = options.address + i;
    return run.console.finish(kExitIo);
  }
  run.console.text() << "verified " << data.size() << " bytes at " << hexAddress(options.address)
                     << '\n';
  document["verified"] = true;
  return run.console.finish(kExitOk);
}

}  // namespace tool
