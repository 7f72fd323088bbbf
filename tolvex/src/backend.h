// What the library's front (registrations, keys, callbacks) needs of a way to reach keyboards.
// Two back ends implement it: hidraw for real keyboards and a socket to tolvex-emu.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "tolvex/tolvex.h"

namespace tolvex {

// One HID top-level collection of a connected keyboard.
struct InterfaceInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::string path;  // where the back end opens it; empty when it has no such notion
    bool operator==(const InterfaceInfo&) const = default;
};

// Whether an interface answers a selector: each bit of the match mask compares one field.
bool Matches(const InterfaceSelector& selector, const InterfaceInfo& info);

// Receives every input report of the interfaces a reader was opened for. Called on a back end
// thread; must not block for long.
using ReportSink = std::function<void(std::span<const std::uint8_t> report)>;

// Reading stops, and the sink is no longer called, once the reader is destroyed.
class InputReader {
public:
    virtual ~InputReader() = default;
};

// Told by a back end when keyboards come or go, with the interfaces present now. Called on a
// back end thread, which must not be the one that answers Interfaces() (the listener does not
// call back into the back end from here).
class BackendListener {
public:
    virtual ~BackendListener() = default;
    virtual void OnInterfacesChanged(const std::vector<InterfaceInfo>& interfaces) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Starts watching for keyboards; false when the back end cannot work at all.
    virtual bool Start(BackendListener& listener) = 0;
    // Stops every thread of the back end and closes every device.
    virtual void Stop() = 0;

    virtual std::vector<InterfaceInfo> Interfaces() = 0;
    // Results: > 0 success (bytes written or read), 0 failure.
    virtual int Write(const InterfaceInfo& target, std::span<const std::uint8_t> report) = 0;
    virtual int GetFeature(const InterfaceInfo& target, std::span<std::uint8_t> buffer) = 0;
    virtual int SetFeature(const InterfaceInfo& target, std::span<const std::uint8_t> report) = 0;

    // Delivers every input report of the interfaces matching the selector, including ones that
    // are plugged in later.
    virtual std::unique_ptr<InputReader> OpenReader(const InterfaceSelector& selector, ReportSink sink) = 0;
};

std::unique_ptr<Backend> MakeEmulatorBackend(std::string socketPath);
std::unique_ptr<Backend> MakeHidrawBackend();

}  // namespace tolvex
