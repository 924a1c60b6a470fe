// Control interface of the Kestrel virtual probe: a libusb-1.0 stand-in that emulates a USB
// bus with Kestrel probes on it. Tests and demos attach probes and other devices, inject
// faults and read back every transfer the host made. Time-outs are never waited out: a read
// with nothing to deliver fails at once and the time-out asked for is recorded. The plain C
// entry points are in kestrel_sim/ksim.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "kestrel_sim/ksim.h"

#define KSIM_API __attribute__((visibility("default")))

namespace ksim {

using DeviceId = int;
constexpr DeviceId kInvalidDevice = KSIM_INVALID_DEVICE;

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

// How the probe moves the TAP to a goal state: the path mode of KST_GotoJtagState and the
// start and end path modes of the scans. No move passes through Test-Logic-Reset unless it is
// the goal; Test-Logic-Reset is always reached with five TMS ones, whatever the mode. Free
// test-clock cycles (a scan's TCLK count, KST_CYCLETCLK) keep the TAP where it is: TMS high
// in Test-Logic-Reset, low in Run-Test/Idle, the shift and the pause states (a state no TMS
// holds goes on with TMS low to the next one that does). Modes above 3 are refused with
// kFirmwareBadArguments.
constexpr uint32_t kPathDefault = 0;  // as kPathShortest
// The fewest clocks, trying TMS low first where two paths are equally short: a pause state
// returns to its shift state through Exit2 without a new capture.
constexpr uint32_t kPathShortest = 1;
// Through Run-Test/Idle: the shortest path there, then the shortest path on to the goal, so a
// scan in progress is updated and the next one captures afresh.
constexpr uint32_t kPathThroughIdle = 2;
// Through the Update state: from Capture, Shift, Exit1, Pause or Exit2 of a register the move
// first completes that scan at its Update state, then takes the shortest path on (through
// Select-DR, so Run-Test/Idle only when it is the goal); from other states as kPathShortest.
constexpr uint32_t kPathThroughUpdate = 3;

// A data register selected by its own instruction, keeping what was last shifted in.
struct UserRegisterConfig {
  uint64_t opcode;
  uint16_t length;
  uint64_t value = 0;  // initial contents (low 64 bits)
};

// One IEEE 1149.1 TAP. BYPASS is the all-ones instruction; IDCODE is instruction 1 and is
// selected by test-logic reset when the TAP has one (BYPASS otherwise). Update-IR and
// Update-DR latch on entering the Update state.
struct TapConfig {
  uint16_t irLength = 4;
  bool hasIdcode = true;
  uint32_t idcode = 0x4BA00477;  // bit 0 must be 1: attachProbe refuses a chain without it
  std::vector<UserRegisterConfig> userRegisters;
  // Hidden until a router selects it (KST_SELECTTAP with its chain position); once selected
  // it adds its bits to the chain at once, even in the middle of a scan.
  bool behindRouter = false;
};

// A three-TAP chain of different IR lengths, nearest TDO first.
KSIM_API std::vector<TapConfig> demoChain();

// The probe's bootloader (its DFU mode), entered by the DFU_MODE_SWITCH command: its flash
// and the faults it shows. See sim/bootloader/bootloader.h for what it does.
enum class DescriptorFault {
  kNone,
  kShortDevice,     // the device descriptor stops after 12 bytes
  kZeroLength,      // the interface descriptor's bLength is 0
  kTotalLarger,     // wTotalLength counts 16 bytes more than the device returns
  kTotalSmaller,    // wTotalLength leaves out the DFU functional descriptor
  kNoDfuInterface,  // the one interface is vendor-specific
  kTypeBytesZero,   // the device and configuration descriptors carry bDescriptorType 0
};

struct BootloaderConfig {
  uint16_t blockSize = 1024;
  uint16_t blockCount = 256;
  uint32_t appStart = 0x1800;
  uint16_t transferSize = 1024;
  uint8_t attributes = 0x07;  // can download, can upload, manifestation tolerant
  // DNBUSY time of every data block. The host really pauses it, so tests through the exported
  // library keep it 0 (no DNBUSY) and choose small values where the wait is the point.
  uint32_t blockPollMs = 0;
  // The erase of the program command: the status requests after it find the device in
  // DNBUSY erasePolls times, each asking erasePollMs (a large flash may take minutes).
  uint32_t erasePollMs = 0;
  uint32_t erasePolls = 0;
  uint32_t manifestPollMs = 0;
  uint32_t partWord = 0x00330000;
  uint32_t classWord = 0x00000C01;
  // What the flash holds from appStart on when the bootloader starts (cut at the flash
  // top); the rest is erased.
  std::vector<uint8_t> image;
};

struct BootloaderFaults {
  uint16_t corvidMagic = 0x5A51;
  uint16_t corvidVersion = 1;
  DescriptorFault descriptors = DescriptorFault::kNone;
  int errorAtBlock = -1;  // data block (from 0) whose write fails with errorStatus
  uint8_t errorStatus = 3;
  bool verifyMismatch = false;  // the first byte of every write lands with one bit flipped
};

// What the probe does on DFU_MODE_SWITCH: it leaves the bus and its bootloader appears; after
// the reset block the bootloader leaves and the probe returns running the downloaded image.
struct DfuModeSetup {
  int scansUntilBootloader = 1;  // bus scans after the switch until it appears; -1: never
  int scansUntilProbe = 1;       // bus scans after the reset until the probe is back; -1: never
  bool failOpen = false;         // libusb_open of the bootloader answers LIBUSB_ERROR_ACCESS
  BootloaderConfig flash;
  BootloaderFaults faults;
};

// The ARM target behind the probe: a debug port and its MEM-APs in front of one memory.
struct MemApConfig {
  uint32_t idr = 0x24770011;   // an AHB-AP
  bool largeAddress = false;   // CFG.LA: 64-bit addresses, TAR's upper word at 0x08
  uint32_t base = 0xE00FF003;  // ROM table, present
};

// A range of addresses [begin, end).
struct AddressRange {
  uint64_t begin, end;
};

// What stands behind the probe besides the scan chain. Unwritten memory reads 0xA5.
struct TargetConfig {
  uint32_t dpIdcode = 0x2BA01477;
  // AP 0 a 32-bit AHB-AP, AP 1 a 64-bit AXI-AP, both on the same memory.
  std::vector<MemApConfig> aps = {MemApConfig{}, MemApConfig{0x44770004, true, 0xE00FF003}};
  std::vector<AddressRange> armFaults;  // ARM memory whose accesses fault
  // Failing cells of the DSP memories (family A by word address, its data space).
  std::vector<AddressRange> wrenFailing, ibisFailing, ternFailing;
  uint32_t powerHardwareWord = 0x00020001;  // PMON_HW_INFO: board revision 2, converter 1
  uint8_t powerChannels = 2;
  uint32_t dcdcVersion = 0x01040007;  // 1.4.0.7
};

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
  DfuModeSetup dfu;
  TargetConfig target;
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
  bool dapConnected = false;  // CMAPI_CONNECT until CMAPI_DISCONNECT
  bool swdConnected = false;
  bool swoEnabled = false;
  bool powerRunning = false;  // the power measurement between start and stop
  bool spiConnected = false;
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
  EmptyPackets,    // split in half with value zero-length packets between (below 0: the first
                   // half, then zero-length packets without end until the next command)
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

// Whether transfers are kept for events() (on by default, and again after reset()). A
// benchmark running many thousands of commands turns it off, so the log neither grows
// without bound nor adds its copies to every transfer.
KSIM_API void recordTransfers(bool on);

// Modelled USB timing, off by default and after reset(): bulk transfers advance a virtual
// clock by the frames a host controller would give them, without any waiting (the model is
// described in src/timing/bus_timing.h).
enum class BusSpeed {
  Off,
  Full,  // 1 ms frames, 64-byte bulk packets
  High,  // 125 us microframes, 512-byte bulk packets, up to 13 a microframe
};
struct BusTiming {
  BusSpeed speed = BusSpeed::Off;
  uint64_t firmwareServiceNs = 0;  // from the end of a command's OUT to its reply being ready
};
// Switches the model (and restarts its clock at 0).
KSIM_API void setBusTiming(const BusTiming& timing);
// The modelled time since setBusTiming, in nanoseconds.
KSIM_API uint64_t modelledTimeNs();
// The model's ceiling: nanoseconds per command for back-to-back commands of outBytes and
// inBytes with nothing else on the bus.
KSIM_API uint64_t modelledExchangeNs(const BusTiming& timing, int outBytes, int inBytes);

// The waits the bootloaders asked of the host: the poll time-outs (milliseconds of the
// firmware's 1 048 576 Hz timer, 1000 ticks each) every bootloader since reset() reported in
// its status replies, including those that have left the bus.
KSIM_API uint64_t bootloaderPollMs();

// Resources the host holds open, for leak checks.
struct Resources {
  int contexts;
  int deviceLists;
  int devices;
  int handles;
};

KSIM_API void reset();  // empty bus, no faults, empty log; libusb_has_capability answers 1
// Attaches a probe; kInvalidDevice when its chain gives an IDCODE with bit 0 clear.
KSIM_API DeviceId attachProbe(const ProbeConfig& config);
KSIM_API DeviceId attachDevice(uint16_t vendorId, uint16_t productId);  // not a probe
// Attaches the bootloader of a probe with this configuration, as if the probe had just
// switched into its DFU mode.
KSIM_API DeviceId attachBootloader(const ProbeConfig& config);
KSIM_API void detach(DeviceId device);
// Keeps a device off the bus until `scans` more device lists (libusb_get_device_list) have
// been taken; it is in every list after that (0: at once). A device replaced by another on
// re-enumeration: detach the old one and attach the new one to appear after some scans.
KSIM_API void appearAfterScans(DeviceId device, unsigned scans);
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
