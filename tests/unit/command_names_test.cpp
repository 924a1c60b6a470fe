// The command table against the names the probe's protocol gives each code.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "link/command_codes.h"

namespace {

// The names of codes 0 to 89 in order, "-" where a code has no command.
std::vector<std::string> expectedNames() {
  std::istringstream text(
      "KST_ECHO KST_CONNECT KST_DISCONNECT KST_VERSION KST_SETTCLKDELAY KST_SETTRST KST_GETTRST "
      "KST_CYCLETCLK KST_GETJTAGSTATE KST_GOTOJTAGSTATE KST_FIXEDSCAN KST_SENDSCAN "
      "KST_SENDRECVSCAN KST_SETAMBLEDELAY KST_SETSRST CMAPI_CONNECT CMAPI_DISCONNECT "
      "CMAPI_ACQUIRE CMAPI_RELEASE CMAPI_MEMREAD CMAPI_MEMWRITE CMAPI_DAPREGREAD "
      "CMAPI_DAPREGWRITE SWD_CONNECT SWD_DISCONNECT SWD_ENABLESWO SWD_DISABLESWO SWD_REGREAD "
      "SWD_REGWRITE PMON_SETUP PMON_CALIBRATE PMON_START PMON_STOP PMON_CLEANUP PMON_DCDC_MCUVER "
      "PMON_DCDC_POWERDOWN PMON_DCDC_SETVCC PMON_DCDC_RESTART DFU_MODE_SWITCH KST_PRODUCTTEST "
      "KST_CONNECTPMON KST_REGREAD KST_REGWRITE CJTAG_CONNECT CJTAG_DISCONNECT KST_SELECTTAP "
      "KST_DESELECTTAP KST_JTAGISOLATE PMON_SETUP_RANGE PMON_SETUP_DIG KST_SETSUPPLY WREN_MEMREAD "
      "WREN_MEMWRITE IBIS_MEMREAD IBIS_MEMWRITE IBIS_MEMREADSTAT IBIS_MEMWRITESTAT "
      "KST_POWERISOLATE OCD_DAPREQUEST OCD_SCANREQUEST OCD_PATHMOVE CMAPI_MEMREAD64 "
      "CMAPI_MEMWRITE64 KST_EEPROMREAD KST_EEPROMWRITE STEM_SETUP STEM_START STEM_STOP "
      "PMON_SETUP_DIG_PARAM JTAG_CONNECT PMON_HW_INFO ARMV7_MEMREAD ARMV7_MEMWRITE "
      "KST_SET_PROPERTY KST_GETLOG - - - - - SECAP_BULKWRITE SECAP_BULKREAD TERN_MEMREAD "
      "TERN_MEMWRITE TERN_MEMREADSTAT TERN_MEMWRITESTAT TRXSPI_CONNECT TRXSPI_DISCONNECT "
      "TRXSPI_OPWRITE TRXSPI_OPREAD ");
  return {std::istream_iterator<std::string>(text), {}};
}

// The names come from the command table, whose codes are checked unique at compile time.
TEST(CommandNames, EachCodeHasItsOwnNameAndEveryOtherIsUnknown) {
  const auto expected = expectedNames();
  ASSERT_EQ(expected.size(), 90u);
  for (int code = 0; code <= 255; ++code) {
    const bool named = code < 90 && expected[code] != "-";
    EXPECT_EQ(kst::commandName(static_cast<uint8_t>(code)),
              named ? expected[code] : "unknown command")
        << code;
  }
}

}  // namespace
