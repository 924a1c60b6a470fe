// The virtual bus behind the kernel's USB interface: for a process run under
// umockdev-wrapper, every device on the bus gets its sysfs entry and its /dev/bus/usb node,
// and the usbfs ioctls on that node are answered by the device's model. A distribution's own
// libusb then drives the virtual devices as it drives real ones.
#pragma once

namespace ksim::usbfs {

// Builds the test bed and answers its nodes; false when the process does not run under
// umockdev (nothing is emulated then). Once per process; later calls only report.
bool start();
// Makes the test bed mirror the bus: devices that arrived are added (with their uevent),
// devices that left are removed. The bridge does it after every request that can change the
// bus; a test calls it after it attached or detached devices itself.
void sync();

}  // namespace ksim::usbfs
