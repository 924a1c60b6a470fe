#include "command_codes.h"

namespace kst {
namespace {

constexpr const char* kUnknown = "unknown command";

constexpr const char* kNames[] = {
    "KST_ECHO",           "KST_CONNECT",         "KST_DISCONNECT",       "KST_VERSION",
    "KST_SETTCLKDELAY",   "KST_SETTRST",         "KST_GETTRST",          "KST_CYCLETCLK",
    "KST_GETJTAGSTATE",   "KST_GOTOJTAGSTATE",   "KST_FIXEDSCAN",        "KST_SENDSCAN",
    "KST_SENDRECVSCAN",   "KST_SETAMBLEDELAY",   "KST_SETSRST",          "CMAPI_CONNECT",
    "CMAPI_DISCONNECT",   "CMAPI_ACQUIRE",       "CMAPI_RELEASE",        "CMAPI_MEMREAD",
    "CMAPI_MEMWRITE",     "CMAPI_DAPREGREAD",    "CMAPI_DAPREGWRITE",    "SWD_CONNECT",
    "SWD_DISCONNECT",     "SWD_ENABLESWO",       "SWD_DISABLESWO",       "SWD_REGREAD",
    "SWD_REGWRITE",       "PMON_SETUP",          "PMON_CALIBRATE",       "PMON_START",
    "PMON_STOP",          "PMON_CLEANUP",        "PMON_DCDC_MCUVER",     "PMON_DCDC_POWERDOWN",
    "PMON_DCDC_SETVCC",   "PMON_DCDC_RESTART",   "DFU_MODE_SWITCH",      "KST_PRODUCTTEST",
    "KST_CONNECTPMON",    "KST_REGREAD",         "KST_REGWRITE",         "CJTAG_CONNECT",
    "CJTAG_DISCONNECT",   "KST_SELECTTAP",       "KST_DESELECTTAP",      "KST_JTAGISOLATE",
    "PMON_SETUP_RANGE",   "PMON_SETUP_DIG",      "KST_SETSUPPLY",        "WREN_MEMREAD",
    "WREN_MEMWRITE",      "IBIS_MEMREAD",        "IBIS_MEMWRITE",        "IBIS_MEMREADSTAT",
    "IBIS_MEMWRITESTAT",  "KST_POWERISOLATE",    "OCD_DAPREQUEST",       "OCD_SCANREQUEST",
    "OCD_PATHMOVE",       "CMAPI_MEMREAD64",     "CMAPI_MEMWRITE64",     "KST_EEPROMREAD",
    "KST_EEPROMWRITE",    "STEM_SETUP",          "STEM_START",           "STEM_STOP",
    "PMON_SETUP_DIG_PARAM", "JTAG_CONNECT",      "PMON_HW_INFO",         "ARMV7_MEMREAD",
    "ARMV7_MEMWRITE",     "KST_SET_PROPERTY",    "KST_GETLOG",           kUnknown,
    kUnknown,             kUnknown,              kUnknown,               kUnknown,
    "SECAP_BULKWRITE",    "SECAP_BULKREAD",      "TERN_MEMREAD",         "TERN_MEMWRITE",
    "TERN_MEMREADSTAT",   "TERN_MEMWRITESTAT",   "TRXSPI_CONNECT",       "TRXSPI_DISCONNECT",
    "TRXSPI_OPWRITE",     "TRXSPI_OPREAD",
};
static_assert(sizeof kNames / sizeof kNames[0] == 90, "codes 0 to 89 are named");

}  // namespace

const char* commandName(uint8_t code) { return code < 90 ? kNames[code] : kUnknown; }

}  // namespace kst
