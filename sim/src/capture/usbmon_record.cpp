#include "capture/usbmon_record.h"

#include <cstring>

#include "link/wire.h"

namespace ksim::capture {

using kst::wire::putU16;
using kst::wire::putU32;
using kst::wire::putU64;

void packFileHeader(uint8_t (&out)[kFileHeaderSize]) {
  putU32(out, 0xA1B2C3D4);  // microsecond timestamps
  putU16(out + 4, 2);       // format version 2.4
  putU16(out + 6, 4);
  putU32(out + 8, 0);   // time zone offset
  putU32(out + 12, 0);  // timestamp accuracy
  putU32(out + 16, kSnapLength);
  putU32(out + 20, kLinkTypeUsbLinuxMmapped);
}

void packEventHeader(const UsbmonEvent& event, uint8_t (&out)[kEventHeaderSize]) {
  std::memset(out, 0, sizeof out);
  // pcap: time, bytes in the file, bytes of the event before the snap length cut its data.
  const uint32_t original = event.dataFlag == kDataFollows ? event.length : 0;
  putU32(out, static_cast<uint32_t>(event.seconds));
  putU32(out + 4, static_cast<uint32_t>(event.microseconds));
  putU32(out + 8, static_cast<uint32_t>(kUsbmonHeaderSize + event.captured));
  putU32(out + 12, static_cast<uint32_t>(kUsbmonHeaderSize + original));

  uint8_t* usbmon = out + kRecordHeaderSize;
  putU64(usbmon, event.urbId);
  usbmon[8] = static_cast<uint8_t>(event.type);
  usbmon[9] = static_cast<uint8_t>(event.transferType);
  usbmon[10] = event.endpoint;
  usbmon[11] = event.deviceAddress;
  putU16(usbmon + 12, event.busNumber);
  usbmon[14] = event.hasSetup ? 0 : '-';  // flag_setup: zero when the setup packet is valid
  usbmon[15] = static_cast<uint8_t>(event.dataFlag);
  putU64(usbmon + 16, static_cast<uint64_t>(event.seconds));
  putU32(usbmon + 24, static_cast<uint32_t>(event.microseconds));
  putU32(usbmon + 28, static_cast<uint32_t>(event.status));
  putU32(usbmon + 32, event.length);
  putU32(usbmon + 36, event.captured);
  if (event.hasSetup) std::memcpy(usbmon + 40, event.setup, sizeof event.setup);
  // 48 interval, 52 start frame: periodic transfers only; 60 descriptors: isochronous only.
  putU32(usbmon + 56, event.transferFlags);
}

}  // namespace ksim::capture
