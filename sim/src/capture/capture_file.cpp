#include "capture/capture_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "capture/usbmon_record.h"
#include "link/wire.h"

namespace ksim::capture {
namespace {

struct CaptureFile {
  std::mutex mutex;
  std::atomic<bool> open{false};  // read without the lock, so no transfer takes it needlessly
  std::FILE* file = nullptr;
  uint64_t nextUrbId = 1;
};

// Never destroyed: a transfer made from another object's destructor as the program ends still
// finds it. Every record is flushed, so nothing is lost when the process exits.
CaptureFile& captureFile() {
  static CaptureFile& state = *new CaptureFile;
  return state;
}

// usbmon's status of a completed transfer, a negative errno as Linux reports it; false for
// a transfer refused before it was submitted.
bool completionStatus(usb::Status status, int32_t& code) {
  switch (status) {
    case usb::Status::Ok:
      code = 0;
      return true;
    case usb::Status::Stall:
      code = -EPIPE;
      return true;
    case usb::Status::Timeout:
      // libusb cancels a transfer at its time-out and usbfs unlinks it, which completes it
      // with this status.
      code = -ECONNRESET;
      return true;
    case usb::Status::Overflow:
      code = -EOVERFLOW;
      return true;
    default:
      return false;
  }
}

bool writeEvent(std::FILE* file, const UsbmonEvent& event, const uint8_t* data) {
  uint8_t header[kEventHeaderSize];
  packEventHeader(event, header);
  return std::fwrite(header, 1, sizeof header, file) == sizeof header &&
         (event.captured == 0 || std::fwrite(data, 1, event.captured, file) == event.captured);
}

uint32_t capturedLength(const uint8_t* data, uint32_t length) {
  return data == nullptr ? 0 : std::min(length, kMaxCapturedData);
}

}  // namespace

bool writeTo(const char* path) {
  CaptureFile& state = captureFile();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.file != nullptr) std::fclose(state.file);
  state.file = nullptr;
  state.open = false;
  if (path == nullptr) return true;
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  uint8_t header[kFileHeaderSize];
  packFileHeader(header);
  if (std::fwrite(header, 1, sizeof header, file) != sizeof header || std::fflush(file) != 0) {
    const int error = errno;
    std::fclose(file);
    errno = error;
    return false;
  }
  state.file = file;
  state.nextUrbId = 1;
  state.open = true;
  return true;
}

void record(const Transfer& transfer) {
  int32_t status = 0;
  if (!completionStatus(transfer.status, status)) return;
  CaptureFile& state = captureFile();
  if (!state.open.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.file == nullptr) return;

  // The emulated bus moves a transfer at once: its submission and completion share a time.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const bool in = (transfer.endpoint & 0x80) != 0;
  UsbmonEvent event;
  event.urbId = state.nextUrbId++;
  event.transferType = transfer.setup != nullptr ? TransferType::Control : TransferType::Bulk;
  event.endpoint = transfer.endpoint;
  event.deviceAddress = transfer.deviceAddress;
  event.busNumber = transfer.busNumber;
  event.seconds = now.tv_sec;
  event.microseconds = static_cast<int32_t>(now.tv_nsec / 1000);
  event.transferFlags = in ? kUrbDirIn : 0;

  // The submission: the setup packet, and the data of an OUT transfer.
  event.type = EventType::Submission;
  if (const usb::SetupPacket* setup = transfer.setup) {
    event.hasSetup = true;
    event.setup[0] = setup->requestType;
    event.setup[1] = setup->request;
    kst::wire::putU16(event.setup + 2, setup->value);
    kst::wire::putU16(event.setup + 4, setup->index);
    kst::wire::putU16(event.setup + 6, setup->length);
  }
  event.status = -EINPROGRESS;
  event.length = transfer.length;
  event.dataFlag = in ? kNoDataIn : kDataFollows;
  event.captured = in ? 0 : capturedLength(transfer.data, transfer.length);
  bool written = writeEvent(state.file, event, transfer.data);

  // The completion: the status, and the data of an IN transfer.
  event.type = EventType::Completion;
  event.hasSetup = false;
  event.status = status;
  event.length = transfer.transferred;
  event.dataFlag = in ? kDataFollows : kNoDataOut;
  event.captured = in ? capturedLength(transfer.data, transfer.transferred) : 0;
  written = written && writeEvent(state.file, event, transfer.data) && std::fflush(state.file) == 0;
  if (!written) {  // a full disk ends the capture, not the program being captured
    std::fclose(state.file);
    state.file = nullptr;
    state.open = false;
  }
}

}  // namespace ksim::capture
