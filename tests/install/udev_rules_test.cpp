// The udev rules grant the seat's user every device the library opens: each probe identity
// and the bootloader the firmware update talks to.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "link/usb_ids.h"

namespace {

std::vector<std::string> ruleLines() {
  std::vector<std::string> rules;
  std::ifstream file(UDEV_RULES);
  for (std::string line; std::getline(file, line);)
    if (!line.empty() && line[0] != '#') rules.push_back(line);
  return rules;
}

// A rule matching the USB device itself (not its interfaces) by the ids as sysfs shows them.
bool grantsAccess(const std::vector<std::string>& rules, uint16_t vendorId, uint16_t productId) {
  char ids[80];
  std::snprintf(ids, sizeof ids, "ATTR{idVendor}==\"%04x\", ATTR{idProduct}==\"%04x\"", vendorId,
                productId);
  for (const auto& rule : rules)
    if (rule.find(ids) != std::string::npos &&
        rule.find("SUBSYSTEM==\"usb\"") != std::string::npos &&
        rule.find("ENV{DEVTYPE}==\"usb_device\"") != std::string::npos &&
        rule.find("TAG+=\"uaccess\"") != std::string::npos)
      return true;
  return false;
}

TEST(UdevRules, EveryProbeIdentityAndTheBootloaderAreGranted) {
  const auto rules = ruleLines();
  for (const auto& id : kst::KST_USB_IDS)
    EXPECT_TRUE(grantsAccess(rules, id.vendorId, id.productId))
        << std::hex << id.vendorId << ":" << id.productId;
  EXPECT_TRUE(grantsAccess(rules, kst::KST_DFU_VENDOR_ID, kst::KST_DFU_PRODUCT_ID)) << "bootloader";
  EXPECT_EQ(rules.size(), std::size(kst::KST_USB_IDS) + 1) << "one rule per identity";
}

// uaccess takes effect only in rules read before 73-seat-late.rules applies it.
TEST(UdevRules, TheFileSortsBeforeTheSeatRules) {
  const std::string name = std::string(UDEV_RULES).substr(std::string(UDEV_RULES).rfind('/') + 1);
  ASSERT_GE(name.size(), 3u);
  EXPECT_LE(std::stoi(name.substr(0, 2)), 72) << name;
  EXPECT_EQ(name[2], '-');
}

}  // namespace
