// An open probe with the fake scan-manager handle around it, for the target families.
#pragma once

#include "probe_fixture.h"

namespace kstest {

class TargetTest : public ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    attachAndOpen();
    ASSERT_EQ(KST_CreateFakeSMGHandle(probe_, &handle_), KST_OK);
  }

  KST_SMG_HANDLE handle_ = nullptr;
};

}  // namespace kstest
