// One event of a USB transfer as Linux's usbmon reports it through its binary interface, and
// the pcap framing around it: link type 220 (LINKTYPE_USB_LINUX_MMAPPED), the full 64-byte
// usbmon header before the data, so Wireshark and tshark dissect the file as a capture taken
// on a Linux host.
//
// Everything is packed little-endian, the usbmon header included: that header is in the
// byte order of the host that wrote it, which readers learn from the pcap magic number.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ksim::capture {

constexpr uint32_t kLinkTypeUsbLinuxMmapped = 220;
constexpr std::size_t kFileHeaderSize = 24;
constexpr std::size_t kRecordHeaderSize = 16;  // pcap's per-record header
constexpr std::size_t kUsbmonHeaderSize = 64;
constexpr std::size_t kEventHeaderSize = kRecordHeaderSize + kUsbmonHeaderSize;
// libpcap's usual limit; a longer transfer keeps its length but only this much of its data.
constexpr uint32_t kSnapLength = 262144;
constexpr uint32_t kMaxCapturedData = kSnapLength - kUsbmonHeaderSize;

// usbmon's numbering of transfer types.
enum class TransferType : uint8_t { Control = 2, Bulk = 3 };

enum class EventType : char { Submission = 'S', Completion = 'C' };

// usbmon's flag_data: zero when data follows, else why none does.
constexpr char kDataFollows = 0;
constexpr char kNoDataIn = '<';   // an IN transfer's submission
constexpr char kNoDataOut = '>';  // an OUT transfer's completion

// Linux's transfer flag for an IN transfer.
constexpr uint32_t kUrbDirIn = 0x0200;

struct UsbmonEvent {
  uint64_t urbId = 0;  // the same in a transfer's submission and completion
  EventType type = EventType::Submission;
  TransferType transferType = TransferType::Bulk;
  uint8_t endpoint = 0;  // number with the direction bit (0x80: IN)
  uint8_t deviceAddress = 0;
  uint16_t busNumber = 0;
  bool hasSetup = false;  // a control transfer's submission
  uint8_t setup[8] = {};
  char dataFlag = kDataFollows;
  int64_t seconds = 0;
  int32_t microseconds = 0;
  int32_t status = 0;     // negative errno; -EINPROGRESS in a submission
  uint32_t length = 0;    // asked for (submission) or moved (completion)
  uint32_t captured = 0;  // data bytes that follow the header
  uint32_t transferFlags = 0;
};

void packFileHeader(uint8_t (&out)[kFileHeaderSize]);

// The pcap record header and the usbmon header of one event; its captured data follows.
void packEventHeader(const UsbmonEvent& event, uint8_t (&out)[kEventHeaderSize]);

}  // namespace ksim::capture
