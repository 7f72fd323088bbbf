// Threads: one watches for hot-plug events and keeps the list of the keyboard's collections; each
// reader has its own thread and its own handles, so that every reader sees every report (each
// open hidraw node gets its own copy from the kernel). Writes and feature reports share one
// handle per node, opened on first use.
#include "hidraw/hidraw_backend.h"

#include <algorithm>
#include <condition_variable>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <thread>
#include <tuple>

namespace tolvex {
namespace {

using Clock = std::chrono::steady_clock;

// The largest report a hidraw node hands out; a shorter buffer would cut reports.
constexpr std::size_t kReadBufferSize = 4096;

bool IsControlCollection(const InterfaceInfo& info)
{
    return info.usagePage == TOLVEX_CONTROL_USAGE_PAGE && info.usage == TOLVEX_CONTROL_USAGE;
}

bool IsKeyboardCollection(const InterfaceInfo& info)
{
    return info.vendorId == TOLVEX_VENDOR_ID && info.productId == TOLVEX_PRODUCT_ID && !info.path.empty();
}

bool ComesBefore(const InterfaceInfo& left, const InterfaceInfo& right)
{
    return std::tie(left.path, left.usagePage, left.usage, left.vendorId, left.productId)
        < std::tie(right.path, right.usagePage, right.usage, right.vendorId, right.productId);
}

int Milliseconds(std::chrono::milliseconds duration)
{
    return static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(duration.count(), 0, std::numeric_limits<int>::max()));
}

// A system that claims more bytes than the buffer holds must not make us read past it.
int ClampToCapacity(int result, std::size_t capacity)
{
    if (result < 0)
        return -1;
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(result), capacity));
}

// A thread that stops itself (from a callback it runs) cannot be joined; it ends on its own once
// the callback returns, holding what it still needs.
void JoinOrRelease(std::jthread& thread)
{
    if (!thread.joinable())
        return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();
    else
        thread.join();
}

// The shared handle of one node; its mutex keeps one request at a time on it.
struct Channel {
    std::mutex mutex;
    std::unique_ptr<HidHandle> handle;
};

class ReaderState;

}  // namespace

class HidrawCore {
public:
    HidrawCore(std::unique_ptr<HidSystem> hidSystem, HidrawTiming hidTiming)
        : system(std::move(hidSystem))
        , timing(hidTiming)
    {
    }

    std::vector<InterfaceInfo> EnumerateKeyboard()
    {
        std::vector<InterfaceInfo> found = system->Enumerate(TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID);
        std::erase_if(found, [](const InterfaceInfo& info) { return !IsKeyboardCollection(info); });
        // A node this user may not open is no keyboard to the program: counted, it would look
        // present while every request failed, and the user would never learn why.
        std::erase_if(found, [this](const InterfaceInfo& info) { return !system->MayOpen(info.path); });
        // Enumeration order is not stable; sorting keeps an unchanged set from looking changed.
        std::sort(found.begin(), found.end(), ComesBefore);
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }

    // The new list when it differs from the last one.
    std::optional<std::vector<InterfaceInfo>> Refresh()
    {
        std::vector<InterfaceInfo> fresh = EnumerateKeyboard();
        std::vector<std::shared_ptr<Channel>> departed;  // closed once the lock is released
        std::lock_guard lock(mutex);
        if (!running)
            return std::nullopt;
        ++refreshes;
        changed.notify_all();
        for (auto channel = channels.begin(); channel != channels.end();) {
            const bool present = std::any_of(
                fresh.begin(), fresh.end(), [&](const InterfaceInfo& info) { return info.path == channel->first; });
            if (present) {
                ++channel;
                continue;
            }
            departed.push_back(std::move(channel->second));
            channel = channels.erase(channel);
        }
        if (fresh == interfaces)
            return std::nullopt;
        interfaces = fresh;
        return fresh;
    }

    void WatchHotplug(std::stop_token stop, std::unique_ptr<HotplugMonitor> monitor, BackendListener& listener)
    {
        while (!stop.stop_requested()) {
            if (monitor) {
                const HotplugWait result = monitor->Wait(Milliseconds(timing.monitorWait));
                if (result == HotplugWait::Failed)
                    monitor.reset();
                if (result != HotplugWait::Changed)
                    continue;
            } else {
                std::unique_lock lock(mutex);
                changed.wait_for(lock, stop, timing.pollInterval, [] { return false; });
            }
            if (stop.stop_requested())
                break;
            try {
                if (const auto interfacesNow = Refresh(); interfacesNow && !stop.stop_requested())
                    listener.OnInterfacesChanged(*interfacesNow);
            } catch (...) {
                // Out of memory or a throwing listener: the next event tries again.
            }
        }
    }

    // Runs one request on the node's shared handle, opening it when needed. A failed request
    // closes the handle, so that the next one opens the node afresh.
    template<typename Request> int OnChannel(const InterfaceInfo& target, Request request)
    {
        std::shared_ptr<Channel> channel;
        {
            std::lock_guard lock(mutex);
            if (!running || std::find(interfaces.begin(), interfaces.end(), target) == interfaces.end())
                return 0;
            std::shared_ptr<Channel>& slot = channels[target.path];
            if (!slot)
                slot = std::make_shared<Channel>();
            channel = slot;
        }
        std::lock_guard lock(channel->mutex);
        if (!channel->handle)
            channel->handle = system->Open(target.path);
        if (!channel->handle)
            return 0;
        const int result = request(*channel->handle);
        if (result < 0) {
            channel->handle.reset();
            return 0;
        }
        return result;
    }

    const std::unique_ptr<HidSystem> system;
    const HidrawTiming timing;

    std::mutex startMutex;  // one Start at a time

    std::mutex mutex;                     // guards everything below
    std::condition_variable_any changed;  // the list was enumerated again, or the back end stopped
    bool running = false;
    std::vector<InterfaceInfo> interfaces;
    std::uint64_t refreshes = 0;
    std::map<std::string, std::shared_ptr<Channel>> channels;
    std::vector<std::weak_ptr<ReaderState>> readers;
    std::jthread monitorThread;
};

namespace {

class ReaderState : public std::enable_shared_from_this<ReaderState> {
public:
    ReaderState(std::shared_ptr<HidrawCore> core, const InterfaceSelector& selector, ReportSink sink)
        : core_(std::move(core))
        , selector_(selector)
        , sink_(std::move(sink))
    {
    }

    // Opens the matching nodes of the list now, before the reader is handed out: a node queues
    // reports only for the handles open on it, so a reply to a request written right after
    // registering would otherwise be lost while the thread is still starting.
    void OpenNow(const std::vector<InterfaceInfo>& interfaces, std::uint64_t refreshes)
    {
        startUnopened_ = Reconcile(interfaces, startHandles_);
        startRefreshes_ = refreshes;
        startOpenAttempt_ = Clock::now();
    }

    // The thread keeps this state alive, so that it can end on its own after a Stop from its sink.
    void Launch()
    {
        std::lock_guard lock(threadMutex_);
        thread_ = std::jthread([self = shared_from_this()](std::stop_token stop) { self->Run(stop); });
    }

    // Once this returns on another thread, the sink is not called again.
    void Stop()
    {
        std::jthread thread;
        {
            std::lock_guard lock(threadMutex_);
            thread = std::move(thread_);
        }
        thread.request_stop();
        JoinOrRelease(thread);
    }

private:
    using OpenHandles = std::map<std::string, std::unique_ptr<HidHandle>>;

    void Run(std::stop_token stop)
    {
        try {
            ReadUntilStopped(stop);
        } catch (...) {
            // Out of memory: the reader ends; nothing else depends on its thread.
        }
    }

    void ReadUntilStopped(std::stop_token stop)
    {
        OpenHandles open = std::move(startHandles_);
        std::vector<std::uint8_t> buffer(kReadBufferSize);
        std::optional<std::uint64_t> seenRefreshes = startRefreshes_;
        bool someUnopened = startUnopened_;
        Clock::time_point lastOpenAttempt = startOpenAttempt_;
        bool lastRoundHadData = false;

        while (!stop.stop_requested()) {
            std::optional<std::vector<InterfaceInfo>> interfaces;
            {
                std::lock_guard lock(core_->mutex);
                const bool retryDue = someUnopened && Clock::now() - lastOpenAttempt >= core_->timing.reopenInterval;
                if (seenRefreshes != core_->refreshes || retryDue) {
                    seenRefreshes = core_->refreshes;
                    interfaces = core_->interfaces;
                }
            }
            if (interfaces) {
                someUnopened = Reconcile(*interfaces, open);
                lastOpenAttempt = Clock::now();
            }

            if (open.empty()) {
                std::unique_lock lock(core_->mutex);
                const auto refreshed = [&] { return seenRefreshes != core_->refreshes; };
                if (someUnopened)
                    core_->changed.wait_for(lock, stop, core_->timing.reopenInterval, refreshed);
                else
                    core_->changed.wait(lock, stop, refreshed);
                continue;
            }

            // The kernel queues reports per handle, so sharing the timeout keeps a round short
            // without losing any; after data, look again at once.
            const int timeoutMs = lastRoundHadData
                ? 0
                : std::max(1, Milliseconds(core_->timing.readTimeout) / static_cast<int>(open.size()));
            lastRoundHadData = false;
            for (auto handle = open.begin(); handle != open.end() && !stop.stop_requested();) {
                const int length = ClampToCapacity(handle->second->ReadTimeout(buffer, timeoutMs), buffer.size());
                if (length < 0) {
                    // Unplugged, most likely. Should it come back on the same node before the
                    // monitor notices, the retry opens it again.
                    handle = open.erase(handle);
                    someUnopened = true;
                    lastOpenAttempt = Clock::now();
                    continue;
                }
                if (length > 0) {
                    lastRoundHadData = true;
                    Deliver({buffer.data(), static_cast<std::size_t>(length)});
                }
                ++handle;
            }
        }
    }

    // Opens every matching node that is not open yet and closes those that left; true when some
    // matching node would not open.
    bool Reconcile(const std::vector<InterfaceInfo>& interfaces, OpenHandles& open)
    {
        // Collections of one device can share a node; it is read once.
        std::set<std::string> wanted;
        for (const InterfaceInfo& info : interfaces)
            if (Matches(selector_, info))
                wanted.insert(info.path);
        std::erase_if(open, [&](const auto& entry) { return !wanted.contains(entry.first); });
        bool someUnopened = false;
        for (const std::string& path : wanted) {
            if (open.contains(path))
                continue;
            if (auto handle = core_->system->Open(path))
                open.emplace(path, std::move(handle));
            else
                someUnopened = true;
        }
        return someUnopened;
    }

    void Deliver(std::span<const std::uint8_t> report)
    {
        try {
            sink_(report);
        } catch (...) {
            // The sink's failure is its own; the next report is still delivered.
        }
    }

    const std::shared_ptr<HidrawCore> core_;
    const InterfaceSelector selector_;
    const ReportSink sink_;
    // What OpenNow opened, for the thread to take over.
    OpenHandles startHandles_;
    std::optional<std::uint64_t> startRefreshes_;
    bool startUnopened_ = false;
    Clock::time_point startOpenAttempt_;
    std::mutex threadMutex_;
    std::jthread thread_;
};

class HidrawReader final : public InputReader {
public:
    explicit HidrawReader(std::shared_ptr<ReaderState> state)
        : state_(std::move(state))
    {
    }
    ~HidrawReader() override
    {
        if (state_)
            state_->Stop();
    }
    HidrawReader(const HidrawReader&) = delete;
    HidrawReader& operator=(const HidrawReader&) = delete;

private:
    const std::shared_ptr<ReaderState> state_;
};

}  // namespace

HidrawBackend::HidrawBackend(std::unique_ptr<HidSystem> system, HidrawTiming timing)
    : core_(std::make_shared<HidrawCore>(std::move(system), timing))
{
}

HidrawBackend::~HidrawBackend()
{
    Stop();
}

bool HidrawBackend::Start(BackendListener& listener)
{
    if (!core_->system)
        return false;
    try {
        std::lock_guard startLock(core_->startMutex);
        {
            std::lock_guard lock(core_->mutex);
            if (core_->running)
                return true;
        }
        std::vector<InterfaceInfo> interfaces = core_->EnumerateKeyboard();
        std::unique_ptr<HotplugMonitor> monitor = core_->system->OpenMonitor();

        std::lock_guard lock(core_->mutex);
        core_->interfaces = std::move(interfaces);
        ++core_->refreshes;
        core_->changed.notify_all();
        core_->monitorThread
            = std::jthread([core = core_, monitor = std::move(monitor), &listener](std::stop_token stop) mutable {
                  core->WatchHotplug(stop, std::move(monitor), listener);
              });
        core_->running = true;
        return true;
    } catch (...) {
        std::lock_guard lock(core_->mutex);
        core_->interfaces.clear();
        return false;
    }
}

void HidrawBackend::Stop()
{
    std::jthread monitorThread;
    std::vector<std::shared_ptr<ReaderState>> readers;
    std::map<std::string, std::shared_ptr<Channel>> channels;
    {
        std::lock_guard lock(core_->mutex);
        core_->running = false;
        core_->interfaces.clear();
        ++core_->refreshes;
        monitorThread = std::move(core_->monitorThread);
        channels.swap(core_->channels);
        for (const std::weak_ptr<ReaderState>& reader : core_->readers)
            if (auto state = reader.lock())
                readers.push_back(std::move(state));
        core_->readers.clear();
    }
    core_->changed.notify_all();
    monitorThread.request_stop();
    JoinOrRelease(monitorThread);
    for (const auto& reader : readers)
        reader->Stop();
}

std::vector<InterfaceInfo> HidrawBackend::Interfaces()
{
    try {
        std::lock_guard lock(core_->mutex);
        return core_->interfaces;
    } catch (...) {
        return {};
    }
}

int HidrawBackend::Write(const InterfaceInfo& target, std::span<const std::uint8_t> report)
{
    if (report.empty())
        return 0;
    try {
        // The control collection takes fixed-size reports only; the others take what they get.
        std::vector<std::uint8_t> framed;
        if (IsControlCollection(target)) {
            framed.assign(TOLVEX_REPORT_SIZE, 0);
            std::copy_n(report.begin(), std::min<std::size_t>(report.size(), TOLVEX_REPORT_SIZE), framed.begin());
        } else {
            framed.assign(report.begin(), report.end());
        }
        return core_->OnChannel(
            target, [&](HidHandle& handle) { return ClampToCapacity(handle.Write(framed), framed.size()); });
    } catch (...) {
        return 0;
    }
}

int HidrawBackend::GetFeature(const InterfaceInfo& target, std::span<std::uint8_t> buffer)
{
    if (buffer.empty())
        return 0;
    try {
        return core_->OnChannel(
            target, [&](HidHandle& handle) { return ClampToCapacity(handle.GetFeature(buffer), buffer.size()); });
    } catch (...) {
        return 0;
    }
}

int HidrawBackend::SetFeature(const InterfaceInfo& target, std::span<const std::uint8_t> report)
{
    if (report.empty())
        return 0;
    try {
        return core_->OnChannel(
            target, [&](HidHandle& handle) { return ClampToCapacity(handle.SendFeature(report), report.size()); });
    } catch (...) {
        return 0;
    }
}

std::unique_ptr<InputReader> HidrawBackend::OpenReader(const InterfaceSelector& selector, ReportSink sink)
{
    try {
        auto state = std::make_shared<ReaderState>(core_, selector, std::move(sink));
        std::vector<InterfaceInfo> interfaces;
        std::uint64_t refreshes = 0;
        {
            std::lock_guard lock(core_->mutex);
            if (!core_->running)
                return std::make_unique<HidrawReader>(nullptr);
            interfaces = core_->interfaces;
            refreshes = core_->refreshes;
        }
        state->OpenNow(interfaces, refreshes);
        std::lock_guard lock(core_->mutex);
        if (!core_->running)
            return std::make_unique<HidrawReader>(nullptr);
        std::erase_if(core_->readers, [](const std::weak_ptr<ReaderState>& reader) { return reader.expired(); });
        core_->readers.push_back(state);
        // Launched under the lock, so that a Stop either finds the reader running or comes first.
        state->Launch();
        return std::make_unique<HidrawReader>(std::move(state));
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tolvex
