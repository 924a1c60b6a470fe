// KST_GETLOG: the firmware's own log, always a 4336-byte reply.
#include "firmware.h"

namespace ksim {
namespace {

void getLog(ProbeState& probe, Args&, Reply& reply) {
  reply.data = probe.log.take();
}

constexpr CommandHandler kHandlers[] = {
    {74, 0, getLog},
};

}  // namespace

HandlerTable logHandlers() {
  return {kHandlers, sizeof kHandlers / sizeof kHandlers[0]};
}

}  // namespace ksim
