// kestrel mem read / mem write: target memory through a MEM-AP.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "commands.h"
#include "dap_session.h"
#include "memory_transfer.h"
#include "number_text.h"
#include "result_text.h"
#include "transfer_report.h"

namespace tool {
namespace {

constexpr int kUsageError = 2;
constexpr std::size_t kDumpWidth = 16;
// A transfer the tool holds in memory at once.
constexpr uint64_t kMaxLength = uint64_t{1} << 30;

bool number(const std::string& what, const std::string& text, uint64_t& value) {
  if (parseNumber(text, value)) return true;
  std::fprintf(stderr, "kestrel: bad %s '%s' (decimal, or hexadecimal after 0x)\n", what.c_str(),
               text.c_str());
  return false;
}

void hexdump(uint64_t address, const std::vector<uint8_t>& bytes) {
  const int digits = address + bytes.size() > UINT32_MAX ? 16 : 8;
  for (std::size_t line = 0; line < bytes.size(); line += kDumpWidth) {
    std::printf("%0*llX ", digits, static_cast<unsigned long long>(address + line));
    std::string text;
    for (std::size_t i = line; i < line + kDumpWidth; ++i) {
      if (i < bytes.size()) {
        std::printf(" %02X", bytes[i]);
        text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
      } else {
        std::printf("   ");
      }
    }
    std::printf("  |%s|\n", text.c_str());
  }
}

void reportStop(const char* what, const TransferResult& stopped) {
  std::fprintf(stderr, "kestrel: %s stopped at 0x%llX: %s\n", what,
               static_cast<unsigned long long>(stopped.stoppedAt),
               resultText(stopped.result).c_str());
}

// Reads length bytes with a progress report; false (reported) on failure.
bool readBack(const MemoryPort& port, uint64_t address, std::vector<uint8_t>& bytes,
              const char* verb) {
  TransferReport report(verb, bytes.size());
  const TransferResult read = readMemory(port, address, bytes.data(), bytes.size(),
                                         [&](std::size_t done) { report.update(done); });
  if (read.result != KST_OK) {
    reportStop("read", read);
    return false;
  }
  report.finish(bytes.size());
  return true;
}

}  // namespace

int runMemRead(const Options& options, const MemReadRequest& request) {
  uint64_t address = 0, length = 0;
  if (!number("address", request.address, address) || !number("length", request.length, length))
    return kUsageError;
  if (length > kMaxLength) {
    std::fprintf(stderr, "kestrel: length %s is more than 1 GiB\n", request.length.c_str());
    return kUsageError;
  }
  DapSession session(options);
  if (!session.open()) return 1;
  std::vector<uint8_t> bytes(static_cast<std::size_t>(length));
  if (!readBack({session.handle(), request.ap}, address, bytes, "read")) return 1;
  if (request.outFile.empty()) {
    hexdump(address, bytes);
    return 0;
  }
  std::ofstream file(request.outFile, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) {
    std::fprintf(stderr, "kestrel: cannot write %s\n", request.outFile.c_str());
    return 1;
  }
  return 0;
}

int runMemWrite(const Options& options, const MemWriteRequest& request) {
  uint64_t address = 0;
  if (!number("address", request.address, address)) return kUsageError;
  std::ifstream file(request.file, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "kestrel: cannot read %s\n", request.file.c_str());
    return 1;
  }
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
  DapSession session(options);
  if (!session.open()) return 1;
  const MemoryPort port{session.handle(), request.ap};
  TransferReport report("wrote", data.size());
  const TransferResult written = writeMemory(port, address, data.data(), data.size(),
                                             [&](std::size_t done) { report.update(done); });
  if (written.result != KST_OK) {
    reportStop("write", written);
    return 1;
  }
  report.finish(data.size());
  if (!request.verify) return 0;
  std::vector<uint8_t> back(data.size());
  if (!readBack(port, address, back, "read back")) return 1;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (back[i] == data[i]) continue;
    std::fprintf(stderr, "kestrel: verify failed at 0x%llX: wrote 0x%02X, read 0x%02X\n",
                 static_cast<unsigned long long>(address + i), data[i], back[i]);
    return 1;
  }
  std::printf("verified %zu bytes at 0x%llX\n", data.size(),
              static_cast<unsigned long long>(address));
  return 0;
}

}  // namespace tool
