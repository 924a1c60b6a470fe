#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "dfu_ports.h"
#include "support/bus.h"
#include "update/dfu_corvid.h"
#include "update/dfu_descriptors.h"
#include "update/dfu_parts.h"
#include "update/dfu_transfer.h"

namespace {

using dfutest::BootloaderPort;
using dfutest::ScriptPort;
using dfutest::statusReply;
using kstest::configuration;
using kstest::join;
using Request = kst::update::Setup;
namespace dfu = kst::update;

constexpr uint8_t kDnload = 1, kUpload = 2, kGetStatus = 3, kClrStatus = 4, kAbort = 6;

TEST(DfuClient, BringsEveryStateToIdle) {
  struct Row {
    uint8_t state;
    uint8_t attributes;
    int32_t result;
    std::vector<uint8_t> requests;
    uint64_t paused;
    uint32_t pollMs = 7;
  };
  const Row rows[] = {
      {0, 0x07, dfu::DFU_ERR_UNSUPPORTED, {kGetStatus}, 0},
      {1, 0x07, dfu::DFU_ERR_UNSUPPORTED, {kGetStatus}, 0},
      {2, 0x07, dfu::DFU_OK, {kGetStatus}, 0},
      {3, 0x07, dfu::DFU_OK, {kGetStatus, kAbort}, 0},
      {4, 0x07, dfu::DFU_OK, {kGetStatus, kAbort}, 7000},
      {4, 0x07, dfu::DFU_OK, {kGetStatus, kAbort}, 0xFFFFFFull * 1000, 0xFFFFFF},
      {5, 0x07, dfu::DFU_OK, {kGetStatus, kAbort}, 0},
      {6, 0x07, dfu::DFU_OK, {kGetStatus, kAbort}, 7000},
      {6, 0x03, dfu::DFU_ERR_UNSUPPORTED, {kGetStatus}, 0},
      {7, 0x07, dfu::DFU_OK, {kGetStatus, kAbort}, 7000},
      {7, 0x03, dfu::DFU_ERR_UNSUPPORTED, {kGetStatus}, 0},
      {8, 0x07, dfu::DFU_ERR_UNSUPPORTED, {kGetStatus}, 0},
      {9, 0x07, dfu::DFU_OK, {kGetStatus, kAbort}, 0},
      {10, 0x07, dfu::DFU_OK, {kGetStatus, kClrStatus}, 0},
      {11, 0x07, dfu::DFU_OK, {kGetStatus}, 0},
      {255, 0x07, dfu::DFU_OK, {kGetStatus}, 0},
  };
  for (const Row& row : rows) {
    for (const bool followUpFails : {false, true}) {
      ScriptPort port;
      port.answer = [&](const Request& s, uint8_t* data) {
        if (s.request == kGetStatus) return statusReply(data, 0, row.pollMs, row.state);
        return followUpFails ? -1 : 0;
      };
      dfu::Handle handle = port.handle(64, row.attributes);
      const bool sendsMore = row.requests.size() > 1;
      EXPECT_EQ(dfu::bringToIdle(handle),
                followUpFails && sendsMore ? dfu::DFU_ERR_UNKNOWN : row.result)
          << "bState " << int(row.state);
      EXPECT_EQ(port.requestCodes(), row.requests) << "bState " << int(row.state);
      EXPECT_EQ(port.clock.pausedUnits(), row.paused) << "bState " << int(row.state);
    }
  }
  ScriptPort silent;
  silent.answer = [](const Request&, uint8_t*) { return -1; };
  dfu::Handle handle = silent.handle();
  EXPECT_EQ(dfu::bringToIdle(handle), dfu::DFU_ERR_UNKNOWN);
}

// One block with its status wait, ending on each bStatus; the first status is DNBUSY with a
// 24-bit poll time-out, which the client waits before asking again.
TEST(DfuClient, MapsTheFinalStatusAfterWaitingThePollTimeOut) {
  const int32_t expected[16] = {0,  -5,  -5, -12, -12, -12, -12, -12,
                                -7, -12, -4, -4,  -4,  -4,  -4,  -11};
  for (int status = 0; status <= 16; ++status) {
    ScriptPort port;
    int polls = 0;
    port.answer = [&](const Request& s, uint8_t* data) {
      if (s.request != kGetStatus) return static_cast<int>(s.length);
      return ++polls == 1 ? statusReply(data, 0, 0x010203, 4)
                          : statusReply(data, static_cast<uint8_t>(status), 0, 10);
    };
    dfu::Handle handle = port.handle();
    const uint8_t block[8] = {};
    EXPECT_EQ(dfu::downloadBlock(handle, block, sizeof block, true),
              status < 16 ? expected[status] : dfu::DFU_ERR_UNKNOWN)
        << "bStatus " << status;
    EXPECT_EQ(port.clock.pauses(), std::vector<uint32_t>{66051000u}) << "0x010203 ms, 24 bits";
  }
}

TEST(DfuClient, BlockFailures) {
  struct Case {
    const char* what;
    uint32_t length;
    int downloadMoves;  // bytes the device takes (-1: request fails)
    int statusBytes;    // length of the status reply
    int32_t result;
  };
  const Case cases[] = {
      {"longer than the transfer size", 65, 65, 6, dfu::DFU_ERR_INVALID_SIZE},
      {"download fails", 8, -1, 6, dfu::DFU_ERR_UNKNOWN},
      {"download moves less", 8, 7, 6, dfu::DFU_ERR_UNKNOWN},
      {"status short", 8, 8, 5, dfu::DFU_ERR_UNKNOWN},
  };
  for (const Case& c : cases) {
    ScriptPort port;
    port.answer = [&](const Request& s, uint8_t* data) {
      if (s.request == kDnload) return c.downloadMoves;
      statusReply(data, 0, 1000, 2);  // dfuIDLE
      return c.statusBytes;
    };
    dfu::Handle handle = port.handle(64);
    const uint8_t block[65] = {};
    EXPECT_EQ(dfu::downloadBlock(handle, block, c.length, true), c.result) << c.what;
  }
}

const std::vector<uint8_t> kDfuInterface = {9, 4, 3, 0, 0, 0xFE, 1, 2, 7};
const std::vector<uint8_t> kFunctional = {9, 0x21, 0x07, 0xFF, 0, 0x00, 0x04, 0x10, 0x01};

TEST(DfuClient, WalksOnlyWhatTheDeviceReturned) {
  const std::vector<uint8_t> vendor = {9, 4, 0, 0, 0, 0xFF, 0, 0, 0};
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool found;
    uint16_t transferSize;
  };
  const Case cases[] = {
      // clang-format off
      {"DFU interface and functional", configuration(join({kDfuInterface, kFunctional})), true, 1024},
      {"after a vendor interface", configuration(join({vendor, kDfuInterface, kFunctional}), 2), true, 1024},
      {"beyond bNumInterfaces", configuration(join({vendor, kDfuInterface, kFunctional}), 1), false, 0},
      {"bLength 0", configuration(join({{0, 4}, kDfuInterface, kFunctional})), false, 0},
      {"bLength past the end", configuration({9, 4, 3, 0, 0, 0xFE, 1, 2}), false, 0},
      {"short interface", configuration(join({{5, 4, 3, 0, 0}, kFunctional})), false, 0},
      {"functional cut off", configuration(join({kDfuInterface, {9, 0x21, 7, 0xFF}})), true, 0},
      {"functional before the interface", configuration(join({kFunctional, kDfuInterface})), true, 0},
      {"DFU 1.0 functional of 7 bytes", configuration(join({kDfuInterface, {7, 0x21, 0x05, 0x10, 0, 0x40, 0}})), true, 64},
      {"header only", configuration({}), false, 0},
      // clang-format on
  };
  for (const Case& c : cases) {
    const dfu::DfuInterface found =
        dfu::findDfuInterface(c.bytes.data(), c.bytes.size(), c.bytes[4]);
    EXPECT_EQ(found.found, c.found) << c.what;
    EXPECT_EQ(found.transferSize, c.transferSize) << c.what;
    if (c.found) {
      EXPECT_EQ(found.number, 3) << c.what;
    }
  }
}

TEST(DfuClient, OpensEveryBootloaderItCanAndRefusesTheRest) {
  using ksim::DescriptorFault;
  struct Case {
    const char* what;
    DescriptorFault descriptors;
    uint16_t magic;
    uint16_t version;
    int32_t open;
    uint8_t corvid;
    uint8_t noDfuInterface;
    uint16_t transferSize;
    uint16_t blockSize = 1024;
  };
  const Case cases[] = {
      {"1 KiB blocks", DescriptorFault::kNone, 0x5A51, 1, 0, 1, 0, 1024},
      {"16 KiB blocks", DescriptorFault::kNone, 0x5A51, 1, 0, 1, 0, 1024, 16384},
      {"short device descriptor", DescriptorFault::kShortDevice, 0x5A51, 1, -4, 0, 0, 0},
      {"wTotalLength larger", DescriptorFault::kTotalLarger, 0x5A51, 1, -4, 0, 0, 0},
      {"wTotalLength smaller", DescriptorFault::kTotalSmaller, 0x5A51, 1, 0, 1, 0, 0},
      {"bLength 0", DescriptorFault::kZeroLength, 0x5A51, 1, 0, 0, 1, 0},
      {"no DFU interface", DescriptorFault::kNoDfuInterface, 0x5A51, 1, 0, 0, 1, 0},
      {"type bytes 0", DescriptorFault::kTypeBytesZero, 0x5A51, 1, 0, 1, 0, 1024},
      {"wrong magic", DescriptorFault::kNone, 0x5A52, 1, 0, 0, 0, 1024},
      {"wrong version", DescriptorFault::kNone, 0x5A51, 2, 0, 0, 0, 1024},
  };
  for (const Case& c : cases) {
    ksim::BootloaderConfig config;
    config.blockSize = c.blockSize;
    ksim::BootloaderFaults faults;
    faults.descriptors = c.descriptors;
    faults.corvidMagic = c.magic;
    faults.corvidVersion = c.version;
    BootloaderPort port(config, faults);
    dfu::Handle handle{};
    dfu::DeviceInfo info{};
    ASSERT_EQ(port.open(handle, info), c.open) << c.what;
    if (c.open != dfu::DFU_OK) continue;
    EXPECT_EQ(info.corvid, c.corvid) << c.what;
    EXPECT_EQ(info.noDfuInterface, c.noDfuInterface) << c.what;
    EXPECT_EQ(info.transferSize, c.transferSize) << c.what;
    if (c.corvid != 0 && c.transferSize != 0) {
      // The geometry of the bootloader's extension: part, class and flash.
      EXPECT_EQ(info.dfuMode, 1);
      EXPECT_EQ(info.iInterface, 4);
      EXPECT_STREQ(info.partName, dfu::findPart(0x33)->name);
      EXPECT_EQ(info.partNumber, dfu::findPart(0x33)->number);
      EXPECT_EQ(info.classHigh << 8 | info.classLow, 0x0C01);
      EXPECT_EQ(handle.blockSize, c.blockSize);
      EXPECT_EQ(handle.flashTopBlock, 256);
      EXPECT_EQ(handle.appStartAddress, c.blockSize >= 0x4000 ? 0x4000u : 0x1800u);
    }
    // No extension, no download; without a transfer size the device info never came, so the
    // flash has no size and no image fits it.
    const int32_t download = c.corvid == 0         ? dfu::DFU_ERR_UNSUPPORTED
                             : c.transferSize == 0 ? dfu::DFU_ERR_INVALID_ADDR
                                                   : dfu::DFU_OK;
    const uint8_t image[16] = {};
    EXPECT_EQ(dfu::QZDFUDownloadBin(&handle, image, sizeof image, handle.appStartAddress, 1),
              download)
        << c.what;
  }
}

// A flash of 16 blocks of 1 KiB (its top is 0x4000, the application from 0x1800). An erase
// that keeps the bootloader busy is waited out, every poll time-out in full however long and
// however many, before the client asks again. Downloads and read-backs share one block counter;
// the image lands in the flash, and the close resets the bootloader.
TEST(DfuClient, DownloadsWaitOutTheEraseAndFailAtEachCheck) {
  struct Case {
    const char* what;
    uint32_t erasePollMs, erasePolls;
    int errorAtBlock;
    uint8_t errorStatus;
    bool verifyMismatch;
    uint32_t address, size;
    int32_t result;
  };
  const Case cases[] = {
      {"an erase of 150 s", 150000, 1, -1, 0, false, 0x1800, 3000, dfu::DFU_OK},
      {"150000 polls of 1 ms", 1, 150000, -1, 0, false, 0x1800, 3000, dfu::DFU_OK},
      {"the longest poll", 0xFFFFFF, 1, -1, 0, false, 0x1800, 3000, dfu::DFU_OK},
      {"up to the flash top", 0, 0, -1, 0, false, 0x1800, 0x4000 - 0x1800, dfu::DFU_OK},
      {"one byte past it", 0, 0, -1, 0, false, 0x1800, 0x2801, dfu::DFU_ERR_INVALID_ADDR},
      {"write error at block 2", 0, 0, 2, 3, false, 0x1800, 4000, dfu::DFU_ERR_DNLOAD_FAIL},
      {"address error at block 0", 0, 0, 0, 8, false, 0x1800, 4000, dfu::DFU_ERR_INVALID_ADDR},
      {"verify mismatch", 0, 0, -1, 0, true, 0x1800, 4000, dfu::DFU_ERR_VERIFY_FAIL},
      {"below the application", 0, 0, -1, 0, false, 0x1000, 100, dfu::DFU_ERR_INVALID_ADDR},
      {"empty image", 0, 0, -1, 0, false, 0x1800, 0, dfu::DFU_ERR_UNKNOWN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ksim::BootloaderConfig config;
    config.blockCount = 16;
    config.erasePollMs = c.erasePollMs;
    config.erasePolls = c.erasePolls;
    ksim::BootloaderFaults faults;
    faults.errorAtBlock = c.errorAtBlock;
    faults.errorStatus = c.errorStatus;
    faults.verifyMismatch = c.verifyMismatch;
    BootloaderPort port(config, faults);
    auto* handle = new dfu::Handle{};
    dfu::DeviceInfo info{};
    ASSERT_EQ(port.open(*handle, info), dfu::DFU_OK);
    const std::vector<uint8_t> image = kstest::firmwareImage(c.size + 1, 0x03000029);
    EXPECT_EQ(dfu::QZDFUDownloadBin(handle, image.data(), c.size, c.address, 1), c.result);
    EXPECT_EQ(port.clock.pausedUnits(), uint64_t{c.erasePollMs} * c.erasePolls * 1000);
    EXPECT_EQ(port.bootloader.pollRequestedMs(), uint64_t{c.erasePollMs} * c.erasePolls);
    for (std::size_t i = 1; i < port.blockNumbers.size(); ++i)
      ASSERT_EQ(port.blockNumbers[i], port.blockNumbers[i - 1] + 1);
    if (c.result == dfu::DFU_OK) {
      EXPECT_EQ(std::memcmp(port.bootloader.flash().data() + c.address, image.data(), c.size), 0);
    }
    EXPECT_EQ(dfu::QZDFUDeviceClose(handle, 1), dfu::DFU_OK);
    EXPECT_TRUE(port.bootloader.hasLeft())
        << "the close resets the bootloader whatever came before";
    EXPECT_EQ(port.bootloader.earlyRequests(), 0u);
  }
}

TEST(DfuClient, NamesAndPartsAreComplete) {
  std::set<std::string> names;
  for (int code = -14; code <= 15; ++code) {
    for (const auto kind :
         {dfu::NameKind::kState, dfu::NameKind::kStatus, dfu::NameKind::kResult}) {
      const std::string name = dfu::name(kind, code);
      const bool listed = kind == dfu::NameKind::kState    ? code >= 0 && code <= 10
                          : kind == dfu::NameKind::kStatus ? code >= 0 && code <= 15
                                                           : code <= 0;
      EXPECT_EQ(name != "unknown", listed) << int(kind) << " " << code;
      if (listed) {
        EXPECT_TRUE(names.insert(name).second) << name;
      }
    }
  }
  EXPECT_STREQ(dfu::name(dfu::NameKind::kResult, dfu::DFU_ERR_VERIFY_FAIL), "DFU_ERR_VERIFY_FAIL");
  std::set<uint8_t> codes;
  for (int i = 0; i < dfu::kPartCount; ++i) {
    const dfu::PartRow& row = dfu::partTable()[i];
    EXPECT_LE(std::strlen(row.name), 9u) << row.name;
    EXPECT_TRUE(codes.insert(row.code).second) << "code " << int(row.code);
  }
}

}  // namespace
