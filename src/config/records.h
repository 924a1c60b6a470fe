// The six configuration records a controller handle holds, one per key group, with their
// fields in the order the host framework's tools know them. Each begins with the
// group-present flag; most values keep a found flag beside them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst::config {

constexpr std::size_t kPodTextSize = 257;  // 256 characters and the terminating NUL

struct PodRecord {
  uint8_t present;
  char ecomDriverName[kPodTextSize];
  uint8_t ecomDriverGiven;
  uint32_t ecomPort;
  uint8_t ecomPortGiven;
  char ecomSerial[kPodTextSize];
  uint8_t ecomSerialGiven;
  uint32_t ecomLegacyPort;
  uint8_t ecomLegacyPortGiven;
  char podDriverName[kPodTextSize];
  uint8_t podDriverGiven;
  uint32_t podPort;
  uint8_t podPortGiven;
  char podSerial[kPodTextSize];
  uint8_t podSerialGiven;
  uint32_t connectionKind;         // 0 none, 1 pod driver, 2 ECOM driver
  const char* selectedDriverName;  // points into this record
  uint32_t* selectedPort;          // points into this record
  uint8_t supplyGiven;
  uint8_t supply;
  uint8_t voltageSelectionGiven;
  uint8_t voltageSelection;
  uint8_t voltageGiven;
  uint32_t voltageMillivolts;
  uint8_t firstDeviceIsCoreSight;
};

// The five link-delay fields of the general scan keys.
struct ScanLinkDelay {
  uint8_t automatic;
  int32_t signedValue;
  uint32_t unsignedValue;
  uint8_t automaticCopy;  // always equal to automatic
  uint8_t signedGiven;
  uint8_t unsignedGiven;
};

// A mode key and a value key for one of the pins.
struct PinPair {
  uint32_t mode;
  uint32_t value;
  uint8_t modeFound;
  uint8_t valueFound;
};

struct ScanRecord {
  uint8_t present;
  uint8_t noPreamble;
  uint8_t noPreambleFound;
  uint8_t noCheck;
  uint8_t noCheckFound;
  uint8_t okToStall;
  uint8_t okToStallFound;
  uint8_t fastClock;
  uint8_t slowClock;
  uint32_t slowFrequency;
  uint8_t fastClockFound;
  uint8_t slowClockFound;
  uint8_t slowFrequencyFound;
  uint8_t tdoEdge;
  uint8_t tdiEdge;
  uint8_t tdoEdgeFound;
  uint8_t tdiEdgeFound;
  ScanLinkDelay linkDelay;
  uint32_t endDelayOnce;
  uint32_t endDelayMany;
  uint8_t endDelayOnceFound;
  uint8_t endDelayManyFound;
  uint32_t tdiDelayPodToEmulator;
  uint32_t tdiDelayTargetToPod;
  uint32_t tckDelayEmulatorToPod;
  uint32_t tckDelayPodToEmulator;
  uint8_t tdiDelayPodToEmulatorFound;
  uint8_t tdiDelayTargetToPodFound;
  uint8_t tckDelayEmulatorToPodFound;
  uint8_t tckDelayPodToEmulatorFound;
  uint8_t extraJtagReset;
  uint8_t extraSystemReset;
  uint8_t extraJtagResetFound;
  uint8_t extraSystemResetFound;
  PinPair jtagBoot;
  PinPair powerBoot;
  PinPair emulatorOutput;
  PinPair loopback;
  uint32_t bootPinMap;
  uint8_t bootPinMapFound;
  uint32_t jtagIsolate;
  uint8_t jtagIsolateFound;
  uint32_t resetOnConnect;
  uint8_t resetOnConnectFound;
};

// Found flags of the test-clock keys, in key order.
enum TclkKey {
  kTclkProgram,
  kTclkBeginning,
  kTclkFrequency,
  kTclkAdvance,
  kTclkRetreat,
  kTclkTestMode,
  kTclkOverflow,
  kTclkReference,
  kTclkInitial,
  kTclkTerminal,
  kTclkFoundFlags,
};

struct TclkRecord {
  uint8_t present;
  uint32_t program;
  uint32_t beginningFrequency;
  uint32_t frequency;
  uint32_t advance;
  uint32_t retreat;
  uint32_t testMode;
  uint32_t overflow;
  uint32_t referenceFrequency;
  uint8_t initial;
  uint8_t terminal;
  uint8_t found[kTclkFoundFlags];
  uint8_t scanBitsGiven;
  uint32_t scanBits;
  uint8_t scanBitsFound;
  uint8_t irSizeFixed;
  uint8_t drSizeFixed;
  uint32_t irSize;
  uint32_t drSize;
  uint8_t irSizeFound;
  uint8_t drSizeFound;
};

// A text that stays the host's, referenced with its length.
struct HostText {
  const char* text;
  uint64_t length;
};

struct RemoteLogRecord {
  uint8_t present;
  HostText remoteHost;
  uint8_t remoteHostFound;
  uint32_t remotePort;
  uint8_t remotePortFound;
  uint8_t noGaleCable;
  uint8_t noGaleCableFound;
  uint8_t noGaleFpga;
  uint8_t noGaleFpgaFound;
  uint8_t logMode;
  uint8_t logModeFound;
  uint8_t logType;  // 1 verbose, 0 brief
  uint8_t logTypeFound;
  HostText logFile;
  uint8_t logFileFound;
};

// The five link-delay fields of one side of the IEEE 1149.7 connection.
struct Dot7LinkDelay {
  int32_t signedValue;
  uint32_t unsignedValue;
  uint8_t signedGiven;
  uint8_t unsignedGiven;
  uint8_t predict;
};

struct Dot7Record {
  uint8_t present;
  uint32_t dtsUsage;
  uint8_t dtsUsageFound;
  uint32_t dtsType;
  uint8_t dtsTypeFound;
  uint32_t dtsFlush;
  uint8_t dtsFlushFound;
  uint32_t dtsProgram;
  uint8_t dtsProgramFound;
  uint32_t dtsFrequency;
  uint8_t dtsFrequencyFound;
  Dot7LinkDelay dtsLinkDelay;
  uint8_t dtsEdgeIn;  // 1 falling
  uint8_t dtsEdgeInFound;
  uint8_t dtsEdgeOut;  // 1 falling
  uint8_t dtsEdgeOutFound;
  uint32_t dtsEndOnce;
  uint32_t dtsEndMany;
  uint8_t dtsEndOnceFound;
  uint8_t dtsEndManyFound;
  uint32_t tsTopology;
  uint8_t tsTopologyFound;
  uint32_t tsFlush;
  uint8_t tsFlushFound;
  uint32_t tsPinWidth;
  uint8_t tsPinWidthFound;
  Dot7LinkDelay tsLinkDelay;
  uint32_t tsFormat;
  uint8_t tsFormatFound;
  uint8_t tsControllerId;
  uint8_t tsControllerIdFound;
  uint8_t tsReady;
  uint8_t tsReadyFound;
  uint8_t tsDelay;
  uint8_t tsDelayFound;
  uint32_t tsClockWidth;
  uint8_t tsClockWidthFound;
  uint8_t tsEdge;  // 1 falling
  uint8_t tsEdgeFound;
};

struct SwdRecord {
  uint8_t present;
  uint32_t swdDebug;  // 1 disabled (JTAG), 2 enabled
  uint8_t swdDebugFound;
  uint32_t swoSource;  // 1 auxiliary UART, 2 TDO pin
  uint8_t swoSourceFound;
  uint32_t swjDpDefaultMode;
  uint32_t pinResetDormantWakeup;
};

// All six, as the controller handle embeds them.
struct ConfigurationRecords {
  PodRecord pod;
  ScanRecord scan;
  TclkRecord tclk;
  RemoteLogRecord remoteLog;
  Dot7Record dot7;
  SwdRecord swd;
};

// The record defaults, written when a handle is created and into each temporary record.
void writeDefaults(PodRecord& record);
void writeDefaults(ScanRecord& record);
void writeDefaults(TclkRecord& record);
void writeDefaults(RemoteLogRecord& record);
void writeDefaults(Dot7Record& record);
void writeDefaults(SwdRecord& record);
void writeDefaults(ConfigurationRecords& records);

}  // namespace kst::config
