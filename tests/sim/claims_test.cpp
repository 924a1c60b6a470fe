// Interface claims kept per open handle, as Linux's usbfs keeps them per open file: several
// handles of one device, each with claims of its own.
#include <gtest/gtest.h>
#include <libusb.h>

#include <functional>
#include <utility>
#include <vector>

#include "kestrel_sim/sim.h"
#include "support/libusb_bus.h"

namespace {

// The default probe: command interface 2 (OUT 0x03, IN 0x83), data interface 6 (IN 0x87).
constexpr int kCommand = 2;
constexpr int kData = 6;
constexpr int kOther = 3;  // in no configuration of the probe

// In the order of run()'s operations.
enum class Op { Open, Claim, Release, Send, ReadData, Close, DetachKernelDriver, Leave, Return };

struct Step {
  int handle;  // which of the test's handles (ignored by Leave and Return)
  Op op;
  int interface;  // Claim, Release, DetachKernelDriver
  int expected;   // the libusb result
};

int run(const Step& step, ksim::DeviceId probe, std::vector<libusb_device_handle*>& handles) {
  if (step.handle >= static_cast<int>(handles.size())) handles.resize(step.handle + 1);
  libusb_device_handle*& handle = handles[step.handle];
  unsigned char version[] = {'*', 1, 0, 3};
  unsigned char data[64];
  int moved = 0;
  const std::function<int()> ops[] = {
      [&] { return (handle = kstest::openOnly()) != nullptr ? 0 : LIBUSB_ERROR_NO_DEVICE; },
      [&] { return libusb_claim_interface(handle, step.interface); },
      [&] { return libusb_release_interface(handle, step.interface); },
      [&] { return libusb_bulk_transfer(handle, 0x03, version, sizeof version, &moved, 100); },
      [&] { return libusb_bulk_transfer(handle, 0x87, data, sizeof data, &moved, 100); },
      [&] { return libusb_close(std::exchange(handle, nullptr)), 0; },
      [&] { return libusb_detach_kernel_driver(handle, step.interface); },
      [&] { return ksim::detach(probe), 0; },
      [&] { return ksim::appearAfterScans(probe, 0), 0; },
  };
  return ops[static_cast<int>(step.op)]();
}

TEST(Claims, EachHandleHoldsItsOwnClaimsAsUsbfsKeepsThem) {
  constexpr int kOk = LIBUSB_SUCCESS;
  constexpr int kBusy = LIBUSB_ERROR_BUSY;
  constexpr int kNotFound = LIBUSB_ERROR_NOT_FOUND;
  constexpr int kGone = LIBUSB_ERROR_NO_DEVICE;
  const struct {
    const char* name;
    bool kernelDriver;
    std::vector<Step> steps;
  } cases[] = {
      // clang-format off
      {"an interface another handle holds is busy; closing releases only the closer's", false,
       {{0, Op::Open, 0, kOk}, {1, Op::Open, 0, kOk}, {0, Op::Claim, kCommand, kOk},
        {1, Op::Claim, kCommand, kBusy}, {1, Op::Claim, kData, kOk},
        {0, Op::Claim, kCommand, kOk},  // again: it has it
        {0, Op::Claim, kData, kBusy}, {0, Op::Claim, kOther, kNotFound}, {1, Op::Close, 0, kOk},
        {0, Op::Claim, kData, kOk}, {0, Op::Send, 0, kOk}, {0, Op::Close, 0, kOk}}},
      {"a transfer claims a free interface and is busy on one held elsewhere", false,
       {{0, Op::Open, 0, kOk}, {1, Op::Open, 0, kOk}, {0, Op::Send, 0, kOk},
        {1, Op::Claim, kCommand, kBusy}, {1, Op::Send, 0, kBusy},
        {1, Op::ReadData, 0, LIBUSB_ERROR_TIMEOUT},  // data interface: free, claimed, empty
        {0, Op::ReadData, 0, kBusy},
        // libusb releases only what it claimed; the implicit claim lasts until the close.
        {0, Op::Release, kCommand, kNotFound}, {1, Op::Send, 0, kBusy}, {0, Op::Close, 0, kOk},
        {1, Op::Send, 0, kOk}, {1, Op::Close, 0, kOk}}},
      {"a released interface is free for the next handle, and not released twice", false,
       {{0, Op::Open, 0, kOk}, {1, Op::Open, 0, kOk}, {0, Op::Claim, kCommand, kOk},
        {0, Op::Release, kCommand, kOk}, {0, Op::Release, kCommand, kNotFound},
        {1, Op::Claim, kCommand, kOk}, {1, Op::Release, kData, kNotFound}, {0, Op::Close, 0, kOk},
        {1, Op::Close, 0, kOk}}},
      {"an interface bound to a kernel driver is busy until the driver is detached", true,
       {{0, Op::Open, 0, kOk}, {0, Op::Claim, kCommand, kBusy}, {0, Op::Send, 0, kBusy},
        {0, Op::DetachKernelDriver, kCommand, kOk}, {0, Op::Send, 0, kOk}, {0, Op::Close, 0, kOk}}},
      {"a device that leaves fails every handle for good and takes its claims along", false,
       {{0, Op::Open, 0, kOk}, {1, Op::Open, 0, kOk}, {0, Op::Claim, kCommand, kOk},
        {1, Op::ReadData, 0, LIBUSB_ERROR_TIMEOUT}, {0, Op::Leave, 0, kOk}, {0, Op::Send, 0, kGone},
        {1, Op::ReadData, 0, kGone}, {1, Op::Claim, kCommand, kGone}, {0, Op::Return, 0, kOk},
        {0, Op::Send, 0, kGone}, {2, Op::Open, 0, kOk}, {2, Op::Claim, kCommand, kOk},
        {2, Op::ReadData, 0, LIBUSB_ERROR_TIMEOUT}, {0, Op::Close, 0, kOk}, {1, Op::Close, 0, kOk},
        {2, Op::Send, 0, kOk}, {2, Op::Close, 0, kOk}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    ksim::ProbeConfig config;
    config.kernelDriverActive = c.kernelDriver;
    const ksim::DeviceId probe = ksim::attachProbe(config);
    std::vector<libusb_device_handle*> handles;
    for (std::size_t i = 0; i < c.steps.size(); ++i)
      EXPECT_EQ(run(c.steps[i], probe, handles), c.steps[i].expected) << "step " << i;
    EXPECT_EQ(ksim::resources().handles, 0);
  }
}

}  // namespace
