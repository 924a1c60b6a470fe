// The probe context's layout is part of the library's interface.
#include <cstddef>

#include "kestrel/kst_types.h"

static_assert(offsetof(KSTInform, openFlag) == 0, "open flag at 0");
static_assert(offsetof(KSTInform, usbDevice) == 8, "USB device record at 8");
static_assert(offsetof(KSTInform, commandBuffer) == 16, "command buffer at 16");
static_assert(offsetof(KSTInform, replyBuffer) == 16 + KST_PACKET_SIZE, "reply buffer");
static_assert(offsetof(KSTInform, tclkFrequency) == 16 + 2 * KST_PACKET_SIZE, "test clock");
static_assert(offsetof(KSTInform, vendorId) == 20 + 2 * KST_PACKET_SIZE, "vendor id");
static_assert(offsetof(KSTInform, productId) == 22 + 2 * KST_PACKET_SIZE, "product id");
static_assert(sizeof(KSTInform) == 24 + 2 * KST_PACKET_SIZE, "no trailing fields");
