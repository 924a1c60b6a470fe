// Reads the host's configuration groups, in their fixed order, into a handle's records.
#pragma once

#include <cstdint>

#include "jsc/host_services.h"
#include "records.h"

namespace kst::config {

// Each group is read into a temporary record that starts from the record defaults and is
// copied into records only when its reader succeeds; the first failing group ends the
// reading (it and the groups after it keep their defaults).
int32_t readConfiguration(const jsc::HostServices& host, ConfigurationRecords& records);

}  // namespace kst::config
