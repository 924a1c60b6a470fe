// The process-wide list of controller records, found by a share key made from the probe
// driver and port: handles naming the same probe share one record. No lock: the framework
// binds, unbinds, opens and closes from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

struct JscHandle;

namespace kst::jsc {

constexpr std::size_t kShareKeyLength = 12;  // "SHK-" and eight hexadecimal digits

// The key's hash: h = h * 33 ^ byte (sign-extended) from 5381, over every part in order.
uint32_t shareHash(const char* const* parts, std::size_t count);

// Builds "SHK-%08x" of the hash of "share", role, module, driver and the port as eight
// hexadecimal digits into key (kShareKeyLength + 1 bytes). False when an input is null.
bool buildShareKey(char* key, const char* role, const char* module, const char* driver,
                   const uint32_t* port);

// Finds the entry of the handle's key or appends one with a block of the handle's share block
// size; the handle takes the key and the block. created tells which.
// -122 null role, module or out argument; -164 block size 0, a null key input (driver or
// port not configured) or no memory.
int32_t attachShare(JscHandle& handle, const char* role, const char* module, const char* driver,
                    const uint32_t* port, uint8_t* created);

// Drops the handle's reference: the last one frees the block and the entry. Frees the key.
int32_t detachShare(JscHandle* handle);

// For inspection: the number of entries and the reference count of a key (0 when absent).
std::size_t shareEntryCount();
uint32_t shareReferences(const char* key);

}  // namespace kst::jsc
