// Every operation of the framework's table, by name. The table itself is filled in
// operation_table.cpp; the signatures match the slot types of jsc_records.h.
#pragma once

#include <cstdint>

#include "kestrel/jsc_records.h"

namespace kst::jsc {

// The answer of a slot this controller does not provide (-601); never left in a table.
int32_t notProvided(...);

// Controller open and connect.
int32_t openController(JscHandle* handle, uint8_t* firstOpener);
int32_t closeController(JscHandle* handle, uint8_t* lastCloser);
int32_t getTrst(JscHandle* handle, uint8_t* level);
int32_t setTrst(JscHandle* handle, uint32_t line, uint32_t level);
int32_t connectController(JscHandle* handle, const ConnectOptions* options);
int32_t controlTargetLines(JscHandle* handle, uint32_t kind, uint8_t queryOnly, uint8_t* done,
                           uint8_t flags, uint8_t wait);

// Scan settings and link delay.
int32_t getScanSettings(JscHandle* handle, ScanSettings* settings);
int32_t setScanSettings(JscHandle* handle, ScanSettings* settings);
int32_t getLinkDelay(JscHandle* handle, uint32_t* first, uint32_t* second, uint32_t* total);
int32_t addLinkDelay(JscHandle* handle, uint32_t delta);

// Paths and scans.
int32_t cycleTclk(JscHandle* handle, uint32_t count);
int32_t getJtagState(JscHandle* handle, uint32_t* state);
int32_t movePath(JscHandle* handle, const PathDescriptor* path, uint32_t tclkValue,
                 uint32_t repeat);
int32_t fixedScan(JscHandle* handle, const PathDescriptor* path, const FixedScanRequest* request);
int32_t sendScan(JscHandle* handle, const PathDescriptor* path, const SendScanRequest* request);
int32_t exchangeScan(JscHandle* handle, const PathDescriptor* path,
                     const ExchangeScanRequest* request);
int32_t readRestoreScan(JscHandle* handle, const PathDescriptor* path,
                        const ReadRestoreRequest* request);

// Registers of the probe and of the SWD port.
int32_t swdRegRead(JscHandle* handle, uint8_t port, uint8_t address, uint32_t* value);
int32_t swdRegWrite(JscHandle* handle, uint8_t port, uint8_t address, uint32_t* value,
                    uint8_t check);
int32_t registerRead(JscHandle* handle, uint32_t, uint32_t, uint32_t address, uint32_t,
                     uint16_t* value);
int32_t registerWrite(JscHandle* handle, uint32_t, uint32_t, uint32_t address, uint32_t,
                      uint16_t* value);

// TAPs behind a router.
int32_t selectTap(JscHandle* handle, uint8_t kind, const ScanSettings* settings,
                  const uint32_t* deviceId, int32_t mode);
int32_t deselectTap(JscHandle* handle, uint8_t kind, const ScanSettings* settings,
                    const uint32_t* deviceId, int32_t mode);

// The event log.
int32_t createEventLogOperation(JscHandle* handle, int32_t kind, uint8_t* done, uint32_t capacity,
                                uint32_t* granted);
int32_t deleteEventLogOperation(JscHandle* handle, int32_t kind, uint8_t* done);
int32_t clearEventLogOperation(JscHandle* handle, uint32_t kind, uint8_t* done);
int32_t setEventLogOverflow(JscHandle* handle, int32_t kind, uint8_t* done, uint8_t allow);
int32_t readEventLog(JscHandle* handle, uint32_t kind, uint8_t* done, uint32_t capacity,
                     uint32_t* words, uint32_t* count, uint32_t* needed);
int32_t addEventLogEntry(JscHandle* handle, int32_t kind, uint8_t* done, uint32_t word);

// Fixed answers the framework expects of every controller, by slot ("any" arguments are
// pointer-sized and not read).
int32_t answerZero(...);                                                                    // 9, 10
int32_t echoValue(JscHandle* handle, uint32_t value);                                       // 35
int32_t acceptPointer(JscHandle* handle, const void* pointer);                              // 36
int32_t zeroWord(JscHandle* handle, uint32_t* out);                                         // 38
int32_t writeRecordVersion(JscHandle* handle, uint8_t* record);                             // 39
int32_t acceptThirdPointer(JscHandle* handle, uintptr_t, const void* pointer);              // 40
int32_t capability(JscHandle* handle, uint32_t kind, uint8_t* supported, uint32_t* value);  // 41
int32_t zeroIndexedWord(JscHandle* handle, uint32_t index, uintptr_t, uint32_t* out);       // 42
int32_t zeroTwoFlags(JscHandle* handle, uintptr_t, uint8_t* a, uint8_t* b);                 // 43
int32_t zeroFlagsAndWord(JscHandle* handle, uintptr_t, uint8_t* a, uint8_t* b,
                         uint32_t* c);  // 44
int32_t zeroBlockTransfer(JscHandle* handle, uintptr_t, uint8_t* a, uint8_t* b,
                          const uint8_t* record, uintptr_t, uintptr_t, const void* data,
                          uint32_t length, uint32_t* out);        // 45
int32_t zeroFlagPair(JscHandle* handle, uint8_t* a, uint8_t* b);  // 46
int32_t unsupported(JscHandle* handle);                           // 47, 49
int32_t unsupportedWith(JscHandle* handle, const void* pointer);  // 48, 50
int32_t acceptHandle(JscHandle* handle);                          // 51

}  // namespace kst::jsc
