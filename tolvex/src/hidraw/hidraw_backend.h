// The back end for real keyboards: hidraw nodes, reached through a HidSystem.
#pragma once

#include <chrono>
#include <memory>

#include "backend.h"
#include "hidraw/hid_system.h"

namespace tolvex {

class HidrawCore;

struct HidrawTiming {
    // How long one read waits; also how long a reader may take to notice it should stop.
    std::chrono::milliseconds readTimeout{50};
    // How long one wait for a hot-plug event lasts; also how long Stop may wait for the monitor.
    std::chrono::milliseconds monitorWait{100};
    // How often the keyboards are enumerated again when the system cannot report hot-plug events.
    std::chrono::milliseconds pollInterval{1000};
    // How often a reader tries again to open a matching interface that would not open.
    std::chrono::milliseconds reopenInterval{1000};
};

// The matching interfaces are enumerated at Start and after every hot-plug event; between events
// the back end answers from that list, and it refuses to touch any node that is not on it.
// Readers opened before Start or after Stop deliver nothing.
class HidrawBackend final : public Backend {
public:
    explicit HidrawBackend(std::unique_ptr<HidSystem> system, HidrawTiming timing = {});
    ~HidrawBackend() override;
    HidrawBackend(const HidrawBackend&) = delete;
    HidrawBackend& operator=(const HidrawBackend&) = delete;

    bool Start(BackendListener& listener) override;
    void Stop() override;

    std::vector<InterfaceInfo> Interfaces() override;
    int Write(const InterfaceInfo& target, std::span<const std::uint8_t> report) override;
    int GetFeature(const InterfaceInfo& target, std::span<std::uint8_t> buffer) override;
    int SetFeature(const InterfaceInfo& target, std::span<const std::uint8_t> report) override;

    std::unique_ptr<InputReader> OpenReader(const InterfaceSelector& selector, ReportSink sink) override;

private:
    // Shared with the back end's threads, which may outlive a Stop called on themselves.
    std::shared_ptr<HidrawCore> core_;
};

}  // namespace tolvex
