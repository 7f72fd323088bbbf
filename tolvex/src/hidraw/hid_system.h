// The little the hidraw back end needs of the operating system: finding a keyboard's HID
// collections, opening one by path, and hearing when hidraw devices come or go. The real one sits
// on hidapi and libudev; tests put a fake in its place.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "backend.h"

namespace tolvex {

// One open hidraw node. A handle is used by one thread at a time.
// Results are bytes transferred, 0 when a read timed out, and -1 on an error or once the device
// is gone (a gone device never comes back to the same handle).
class HidHandle {
public:
    virtual ~HidHandle() = default;
    // report[0] is the report identifier.
    virtual int Write(std::span<const std::uint8_t> report) = 0;
    virtual int ReadTimeout(std::span<std::uint8_t> buffer, int timeoutMs) = 0;
    // buffer[0] names the report on entry and still holds its identifier on return.
    virtual int GetFeature(std::span<std::uint8_t> buffer) = 0;
    virtual int SendFeature(std::span<const std::uint8_t> report) = 0;
};

enum class HotplugWait {
    Timeout,
    Changed,  // a hidraw device was added or removed
    Failed,   // the monitor no longer works; its owner should stop waiting on it
};

class HotplugMonitor {
public:
    virtual ~HotplugMonitor() = default;
    virtual HotplugWait Wait(int timeoutMs) = 0;
};

// May be called from several threads at once.
class HidSystem {
public:
    virtual ~HidSystem() = default;
    // Every HID top-level collection of the devices with that vendor and product.
    virtual std::vector<InterfaceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;
    // nullptr when the node cannot be opened.
    virtual std::unique_ptr<HidHandle> Open(const std::string& path) = 0;
    // Whether this process may open the node for reading and writing (its mode and access list),
    // asked without opening it.
    virtual bool MayOpen(const std::string& path) = 0;
    // nullptr when the system cannot report hot-plug events.
    virtual std::unique_ptr<HotplugMonitor> OpenMonitor() = 0;
};

std::unique_ptr<HidSystem> MakeHidapiSystem();

// Which netlink source the real monitor listens on: "udev" while a udev daemon runs (its control
// socket exists), "kernel" otherwise.
const char* HotplugEventSource(const char* udevControlSocket = "/run/udev/control");

}  // namespace tolvex
