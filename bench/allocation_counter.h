// Counts the heap allocations the library makes on the command path. Linking this file into
// a program replaces malloc, calloc, realloc, free and the operators new and delete for the
// whole process (the library and the virtual probe included).
#pragma once

#include <cstdint>

namespace kstbench {

struct AllocationCount {
  uint64_t library;  // allocations and releases the library asked for
  uint64_t probe;    // those the virtual probe made while serving its commands
};

// Opens the gate on this thread: calls from here on are counted until stop().
void startCounting();
AllocationCount stopCounting();

}  // namespace kstbench
