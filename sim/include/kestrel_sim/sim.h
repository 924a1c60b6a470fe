// Control interface of the Kestrel virtual probe: a libusb-1.0 stand-in that emulates a USB
// bus with Kestrel probes on it. Tests and demos attach probes and other devices, inject
// faults and read back every transfer the host made. Time-outs are never waited out: a read
// with nothing to deliver fails at once and the time-out asked for is recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#define KSIM_API __attribute__((visibility("default")))

namespace ksim {

using DeviceId = int;

// Result codes of the virtual firmware for requests it cannot carry out. They come back in
// a 7-byte reply (no data), as the real firmware answers what it cannot parse.
constexpr int32_t kFirmwareBadFrame = 0x0101;
constexpr int32_t kFirmwareUnknownCommand = 0x0102;
constexpr int32_t kFirmwareBadArguments = 0x0103;

struct ProbeConfig {
  uint16_t vendorId = 0x1209;
  uint16_t productId = 0x4B01;
  std::string serial = "KST00001";
  uint32_t firmwareVersion = 0x03000029;  // bytes major.minor.patch.build
  uint16_t hardwareId = 0x0002;
  bool failOpen = false;            // libusb_open answers LIBUSB_ERROR_ACCESS
  bool failClaimCommand = false;    // the command interface is busy
  bool failClaimData = false;       // the data interface is busy
  bool kernelDriverActive = false;  // both interfaces start bound to a kernel driver
};

enum class Fault {
  NoReply,         // the command is taken but never answered
  ShortReply,      // value bytes fewer (default 1)
  LongReply,       // value bytes more (default 4), delivered as one transfer
  SplitReply,      // delivered in two transfers, the first of value bytes (default half)
  BadStartByte,    // the first byte is not '*'
  BadLengthField,  // the length field is one too large
  FirmwareError,   // a reply of the right size carrying result value
  OutPipe,         // the OUT endpoint stalls (LIBUSB_ERROR_PIPE) instead of taking the packet
  Vanish,          // the device leaves the bus on receiving the command
};

constexpr int kAnyCommand = -1;

struct FaultRule {
  Fault kind;
  int command = kAnyCommand;  // command code the fault applies to
  uint32_t times = 1;         // how many matching commands (or OUT writes) it affects
  int32_t value = 0;
};

enum class EventKind { BulkOut, BulkIn, ClearHalt, Control };

// One transfer the host asked for, as libusb saw it.
struct Event {
  DeviceId device;
  EventKind kind;
  uint8_t endpoint;
  int lengthAsked;
  unsigned timeoutMs;
  int result;                 // the libusb return code
  std::vector<uint8_t> data;  // bytes written (OUT) or delivered (IN)
};

// Resources the host holds open, for leak checks.
struct Resources {
  int contexts;
  int deviceLists;
  int devices;
  int handles;
};

KSIM_API void reset();  // empty bus, no faults, empty log; libusb_has_capability answers 1
KSIM_API DeviceId attachProbe(const ProbeConfig& config);
KSIM_API DeviceId attachDevice(uint16_t vendorId, uint16_t productId);  // not a probe
KSIM_API void detach(DeviceId device);
KSIM_API void injectFault(DeviceId device, const FaultRule& fault);

KSIM_API std::vector<Event> events();
KSIM_API void clearEvents();
// The command packets written to a probe's command OUT endpoint, in order.
KSIM_API std::vector<std::vector<uint8_t>> commandPackets(DeviceId device);

KSIM_API Resources resources();
KSIM_API bool probeConnected(DeviceId device);

// Bytes the probe offers on its data IN endpoint, read by KST_ReadDataPort.
KSIM_API void pushDataPort(DeviceId device, const std::vector<uint8_t>& bytes);

}  // namespace ksim

// The bus the `kestrel --sim` demo runs on: one probe with current firmware.
extern "C" KSIM_API void ksim_install_default_bus(void);

// Plain C entry for tools that reach the virtual probe through dlsym: attaches a probe and
// returns its device id.
extern "C" KSIM_API int ksim_attach_probe(uint16_t vendorId, uint16_t productId, const char* serial,
                                          int kernelDriverActive);
