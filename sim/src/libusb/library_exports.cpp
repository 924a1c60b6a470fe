// The libusb functions about the library itself rather than a device: its version, the
// names and texts of its result codes, and context options.
#include <libusb.h>

#include <cstdarg>

#define KSIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct CodeText {
  int code;
  const char* name;
  const char* text;
};

// Result codes with libusb's names and the descriptions its header gives them.
constexpr CodeText kCodes[] = {
    {LIBUSB_SUCCESS, "LIBUSB_SUCCESS / LIBUSB_TRANSFER_COMPLETED", "Success (no error)"},
    {LIBUSB_ERROR_IO, "LIBUSB_ERROR_IO", "Input/output error"},
    {LIBUSB_ERROR_INVALID_PARAM, "LIBUSB_ERROR_INVALID_PARAM", "Invalid parameter"},
    {LIBUSB_ERROR_ACCESS, "LIBUSB_ERROR_ACCESS", "Access denied (insufficient permissions)"},
    {LIBUSB_ERROR_NO_DEVICE, "LIBUSB_ERROR_NO_DEVICE",
     "No such device (it may have been disconnected)"},
    {LIBUSB_ERROR_NOT_FOUND, "LIBUSB_ERROR_NOT_FOUND", "Entity not found"},
    {LIBUSB_ERROR_BUSY, "LIBUSB_ERROR_BUSY", "Resource busy"},
    {LIBUSB_ERROR_TIMEOUT, "LIBUSB_ERROR_TIMEOUT", "Operation timed out"},
    {LIBUSB_ERROR_OVERFLOW, "LIBUSB_ERROR_OVERFLOW", "Overflow"},
    {LIBUSB_ERROR_PIPE, "LIBUSB_ERROR_PIPE", "Pipe error"},
    {LIBUSB_ERROR_INTERRUPTED, "LIBUSB_ERROR_INTERRUPTED",
     "System call interrupted (perhaps due to signal)"},
    {LIBUSB_ERROR_NO_MEM, "LIBUSB_ERROR_NO_MEM", "Insufficient memory"},
    {LIBUSB_ERROR_NOT_SUPPORTED, "LIBUSB_ERROR_NOT_SUPPORTED",
     "Operation not supported or unimplemented on this platform"},
    {LIBUSB_ERROR_OTHER, "LIBUSB_ERROR_OTHER", "Other error"},
    // Transfer statuses share the name lookup (0 is both, above).
    {LIBUSB_TRANSFER_ERROR, "LIBUSB_TRANSFER_ERROR", nullptr},
    {LIBUSB_TRANSFER_TIMED_OUT, "LIBUSB_TRANSFER_TIMED_OUT", nullptr},
    {LIBUSB_TRANSFER_CANCELLED, "LIBUSB_TRANSFER_CANCELLED", nullptr},
    {LIBUSB_TRANSFER_STALL, "LIBUSB_TRANSFER_STALL", nullptr},
    {LIBUSB_TRANSFER_NO_DEVICE, "LIBUSB_TRANSFER_NO_DEVICE", nullptr},
    {LIBUSB_TRANSFER_OVERFLOW, "LIBUSB_TRANSFER_OVERFLOW", nullptr},
};

const CodeText* find(int code) {
  for (const CodeText& entry : kCodes)
    if (entry.code == code) return &entry;
  return nullptr;
}

// The libusb API this stand-in implements: the one of the headers it is built against
// (1.0.26 for LIBUSB_API_VERSION 0x01000109), so a program that checks the version at run
// time sees what it was compiled for.
constexpr libusb_version kVersion = {1, 0, 26, 0, "", "Kestrel virtual probe"};

}  // namespace

KSIM_EXPORT const libusb_version* libusb_get_version(void) {
  return &kVersion;
}

KSIM_EXPORT const char* libusb_error_name(int code) {
  const CodeText* entry = find(code);
  return entry != nullptr ? entry->name : "**UNKNOWN**";
}

// English only: libusb_setlocale is not offered, so no other language can be chosen.
KSIM_EXPORT const char* libusb_strerror(int code) {
  const CodeText* entry = find(code);
  return entry != nullptr && code <= 0 ? entry->text : "Unknown error";
}

// The virtual bus prints nothing and is never scanned at libusb_init, so the options are
// checked and taken without changing what it does. UsbDk is a Windows backend.
KSIM_EXPORT int libusb_set_option(libusb_context*, libusb_option option, ...) {
  switch (option) {
    case LIBUSB_OPTION_LOG_LEVEL: {
      va_list arguments;
      va_start(arguments, option);
      const int level = va_arg(arguments, int);
      va_end(arguments);
      return level >= LIBUSB_LOG_LEVEL_NONE && level <= LIBUSB_LOG_LEVEL_DEBUG
                 ? LIBUSB_SUCCESS
                 : LIBUSB_ERROR_INVALID_PARAM;
    }
    case LIBUSB_OPTION_USE_USBDK:
      return LIBUSB_ERROR_NOT_SUPPORTED;
    case LIBUSB_OPTION_NO_DEVICE_DISCOVERY:
      return LIBUSB_SUCCESS;
    default:
      return LIBUSB_ERROR_INVALID_PARAM;
  }
}
