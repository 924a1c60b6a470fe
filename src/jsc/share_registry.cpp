#include "share_registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "controller_handle.h"
#include "result_codes.h"

namespace kst::jsc {
namespace {

constexpr uint32_t kHashSeed = 5381;
constexpr std::size_t kKeyFieldSize = 16;

struct ShareEntry {
  char key[kKeyFieldSize];  // zero-padded
  void* block;
  uint32_t references;
};

// Grown with realloc so that a failure is a result code, never an exception. The framework
// binds and unbinds from one thread at a time, but two frameworks (or two sessions of one) in
// a process need not: the list is guarded, and only handle creation and deletion take the
// lock, never a command.
std::mutex g_mutex;
ShareEntry* g_entries = nullptr;
std::size_t g_count = 0;
std::size_t g_capacity = 0;

ShareEntry* find(const char* key) {
  for (std::size_t i = 0; i < g_count; ++i)
    if (std::strncmp(g_entries[i].key, key, kKeyFieldSize) == 0) return &g_entries[i];
  return nullptr;
}

bool append(const char* key, void* block) {
  if (g_count == g_capacity) {
    const std::size_t capacity = g_capacity == 0 ? 4 : g_capacity * 2;
    void* grown = std::realloc(g_entries, capacity * sizeof(ShareEntry));
    if (grown == nullptr) return false;
    g_entries = static_cast<ShareEntry*>(grown);
    g_capacity = capacity;
  }
  ShareEntry& entry = g_entries[g_count++];
  std::memset(entry.key, 0, sizeof entry.key);
  std::memcpy(entry.key, key, kShareKeyLength);
  entry.block = block;
  entry.references = 1;
  return true;
}

void remove(ShareEntry* entry) {
  const std::size_t index = static_cast<std::size_t>(entry - g_entries);
  std::memmove(entry, entry + 1, (g_count - index - 1) * sizeof(ShareEntry));
  if (--g_count == 0) {
    std::free(g_entries);
    g_entries = nullptr;
    g_capacity = 0;
  }
}

}  // namespace

uint32_t shareHash(const char* const* parts, std::size_t count) {
  uint32_t hash = kHashSeed;
  for (std::size_t i = 0; i < count; ++i)
    for (const char* at = parts[i]; *at != '\0'; ++at)
      hash =
          (hash * 33u) ^ static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*at)));
  return hash;
}

bool buildShareKey(char* key, const char* role, const char* module, const char* driver,
                   const uint32_t* port) {
  if (role == nullptr || module == nullptr || driver == nullptr || port == nullptr) return false;
  char portText[9];
  std::snprintf(portText, sizeof portText, "%08x", static_cast<unsigned>(*port));
  const char* const parts[] = {"share", role, module, driver, portText};
  std::snprintf(key, kShareKeyLength + 1, "SHK-%08x",
                static_cast<unsigned>(shareHash(parts, sizeof parts / sizeof parts[0])));
  return true;
}

// The role, module and out argument come from the binding itself; the driver and port come
// from configuration and may be missing, which is a failure to make the key (-164).
int32_t attachShare(JscHandle& handle, const char* role, const char* module, const char* driver,
                    const uint32_t* port, uint8_t* created) {
  if (role == nullptr || module == nullptr || created == nullptr) return kBadArgument;
  handle.chain.shareKey = nullptr;
  handle.chain.shareBlock = nullptr;
  if (handle.chain.shareBlockSize == 0) return kShareRegistry;
  auto* key = static_cast<char*>(std::malloc(kShareKeyLength + 1));
  if (key == nullptr) return kShareRegistry;
  if (!buildShareKey(key, role, module, driver, port)) {
    std::free(key);
    return kShareRegistry;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  if (ShareEntry* entry = find(key)) {
    ++entry->references;
    handle.chain.shareKey = key;
    handle.chain.shareBlock = entry->block;
    *created = 0;
    return kOk;
  }
  void* block = std::malloc(handle.chain.shareBlockSize);
  if (block == nullptr || !append(key, block)) {
    std::free(block);
    std::free(key);
    return kShareRegistry;
  }
  handle.chain.shareKey = key;
  handle.chain.shareBlock = block;
  *created = 1;
  return kOk;
}

int32_t detachShare(JscHandle* handle) {
  if (handle == nullptr) return kBadArgument;
  handle->chain.shareBlock = nullptr;
  handle->chain.shareBlockSize = 0;
  auto* key = static_cast<char*>(handle->chain.shareKey);
  if (key == nullptr) return kOk;
  std::unique_lock<std::mutex> lock(g_mutex);
  if (ShareEntry* entry = find(key)) {
    if (entry->references < 2) {
      std::free(entry->block);
      remove(entry);
    } else {
      --entry->references;
    }
  }
  lock.unlock();
  std::free(key);
  handle->chain.shareKey = nullptr;
  return kOk;
}

std::size_t shareEntryCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_count;
}

uint32_t shareReferences(const char* key) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const ShareEntry* entry = key != nullptr ? find(key) : nullptr;
  return entry != nullptr ? entry->references : 0;
}

}  // namespace kst::jsc
