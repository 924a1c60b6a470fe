#include "bootloader/bootloader.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/bus.h"

namespace {

using ksim::Bootloader;
using ksim::BootloaderConfig;
using ksim::BootloaderFaults;
using ksim::ControlReply;
using ksim::ControlRequest;

// The requests of the state table, and a wait of 5 ms between them.
// clang-format off
enum Op { kDnload16, kDnload0, kUpload16, kGetStatus, kClrStatus, kGetState, kAbort, kDetach, kWait };
// clang-format on

// A bootloader with a clock the test moves: poll time-outs are real waits here.
struct Device {
  explicit Device(BootloaderConfig config = {}, BootloaderFaults faults = {})
      : bootloader(config, faults) {
    // The clock captures this device: it is neither copied nor moved.
    bootloader.setClock([this] { return nowUs; });
  }

  ControlReply request(uint8_t type, uint8_t request, uint16_t value, uint16_t length,
                       uint8_t* data) {
    return bootloader.control(ControlRequest{type, request, value, 0, length}, data);
  }
  ControlReply op(Op op) {
    static const struct {
      uint8_t type, request;
      uint16_t length;
    } kOps[] = {{0x21, 1, 16}, {0x21, 1, 0}, {0xA1, 2, 16}, {0xA1, 3, 6},
                {0x21, 4, 0},  {0xA1, 5, 1}, {0x21, 6, 0},  {0x21, 0, 0}};
    if (op == kWait) {
      nowUs += 5000;
      return {};
    }
    buffer.assign(64, 0x5A);
    return request(kOps[op].type, kOps[op].request, 0, kOps[op].length, buffer.data());
  }
  ControlReply download(std::vector<uint8_t> block) {
    return request(0x21, 1, 0, static_cast<uint16_t>(block.size()), block.data());
  }
  // GETSTATUS after the poll time-out the last status asked for.
  std::vector<uint8_t> status() {
    std::vector<uint8_t> reply(6);
    EXPECT_EQ(request(0xA1, 3, 0, 6, reply.data()).outcome, ControlReply::kDone);
    nowUs += (reply[1] | reply[2] << 8 | reply[3] << 16) * 1000ull;
    return reply;
  }
  // Status requests until the device leaves DNLOAD_SYNC, DNBUSY and MANIFEST.
  std::vector<uint8_t> settle() {
    std::vector<uint8_t> reply = status();
    while (reply[4] == 3 || reply[4] == 4 || reply[4] == 7) reply = status();
    return reply;
  }
  std::vector<uint8_t> upload(uint16_t length) {
    std::vector<uint8_t> data(length);
    const ControlReply reply = request(0xA1, 2, 0, length, data.data());
    data.resize(reply.outcome == ControlReply::kDone ? reply.length : 0);
    return data;
  }

  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  Bootloader bootloader;
  uint64_t nowUs = 0;
  std::vector<uint8_t> buffer;
};

BootloaderConfig slowManifest(uint8_t attributes) {
  BootloaderConfig config;
  config.attributes = attributes;
  config.blockPollMs = 5;
  config.manifestPollMs = 5;
  return config;
}

// Drives a fresh device (data blocks and manifestation busy for 5 ms) into the given DFU
// state by the requests a host would send.
void driveTo(Device& device, uint8_t state) {
  // clang-format off
  static const std::vector<Op> kPaths[] = {
      // appIDLE and appDETACH are not the bootloader's; dfuIDLE is where it starts.
      {}, {}, {},
      {kDnload16},
      {kDnload16, kGetStatus},  // DNBUSY, and the test clock stands still
      {kDnload16, kGetStatus, kWait, kGetStatus},
      {kDnload16, kGetStatus, kWait, kGetStatus, kDnload0},
      {kDnload16, kGetStatus, kWait, kGetStatus, kDnload0, kGetStatus},
      {kDnload16, kGetStatus, kWait, kGetStatus, kDnload0, kGetStatus, kWait, kGetState},
      {kUpload16},
      {kClrStatus},
  };
  // clang-format on
  for (const Op op : kPaths[state]) device.op(op);
  ASSERT_EQ(device.bootloader.state(), state);
}

// DFU 1.1's state transition table, for the requests a host can send in each state.
TEST(Bootloader, FollowsTheDfuStateTable) {
  constexpr auto S = ControlReply::kStall;
  constexpr auto D = ControlReply::kDone;
  struct Row {
    uint8_t from;
    Op op;
    ControlReply::Outcome outcome;
    uint8_t to;
  };
  const Row rows[] = {
      {2, kDnload16, D, 3},   {2, kDnload0, S, 10},    {2, kUpload16, D, 9},
      {2, kGetStatus, D, 2},  {2, kClrStatus, S, 10},  {2, kGetState, D, 2},
      {2, kAbort, D, 2},      {2, kDetach, S, 10},     {3, kDnload16, S, 10},
      {3, kUpload16, S, 10},  {3, kGetStatus, D, 4},   {3, kGetState, D, 3},
      {3, kAbort, S, 10},     {4, kGetStatus, S, 10},  {4, kGetState, S, 10},
      {4, kAbort, S, 10},     {5, kDnload16, D, 3},    {5, kDnload0, D, 6},
      {5, kUpload16, S, 10},  {5, kGetStatus, D, 5},   {5, kGetState, D, 5},
      {5, kAbort, D, 2},      {5, kClrStatus, S, 10},  {6, kGetStatus, D, 7},
      {6, kGetState, D, 6},   {6, kAbort, S, 10},      {6, kDnload16, S, 10},
      {7, kGetStatus, S, 10}, {7, kAbort, S, 10},      {8, kGetStatus, S, 8},
      {8, kAbort, S, 8},      {8, kClrStatus, S, 8},   {9, kUpload16, D, 9},
      {9, kGetStatus, D, 9},  {9, kGetState, D, 9},    {9, kAbort, D, 2},
      {9, kDnload16, S, 10},  {10, kGetStatus, D, 10}, {10, kGetState, D, 10},
      {10, kClrStatus, D, 2}, {10, kAbort, S, 10},     {10, kDnload16, S, 10},
      {10, kUpload16, S, 10},
  };
  for (const Row& row : rows) {
    Device device(slowManifest(0x03));  // not manifestation tolerant: MANIFEST leads to 8
    driveTo(device, row.from);
    const ControlReply reply = device.op(row.op);
    EXPECT_EQ(reply.outcome, row.outcome) << "state " << int(row.from) << " op " << row.op;
    EXPECT_EQ(device.bootloader.state(), row.to) << "state " << int(row.from) << " op " << row.op;
    if (row.op == kGetStatus && reply.outcome == D) {
      EXPECT_EQ(device.buffer[4], row.to) << "the reply names the state entered";
    }
  }
}

TEST(Bootloader, PollTimeOutsEndBusyAndManifestationAndEarlyRequestsAreStalled) {
  Device device(slowManifest(0x07));
  driveTo(device, 4);
  EXPECT_EQ(device.buffer[1], 5) << "the block's poll time-out, 5 ms";
  device.nowUs += 4767;  // 5000 units of 1/1048576 s are 4768 us
  EXPECT_EQ(device.op(kGetStatus).outcome, ControlReply::kStall);
  EXPECT_EQ(device.bootloader.earlyRequests(), 1u);
  EXPECT_EQ(device.bootloader.status(), 15) << "STALLEDPKT";

  Device tolerant(slowManifest(0x07));
  driveTo(tolerant, 7);
  tolerant.nowUs += 5000;
  EXPECT_EQ(tolerant.status()[4], 2) << "manifestation tolerant: back to IDLE";
  EXPECT_EQ(tolerant.bootloader.pollRequestedMs(), 10u);

  Device strict(slowManifest(0x03));
  driveTo(strict, 8);
  strict.bootloader.busReset();
  EXPECT_TRUE(strict.bootloader.hasLeft());
}

// A Corvid command block: code, 0, the address in KiB (16 bits), the count (32 bits).
std::vector<uint8_t> command(uint8_t code, uint32_t address = 0, uint32_t count = 0) {
  const auto kib = static_cast<uint16_t>(address / 1024);
  // clang-format off
  return {code, 0, uint8_t(kib), uint8_t(kib >> 8), uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16), uint8_t(count >> 24)};
  // clang-format on
}

// The Corvid path the library takes: program, data blocks, read back, reset.
// A count larger than the bytes leaves the program unfinished.
void program(Device& device, const std::vector<uint8_t>& bytes, uint32_t address,
             std::size_t count = 0) {
  const auto announced = static_cast<uint32_t>(count != 0 ? count : bytes.size());
  ASSERT_EQ(device.download(command(1, address, announced)).outcome, ControlReply::kDone);
  ASSERT_EQ(device.settle()[4], 2);
  for (std::size_t at = 0; at < bytes.size(); at += 1024) {
    const std::size_t end = at + 1024 < bytes.size() ? at + 1024 : bytes.size();
    device.download(std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + end));
    if (device.settle()[4] != 5) return;
  }
  device.download({});
  device.settle();
}

TEST(Bootloader, ProgramsReadsBackInBothFormatsAndRestartsIntoTheImage) {
  Device device;
  const std::vector<uint8_t> bytes = kstest::firmwareImage(2500, 0x03000029);
  program(device, bytes, 0x1800);
  EXPECT_EQ(device.bootloader.state(), 2);
  EXPECT_EQ(device.bootloader.status(), 0);

  device.download(command(2, 0x1800, 2500));
  device.settle();
  std::vector<uint8_t> dfuFormat = device.upload(4096);
  ASSERT_EQ(dfuFormat.size(), 2508u);
  EXPECT_EQ(std::vector<uint8_t>(dfuFormat.begin(), dfuFormat.begin() + 8),
            (std::vector<uint8_t>{0x00, 0x18, 0, 0, 0xC4, 0x09, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(dfuFormat.begin() + 8, dfuFormat.end()), bytes);

  // The raw format (the library's verify) is checked through its DFU client.

  device.download(command(7));
  EXPECT_EQ(device.settle()[4], 2);
  EXPECT_TRUE(device.bootloader.hasLeft());
  EXPECT_EQ(device.bootloader.imageVersion(), 0x03000029u);
  EXPECT_EQ(device.bootloader.control({0xA1, 3, 0, 0, 6}, nullptr).outcome, ControlReply::kGone);

  // A program ended before all its bytes came is NOTDONE. Writes outside the application and
  // failing blocks are checked through the library's DFU client (tests/update), plain
  // downloads and uploads through dfu-util (dfu_util_host.sh).
  Device early;
  program(early, std::vector<uint8_t>(1024, 0x22), 0x1800, 2048);
  EXPECT_EQ(early.bootloader.state(), 10);
  EXPECT_EQ(early.bootloader.status(), 9) << "NOTDONE: half the program is missing";
}

}  // namespace
