// The lock-free test logger's count of the lines it was given.
#pragma once

#include <cstdint>

extern "C" uint64_t lockfree_logger_lines();
