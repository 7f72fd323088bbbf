// A HidSystem in memory. Devices are declared as data and plugged or unplugged by the test; every
// open handle gets its own copy of each input report, as a hidraw node does; writes and feature
// reports are recorded. Once its device is unplugged a handle fails for good, even if the device
// comes back on the same node.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "hidraw/hid_system.h"

namespace tolvex::testing {

// The keyboard's collections, each on a node of its own.
inline const InterfaceInfo kControlCollection{
    TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_CONTROL_USAGE_PAGE, TOLVEX_CONTROL_USAGE, "/dev/hidraw3"};
inline const InterfaceInfo kConsumerCollection{
    TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_CONSUMER_USAGE_PAGE, TOLVEX_CONSUMER_USAGE, "/dev/hidraw4"};
inline const InterfaceInfo kKeyStatusCollection{
    TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_KEY_STATUS_USAGE_PAGE, TOLVEX_KEY_STATUS_USAGE, "/dev/hidraw5"};
inline const std::vector<InterfaceInfo> kKeyboard{kControlCollection, kConsumerCollection, kKeyStatusCollection};

struct RecordedTransfer {
    std::string path;
    std::vector<std::uint8_t> bytes;
};

class FakeHidState {
public:
    static constexpr std::chrono::seconds kPatience{5};

    // announce: whether the hot-plug monitor hears of it.
    void Plug(const std::vector<InterfaceInfo>& collections, bool announce = true)
    {
        std::lock_guard lock(mutex_);
        for (const InterfaceInfo& info : collections)
            present_.push_back(info);
        if (announce)
            ++hotplugEvents_;
        Changed();
    }

    // The node's permissions change (as udev's rule or an access list would change them); a
    // changed node is announced as udev announces it.
    void SetRefused(const std::string& path, bool refused)
    {
        std::lock_guard lock(mutex_);
        if (refused)
            refused_.insert(path);
        else
            refused_.erase(path);
        ++hotplugEvents_;
        Changed();
    }

    // Removes every collection on the nodes of these collections.
    void Unplug(const std::vector<InterfaceInfo>& collections, bool announce = true)
    {
        std::lock_guard lock(mutex_);
        for (const InterfaceInfo& info : collections) {
            std::erase_if(present_, [&](const InterfaceInfo& entry) { return entry.path == info.path; });
            ++nodeGeneration_[info.path];
        }
        if (announce)
            ++hotplugEvents_;
        Changed();
    }

    // Queues the report on every open handle of the node; returns how many handles got it.
    int PushInput(const std::string& path, std::vector<std::uint8_t> report)
    {
        std::lock_guard lock(mutex_);
        int handles = 0;
        for (auto& [id, open] : openHandles_) {
            if (open.path == path && IsAliveLocked(open)) {
                open.input.push_back(report);
                ++handles;
            }
        }
        Changed();
        return handles;
    }

    void SetFeatureReply(const std::string& path, std::vector<std::uint8_t> reply)
    {
        std::lock_guard lock(mutex_);
        featureReplies_[{path, reply.at(0)}] = std::move(reply);
    }

    // Requests on the node fail as on a device that stalls them.
    void SetFailing(const std::string& path, bool failing)
    {
        std::lock_guard lock(mutex_);
        if (failing)
            failingNodes_.insert(path);
        else
            failingNodes_.erase(path);
    }

    void SetMonitorAvailable(bool available)
    {
        std::lock_guard lock(mutex_);
        monitorAvailable_ = available;
    }

    void BreakMonitor()
    {
        std::lock_guard lock(mutex_);
        monitorBroken_ = true;
        Changed();
    }

    // Makes each write linger, so that overlapping writes on a handle would show.
    void SetSlowWrites(bool slow) { slowWrites_ = slow; }

    std::vector<RecordedTransfer> Writes() const
    {
        std::lock_guard lock(mutex_);
        return writes_;
    }

    std::vector<RecordedTransfer> FeaturesSent() const
    {
        std::lock_guard lock(mutex_);
        return featuresSent_;
    }

    int Opens(const std::string& path) const
    {
        std::lock_guard lock(mutex_);
        const auto found = opens_.find(path);
        return found == opens_.end() ? 0 : found->second;
    }

    int OpenHandles(const std::string& path) const
    {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count_if(
            openHandles_.begin(), openHandles_.end(), [&](const auto& entry) { return entry.second.path == path; }));
    }

    int AllOpenHandles() const
    {
        std::lock_guard lock(mutex_);
        return static_cast<int>(openHandles_.size());
    }

    int Enumerations() const
    {
        std::lock_guard lock(mutex_);
        return enumerations_;
    }

    int OverlappingWrites() const { return overlappingWrites_; }

    // Systems not yet destroyed: their owner, or a thread of it, still runs.
    int LiveSystems() const
    {
        std::lock_guard lock(mutex_);
        return liveSystems_;
    }

    // Waits until the condition (which may call the getters above) holds; false after kPatience.
    template<typename Condition> bool WaitUntil(Condition condition) const
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        for (;;) {
            std::uint64_t version = 0;
            {
                std::lock_guard lock(mutex_);
                version = version_;
            }
            if (condition())
                return true;
            std::unique_lock lock(mutex_);
            if (!changed_.wait_until(lock, deadline, [&] { return version_ != version; })) {
                lock.unlock();
                return condition();
            }
        }
    }

private:
    friend class FakeHidSystem;
    friend class FakeHidHandle;
    friend class FakeHotplugMonitor;

    struct OpenHandle {
        std::string path;
        int generation = 0;
        std::deque<std::vector<std::uint8_t>> input;
    };

    void Changed()
    {
        ++version_;
        changed_.notify_all();
    }

    bool IsRefusedLocked(const std::string& path) const { return refused_.count(path) != 0; }
    bool IsPresentLocked(const std::string& path) const
    {
        return std::any_of(
            present_.begin(), present_.end(), [&](const InterfaceInfo& info) { return info.path == path; });
    }

    bool IsAliveLocked(const OpenHandle& open) const
    {
        const auto generation = nodeGeneration_.find(open.path);
        const int current = generation == nodeGeneration_.end() ? 0 : generation->second;
        return open.generation == current && IsPresentLocked(open.path);
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::uint64_t version_ = 0;
    std::vector<InterfaceInfo> present_;
    std::set<std::string> refused_;  // nodes this user may not open
    std::map<std::string, int> nodeGeneration_;
    std::uint64_t hotplugEvents_ = 0;
    bool monitorAvailable_ = true;
    bool monitorBroken_ = false;
    int enumerations_ = 0;
    int liveSystems_ = 0;
    std::map<std::string, int> opens_;
    int nextHandleId_ = 1;
    std::map<int, OpenHandle> openHandles_;
    std::set<std::string> failingNodes_;
    std::map<std::pair<std::string, std::uint8_t>, std::vector<std::uint8_t>> featureReplies_;
    std::vector<RecordedTransfer> writes_;
    std::vector<RecordedTransfer> featuresSent_;
    std::atomic<bool> slowWrites_{false};
    std::atomic<int> overlappingWrites_{0};
};

class FakeHidHandle final : public HidHandle {
public:
    FakeHidHandle(std::shared_ptr<FakeHidState> state, int id)
        : state_(std::move(state))
        , id_(id)
    {
    }

    ~FakeHidHandle() override
    {
        std::lock_guard lock(state_->mutex_);
        state_->openHandles_.erase(id_);
        state_->Changed();
    }

    int Write(std::span<const std::uint8_t> report) override
    {
        if (inside_.fetch_add(1) != 0)
            ++state_->overlappingWrites_;
        if (state_->slowWrites_)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const int result = Record(state_->writes_, report);
        inside_.fetch_sub(1);
        return result;
    }

    int ReadTimeout(std::span<std::uint8_t> buffer, int timeoutMs) override
    {
        std::unique_lock lock(state_->mutex_);
        FakeHidState::OpenHandle& open = state_->openHandles_.at(id_);
        state_->changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
            [&] { return !open.input.empty() || !state_->IsAliveLocked(open); });
        if (!state_->IsAliveLocked(open))
            return -1;
        if (open.input.empty())
            return 0;
        const std::vector<std::uint8_t> report = std::move(open.input.front());
        open.input.pop_front();
        const std::size_t length = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), length, buffer.begin());
        return static_cast<int>(length);
    }

    int GetFeature(std::span<std::uint8_t> buffer) override
    {
        std::lock_guard lock(state_->mutex_);
        if (buffer.empty() || !UsableLocked())
            return -1;
        const auto reply = state_->featureReplies_.find({Path(), buffer[0]});
        if (reply == state_->featureReplies_.end())
            return -1;
        const std::size_t length = std::min(reply->second.size(), buffer.size());
        std::copy_n(reply->second.begin(), length, buffer.begin());
        return static_cast<int>(length);
    }

    int SendFeature(std::span<const std::uint8_t> report) override { return Record(state_->featuresSent_, report); }

private:
    const std::string& Path() const { return state_->openHandles_.at(id_).path; }

    bool UsableLocked() const
    {
        return state_->IsAliveLocked(state_->openHandles_.at(id_)) && !state_->failingNodes_.contains(Path());
    }

    int Record(std::vector<RecordedTransfer>& log, std::span<const std::uint8_t> report)
    {
        std::lock_guard lock(state_->mutex_);
        if (report.empty() || !UsableLocked())
            return -1;
        log.push_back({Path(), {report.begin(), report.end()}});
        state_->Changed();
        return static_cast<int>(report.size());
    }

    const std::shared_ptr<FakeHidState> state_;
    const int id_;
    std::atomic<int> inside_{0};
};

class FakeHotplugMonitor final : public HotplugMonitor {
public:
    explicit FakeHotplugMonitor(std::shared_ptr<FakeHidState> state)
        : state_(std::move(state))
    {
        std::lock_guard lock(state_->mutex_);
        seenEvents_ = state_->hotplugEvents_;
    }

    HotplugWait Wait(int timeoutMs) override
    {
        std::unique_lock lock(state_->mutex_);
        state_->changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
            [&] { return state_->monitorBroken_ || state_->hotplugEvents_ != seenEvents_; });
        if (state_->monitorBroken_)
            return HotplugWait::Failed;
        if (state_->hotplugEvents_ == seenEvents_)
            return HotplugWait::Timeout;
        seenEvents_ = state_->hotplugEvents_;
        return HotplugWait::Changed;
    }

private:
    const std::shared_ptr<FakeHidState> state_;
    std::uint64_t seenEvents_ = 0;
};

class FakeHidSystem final : public HidSystem {
public:
    explicit FakeHidSystem(std::shared_ptr<FakeHidState> state)
        : state_(std::move(state))
    {
        std::lock_guard lock(state_->mutex_);
        ++state_->liveSystems_;
    }

    ~FakeHidSystem() override
    {
        std::lock_guard lock(state_->mutex_);
        --state_->liveSystems_;
        state_->Changed();
    }

    FakeHidSystem(const FakeHidSystem&) = delete;
    FakeHidSystem& operator=(const FakeHidSystem&) = delete;

    // Filters as hidapi does: 0 matches any vendor or product.
    std::vector<InterfaceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override
    {
        std::lock_guard lock(state_->mutex_);
        ++state_->enumerations_;
        state_->Changed();
        std::vector<InterfaceInfo> found;
        for (const InterfaceInfo& info : state_->present_)
            if ((vendorId == 0 || info.vendorId == vendorId) && (productId == 0 || info.productId == productId))
                found.push_back(info);
        return found;
    }

    std::unique_ptr<HidHandle> Open(const std::string& path) override
    {
        std::lock_guard lock(state_->mutex_);
        if (!state_->IsPresentLocked(path))
            return nullptr;
        ++state_->opens_[path];
        const int id = state_->nextHandleId_++;
        state_->openHandles_[id] = {path, state_->nodeGeneration_[path], {}};
        state_->Changed();
        return std::make_unique<FakeHidHandle>(state_, id);
    }

    bool MayOpen(const std::string& path) override
    {
        std::lock_guard lock(state_->mutex_);
        return !state_->IsRefusedLocked(path);
    }

    std::unique_ptr<HotplugMonitor> OpenMonitor() override
    {
        {
            std::lock_guard lock(state_->mutex_);
            if (!state_->monitorAvailable_)
                return nullptr;
        }
        return std::make_unique<FakeHotplugMonitor>(state_);
    }

private:
    const std::shared_ptr<FakeHidState> state_;
};

}  // namespace tolvex::testing
