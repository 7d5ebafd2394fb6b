#pragma once
// The Linux HID backend: hidraw nodes, found through sysfs.
//
// Enumeration walks <sysfsRoot>/class/hidraw/*: the identity comes from
// device/uevent (HID_ID), the interface number from the bInterfaceNumber of
// the USB interface the HID device sits under (none on other buses), the
// report descriptor from device/report_descriptor. One hidraw node carries
// every top-level collection of its interface; the backend lists one path per
// collection, e.g. "/dev/hidraw3#vid_0c45&pid_662e&mi_01&col02", and a
// connection to it reads only that collection's reports (the others are
// dropped while the time limit runs).
//
// Opening with neither read nor write access gives identity and capabilities
// without touching the node, like a zero-access open on the other platform.
// There are no share modes on hidraw: the exclusive option has no effect.
// Reads wait in poll() together with an eventfd that abort() sets. Writes run
// on a writer thread per connection (hidraw_writer.h), since write() on a node
// may block in the kernel for seconds although the node polls writable; the
// caller waits for it with the time limit and the same eventfd. ENODEV, EOF
// and POLLHUP mean the device is gone.
//
// A node that exists but may not be opened (EACCES, EPERM: no udev rule gave
// the user access) fails the open as accessDenied, not as absent, so the
// program can say what is wrong instead of waiting for a device that is there.
//
// The presence probe cannot open without access rights here; it checks that
// the node still exists and that sysfs still shows the same vendor and product
// behind it (a node number reused by another device counts as gone).
//
// Any thread; the roots are parameters so tests can lay out a fake tree, the
// node's write call (::write when empty) so they can make it block, and the
// node's open call (::open when empty) so they can refuse it, which changing
// the node's mode cannot do for a test run by root.
#include <functional>
#include <memory>
#include <string>

#include "device/hid_backend.h"
#include "device/hidraw_writer.h"

namespace varnacle::device {

// The system call that opens a node: a descriptor, or -1 with errno set.
using NodeOpen = std::function<int(const char* path, int flags)>;

std::unique_ptr<HidBackend> makeLinuxBackend(std::string sysfsRoot = "/sys",
                                             std::string devRoot = "/dev",
                                             NodeWrite nodeWrite = {}, NodeOpen nodeOpen = {});

}  // namespace varnacle::device
