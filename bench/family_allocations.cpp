#include "family_allocations.h"

namespace kstbench {

FamilyCount countFamily(KSTInform* probe, const CommandFamily& family, uint32_t commands) {
  uint32_t failed = 0;
  startCounting();
  for (uint32_t i = 0; i < commands; ++i)
    failed += family.rows.rows[i % family.rows.count].call(probe) != KST_OK ? 1 : 0;
  return {stopCounting(), failed};
}

}  // namespace kstbench
