// The probe's command codes and their names (names appear only in traces).
#pragma once

#include <cstdint>

namespace kst {

// Every command code the probe knows, with its name: the one list from which the code enum
// and the name table are both made, so a name can never sit beside another code. Codes 75 to
// 79 have no command.
#define KST_COMMAND_CODES(X)  \
  X(0, KST_ECHO)              \
  X(1, KST_CONNECT)           \
  X(2, KST_DISCONNECT)        \
  X(3, KST_VERSION)           \
  X(4, KST_SETTCLKDELAY)      \
  X(5, KST_SETTRST)           \
  X(6, KST_GETTRST)           \
  X(7, KST_CYCLETCLK)         \
  X(8, KST_GETJTAGSTATE)      \
  X(9, KST_GOTOJTAGSTATE)     \
  X(10, KST_FIXEDSCAN)        \
  X(11, KST_SENDSCAN)         \
  X(12, KST_SENDRECVSCAN)     \
  X(13, KST_SETAMBLEDELAY)    \
  X(14, KST_SETSRST)          \
  X(15, CMAPI_CONNECT)        \
  X(16, CMAPI_DISCONNECT)     \
  X(17, CMAPI_ACQUIRE)        \
  X(18, CMAPI_RELEASE)        \
  X(19, CMAPI_MEMREAD)        \
  X(20, CMAPI_MEMWRITE)       \
  X(21, CMAPI_DAPREGREAD)     \
  X(22, CMAPI_DAPREGWRITE)    \
  X(23, SWD_CONNECT)          \
  X(24, SWD_DISCONNECT)       \
  X(25, SWD_ENABLESWO)        \
  X(26, SWD_DISABLESWO)       \
  X(27, SWD_REGREAD)          \
  X(28, SWD_REGWRITE)         \
  X(29, PMON_SETUP)           \
  X(30, PMON_CALIBRATE)       \
  X(31, PMON_START)           \
  X(32, PMON_STOP)            \
  X(33, PMON_CLEANUP)         \
  X(34, PMON_DCDC_MCUVER)     \
  X(35, PMON_DCDC_POWERDOWN)  \
  X(36, PMON_DCDC_SETVCC)     \
  X(37, PMON_DCDC_RESTART)    \
  X(38, DFU_MODE_SWITCH)      \
  X(39, KST_PRODUCTTEST)      \
  X(40, KST_CONNECTPMON)      \
  X(41, KST_REGREAD)          \
  X(42, KST_REGWRITE)         \
  X(43, CJTAG_CONNECT)        \
  X(44, CJTAG_DISCONNECT)     \
  X(45, KST_SELECTTAP)        \
  X(46, KST_DESELECTTAP)      \
  X(47, KST_JTAGISOLATE)      \
  X(48, PMON_SETUP_RANGE)     \
  X(49, PMON_SETUP_DIG)       \
  X(50, KST_SETSUPPLY)        \
  X(51, WREN_MEMREAD)         \
  X(52, WREN_MEMWRITE)        \
  X(53, IBIS_MEMREAD)         \
  X(54, IBIS_MEMWRITE)        \
  X(55, IBIS_MEMREADSTAT)     \
  X(56, IBIS_MEMWRITESTAT)    \
  X(57, KST_POWERISOLATE)     \
  X(58, OCD_DAPREQUEST)       \
  X(59, OCD_SCANREQUEST)      \
  X(60, OCD_PATHMOVE)         \
  X(61, CMAPI_MEMREAD64)      \
  X(62, CMAPI_MEMWRITE64)     \
  X(63, KST_EEPROMREAD)       \
  X(64, KST_EEPROMWRITE)      \
  X(65, STEM_SETUP)           \
  X(66, STEM_START)           \
  X(67, STEM_STOP)            \
  X(68, PMON_SETUP_DIG_PARAM) \
  X(69, JTAG_CONNECT)         \
  X(70, PMON_HW_INFO)         \
  X(71, ARMV7_MEMREAD)        \
  X(72, ARMV7_MEMWRITE)       \
  X(73, KST_SET_PROPERTY)     \
  X(74, KST_GETLOG)           \
  X(80, SECAP_BULKWRITE)      \
  X(81, SECAP_BULKREAD)       \
  X(82, TERN_MEMREAD)         \
  X(83, TERN_MEMWRITE)        \
  X(84, TERN_MEMREADSTAT)     \
  X(85, TERN_MEMWRITESTAT)    \
  X(86, TRXSPI_CONNECT)       \
  X(87, TRXSPI_DISCONNECT)    \
  X(88, TRXSPI_OPWRITE)       \
  X(89, TRXSPI_OPREAD)

enum CommandCode : uint8_t {
#define KST_COMMAND_ENUMERATOR(code, name) name = code,
  KST_COMMAND_CODES(KST_COMMAND_ENUMERATOR)
#undef KST_COMMAND_ENUMERATOR
};

struct CommandInfo {
  uint8_t code;
  const char* name;
};

inline constexpr CommandInfo kCommands[] = {
#define KST_COMMAND_INFO(code, name) {code, #name},
    KST_COMMAND_CODES(KST_COMMAND_INFO)
#undef KST_COMMAND_INFO
};

// Codes from 0 up to this one may have a name.
inline constexpr uint8_t kLastCommandCode = 89;

// The name of a command code; "unknown command" for codes without a command.
const char* commandName(uint8_t code);

}  // namespace kst
