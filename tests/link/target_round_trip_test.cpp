// Round trips through the virtual target: what the library writes comes back, across packet
// boundaries, through 64-bit addresses and every path to the same memory; refusals and faults
// come back as the firmware's own results, and the debug port's state as the target keeps it. The
// units' own rules (status cells, the power unit's order, the SPI registers) are checked on the
// units themselves.
#include "kestrel/memory_transfer.h"
#include "probe_fixture.h"

namespace kstest {
namespace {

class TargetRoundTripTest : public TargetTest {
 protected:
  void SetUp() override {}  // each test attaches its own target

  void open(const ksim::TargetConfig& target = {}) {
    ProbeTest::SetUp();
    ksim::ProbeConfig config;
    config.target = target;
    attachAndOpen(config);
    ASSERT_EQ(KST_CreateFakeSMGHandle(probe_, &handle_), KST_OK);
    uint32_t idcode = 0;
    ASSERT_EQ(CMAPI_Connect(handle_, &idcode), KST_OK);
    EXPECT_EQ(idcode, target.dpIdcode);
  }

  // A debug port (AP 0) or AP register, written and read back.
  void write(uint8_t ap, uint8_t address, uint32_t value) {
    ASSERT_EQ(CMAPI_DapRegWrite(handle_, ap, 0, address, &value), KST_OK);
  }
  uint32_t read(uint8_t ap, uint8_t address) {
    uint32_t value = 0;
    EXPECT_EQ(CMAPI_DapRegRead(handle_, ap, 0, address, &value), KST_OK);
    return value;
  }

  static Bytes pattern(std::size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
    return bytes;
  }
};

TEST_F(TargetRoundTripTest, TransfersAcrossPacketsAndAddressWidthsComeBackByteExact) {
  open();
  const struct {
    uint8_t ap;
    uint64_t address;
    std::size_t size;
  } cases[] = {
      {0, 0x20000000, 3 * 4344 + 10},    // word pieces and a byte tail
      {0, 0x20100003, 9000},             // unaligned: byte pieces
      {1, 0xFFFFF000, 12000},            // across 4 GiB on the 64-bit AP
      {1, 0xFFFF'FFFF'FFFF'EFFE, 4098},  // up to the top of the 64-bit space, across pages
  };
  uint8_t seed = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    const Bytes data = pattern(c.size, seed++);
    const tool::MemoryPort port{handle_, c.ap};
    ASSERT_EQ(tool::writeMemoryFrom(port, c.address, data.data(), data.size()).result, KST_OK);
    Bytes back(c.size);
    ASSERT_EQ(tool::readMemoryTo(port, c.address, back.data(), back.size()).result, KST_OK);
    EXPECT_EQ(back, data);
  }
  // The 32-bit AP sees the low 4 GiB only: its view of 0xFFFFF000 is the same bytes.
  Bytes low(16);
  ASSERT_EQ(CMAPI_MemRead(handle_, 0, 2, 0, 0xFFFFF000, 16, 0, low.data()), KST_OK);
  const Bytes third = pattern(12000, 3);
  EXPECT_EQ(low, Bytes(third.begin(), third.begin() + 16));
  // Halfwords across a kilobyte boundary, read back as words: each landed where it was sent.
  const Bytes halves = pattern(64, 9);
  Bytes words(64);
  ASSERT_EQ(CMAPI_MemWrite(handle_, 0, 1, 0, 0x200003F0, 64, 0, halves.data()), KST_OK);
  ASSERT_EQ(CMAPI_MemRead(handle_, 0, 2, 0, 0x200003F0, 64, 0, words.data()), KST_OK);
  EXPECT_EQ(words, halves);
}

TEST_F(TargetRoundTripTest, ArmV7AndSecureApReachTheSameMemory) {
  open();
  const Bytes data = pattern(64, 7);
  ASSERT_EQ(ARMv7_MemWrite(handle_, 0, 4, 0x20000100, 0, 64, data.data()), KST_OK);
  Bytes back(64);
  ASSERT_EQ(CMAPI_MemRead(handle_, 0, 2, 0, 0x20000100, 64, 0, back.data()), KST_OK);
  EXPECT_EQ(back, data);
  // SecAP blocks start at the AP's TAR and leave it after the last word.
  write(1, 0x04, 0x20000110);
  Bytes words(8);
  ASSERT_EQ(SecAP_BulkRead(handle_, 0, 2, words.data()), KST_OK);
  EXPECT_EQ(words, Bytes(data.begin() + 16, data.begin() + 24));
  EXPECT_EQ(read(1, 0x04), 0x20000118u);
  const Bytes secure = {1, 2, 3, 4};
  ASSERT_EQ(SecAP_BulkWrite(handle_, 0, 1, secure.data()), KST_OK);
  ASSERT_EQ(ARMv7_MemRead(handle_, 0, 1, 0x20000118, 0, 4, back.data()), KST_OK);
  EXPECT_EQ(Bytes(back.begin(), back.begin() + 4), secure);
}

// The firmware's own results for blocks it refuses or that fault (the buffer left alone), the
// sticky error until ABORT clears it, the single accesses' increment that carries only within
// 1 KiB, and a powered-down debug port.
TEST_F(TargetRoundTripTest, TheFirmwaresRefusalsAndTheDebugPortsStateComeBackAsTheyAre) {
  ksim::TargetConfig target;
  target.armFaults = {{0x40000000, 0x40001000}};
  open(target);
  using ksim::kFirmwareBadArguments;
  const struct {
    uint8_t ap, size;
    uint32_t address, count;
    int32_t result;
  } cases[] = {
      // clang-format off
      {0, 2, 0x1002, 16, kFirmwareBadArguments},      // misaligned address
      {0, 2, 0x1000, 6, kFirmwareBadArguments},       // count not in words
      {0, 2, 0xFFFFFFF8, 16, kFirmwareBadArguments},  // past 32 bits
      {1, 2, 0xFFFFFFF8, 16, KST_OK},                 // a 64-bit AP goes on
      {0, 3, 0x1000, 16, kFirmwareBadArguments},      // no such size
      {5, 2, 0x1000, 16, kFirmwareBadArguments},      // no such AP
      {0, 2, 0x3FFFFFF0, 16, KST_OK},                 // up to the faulting region
      {0, 2, 0x40001000, 16, KST_OK},                 // from its end
      {0, 1, 0x3FFFFFE0, 64, ksim::kFirmwareMemoryFault},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    Bytes buffer(64, 0x11);
    EXPECT_EQ(CMAPI_MemRead(handle_, c.ap, c.size, 0, c.address, c.count, 0, buffer.data()),
              c.result);
    if (c.result != KST_OK) {
      EXPECT_EQ(buffer, Bytes(64, 0x11));
    }
  }
  Bytes buffer(8, 0x11);
  EXPECT_EQ(CMAPI_MemWrite(handle_, 0, 2, 0, 0x40000FFC, 8, 0, buffer.data()),
            ksim::kFirmwareMemoryFault);
  EXPECT_NE(read(0, 0x04) & 0x20, 0u) << "STICKYERR";
  write(0, 0x00, 0x4);
  EXPECT_EQ(read(0, 0x04) & 0x20, 0u) << "ABORT cleared it";
  // CSW: words, single increment; a DRW write at the last word of a kilobyte.
  write(1, 0x00, 0x12);
  write(1, 0x04, 0x200003FC);
  write(1, 0x0C, 0x11223344);
  EXPECT_EQ(read(1, 0x04), 0x20000000u);
  // Bytes without increment: a byte comes in the lane of its address.
  write(1, 0x00, 0);
  write(1, 0x04, 0x200003FE);
  EXPECT_EQ(read(1, 0x0C), 0x00220000u);
  EXPECT_EQ(read(1, 0x04), 0x200003FEu);
  // Powered down, the AP answers no longer.
  write(0, 0x04, 0);
  EXPECT_EQ(CMAPI_MemRead(handle_, 0, 2, 0, 0x20000000, 4, 0, buffer.data()),
            ksim::kFirmwarePoweredDown);
}

TEST_F(TargetRoundTripTest, SwdRegistersNeedTheLinkAndSwoIsRecorded) {
  open();
  uint32_t value = 0;
  EXPECT_EQ(SWD_RegRead(probe_, 0, 0x0, &value), ksim::kFirmwareNotConnected);
  ASSERT_EQ(SWD_Connect(probe_), KST_OK);
  ASSERT_EQ(SWD_EnableSwo(probe_), KST_OK);
  ASSERT_EQ(SWD_RegRead(probe_, 0, 0x0, &value), KST_OK);
  EXPECT_EQ(value, 0x2BA01477u);
  // An AP register through SELECT: AP 1, bank 0xF0, IDR at 0xC.
  const uint32_t select = 0x010000F0;
  ASSERT_EQ(SWD_RegWrite(probe_, 0, 0x8, &select, 0), KST_OK);
  ASSERT_EQ(SWD_RegRead(probe_, 1, 0xC, &value), KST_OK);
  EXPECT_EQ(value, 0x44770004u);
  EXPECT_TRUE(ksim::probeStatus(device_).swoEnabled && ksim::probeStatus(device_).dapConnected);
  ASSERT_EQ(SWD_DisableSwo(probe_), KST_OK);
  ASSERT_EQ(SWD_Disconnect(probe_), KST_OK);
  EXPECT_FALSE(ksim::probeStatus(device_).swdConnected || ksim::probeStatus(device_).swoEnabled);
}

}  // namespace
}  // namespace kstest
