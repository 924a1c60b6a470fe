// TRXSPI: a transceiver on the probe's SPI link.
#include <algorithm>

#include "kestrel/kst_spi.h"
#include "link/exchange.h"

using kst::link::Command;
using kst::wire::Reader;

namespace {

// The read reply carries u16 length and u8 status before the data.
constexpr uint32_t kOpReadHead = 3;

}  // namespace

KST_API int32_t TRXSPI_Connect(KSTInform* context, uint8_t selector1, uint8_t selector2) {
  return Command(context, kst::TRXSPI_CONNECT).u8(selector1).u8(selector2).run();
}

KST_API int32_t TRXSPI_Disconnect(KSTInform* context) {
  return Command(context, kst::TRXSPI_DISCONNECT).run();
}

// The probe takes the operation's length from the packet's.
KST_API int32_t TRXSPI_OpWrite(KSTInform* context, uint8_t selector1, uint8_t selector2,
                               uint16_t byteCount, const void* data) {
  return Command(context, kst::TRXSPI_OPWRITE)
      .u8(selector1)
      .u8(selector2)
      .bytes(data, byteCount)
      .run();
}

// On any failure the length and status read 0 and nothing is copied; a maximum too large
// for the reply is a traced refusal.
KST_API int32_t TRXSPI_OpRead(KSTInform* context, uint16_t maxLength, uint16_t* length,
                              uint8_t* status, void* data) {
  return Command(context, kst::TRXSPI_OPREAD)
      .require(length)
      .require(status)
      .require(data, maxLength)
      .u16(maxLength)
      .reply(kOpReadHead + maxLength)
      .traceRefusal()
      .runAlways([&](Reader& reply) {
        *length = reply.u16();
        *status = reply.u8();
        reply.copyTo(data, std::min(*length, maxLength));
      });
}
