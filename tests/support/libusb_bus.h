// The virtual bus as a libusb host sees it, for the virtual probe's own tests.
#pragma once

#include <gtest/gtest.h>
#include <libusb.h>

#include <cstdint>
#include <vector>

namespace kstest {

// vendor << 16 | product of every device, in list order.
inline std::vector<uint32_t> scanBus() {
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(nullptr, &list);
  std::vector<uint32_t> ids;
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor descriptor{};
    libusb_get_device_descriptor(list[i], &descriptor);
    ids.push_back(static_cast<uint32_t>(descriptor.idVendor) << 16 | descriptor.idProduct);
  }
  libusb_free_device_list(list, 1);
  return ids;
}

// Opens the one device on the bus; null (and a failed expectation) when that fails.
inline libusb_device_handle* openOnly() {
  libusb_device** list = nullptr;
  libusb_device_handle* handle = nullptr;
  EXPECT_EQ(libusb_get_device_list(nullptr, &list), 1);
  if (list != nullptr && list[0] != nullptr) {
    EXPECT_EQ(libusb_open(list[0], &handle), LIBUSB_SUCCESS);
  }
  libusb_free_device_list(list, 1);
  return handle;
}

}  // namespace kstest
