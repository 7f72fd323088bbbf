// The hidraw back end's view of the system, on hidapi (its hidraw flavour) and a libudev monitor.
#include <cerrno>
#include <mutex>
#include <new>
#include <poll.h>
#include <unistd.h>

#include <hidapi.h>
#include <libudev.h>

#include "hidraw/hid_system.h"
#include "hidraw/hidraw_backend.h"

namespace tolvex {
namespace {

// hidapi keeps its last global error in one unguarded pointer that enumerating and opening
// replace; calls that touch it must not overlap.
std::mutex& HidapiGlobalMutex()
{
    static std::mutex mutex;
    return mutex;
}

class HidapiHandle final : public HidHandle {
public:
    explicit HidapiHandle(hid_device* device)
        : device_(device)
    {
    }
    ~HidapiHandle() override { hid_close(device_); }
    HidapiHandle(const HidapiHandle&) = delete;
    HidapiHandle& operator=(const HidapiHandle&) = delete;

    int Write(std::span<const std::uint8_t> report) override
    {
        if (report.empty())
            return -1;
        return hid_write(device_, report.data(), report.size());
    }

    int ReadTimeout(std::span<std::uint8_t> buffer, int timeoutMs) override
    {
        if (buffer.empty())
            return -1;
        return hid_read_timeout(device_, buffer.data(), buffer.size(), timeoutMs);
    }

    int GetFeature(std::span<std::uint8_t> buffer) override
    {
        if (buffer.empty())
            return -1;
        return hid_get_feature_report(device_, buffer.data(), buffer.size());
    }

    int SendFeature(std::span<const std::uint8_t> report) override
    {
        if (report.empty())
            return -1;
        return hid_send_feature_report(device_, report.data(), report.size());
    }

private:
    hid_device* const device_;
};

class UdevHotplugMonitor final : public HotplugMonitor {
public:
    // Takes over both references.
    UdevHotplugMonitor(udev* context, udev_monitor* monitor)
        : context_(context)
        , monitor_(monitor)
    {
    }
    ~UdevHotplugMonitor() override
    {
        udev_monitor_unref(monitor_);
        udev_unref(context_);
    }
    UdevHotplugMonitor(const UdevHotplugMonitor&) = delete;
    UdevHotplugMonitor& operator=(const UdevHotplugMonitor&) = delete;

    HotplugWait Wait(int timeoutMs) override
    {
        pollfd watched{udev_monitor_get_fd(monitor_), POLLIN, 0};
        const int ready = ::poll(&watched, 1, timeoutMs);
        if (ready < 0)
            return errno == EINTR ? HotplugWait::Timeout : HotplugWait::Failed;
        if (ready == 0)
            return HotplugWait::Timeout;
        if (watched.revents & (POLLERR | POLLHUP | POLLNVAL))
            return HotplugWait::Failed;

        // The kernel filter lets only hidraw events through; any of them may change the list.
        int received = 0;
        while (udev_device* device = udev_monitor_receive_device(monitor_)) {
            udev_device_unref(device);
            ++received;
        }
        const bool eventsLost = errno != EAGAIN && errno != EWOULDBLOCK;
        if (received > 0 || eventsLost) {
            fruitlessWakeups_ = 0;
            return HotplugWait::Changed;
        }
        // A socket that keeps waking us with nothing to read would turn this into a busy loop.
        return ++fruitlessWakeups_ > kMaxFruitlessWakeups ? HotplugWait::Failed : HotplugWait::Timeout;
    }

private:
    static constexpr int kMaxFruitlessWakeups = 100;

    udev* const context_;
    udev_monitor* const monitor_;
    int fruitlessWakeups_ = 0;
};

class HidapiSystem final : public HidSystem {
public:
    HidapiSystem()
    {
        std::lock_guard lock(HidapiGlobalMutex());
        hid_init();
    }

    std::vector<InterfaceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override
    {
        std::vector<InterfaceInfo> interfaces;
        std::lock_guard lock(HidapiGlobalMutex());
        hid_device_info* const list = hid_enumerate(vendorId, productId);
        try {
            for (const hid_device_info* entry = list; entry; entry = entry->next) {
                if (!entry->path)
                    continue;
                interfaces.push_back(
                    {entry->vendor_id, entry->product_id, entry->usage_page, entry->usage, entry->path});
            }
        } catch (const std::bad_alloc&) {
            interfaces.clear();
        }
        hid_free_enumeration(list);
        return interfaces;
    }

    std::unique_ptr<HidHandle> Open(const std::string& path) override
    {
        hid_device* device = nullptr;
        {
            std::lock_guard lock(HidapiGlobalMutex());
            device = hid_open_path(path.c_str());
        }
        if (!device)
            return nullptr;
        return std::make_unique<HidapiHandle>(device);
    }

    bool MayOpen(const std::string& path) override { return ::access(path.c_str(), R_OK | W_OK) == 0; }

    std::unique_ptr<HotplugMonitor> OpenMonitor() override
    {
        udev* const context = udev_new();
        if (!context)
            return nullptr;
        udev_monitor* const monitor = udev_monitor_new_from_netlink(context, HotplugEventSource());
        if (!monitor) {
            udev_unref(context);
            return nullptr;
        }
        if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0
            || udev_monitor_enable_receiving(monitor) < 0) {
            udev_monitor_unref(monitor);
            udev_unref(context);
            return nullptr;
        }
        return std::make_unique<UdevHotplugMonitor>(context, monitor);
    }
};

}  // namespace

const char* HotplugEventSource(const char* udevControlSocket)
{
    // The "udev" source reports a node only once its rules (and so its permissions) applied. With
    // no udev daemon it never reports anything: libudev quietly turns such a monitor off. The
    // kernel's own events then tell of a node as soon as it exists; should it not open yet, the
    // back end tries it again.
    return ::access(udevControlSocket, F_OK) == 0 ? "udev" : "kernel";
}

std::unique_ptr<HidSystem> MakeHidapiSystem()
{
    return std::make_unique<HidapiSystem>();
}

std::unique_ptr<Backend> MakeHidrawBackend()
{
    try {
        return std::make_unique<HidrawBackend>(MakeHidapiSystem());
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tolvex
