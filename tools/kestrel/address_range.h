// The address spaces of the memory command families, and the check every transfer passes
// before any traffic: a range that runs past the end of its space would otherwise wrap
// around and land at a different address.
#pragma once

#include <cstdint>
#include <string>

namespace tool {

// The families the tool moves memory with: the 32-bit address commands (CMAPI_MemRead and
// CMAPI_MemWrite) and the 64-bit ones (CMAPI_MemRead64 and CMAPI_MemWrite64).
enum class AddressFamily { Bits32, Bits64 };

// The first address past the family's space, minus one: its highest address.
uint64_t highestAddress(AddressFamily family);

// Empty when length bytes from address lie inside the family's space (an empty transfer
// needs only its start to); otherwise the one-line refusal, such as "0xFFFFFFFFFFFFFFF0 +
// 64 bytes runs past the end of the 64-bit address space".
std::string rangeProblem(uint64_t address, uint64_t length, AddressFamily family);

std::string hexAddress(uint64_t address);  // "0x20000000"

}  // namespace tool
