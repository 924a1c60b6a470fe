// The command path allocates nothing: 10 000 commands of every command family, the trace off.
#include <gtest/gtest.h>

#include "family_allocations.h"
#include "kestrel_sim/sim.h"

namespace {

TEST(CommandPathAllocations, NoneInTenThousandCommandsOfAnyFamily) {
  ksim::reset();
  ksim::recordTransfers(false);
  ksim::ProbeConfig config;
  config.chain = ksim::demoChain();
  ksim::attachProbe(config);
  KSTInform* probe = nullptr;
  ASSERT_EQ(KST_Open(&probe, 0, nullptr, 0), KST_OK);
  ASSERT_EQ(kstbench::connectTarget(probe), KST_OK);
  std::size_t count = 0;
  const kstbench::CommandFamily* all = kstbench::families(count);
  for (std::size_t i = 0; i < count; ++i) {
    const kstbench::FamilyCount counted = kstbench::countFamily(probe, all[i], 10000);
    EXPECT_EQ(counted.failedCommands, 0u) << all[i].name;
    EXPECT_EQ(counted.allocations.library, 0u) << all[i].name;
    // The counter sees what it must tell apart: the virtual probe allocates for every reply.
    EXPECT_GE(counted.allocations.probe, 10000u) << all[i].name;
  }
  KST_Close(&probe);
  ksim::reset();
}

}  // namespace
