#include "libusb_binding.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "../platform/platform.h"

namespace kst::usb {
namespace {

// Created on first need by whichever thread opens a probe first, without a lock: two first
// opens at once may both build a binding, and the one that is not published is freed again.
// Published once, it is only read until the process ends.
std::atomic<Binding*> g_binding{nullptr};

Binding& binding() {
  return *g_binding.load(std::memory_order_acquire);
}

struct Entry {
  const char* name;
  std::size_t offset;  // of the function pointer inside Binding
  bool required;
};

#define KST_LIBUSB_ENTRY(field, name, required) \
  { name, offsetof(Binding, field), required }
constexpr Entry kEntries[] = {
    KST_LIBUSB_ENTRY(init, "libusb_init", true),
    KST_LIBUSB_ENTRY(exit, "libusb_exit", true),
    KST_LIBUSB_ENTRY(hasCapability, "libusb_has_capability", false),
    KST_LIBUSB_ENTRY(getDeviceList, "libusb_get_device_list", true),
    KST_LIBUSB_ENTRY(freeDeviceList, "libusb_free_device_list", true),
    KST_LIBUSB_ENTRY(getDeviceDescriptor, "libusb_get_device_descriptor", true),
    KST_LIBUSB_ENTRY(getStringDescriptorAscii, "libusb_get_string_descriptor_ascii", true),
    KST_LIBUSB_ENTRY(open, "libusb_open", true),
    KST_LIBUSB_ENTRY(close, "libusb_close", true),
    KST_LIBUSB_ENTRY(claimInterface, "libusb_claim_interface", true),
    KST_LIBUSB_ENTRY(releaseInterface, "libusb_release_interface", true),
    KST_LIBUSB_ENTRY(clearHalt, "libusb_clear_halt", true),
    KST_LIBUSB_ENTRY(kernelDriverActive, "libusb_kernel_driver_active", true),
    KST_LIBUSB_ENTRY(detachKernelDriver, "libusb_detach_kernel_driver", true),
    KST_LIBUSB_ENTRY(allocTransfer, "libusb_alloc_transfer", true),
    KST_LIBUSB_ENTRY(cancelTransfer, "libusb_cancel_transfer", true),
    KST_LIBUSB_ENTRY(freeTransfer, "libusb_free_transfer", true),
    KST_LIBUSB_ENTRY(controlTransfer, "libusb_control_transfer", true),
    KST_LIBUSB_ENTRY(bulkTransfer, "libusb_bulk_transfer", true),
};
#undef KST_LIBUSB_ENTRY
static_assert(sizeof kEntries / sizeof kEntries[0] == 19, "libusb binds 19 functions");
static_assert(sizeof(Binding) == 20 * sizeof(void*), "module plus 19 function pointers");

// Builds dir + relative + file into out; false when the path does not fit.
bool joinPath(char* out, std::size_t outSize, const char* dir, const char* relative,
              const char* file) {
  const int written = std::snprintf(out, outSize, "%s%s%s", dir, relative, file);
  return written > 0 && static_cast<std::size_t>(written) < outSize;
}

void* loadFromSearchOrder(const char* ownDir, const char* relativeDir) {
  char path[platform::kMaxPath];
  if (joinPath(path, sizeof path, ownDir, relativeDir, platform::kLibusbFileName)) {
    if (void* module = platform::loadLibrary(path)) return module;
  }
  if (joinPath(path, sizeof path, ownDir, "", platform::kLibusbFileName)) {
    if (void* module = platform::loadLibrary(path)) return module;
  }
  return platform::loadLibrary(platform::kLibusbFileName);
}

void releaseProcessBinding() {
  freeBinding(g_binding.exchange(nullptr));
}

}  // namespace

Binding* createBinding(const char* moduleName, const char* relativeDir) {
  char ownDir[platform::kMaxPath];
  if (!platform::ownDirectory(moduleName, ownDir, sizeof ownDir)) return nullptr;

  auto* binding = new (std::nothrow) Binding{};
  if (binding == nullptr) return nullptr;
  binding->module = loadFromSearchOrder(ownDir, relativeDir);
  if (binding->module == nullptr) {
    delete binding;
    return nullptr;
  }
  for (const Entry& entry : kEntries) {
    void* function = platform::findFunction(binding->module, entry.name);
    if (function == nullptr && entry.required) {
      freeBinding(binding);
      return nullptr;
    }
    std::memcpy(reinterpret_cast<char*>(binding) + entry.offset, &function, sizeof function);
  }
  return binding;
}

void freeBinding(Binding* binding) {
  if (binding == nullptr) return;
  if (binding->module != nullptr) platform::freeLibrary(binding->module);
  delete binding;
}

bool ensureProcessBinding() {
  if (g_binding.load(std::memory_order_acquire) != nullptr) return true;
  Binding* created = createBinding(platform::kOwnModuleName, platform::kRelativeBinDir);
  if (created == nullptr) return false;
  Binding* expected = nullptr;
  if (!g_binding.compare_exchange_strong(expected, created, std::memory_order_acq_rel)) {
    freeBinding(created);  // another thread's binding was published first
    return true;
  }
  // Runs at process exit, or when this library is unloaded before that.
  std::atexit(releaseProcessBinding);
  return true;
}

bool processBindingLoaded() {
  return g_binding.load(std::memory_order_acquire) != nullptr;
}

int init(Context** context) {
  return binding().init(context);
}
void exit(Context* context) {
  binding().exit(context);
}
int hasCapability(uint32_t capability) {
  return binding().hasCapability != nullptr ? binding().hasCapability(capability) : 0;
}
std::ptrdiff_t getDeviceList(Context* context, Device*** list) {
  return binding().getDeviceList(context, list);
}
void freeDeviceList(Device** list, int unrefDevices) {
  binding().freeDeviceList(list, unrefDevices);
}
int getDeviceDescriptor(Device* device, DeviceDescriptor* descriptor) {
  return binding().getDeviceDescriptor(device, descriptor);
}
int getStringDescriptorAscii(DeviceHandle* handle, uint8_t index, unsigned char* data, int length) {
  return binding().getStringDescriptorAscii(handle, index, data, length);
}
int open(Device* device, DeviceHandle** handle) {
  return binding().open(device, handle);
}
void close(DeviceHandle* handle) {
  binding().close(handle);
}
int claimInterface(DeviceHandle* handle, int interfaceNumber) {
  return binding().claimInterface(handle, interfaceNumber);
}
int releaseInterface(DeviceHandle* handle, int interfaceNumber) {
  return binding().releaseInterface(handle, interfaceNumber);
}
int clearHalt(DeviceHandle* handle, unsigned char endpoint) {
  return binding().clearHalt(handle, endpoint);
}
int kernelDriverActive(DeviceHandle* handle, int interfaceNumber) {
  return binding().kernelDriverActive(handle, interfaceNumber);
}
int detachKernelDriver(DeviceHandle* handle, int interfaceNumber) {
  return binding().detachKernelDriver(handle, interfaceNumber);
}
int controlTransfer(DeviceHandle* handle, uint8_t requestType, uint8_t request, uint16_t value,
                    uint16_t index, unsigned char* data, uint16_t length, unsigned int timeoutMs) {
  return binding().controlTransfer(handle, requestType, request, value, index, data, length,
                                   timeoutMs);
}
int bulkTransfer(DeviceHandle* handle, unsigned char endpoint, unsigned char* data, int length,
                 int* transferred, unsigned int timeoutMs) {
  return binding().bulkTransfer(handle, endpoint, data, length, transferred, timeoutMs);
}

}  // namespace kst::usb
