// The process-wide binding of libusb-1.0, loaded at run time, and the thin wrappers through
// which the rest of the library (the transport and the DFU client) calls it.
#pragma once

#include "libusb_abi.h"

namespace kst::usb {

// Field order: the module, then the functions in the order they are looked up.
struct Binding {
  void* module;
  InitFn init;
  ExitFn exit;
  HasCapabilityFn hasCapability;  // optional
  GetDeviceListFn getDeviceList;
  FreeDeviceListFn freeDeviceList;
  GetDeviceDescriptorFn getDeviceDescriptor;
  GetStringDescriptorAsciiFn getStringDescriptorAscii;
  OpenFn open;
  CloseFn close;
  InterfaceFn claimInterface;
  InterfaceFn releaseInterface;
  ClearHaltFn clearHalt;
  InterfaceFn kernelDriverActive;
  InterfaceFn detachKernelDriver;
  AllocTransferFn allocTransfer;
  CancelTransferFn cancelTransfer;
  FreeTransferFn freeTransfer;
  ControlTransferFn controlTransfer;
  BulkTransferFn bulkTransfer;
};

// Loads libusb for the library module moduleName, trying in order ownDir + relativeDir,
// ownDir, then the bare file name. Null when the own directory cannot be found, nothing
// loads, or a required function is missing.
Binding* createBinding(const char* moduleName, const char* relativeDir);
void freeBinding(Binding* binding);

// The binding used by every probe of the process: created by the first open that finds
// none (a failure leaves it absent for the next caller) and released when the process exits.
bool ensureProcessBinding();
bool processBindingLoaded();

// Wrappers over the process binding; callers hold an open device, so the binding exists.
int init(Context** context);
void exit(Context* context);
int hasCapability(uint32_t capability);  // 0 when libusb lacks libusb_has_capability
std::ptrdiff_t getDeviceList(Context* context, Device*** list);
void freeDeviceList(Device** list, int unrefDevices);
int getDeviceDescriptor(Device* device, DeviceDescriptor* descriptor);
int getStringDescriptorAscii(DeviceHandle* handle, uint8_t index, unsigned char* data, int length);
int open(Device* device, DeviceHandle** handle);
void close(DeviceHandle* handle);
int claimInterface(DeviceHandle* handle, int interfaceNumber);
int releaseInterface(DeviceHandle* handle, int interfaceNumber);
int clearHalt(DeviceHandle* handle, unsigned char endpoint);
int kernelDriverActive(DeviceHandle* handle, int interfaceNumber);
int detachKernelDriver(DeviceHandle* handle, int interfaceNumber);
int controlTransfer(DeviceHandle* handle, uint8_t requestType, uint8_t request, uint16_t value,
                    uint16_t index, unsigned char* data, uint16_t length, unsigned int timeoutMs);
int bulkTransfer(DeviceHandle* handle, unsigned char endpoint, unsigned char* data, int length,
                 int* transferred, unsigned int timeoutMs);

}  // namespace kst::usb
