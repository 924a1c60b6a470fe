// How an allocation is attributed, exactly: counting happens only on the calling thread, only
// between startCounting and stopCounting, when the caller runs nothing but library calls. The
// library calls the virtual probe (its libusb) while it works, and the probe builds its replies
// in std::vector, so inside the gate an allocation belongs to the probe when a frame of the
// probe's code is anywhere on the stack, and to the library otherwise. The rule cannot miss a
// library allocation: the probe never calls back into the library, so nothing the library asks
// for ever runs beneath a probe frame. It does not depend on who made the innermost call either
// (an allocation through an out-of-line libstdc++ function, or from a tail call, still counts).
// The stack is walked by the unwinder from the unwind tables every object of the build has.
// The probe's own entry point (libusb_bulk_transfer) holds its bus lock until it returns, so
// its frame is on the stack for everything it does.
//
// Every replaced function forwards to glibc's own allocator (__libc_malloc and friends), so
// memory crosses freely between replaced and unreplaced entry points (memalign, strdup).
#include "allocation_counter.h"

#include <libusb.h>
#include <link.h>
#include <unwind.h>

#include <cerrno>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace kstbench {
namespace {

struct Range {
  uintptr_t begin;
  uintptr_t end;
};
constexpr int kMaxRanges = 8;
Range g_probeCode[kMaxRanges];
int g_probeRanges = 0;

thread_local bool t_counting = false;
thread_local bool t_busy = false;  // inside the attribution itself
thread_local AllocationCount t_count{};

bool inProbeCode(uintptr_t address) {
  for (int i = 0; i < g_probeRanges; ++i)
    if (address >= g_probeCode[i].begin && address < g_probeCode[i].end) return true;
  return false;
}

// Walks the stack from the innermost frame and stops at the first frame of the probe, which
// is near the top for the probe's own allocations: the walk is short for them, and whole only
// for an allocation the library makes.
_Unwind_Reason_Code visitFrame(_Unwind_Context* context, void* probe) {
  if (!inProbeCode(_Unwind_GetIP(context))) return _URC_NO_REASON;
  *static_cast<bool*>(probe) = true;
  return _URC_END_OF_STACK;
}

void note() {
  if (!t_counting || t_busy) return;
  t_busy = true;
  bool probe = false;
  _Unwind_Backtrace(visitFrame, &probe);
  ++(probe ? t_count.probe : t_count.library);
  t_busy = false;
}

// The loaded segments of the module holding libusb_bulk_transfer: the virtual probe.
int findProbeCode(dl_phdr_info* info, std::size_t, void* symbol) {
  const auto address = reinterpret_cast<uintptr_t>(symbol);
  bool holds = false;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    const uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
    if (segment.p_type == PT_LOAD && address >= begin && address < begin + segment.p_memsz)
      holds = true;
  }
  if (!holds) return 0;
  for (int i = 0; i < info->dlpi_phnum && g_probeRanges < kMaxRanges; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD || (segment.p_flags & PF_X) == 0) continue;
    const uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
    g_probeCode[g_probeRanges++] = {begin, begin + segment.p_memsz};
  }
  return 1;
}

}  // namespace

void startCounting() {
  if (g_probeRanges == 0)
    dl_iterate_phdr(findProbeCode, reinterpret_cast<void*>(&libusb_bulk_transfer));
  bool warm = false;
  _Unwind_Backtrace(visitFrame, &warm);  // the unwinder's first walk may set up its caches
  t_count = {};
  t_counting = true;
}

AllocationCount stopCounting() {
  t_counting = false;
  return t_count;
}

}  // namespace kstbench

// Exported from the program, so the shared libraries' calls bind to them (the build hides
// symbols by default).
#define KSTBENCH_REPLACED __attribute__((visibility("default")))

extern "C" {

KSTBENCH_REPLACED void* malloc(std::size_t size) {
  kstbench::note();
  return __libc_malloc(size);
}

KSTBENCH_REPLACED void* calloc(std::size_t count, std::size_t size) {
  kstbench::note();
  return __libc_calloc(count, size);
}

KSTBENCH_REPLACED void* realloc(void* pointer, std::size_t size) {
  kstbench::note();
  return __libc_realloc(pointer, size);
}

// libstdc++'s aligned operator new comes here.
KSTBENCH_REPLACED void* aligned_alloc(std::size_t alignment, std::size_t size) {
  kstbench::note();
  return __libc_memalign(alignment, size);
}

KSTBENCH_REPLACED int posix_memalign(void** pointer, std::size_t alignment, std::size_t size) {
  kstbench::note();
  if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
  *pointer = __libc_memalign(alignment, size);
  return *pointer != nullptr ? 0 : ENOMEM;
}

KSTBENCH_REPLACED void free(void* pointer) {
  if (pointer != nullptr) kstbench::note();
  __libc_free(pointer);
}

}  // extern "C"

// The operators go through the replaced malloc and free, so each call is counted once there.
KSTBENCH_REPLACED void* operator new(std::size_t size) {
  void* pointer = std::malloc(size != 0 ? size : 1);
  if (pointer == nullptr) throw std::bad_alloc();
  return pointer;
}
KSTBENCH_REPLACED void* operator new[](std::size_t size) {
  return operator new(size);
}
KSTBENCH_REPLACED void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}
KSTBENCH_REPLACED void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}
KSTBENCH_REPLACED void operator delete(void* pointer) noexcept {
  std::free(pointer);
}
KSTBENCH_REPLACED void operator delete[](void* pointer) noexcept {
  std::free(pointer);
}
KSTBENCH_REPLACED void operator delete(void* pointer, std::size_t) noexcept {
  std::free(pointer);
}
KSTBENCH_REPLACED void operator delete[](void* pointer, std::size_t) noexcept {
  std::free(pointer);
}
KSTBENCH_REPLACED void operator delete(void* pointer, const std::nothrow_t&) noexcept {
  std::free(pointer);
}
KSTBENCH_REPLACED void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
  std::free(pointer);
}
