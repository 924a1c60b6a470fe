#include "memory_transfer.h"

#include <algorithm>

#include "kestrel/kst_arm.h"

namespace tool {
namespace {

// Access sizes of the selector B the probe firmware takes.
constexpr uint8_t kByteAccess = 0, kWordAccess = 2;
// The most a packet carries: a read's reply, a write's packet with a 32- or 64-bit address.
constexpr std::size_t kReadPiece = 4345, kWritePiece = 4335, kWideWritePiece = 4331;

bool wordAligned(uint64_t value) {
  return value % 4 == 0;
}

bool needsWide(uint64_t address, uint64_t length) {
  return length != 0 && address + (length - 1) > UINT32_MAX;
}

// move(at, bytes, count, access, wide) sends one piece; pass(bytes, count) hands its bytes
// over (after a read) or fetches them (before a write).
template <class Move, class Pass>
TransferResult transfer(uint64_t address, uint64_t length, bool write, const Progress& progress,
                        Move move, Pass pass) {
  const bool wide = needsWide(address, length);
  uint8_t bytes[kReadPiece];
  uint64_t done = 0;
  while (done < length) {
    const uint64_t at = address + done;
    const std::size_t piece = pieceSize(at, static_cast<std::size_t>(std::min<uint64_t>(length - done, kReadPiece)), write, wide);
    const uint8_t access = wordAligned(at) && wordAligned(piece) ? kWordAccess : kByteAccess;
    if (write && !pass(bytes, piece)) return {KST_OK, at, piece, true};
    const int32_t result = move(at, bytes, static_cast<uint32_t>(piece), access, wide);
    if (result != KST_OK) return {result, at, piece};
    if (!write && !pass(bytes, piece)) return {KST_OK, at, piece, true};
    done += piece;
    if (progress) progress(static_cast<std::size_t>(done));
  }
  return {KST_OK, address + length};
}

}  // namespace

std::size_t pieceSize(uint64_t address, std::size_t remaining, bool write, bool wide) {
  const std::size_t limit = !write ? kReadPiece : wide ? kWideWritePiece : kWritePiece;
  const std::size_t piece = std::min(remaining, limit);
  // Whole words when the start allows them, unless the rest is shorter than a word.
  return wordAligned(address) && piece >= 4 ? piece & ~std::size_t{3} : piece;
}

TransferResult readMemory(const MemoryPort& port, uint64_t address, uint64_t length,
                          const MemorySink& sink, const Progress& progress) {
  return transfer(
      address, length, false, progress,
      [&](uint64_t at, uint8_t* bytes, uint32_t count, uint8_t access, bool wide) {
        return wide ? CMAPI_MemRead64(port.handle, port.ap, access, 0, at, count, 0, bytes)
                    : CMAPI_MemRead(port.handle, port.ap, access, 0, static_cast<uint32_t>(at),
                                    count, 0, bytes);
      },
      sink);
}

TransferResult writeMemory(const MemoryPort& port, uint64_t address, uint64_t length,
                           const MemorySource& source, const Progress& progress) {
  return transfer(
      address, length, true, progress,
      [&](uint64_t at, uint8_t* bytes, uint32_t count, uint8_t access, bool wide) {
        return wide ? CMAPI_MemWrite64(port.handle, port.ap, access, 0, at, count, 0, bytes)
                    : CMAPI_MemWrite(port.handle, port.ap, access, 0, static_cast<uint32_t>(at),
                                     count, 0, bytes);
      },
      source);
}

TransferResult readMemoryTo(const MemoryPort& port, uint64_t address, uint8_t* out,
                            std::size_t length) {
  std::size_t done = 0;
  return readMemory(port, address, length, [&](const uint8_t* bytes, std::size_t count) {
    std::copy(bytes, bytes + count, out + done);
    done += count;
    return true;
  });
}

TransferResult writeMemoryFrom(const MemoryPort& port, uint64_t address, const uint8_t* data,
                               std::size_t length) {
  std::size_t done = 0;
  return writeMemory(port, address, length, [&](uint8_t* bytes, std::size_t count) {
    std::copy(data + done, data + done + count, bytes);
    done += count;
    return true;
  });
}

}  // namespace tool
