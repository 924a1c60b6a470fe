// kestrel mem read / mem write: target memory through a MEM-AP. Every range is checked
// against the address space of the commands that will carry it before any traffic, and the
// bytes stream between the file, the output and the probe a piece at a time.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "address_range.h"
#include "commands.h"
#include "dap_session.h"
#include "exit_status.h"
#include "image/image.h"
#include "image/load_image.h"
#include "image/record_writer.h"
#include "input_file.h"
#include "kestrel/kestrel.h"
#include "memory_transfer.h"
#include "output_file.h"
#include "result_text.h"
#include "transfer_report.h"

namespace tool {
namespace {

constexpr std::size_t kDumpWidth = 16;
constexpr uint64_t kMaxTransfer = uint64_t{1} << 30;  // as the command line's LEN
constexpr uint8_t kAccessPort = 1, kCfg = 0xF4;
constexpr uint32_t kLargeAddress = 0x2;

// The hexdump of a read, line by line as the pieces arrive: 16 bytes a line, as words of
// width bytes read little-endian, as the target stores them.
class Hexdump {
 public:
  Hexdump(std::ostream& out, uint64_t address, uint64_t length, unsigned width)
      : out_(out),
        address_(address),
        digits_(address + length > UINT32_MAX ? 16 : 8),
        width_(width) {}
  void add(const uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      line_[filled_++] = bytes[i];
      if (filled_ == kDumpWidth) flush();
    }
  }
  void flush() {
    if (filled_ == 0) return;
    char cell[24];
    std::snprintf(cell, sizeof cell, "%0*llX ", digits_, static_cast<unsigned long long>(address_));
    std::string text = cell, shown;
    for (std::size_t i = 0; i < kDumpWidth; i += width_) {
      text += ' ';
      for (std::size_t k = width_; k-- > 0;) {
        if (i + k >= filled_) {
          text += "  ";
          continue;
        }
        std::snprintf(cell, sizeof cell, "%02X", line_[i + k]);
        text += cell;
      }
    }
    for (std::size_t i = 0; i < filled_; ++i)
      shown += line_[i] >= 0x20 && line_[i] < 0x7F ? static_cast<char>(line_[i]) : '.';
    out_ << text << "  |" << shown << "|\n";
    address_ += filled_;
    filled_ = 0;
  }

 private:
  std::ostream& out_;
  uint64_t address_;
  int digits_;
  unsigned width_;
  uint8_t line_[kDumpWidth] = {};
  std::size_t filled_ = 0;
};

void hexText(std::ostream& out, const uint8_t* bytes, std::size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  char text[2 * 4352];
  for (std::size_t i = 0; i < count; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 0xF];
  }
  out.write(text, static_cast<std::streamsize>(2 * count));
}

// A stream that takes output and lost some (the discarding ones take none).
bool failed(const std::ostream& out) {
  return out.rdbuf() != nullptr && !out;
}

// The range against the 64-bit commands, before the probe is opened: 0 or 64, said.
int checkRange(Invocation& run, uint64_t address, uint64_t length) {
  const std::string problem = rangeProblem(address, length, AddressFamily::Bits64);
  if (problem.empty()) return kExitOk;
  run.console.error(problem);
  return kExitUsage;
}

// A range past 4 GiB needs an access port with 64-bit addresses (CFG.LA): through one with
// 32-bit addresses only the high bits would be dropped. Asked of the AP before any memory
// command is sent.
int checkAccessPort(Invocation& run, KST_SMG_HANDLE handle, uint64_t address, uint64_t length) {
  if (rangeProblem(address, length, AddressFamily::Bits32).empty()) return kExitOk;
  uint32_t cfg = 0;
  const int ap = run.options.accessPort;
  const int32_t result = CMAPI_DapRegRead(handle, kAccessPort, run.options.accessPort, kCfg, &cfg);
  if (result != KST_OK) {
    run.console.error("cannot read the address width of AP " + std::to_string(ap) + ": " +
                      resultText(result));
    return kExitIo;
  }
  if ((cfg & kLargeAddress) != 0) return kExitOk;
  run.console.error(rangeProblem(address, length, AddressFamily::Bits32) + " of AP " +
                    std::to_string(ap) + " (it has 32-bit addresses only)");
  return kExitUsage;
}

// One range of target memory a write or read-back covers.
struct Span {
  uint64_t address, length;
};

// A transfer over spans with one progress bar and rate (on standard error, in the document
// under --json): 0, or the exit status after saying where it stopped. The sink or source
// reports its own failures and returns false, which ends the transfer with `stopped`. The
// action names a failure ("write failed in ..."), the verb the rate line ("wrote 4 KiB ...").
template <class Move>
int transfer(Invocation& run, const char* action, const char* verb, const char* key,
             const std::vector<Span>& spans, int& stopped, Move move) {
  uint64_t length = 0;
  for (const Span& span : spans) length += span.length;
  TransferReport report(verb, static_cast<std::size_t>(length),
                        !run.options.quiet && !run.options.json);
  uint64_t before = 0;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const TransferResult result =
        move(i, [&](std::size_t done) { report.update(static_cast<std::size_t>(before + done)); });
    if (result.stoppedByCaller) return stopped;
    if (result.result != KST_OK) {
      // The reply of a failed piece carries no data, so the piece is as close as it can be told.
      const uint64_t last =
          result.stoppedAt + (result.pieceLength == 0 ? 0 : result.pieceLength - 1);
      run.console.error(std::string(action) + " failed in " + hexAddress(result.stoppedAt) + ".." +
                        hexAddress(last) + ": " + resultText(result.result));
      run.console.document()["stopped_at"] = result.stoppedAt;
      return kExitIo;
    }
    before += spans[i].length;
  }
  const double rate = report.finish(static_cast<std::size_t>(length), run.console.notice());
  run.console.document()[key] = rate;
  return kExitOk;
}

}  // namespace

int runMemRead(Invocation& run) {
  const Options& options = run.options;
  nlohmann::json& document = run.console.document();
  document["address"] = options.address;
  document["length"] = options.length;
  if (const int status = checkRange(run, options.address, options.length))
    return run.console.finish(status);
  ImageFormat format = ImageFormat::Binary;
  if (!options.format.empty()) parseFormatName(options.format, format);
  if (const std::string problem = recordRangeProblem(format, options.address, options.length);
      !problem.empty()) {
    run.console.error(problem);
    return run.console.finish(kExitUsage);
  }
  OutputFile file;
  std::string error;
  if (!options.file.empty() && file.create(options.file, error) != kExitOk) {
    run.console.error(error);
    return run.console.finish(kExitIo);
  }
  DapSession session(run);
  if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
  if (const int status = checkAccessPort(run, session.handle(), options.address, options.length))
    return run.console.finish(status);
  const MemoryPort port{session.handle(), options.accessPort};
  std::ostream& data = options.file.empty() ? run.console.streamField("data") : file.stream();
  Hexdump dump(run.console.text(), options.address, options.length, options.wordWidth);
  const bool records = format == ImageFormat::IntelHex || format == ImageFormat::SRecord;
  RecordWriter writer(data, format, options.address, options.length);
  std::ostream& text = run.console.text();
  int stopped = kExitIo;
  uint64_t received = 0;
  int status = transfer(run, "read", "read", "read_bytes_per_second", {{options.address, options.length}},
                        stopped, [&](std::size_t, const Progress& progress) {
                          return readMemory(
                              port, options.address, options.length,
                              [&](const uint8_t* bytes, std::size_t count) {
                                if (records)
                                  writer.add(bytes, count);
                                else if (!options.file.empty())
                                  data.write(reinterpret_cast<const char*>(bytes),
                                             static_cast<std::streamsize>(count));
                                else
                                  hexText(data, bytes, count);
                                if (options.file.empty()) dump.add(bytes, count);
                                received += count;
                                if (records && received == options.length) writer.finish();
                                // The last piece flushes the file, so its failure is this one.
                                if (received == options.length && !options.file.empty())
                                  data.flush();
                                if (!failed(data) && !failed(text)) return true;
                                run.console.error(options.file.empty()
                                                      ? "cannot write standard output"
                                                      : writeFailure(options.file, file.error()));
                                return false;
                              },
                              progress);
                        });
  dump.flush();
  if (!options.file.empty() && file.close(error) != kExitOk && status == kExitOk) {
    run.console.error(error);
    status = kExitIo;
  }
  return run.console.finish(status);
}

int runMemWrite(Invocation& run) {
  const Options& options = run.options;
  nlohmann::json& document = run.console.document();
  InputFile file;
  std::string error;
  if (const int status =
          file.open(options.file, kMaxTransfer, InputFile::Streams::Spooled, kExitDataErr, error)) {
    run.console.error(error);
    return run.console.finish(status);
  }
  // A raw binary streams from the file to its one address; an image's regions are in memory.
  Image image;
  std::vector<Span> spans;
  if (options.addressGiven) {
    spans.push_back({options.address, file.size()});
    document["address"] = options.address;
  } else {
    if (const int status = loadImage(file, options.file, options.format, image, error)) {
      run.console.error(error);
      return run.console.finish(status);
    }
    for (const ImageRegion& region : image.regions)
      spans.push_back({region.address, region.bytes.size()});
    nlohmann::json& regions = document["regions"] = nlohmann::json::array();
    for (const Span& span : spans)
      regions.push_back({{"address", span.address}, {"length", span.length}});
  }
  uint64_t length = 0;
  for (const Span& span : spans) length += span.length;
  document["length"] = length;
  for (const Span& span : spans)
    if (const int status = checkRange(run, span.address, span.length))
      return run.console.finish(status);
  DapSession session(run);
  if (const int status = session.open(); status != kExitOk) return run.console.finish(status);
  for (const Span& span : spans)
    if (const int status = checkAccessPort(run, session.handle(), span.address, span.length))
      return run.console.finish(status);
  const MemoryPort port{session.handle(), options.accessPort};
  // The bytes of span i from offset on, count of them.
  const auto fill = [&](std::size_t i, uint64_t offset, uint8_t* bytes, std::size_t count) {
    if (options.addressGiven) {
      std::size_t got = 0;
      if (file.read(bytes, count, got, error) && got == count) return true;
      run.console.error(error.empty() ? options.file + " ended early" : error);
      return false;
    }
    const uint8_t* from = image.regions[i].bytes.data() + offset;
    std::copy(from, from + count, bytes);
    return true;
  };
  int stopped = kExitIo;
  if (const int status = transfer(run, "write", "wrote", "write_bytes_per_second", spans, stopped,
                                  [&](std::size_t i, const Progress& progress) {
                                    uint64_t offset = 0;
                                    return writeMemory(
                                        port, spans[i].address, spans[i].length,
                                        [&](uint8_t* bytes, std::size_t count) {
                                          offset += count;
                                          return fill(i, offset - count, bytes, count);
                                        },
                                        progress);
                                  }))
    return run.console.finish(status);
  if (!options.verify) return run.console.finish(kExitOk);
  if (options.addressGiven && !file.rewind(error)) {
    run.console.error(error);
    return run.console.finish(kExitIo);
  }
  // Each piece read back is compared with the file's bytes at the same place.
  if (const int status =
          transfer(run, "read back", "read back", "read_bytes_per_second", spans, stopped,
                   [&](std::size_t i, const Progress& progress) {
                     uint64_t offset = 0;
                     return readMemory(
                         port, spans[i].address, spans[i].length,
                         [&](const uint8_t* back, std::size_t count) {
                           uint8_t wrote[4352];
                           if (!fill(i, offset, wrote, count)) return false;
                           for (std::size_t k = 0; k < count; ++k) {
                             if (back[k] == wrote[k]) continue;
                             const uint64_t at = spans[i].address + offset + k;
                             char detail[48];
                             std::snprintf(detail, sizeof detail, " (wrote 0x%02X, read 0x%02X)",
                                           wrote[k], back[k]);
                             run.console.error("verify failed at " + hexAddress(at) + detail);
                             document["verified"] = false;
                             document["first_difference"] = at;
                             return false;
                           }
                           offset += count;
                           return true;
                         },
                         progress);
                   }))
    return run.console.finish(status);
  if (options.addressGiven)
    run.console.text() << "verified " << length << " bytes at " << hexAddress(options.address)
                       << '\n';
  else
    run.console.text() << "verified " << length << " bytes in " << spans.size()
                       << (spans.size() == 1 ? " region\n" : " regions\n");
  document["verified"] = true;
  return run.console.finish(kExitOk);
}

}  // namespace tool
