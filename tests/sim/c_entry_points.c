/* The C entry points used from C: the header must compile as C and the calls must link. */
#include "kestrel_sim/ksim.h"

int ksim_test_c_entry_points(void) {
  ksim_install_default_bus();
  const int probe = ksim_attach_probe(0xF055, 0x4B04, "C1", 0x03000029u, 0);
  if (probe == KSIM_INVALID_DEVICE) return -1;
  ksim_detach(probe);
  ksim_appear_after_scans(probe, 1);
  return probe;
}
