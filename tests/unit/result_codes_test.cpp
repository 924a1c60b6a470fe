// The result-code registry: lookups by domain and the one conversion of DFU client results.
#include "link/result_codes.h"

#include <gtest/gtest.h>

namespace {

using kst::ResultDomain;

TEST(ResultCodes, EveryEntryIsFoundInItsOwnDomainOnlyAndDfuFailuresConvertToOne) {
  for (const kst::ResultCode& entry : kst::kResultCodes) {
    SCOPED_TRACE(entry.name);
    EXPECT_EQ(kst::findResultCode(entry.code, entry.domain), &entry);
    const bool clear =
        entry.domain == ResultDomain::DfuClient || entry.code == 0 || entry.code <= -100;
    EXPECT_TRUE(clear) << "clear of the DFU numbering";
    if (entry.domain == ResultDomain::DfuClient) {
      const auto result = static_cast<kst::update::DfuResult>(entry.code);
      EXPECT_EQ(kst::update::libraryResultOf(result), entry.code == 0 ? 0 : -592)
          << "every DFU failure is the library's download failure";
    }
  }
}

}  // namespace
