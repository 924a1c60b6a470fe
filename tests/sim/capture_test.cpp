// The capture file read back record by record: which event of a transfer carries the setup
// packet and the data, the statuses Linux reports, and transfers that never reached the
// device left out.
#include <gtest/gtest.h>
#include <libusb.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "kestrel_sim/ksim.h"
#include "kestrel_sim/sim.h"
#include "link/wire.h"
#include "support/libusb_bus.h"

namespace {

struct Record {
  uint64_t urbId;
  char type;
  int transferType;
  int endpoint;
  char setupFlag;
  char dataFlag;
  int32_t status;
  uint32_t length;
  std::vector<uint8_t> setup;  // the 8 bytes when the setup flag says they are valid
  std::vector<uint8_t> data;
};

// A record as one line, to compare and to show.
std::string text(const Record& r) {
  std::ostringstream out;
  out << r.urbId << " " << r.type << " " << r.transferType << " " << r.endpoint << " "
      << int(r.setupFlag) << " " << int(r.dataFlag) << " " << r.status << " " << r.length;
  for (const auto* bytes : {&r.setup, &r.data}) {
    out << " |";
    for (const uint8_t b : *bytes) out << " " << int(b);
  }
  return out.str();
}

// The records of a capture on one device, whose address it checks.
std::vector<std::string> readCapture(const std::string& path, int device) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
  kst::wire::Reader reader(file.data(), file.size());
  EXPECT_EQ(reader.u32(), 0xA1B2C3D4u);
  reader.bytes(16);
  EXPECT_EQ(reader.u32(), 220u);  // LINKTYPE_USB_LINUX_MMAPPED
  std::vector<std::string> records;
  while (reader.ok() && reader.remaining() > 0) {
    reader.bytes(8);  // time
    const uint32_t included = reader.u32();
    reader.u32();
    Record r{};
    r.urbId = reader.u64();
    r.type = static_cast<char>(reader.u8());
    r.transferType = reader.u8();
    r.endpoint = reader.u8();
    EXPECT_EQ(reader.u8(), device);
    EXPECT_EQ(reader.u16(), 1);  // the bus
    r.setupFlag = static_cast<char>(reader.u8());
    r.dataFlag = static_cast<char>(reader.u8());
    reader.bytes(12);  // time again
    r.status = static_cast<int32_t>(reader.u32());
    r.length = reader.u32();
    const uint32_t captured = reader.u32();
    const uint8_t* setup = reader.bytes(8);
    if (setup != nullptr && r.setupFlag == 0) r.setup.assign(setup, setup + 8);
    reader.bytes(16);
    EXPECT_EQ(included, 64 + captured);
    const uint8_t* data = reader.bytes(captured);
    if (data != nullptr) r.data.assign(data, data + captured);
    records.push_back(text(r));
  }
  EXPECT_TRUE(reader.ok());
  return records;
}

TEST(Capture, EachTransferIsASubmissionAndACompletionAsUsbmonWritesThem) {
  ksim::reset();
  const ksim::DeviceId probe = ksim::attachProbe(ksim::ProbeConfig{});  // endpoints 0x03, 0x83
  const std::string path = ::testing::TempDir() + "capture_test.pcap";
  ASSERT_EQ(ksim_capture(path.c_str()), 0);
  libusb_device_handle* handle = kstest::openOnly();

  uint8_t buffer[64] = {};
  EXPECT_EQ(libusb_control_transfer(handle, 0xC0, 0x55, 0x1234, 7, buffer, 4, 100),
            LIBUSB_ERROR_PIPE);
  uint8_t version[] = {'*', 1, 0, 3};
  int moved = 0;
  // An endpoint of no interface: refused before it reaches the bus, so not captured.
  EXPECT_EQ(libusb_bulk_transfer(handle, 0x09, version, 4, &moved, 100), LIBUSB_ERROR_NOT_FOUND);
  ASSERT_EQ(libusb_claim_interface(handle, 2), LIBUSB_SUCCESS);
  EXPECT_EQ(libusb_bulk_transfer(handle, 0x03, version, 4, &moved, 100), LIBUSB_SUCCESS);
  int replyLength = 0;
  EXPECT_EQ(libusb_bulk_transfer(handle, 0x83, buffer, 64, &replyLength, 100), LIBUSB_SUCCESS);
  const std::vector<uint8_t> reply(buffer, buffer + replyLength);
  EXPECT_EQ(libusb_bulk_transfer(handle, 0x83, buffer, 64, &moved, 100), LIBUSB_ERROR_TIMEOUT);
  EXPECT_EQ(libusb_clear_halt(handle, 0x03), LIBUSB_SUCCESS);
  libusb_close(handle);
  ASSERT_EQ(ksim_capture(nullptr), 0);

  using Bytes = std::vector<uint8_t>;
  const Bytes none;
  const Record expected[] = {
      // A vendor request nobody answers: the setup in the submission, a stall at the end.
      {1, 'S', 2, 0x80, 0, '<', -EINPROGRESS, 4, {0xC0, 0x55, 0x34, 0x12, 7, 0, 4, 0}, none},
      {1, 'C', 2, 0x80, '-', 0, -EPIPE, 0, none, none},
      // A command out, its data in the submission; the reply in, its data in the completion.
      {2, 'S', 3, 0x03, '-', 0, -EINPROGRESS, 4, none, Bytes(version, version + 4)},
      {2, 'C', 3, 0x03, '-', '>', 0, 4, none, none},
      {3, 'S', 3, 0x83, '-', '<', -EINPROGRESS, 64, none, none},
      {3, 'C', 3, 0x83, '-', 0, 0, static_cast<uint32_t>(reply.size()), none, reply},
      // Nothing to read: the transfer is cancelled at its time-out.
      {4, 'S', 3, 0x83, '-', '<', -EINPROGRESS, 64, none, none},
      {4, 'C', 3, 0x83, '-', 0, -ECONNRESET, 0, none, none},
      // libusb_clear_halt: CLEAR_FEATURE(ENDPOINT_HALT) to endpoint 3.
      {5, 'S', 2, 0x00, 0, 0, -EINPROGRESS, 0, {0x02, 0x01, 0, 0, 0x03, 0, 0, 0}, none},
      {5, 'C', 2, 0x00, '-', '>', 0, 0, none, none},
  };
  std::vector<std::string> lines;
  for (const Record& r : expected) lines.push_back(text(r));
  EXPECT_EQ(readCapture(path, 1 + (probe - 1) % 127), lines);
}

}  // namespace
