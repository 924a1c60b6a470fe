// Writes the udev rules file from the library's table of USB identities, so the rules name
// exactly the devices the library opens: every probe identity and the bootloader's.
#include <cstdio>

#include "link/usb_ids.h"

namespace {

// sysfs shows the ids as four lower-case hex digits; udev compares them as text.
void writeRule(std::FILE* out, const char* what, uint16_t vendorId, uint16_t productId) {
  std::fprintf(out,
               "# %s\nSUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"%04x\", "
               "ATTR{idProduct}==\"%04x\", TAG+=\"uaccess\"\n",
               what, vendorId, productId);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s RULES-FILE\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fputs(
      "# Kestrel debug probes: the user logged in at the seat may open them and update their\n"
      "# firmware without root. uaccess is applied by 73-seat-late.rules, so this file's\n"
      "# number stays below 73.\n",
      out);
  for (const auto& id : kst::KST_USB_IDS)
    writeRule(out, "Kestrel probe", id.vendorId, id.productId);
  writeRule(out, "Kestrel probe bootloader (firmware update)", kst::KST_DFU_VENDOR_ID,
            kst::KST_DFU_PRODUCT_ID);
  return std::fclose(out) == 0 ? 0 : 1;
}
