// Control interface of the Kestrel virtual probe: a libusb-1.0 stand-in that emulates a USB
// bus with Kestrel probes on it. Tests and demos attach probes and other devices, inject
// faults and read back every transfer the host made. Time-outs are never waited out: a read
// with nothing to deliver fails at once and the time-out asked for is recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
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
// The target side: a memory access that faulted on the target's bus, a command out of the
// order its unit needs (start before set-up), a link or unit not connected, a debug port or
// converter that is powered down.
constexpr int32_t kFirmwareMemoryFault = 0x0201;
constexpr int32_t kFirmwareOutOfOrder = 0x0202;
constexpr int32_t kFirmwareNotConnected = 0x0203;
constexpr int32_t kFirmwarePoweredDown = 0x0204;

// TAP controller states, numbered as the probe firmware numbers them.
enum class TapState : uint8_t {
  TestLogicReset = 1,
  RunTestIdle = 2,
  ShiftDr = 3,
  ShiftIr = 4,
  PauseDr = 5,
  PauseIr = 6,
  SelectDr = 8,
  SelectIr = 9,
  CaptureDr = 10,
  CaptureIr = 11,
  Exit1Dr = 12,
  Exit1Ir = 13,
  Exit2Dr = 14,
  Exit2Ir = 15,
  UpdateDr = 16,
  UpdateIr = 17,
};

// A data register selected by its own instruction, keeping what was last shifted in.
struct UserRegisterConfig {
  uint64_t opcode;
  uint16_t length;
  uint64_t value = 0;  // initial contents (low 64 bits)
};

// One IEEE 1149.1 TAP. BYPASS is the all-ones instruction; IDCODE is instruction 1 and is
// selected by test-logic reset when the TAP has one (BYPASS otherwise).
struct TapConfig {
  uint16_t irLength = 4;
  bool hasIdcode = true;
  uint32_t idcode = 0x4BA00477;  // bit 0 must be 1
  std::vector<UserRegisterConfig> userRegisters;
  bool behindRouter = false;  // hidden until a router selects it
};

// A three-TAP chain of different IR lengths, nearest TDO first.
KSIM_API std::vector<TapConfig> demoChain();

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
  std::vector<TapConfig> chain;     // the target's scan chain, position 0 nearest TDO
};

// What the probe's lines, switches and registers hold, for tests to check.
struct ProbeStatus {
  bool connected = false;
  bool powerMeasurement = false;
  uint8_t trst = 1;  // 0 holds the TAPs in test-logic reset
  uint8_t srst = 1;
  uint32_t tclkDelay = 0;
  uint32_t supplyMillivolts = 0;
  uint8_t supplyFlag = 0;
  bool jtagIsolated = false;
  uint8_t powerIsolate = 0;
  bool cjtagConnected = false;
  uint32_t cjtagFormat = 0;
  uint32_t jtagConnectWord = 0;
  uint32_t ambles[4] = {};  // IR first, IR second, DR first, DR second
  uint32_t tclkCycles = 0;  // test-clock cycles run, all commands together
  TapState tapState = TapState::TestLogicReset;
  std::vector<bool> tapVisible;  // per TAP of the configured chain
  std::map<uint32_t, uint32_t> properties;
  std::map<uint32_t, uint16_t> registers;
};

// One record of the probe's own log, as KST_GETLOG returns it.
struct ProbeLogRecord {
  uint32_t type;  // 0-6 DP/AP register operations, 7 debug record, 8 usage report
  uint32_t a, b, c, d;
  uint8_t depth;
};

// While the probe's log is on (property 2), the firmware keeps up to 180 records and counts
// the ones it loses beyond that; every command it carries out adds a debug record
// (A = command code, B = result, D = file 1 and line = code). KST_GETLOG empties it.
constexpr std::size_t kProbeLogSlots = 180;

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

// A reply the probe gives instead of carrying out the command: the next `times` packets with
// this command code are answered with this result and these data bytes, framed as usual.
// Faults still bend the scripted frame.
struct ScriptedReply {
  int command;
  int32_t result = 0;
  std::vector<uint8_t> data;
  uint32_t times = 1;
};
KSIM_API void scriptReply(DeviceId device, const ScriptedReply& reply);

KSIM_API std::vector<Event> events();
KSIM_API void clearEvents();
// The command packets written to a probe's command OUT endpoint, in order.
KSIM_API std::vector<std::vector<uint8_t>> commandPackets(DeviceId device);

KSIM_API Resources resources();
KSIM_API ProbeStatus probeStatus(DeviceId device);

// Records the firmware adds as if a command had made them (only while its log is on).
KSIM_API void appendProbeLog(DeviceId device, const ProbeLogRecord& record);
// A usage report: seven counters in two slots.
KSIM_API void appendUsageReport(DeviceId device, const uint32_t (&counters)[7]);
// Makes KST_GETLOG report a logging flag (0 or 1) other than the real one; -1 undoes it.
KSIM_API void reportProbeLogFlag(DeviceId device, int flag);
// Makes the next KST_GETLOG report this record count whatever it holds (slots stay as they are).
KSIM_API void reportProbeLogCount(DeviceId device, uint32_t count);
KSIM_API std::vector<uint8_t> eeprom(DeviceId device);  // 64 KiB, erased to 0xFF

// Bytes the probe offers on its data IN endpoint, read by KST_ReadDataPort.
KSIM_API void pushDataPort(DeviceId device, const std::vector<uint8_t>& bytes);

}  // namespace ksim

// The bus the `kestrel --sim` demo runs on: one probe with current firmware and the demo
// chain behind it.
extern "C" KSIM_API void ksim_install_default_bus(void);

// Plain C entry for tools that reach the virtual probe through dlsym: attaches a probe and
// returns its device id.
extern "C" KSIM_API int ksim_attach_probe(uint16_t vendorId, uint16_t productId, const char* serial,
                                          int kernelDriverActive);
