// The emulated USB bus: devices, their endpoints and the transfer log.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "firmware.h"
#include "kestrel_sim/sim.h"

namespace ksim {

struct InterfaceLayout {
  int commandInterface;
  uint8_t commandIn;
  uint8_t commandOut;
  int dataInterface;
  uint8_t dataIn;
  uint8_t dataOut;
};

constexpr int kMaxInterfaces = 8;

struct SimDevice {
  DeviceId id = 0;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  bool isProbe = false;
  bool present = true;
  ProbeState probe;
  InterfaceLayout layout{};
  bool claimed[kMaxInterfaces] = {};
  bool kernelDriver[kMaxInterfaces] = {};
  std::deque<std::vector<uint8_t>> replyChunks;  // one entry per IN transfer
  std::deque<uint8_t> dataPort;
  std::vector<FaultRule> faults;
  std::vector<ScriptedReply> scripted;
  bool outHalted = false;
  bool endlessEmptyPackets = false;  // every IN read delivers 0 bytes until the next command
};

struct BusState {
  std::mutex mutex;
  std::vector<std::unique_ptr<SimDevice>> devices;
  std::vector<Event> events;
  DeviceId nextId = 1;
  Resources live{};
};

BusState& bus();  // callers hold bus().mutex while they touch it
SimDevice* findDevice(BusState& state, DeviceId id);

// The OUT and IN sides of a probe's command endpoint; return libusb codes.
int commandOut(SimDevice& device, const uint8_t* data, int length);
int commandIn(SimDevice& device, uint8_t* data, int length, int& transferred);

}  // namespace ksim
