// What tests on the virtual bus share: a probe of a given identity, a TAP of its chain, a
// command packet as the probe must see it, descriptors, a firmware image, the codes of the packets
// sent, and the bus's events of one kind.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "kestrel_sim/sim.h"

namespace kstest {

using Bytes = std::vector<uint8_t>;

inline ksim::ProbeConfig probeAt(uint16_t vendorId, uint16_t productId, const char* serial) {
  ksim::ProbeConfig config;
  config.vendorId = vendorId;
  config.productId = productId;
  config.serial = serial;
  return config;
}

// A probe of the first identity row with one of its switches on (failOpen, kernelDriverActive..).
inline ksim::ProbeConfig probeWith(bool ksim::ProbeConfig::*flag, const char* serial = "A") {
  ksim::ProbeConfig config = probeAt(0x1209, 0x4B01, serial);
  config.*flag = true;
  return config;
}

// A TAP of the virtual chain: IR length, and its IDCODE when it has one.
inline ksim::TapConfig tap(uint16_t irLength, bool hasIdcode, uint32_t idcode = 0) {
  ksim::TapConfig config;
  config.irLength = irLength;
  config.hasIdcode = hasIdcode;
  config.idcode = idcode;
  return config;
}

// '*', the length of code and arguments (16 bits), the code, the arguments. Built at its
// final size: GCC 12 at -O3 warns falsely (-Warray-bounds) about vector::insert after a short
// initializer list.
inline Bytes packet(uint8_t code, const Bytes& arguments = {}) {
  const std::size_t length = arguments.size() + 1;
  Bytes bytes(4 + arguments.size());
  bytes[0] = '*';
  bytes[1] = static_cast<uint8_t>(length);
  bytes[2] = static_cast<uint8_t>(length >> 8);
  bytes[3] = code;
  std::copy(arguments.begin(), arguments.end(), bytes.begin() + 4);
  return bytes;
}

// Descriptors one after another. Built at its final size: GCC 12 at -O3 warns falsely
// (-Warray-bounds) about vector::insert after a short initializer list.
inline Bytes join(std::initializer_list<Bytes> parts) {
  std::size_t size = 0;
  for (const Bytes& part : parts) size += part.size();
  Bytes out(size);
  auto at = out.begin();
  for (const Bytes& part : parts) at = std::copy(part.begin(), part.end(), at);
  return out;
}

// A configuration descriptor of bNumInterfaces interfaces around body, wTotalLength right.
inline Bytes configuration(const Bytes& body, uint8_t interfaces = 1) {
  Bytes out = join({{9, 2, 0, 0, interfaces, 1, 0, 0x80, 50}, body});
  out[2] = static_cast<uint8_t>(out.size());
  return out;
}

// A firmware image of size bytes: a pattern, and the version in the word at 0x1C, where the
// firmware keeps it, when the image reaches that far.
inline Bytes firmwareImage(std::size_t size, uint32_t version) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  for (std::size_t i = 0; i < 4 && 0x1C + i < size; ++i)
    bytes[0x1C + i] = static_cast<uint8_t>(version >> (8 * i));
  return bytes;
}

// The command code of every packet, in order.
inline std::vector<uint8_t> codes(const std::vector<Bytes>& packets) {
  std::vector<uint8_t> list;
  for (const Bytes& p : packets) list.push_back(p.at(3));
  return list;
}

inline std::vector<ksim::Event> eventsOf(ksim::EventKind kind) {
  std::vector<ksim::Event> selected;
  for (const ksim::Event& event : ksim::events())
    if (event.kind == kind) selected.push_back(event);
  return selected;
}

}  // namespace kstest
