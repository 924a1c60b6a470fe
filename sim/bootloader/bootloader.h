// The probe's bootloader as a USB function: its descriptors, the DFU 1.1 state machine on
// the control endpoint, the Corvid extension and the flash it programs. It knows nothing of
// libusb or of the bus it sits on: the bus hands it control requests and watches hasLeft().
//
// Choices of this bootloader, beyond DFU 1.1:
// - A Corvid command block is a download of its own: it is carried out at once and the
//   status request that follows it reports IDLE (a read or device-info command is followed
//   by uploads, which DFU 1.1 allows only from IDLE). Its errors are reported as any block's.
// - A DNLOAD from IDLE that is not a command block (8 bytes with code 1, 2, 5 or 7 and a zero
//   second byte, or 11 bytes with code 6) starts a plain download: the blocks are written
//   from the application start on, as a generic DFU host (dfu-util -D) expects; the
//   zero-length block ends it.
// - An UPLOAD from IDLE without a read or device-info command returns the application region
//   raw, from its start to the flash top.
// - The firmware's version is the little-endian word at offset 0x1C of the application image
//   (the first reserved slot of a Cortex-M vector table).
// - Poll time-outs are virtual unless a clock is given: without one, the next request counts
//   as coming after the wait. With one, a request before the time-out ran out is stalled.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kestrel_sim/sim.h"

namespace ksim {

// Where the application image carries its firmware version (little-endian).
constexpr uint32_t kImageVersionOffset = 0x1C;

struct ControlRequest {
  uint8_t requestType;
  uint8_t request;
  uint16_t value;
  uint16_t index;
  uint16_t length;
};

struct ControlReply {
  enum Outcome { kDone, kStall, kGone } outcome;
  uint16_t length;  // bytes moved in the data stage
};

class Bootloader {
 public:
  explicit Bootloader(const BootloaderConfig& config = {}, const BootloaderFaults& faults = {});

  // One control request; data holds length bytes (in or out).
  ControlReply control(const ControlRequest& request, uint8_t* data);
  // A USB reset: leaves MANIFEST_WAIT_RESET.
  void busReset();

  // A microsecond clock; poll time-outs become real waits the host must honour.
  void setClock(std::function<uint64_t()> nowUs) { clock_ = std::move(nowUs); }

  uint8_t state() const { return state_; }
  uint8_t status() const { return status_; }
  // After the reset block: the device has left the bus to start the application.
  bool hasLeft() const { return left_; }
  uint32_t imageVersion() const;
  const std::vector<uint8_t>& flash() const { return flash_; }
  std::vector<uint8_t>& flash() { return flash_; }
  // Sum of the poll time-outs the bootloader asked for, and requests that came too early.
  uint64_t pollRequestedMs() const { return pollRequestedMs_; }
  uint32_t earlyRequests() const { return earlyRequests_; }

  // The text of a string descriptor; empty for an index it does not have.
  static std::string stringText(uint8_t index);
  // Descriptor bytes as the device returns them (faults applied).
  std::vector<uint8_t> deviceDescriptor() const;
  std::vector<uint8_t> configDescriptor() const;

 private:
  enum class Pending { kNone, kBusy, kManifest };
  enum class Upload { kApplication, kDeviceInfo, kRead };

  ControlReply standardRequest(const ControlRequest& request, uint8_t* data);
  ControlReply dfuRequest(const ControlRequest& request, uint8_t* data);
  ControlReply download(const ControlRequest& request, const uint8_t* data);
  ControlReply upload(const ControlRequest& request, uint8_t* data);
  ControlReply getStatus(uint8_t* data, uint16_t length);
  ControlReply stall(uint8_t status);
  bool commandBlock(const uint8_t* data, uint16_t length) const;
  void runCommand(const uint8_t* data, uint16_t length);
  void writeBlock(const uint8_t* data, uint16_t length);
  bool finishPending();
  void enterPending(Pending pending, uint32_t pollMs);
  void endTransfers();
  uint32_t uploadSize() const;
  uint8_t uploadByte(uint32_t offset) const;
  void erase(uint32_t from, uint32_t to);
  uint32_t flashTop() const { return static_cast<uint32_t>(flash_.size()); }

  BootloaderConfig config_;
  BootloaderFaults faults_;
  std::vector<uint8_t> flash_;
  std::function<uint64_t()> clock_;

  uint8_t state_ = 2;
  uint8_t status_ = 0;
  Pending pending_ = Pending::kNone;
  uint64_t pendingUntilUs_ = 0;
  uint8_t afterSync_ = 5;  // state a DNLOAD_SYNC status request moves to
  uint32_t busyMs_ = 0;    // DNBUSY time of each status request the block just received asks
  uint32_t busyPolls_ = 0; // status requests that still find the device in DNBUSY
  bool manifested_ = false;
  bool left_ = false;
  bool leaveAfterStatus_ = false;

  // The download in progress: where the next block goes and where it must end.
  bool programming_ = false;
  bool plainDownload_ = false;
  uint32_t writeAt_ = 0;
  uint32_t writeEnd_ = 0;
  int dataBlocks_ = 0;

  Upload uploadKind_ = Upload::kApplication;
  bool rawUploads_ = false;
  uint32_t readAddress_ = 0;
  uint32_t readCount_ = 0;
  uint32_t uploaded_ = 0;

  uint64_t pollRequestedMs_ = 0;
  uint32_t earlyRequests_ = 0;
};

}  // namespace ksim
