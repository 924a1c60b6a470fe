// The JTAG scan command set: each function states its code, arguments, reply and outputs.
#include "exchange.h"
#include "kestrel/kst_jtag.h"

using kst::link::Command;
using kst::wire::Reader;

namespace {

// The head shared by the three scan commands.
Command scanCommand(KSTInform* context, kst::CommandCode code, uint16_t bits, uint8_t shiftState,
                    uint8_t startMode, uint8_t endState, uint8_t endMode, uint16_t firstAmble,
                    uint16_t secondAmble, uint16_t tclkCount, uint16_t repeat) {
  Command command(context, code);
  command.u16(bits).u8(shiftState).u8(startMode).u8(endState).u8(endMode);
  command.u16(firstAmble).u16(secondAmble).u16(tclkCount).u16(repeat);
  return command;
}

// The router packet shared by select and deselect.
Command routerCommand(KSTInform* context, kst::CommandCode code, uint32_t routerWord,
                      uint32_t irFirst, uint32_t irSecond, uint32_t drFirst, uint32_t drSecond,
                      uint8_t kind) {
  Command command(context, code);
  command.u32(routerWord).u32(irFirst).u32(irSecond).u32(drFirst).u32(drSecond).u8(kind);
  return command;
}

}  // namespace

KST_API int32_t KST_SetTclkDelay(KSTInform* context, uint32_t delay) {
  return Command(context, kst::KST_SETTCLKDELAY).u32(delay).run();
}

KST_API int32_t KST_SetTrst(KSTInform* context, uint8_t value) {
  return Command(context, kst::KST_SETTRST).u8(value).run();
}

KST_API int32_t KST_GetTrst(KSTInform* context, uint32_t* value) {
  return Command(context, kst::KST_GETTRST).require(value).reply(1).run([&](Reader& reply) {
    *value = reply.u8();
  });
}

KST_API int32_t KST_CycleTclk(KSTInform* context, uint32_t count) {
  return Command(context, kst::KST_CYCLETCLK).u32(count).run();
}

KST_API int32_t KST_GetJtagState(KSTInform* context, uint32_t* state) {
  return Command(context, kst::KST_GETJTAGSTATE).require(state).reply(4).run([&](Reader& reply) {
    *state = reply.u32();
  });
}

KST_API int32_t KST_GotoJtagState(KSTInform* context, uint32_t state, uint32_t pathMode) {
  return Command(context, kst::KST_GOTOJTAGSTATE).u32(state).u32(pathMode).run();
}

KST_API int32_t KST_FixedScan(KSTInform* context, uint16_t bits, uint8_t shiftState,
                              uint8_t startMode, uint8_t endState, uint8_t endMode,
                              uint16_t firstAmble, uint16_t secondAmble, uint16_t tclkCount,
                              uint16_t repeat, uint8_t fill) {
  return scanCommand(context, kst::KST_FIXEDSCAN, bits, shiftState, startMode, endState, endMode,
                     firstAmble, secondAmble, tclkCount, repeat)
      .u8(fill)
      .run();
}

KST_API int32_t KST_SendScan(KSTInform* context, uint16_t bits, uint8_t shiftState,
                             uint8_t startMode, uint8_t endState, uint8_t endMode,
                             uint16_t firstAmble, uint16_t secondAmble, uint16_t tclkCount,
                             uint16_t repeat, uint16_t dataStride, const uint8_t* data,
                             uint32_t byteCount) {
  return scanCommand(context, kst::KST_SENDSCAN, bits, shiftState, startMode, endState, endMode,
                     firstAmble, secondAmble, tclkCount, repeat)
      .u16(dataStride)
      .bytes(data, byteCount)
      .run();
}

KST_API int32_t KST_SendRecvScan(KSTInform* context, uint16_t bits, uint8_t shiftState,
                                 uint8_t startMode, uint8_t endState, uint8_t endMode,
                                 uint16_t firstAmble, uint16_t secondAmble, uint16_t tclkCount,
                                 uint16_t repeat, uint16_t sendStride, uint16_t receiveStride,
                                 const uint8_t* sendData, uint8_t* receiveData, uint32_t sendBytes,
                                 uint32_t receiveBytes) {
  return scanCommand(context, kst::KST_SENDRECVSCAN, bits, shiftState, startMode, endState, endMode,
                     firstAmble, secondAmble, tclkCount, repeat)
      .u16(sendStride)
      .u16(receiveStride)
      .require(receiveData, receiveBytes)
      .reply(receiveBytes)
      .bytes(sendData, sendBytes)
      .run([&](Reader& reply) { reply.copyTo(receiveData, receiveBytes); });
}

KST_API int32_t KST_SetAmbleDelay(KSTInform* context, uint32_t irFirst, uint32_t irSecond,
                                  uint32_t drFirst, uint32_t drSecond) {
  return Command(context, kst::KST_SETAMBLEDELAY)
      .u32(irFirst)
      .u32(irSecond)
      .u32(drFirst)
      .u32(drSecond)
      .run();
}

KST_API int32_t CJTAG_Connect(KSTInform* context, uint32_t format) {
  return Command(context, kst::CJTAG_CONNECT).u32(format).run();
}

KST_API int32_t CJTAG_Disconnect(KSTInform* context) {
  return Command(context, kst::CJTAG_DISCONNECT).run();
}

KST_API int32_t KST_SelectTap(KSTInform* context, uint32_t routerWord, uint32_t irFirst,
                              uint32_t irSecond, uint32_t drFirst, uint32_t drSecond, uint8_t kind,
                              uint8_t option, uint8_t force) {
  constexpr uint8_t kForcedOption = 3;
  return routerCommand(context, kst::KST_SELECTTAP, routerWord, irFirst, irSecond, drFirst,
                       drSecond, kind)
      .u8(force != 0 ? kForcedOption : option)
      .run();
}

KST_API int32_t KST_DeselectTap(KSTInform* context, uint32_t routerWord, uint32_t irFirst,
                                uint32_t irSecond, uint32_t drFirst, uint32_t drSecond,
                                uint8_t kind) {
  return routerCommand(context, kst::KST_DESELECTTAP, routerWord, irFirst, irSecond, drFirst,
                       drSecond, kind)
      .run();
}

KST_API int32_t JTAG_Connect(KSTInform* context, uint8_t flag) {
  return Command(context, kst::JTAG_CONNECT).u32(static_cast<uint32_t>(flag ^ 1u)).run();
}
