// Slots 13 to 25: fixed, outgoing, exchanged and read-and-restored scans, each one or a few
// JTAG scan commands to the controller record's probe.
#include <cstring>

#include "controller_handle.h"
#include "kestrel/kst_jtag.h"
#include "operations.h"
#include "result_codes.h"
#include "scan_command.h"
#include "scan_path.h"

namespace kst::jsc {
namespace {

constexpr uint32_t kOnePattern = 2;  // out-data mode: one pattern serves every repetition
constexpr uint32_t kFirstPathMode = 1;

// Stride and length of the out data for R repetitions of B bytes.
struct OutLayout {
  uint16_t stride;
  uint32_t length;
};
OutLayout outLayout(const PathDescriptor& path, uint32_t bytes, uint32_t repeat) {
  if (path.outDataMode == kOnePattern) return {0, bytes};
  return {static_cast<uint16_t>(bytes), saturatedProduct(bytes, repeat)};
}

// Bits per unit of the read-and-restore buffer; 0 keeps the buffer where it is.
uint32_t unitBits(uint32_t wordSize) {
  switch (wordSize) {
    case 2:
      return 8;
    case 3:
      return 16;
    case 4:
      return 32;
    case 5:
      return 64;
    default:
      return 0;
  }
}

}  // namespace

int32_t fixedScan(JscHandle* handle, const PathDescriptor* path, const FixedScanRequest* request) {
  KSTInform* probe = nullptr;
  if (const int32_t result = jtagProbe(handle, probe)) return result;
  if (request == nullptr) return kBadArgument;
  ScanFields f{};
  if (const int32_t result =
          scanFields(*handle, path, request->tclkValue, request->bits, request->repeat, f))
    return result;
  return KST_FixedScan(probe, f.bits, f.shiftState, f.startMode, f.endState, f.endMode,
                       f.firstAmble, f.secondAmble, f.tclkCount, f.repeat, request->fill);
}

int32_t sendScan(JscHandle* handle, const PathDescriptor* path, const SendScanRequest* request) {
  KSTInform* probe = nullptr;
  if (const int32_t result = jtagProbe(handle, probe)) return result;
  if (request == nullptr) return kBadArgument;
  const uint32_t bytes = scanByteCount(request->bits);
  if (request->out == nullptr) return kNoScanData;
  ScanFields f{};
  if (const int32_t result =
          scanFields(*handle, path, request->tclkValue, request->bits, request->repeat, f))
    return result;
  const OutLayout out = outLayout(*path, bytes, request->repeat);
  return KST_SendScan(probe, f.bits, f.shiftState, f.startMode, f.endState, f.endMode, f.firstAmble,
                      f.secondAmble, f.tclkCount, f.repeat, out.stride, request->out, out.length);
}

int32_t exchangeScan(JscHandle* handle, const PathDescriptor* path,
                     const ExchangeScanRequest* request) {
  KSTInform* probe = nullptr;
  if (const int32_t result = jtagProbe(handle, probe)) return result;
  if (request == nullptr) return kBadArgument;
  const uint32_t bytes = scanByteCount(request->bits);
  if (request->out == nullptr || request->in == nullptr) return kNoScanData;
  ScanFields f{};
  if (const int32_t result =
          scanFields(*handle, path, request->tclkValue, request->bits, request->repeat, f))
    return result;
  const OutLayout out = outLayout(*path, bytes, request->repeat);
  return KST_SendRecvScan(probe, f.bits, f.shiftState, f.startMode, f.endState, f.endMode,
                          f.firstAmble, f.secondAmble, f.tclkCount, f.repeat, out.stride,
                          static_cast<uint16_t>(bytes), request->out, request->in, out.length,
                          saturatedProduct(bytes, request->repeat));
}

// Each repetition captures the register (shifting ones in) and stops in its pause state, then
// shifts the captured value back in and ends where the descriptor says. The scan bytes pass
// through a scratch copy: the capture returns an even byte count, which may reach past the
// caller's unit for the last repetition.
int32_t readRestoreScan(JscHandle* handle, const PathDescriptor* path,
                        const ReadRestoreRequest* request) {
  if (handle == nullptr || controllerOf(handle) == nullptr) return kBadArgument;
  if (request == nullptr || request->buffer == nullptr) return kBadArgument;
  KSTInform* probe = nullptr;
  if (const int32_t result = jtagProbe(handle, probe)) return result;
  if (const int32_t result = checkPath(path)) return result;
  if (request->repeat == 0) return kOk;

  PathDescriptor capture = *path;
  capture.endPathMode = kFirstPathMode;
  capture.endState = pauseStateOf(*path);
  capture.tclkMode = 1;
  PathDescriptor restore = *path;
  restore.startPathMode = kFirstPathMode;

  const uint32_t bytes = scanByteCount(request->bits);
  const uint32_t valueBytes = (request->bits + 7) / 8;
  if (bytes > KST_PACKET_SIZE) return kBadArgument;
  const uint16_t stride = path->outDataMode == kOnePattern ? 0 : static_cast<uint16_t>(bytes);
  const uint32_t unit = unitBits(path->wordSize);
  const uint32_t advance = unit == 0 ? 0 : (request->bits + unit - 1) / unit * (unit / 8);

  uint8_t scratch[KST_PACKET_SIZE];
  uint8_t* at = request->buffer;
  for (uint32_t r = 0; r < request->repeat; ++r) {
    std::memset(scratch, 0xFF, bytes);
    std::memset(at, 0xFF, valueBytes);
    ScanFields f{};
    if (const int32_t result = jtagProbe(handle, probe)) return result;
    if (const int32_t result =
            scanFields(*handle, &capture, request->tclkValue, request->bits, 1, f))
      return result;
    if (const int32_t result =
            KST_SendRecvScan(probe, f.bits, f.shiftState, f.startMode, f.endState, kFirstPathMode,
                             f.firstAmble, f.secondAmble, f.tclkCount, 1, stride,
                             static_cast<uint16_t>(bytes), scratch, scratch, bytes, bytes))
      return result;
    std::memcpy(at, scratch, valueBytes);

    if (const int32_t result = jtagProbe(handle, probe)) return result;
    if (const int32_t result = scanFields(*handle, &restore, 0, request->bits, 1, f)) return result;
    if (const int32_t result =
            KST_SendScan(probe, f.bits, f.shiftState, kFirstPathMode, f.endState, f.endMode,
                         f.firstAmble, f.secondAmble, f.tclkCount, 1, stride, scratch, bytes))
      return result;
    if (r + 1 < request->repeat) at += advance;
  }
  return kOk;
}

}  // namespace kst::jsc
