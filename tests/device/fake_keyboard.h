// A keyboard for device-link tests that needs no library and no waiting: the emulator's firmware
// answers each request at once, a script can make the next answers go missing, carry an error
// status, echo another command or come back short, and a recording timer returns from every wait
// immediately. Writes, waits and pauses land in one log, in order.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "device/device_link.h"
#include "firmware.h"

namespace tavrin::testing {

class EventLog {
public:
    void Add(std::string entry)
    {
        std::lock_guard lock(mutex_);
        entries_.push_back(std::move(entry));
    }
    std::vector<std::string> Entries() const
    {
        std::lock_guard lock(mutex_);
        return entries_;
    }
    void Clear()
    {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

// Returns from every wait at once: signalled when the reply has already arrived. `beforeWait` runs
// first, so that a fake keyboard can let in an answer that comes during that wait.
class RecordingTimer final : public device::TransactionTimer {
public:
    explicit RecordingTimer(EventLog& log)
        : log_(log)
    {
    }
    void Sleep(std::chrono::milliseconds duration) override { log_.Add("sleep " + std::to_string(duration.count())); }
    device::WaitResult Wait(device::AutoResetEvent& event, std::chrono::milliseconds timeout) override
    {
        log_.Add("wait " + std::to_string(timeout.count()));
        if (beforeWait)
            beforeWait();
        if (failWaits)
            return device::WaitResult::Failed;
        return event.Take() ? device::WaitResult::Signalled : device::WaitResult::TimedOut;
    }
    bool failWaits = false;
    std::function<void()> beforeWait;

private:
    EventLog& log_;
};

// Late: the answer misses its own reply window and comes during the next wait; VeryLate misses one
// more. The keyboard answers in order, so answers after one held back queue behind it.
enum class Answer { Normal, Silent, StatusFF, StatusFE, WrongEcho, Short, Late, VeryLate };

// A service whose calls all succeed and do nothing; fakes override what they need.
class StubService : public device::DeviceService {
public:
    int Init(int) override { return 1; }
    int End() override { return 1; }
    int RequestGetDeviceCount(
        const InterfaceSelector*, TolvexCallback, std::uint32_t, std::uint32_t, std::uint32_t*) override
    {
        return 1;
    }
    int DeleteRequestFromUnitId(std::uint32_t) override { return 1; }
    int RequestWriteOne(const InterfaceSelector*, TolvexCallback, std::uint32_t, const std::uint8_t*, std::uint32_t,
        std::uint32_t, std::uint32_t*) override
    {
        return 1;
    }
    int RequestStatusWrite(const InterfaceSelector*, TolvexCallback, std::uint32_t, const std::uint8_t*, std::uint32_t,
        std::uint32_t, std::uint32_t*) override
    {
        return 1;
    }
    int RequestAsyncRead(
        const InterfaceSelector*, TolvexCallback, std::uint32_t, std::uint32_t, std::uint32_t*) override
    {
        return 1;
    }
};

class FakeKeyboard final : public StubService {
public:
    explicit FakeKeyboard(EventLog& log, tolvex::emu::KeyboardMemory memory = tolvex::emu::FactoryMemory())
        : log_(log)
        , firmware_(std::move(memory))
    {
    }

    // Where replies go: the link under test.
    void Attach(device::DeviceLink& link) { link_ = &link; }
    // The next answers, in order; after them every request is answered normally.
    void Script(std::initializer_list<Answer> answers)
    {
        std::lock_guard lock(mutex_);
        script_.insert(script_.end(), answers);
    }

    int RequestGetDeviceCount(
        const InterfaceSelector*, TolvexCallback, std::uint32_t, std::uint32_t, std::uint32_t*) override
    {
        return deviceCount;
    }
    int RequestWriteOne(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        const std::uint8_t* data, std::uint32_t length, std::uint32_t key, std::uint32_t*) override
    {
        tolvex::emu::Report frame{};
        std::copy_n(data, std::min<std::size_t>(length, frame.size()), frame.begin());
        Answer answer = Answer::Normal;
        {
            std::lock_guard lock(mutex_);
            writes_.push_back(frame);
            keys_.push_back(key);
            lengths_.push_back(length);
            if (!script_.empty()) {
                answer = script_.front();
                script_.pop_front();
            }
        }
        log_.Add("write " + std::to_string(frame[3]));
        if (onWrite)
            onWrite();
        if (refuseWrites)
            return 0;
        if (TolvexRequestKey(selector, callback, tag, data, length) != key)
            return 0;
        tolvex::emu::Report reply{};
        std::uint32_t replyLength = 64;
        switch (answer) {
        case Answer::Silent:
            return 1;
        case Answer::StatusFF:
            reply = tolvex::emu::Firmware::ErrorReply(frame, 0xFF);
            break;
        case Answer::StatusFE:
            reply = tolvex::emu::Firmware::ErrorReply(frame, 0xFE);
            break;
        case Answer::WrongEcho:
            reply = Respond(frame);
            reply[3] ^= 0x80;
            break;
        case Answer::Short:
            reply = Respond(frame);
            replyLength = 10;
            break;
        case Answer::Normal:
        case Answer::Late:
        case Answer::VeryLate:
            reply = Respond(frame);
            break;
        }
        {
            std::lock_guard lock(mutex_);
            const int windowsToMiss = answer == Answer::Late ? 1 : answer == Answer::VeryLate ? 2 : 0;
            if (windowsToMiss > 0 || !pending_.empty()) {
                pending_.push_back({reply, replyLength, windowsToMiss});
                return 1;
            }
        }
        link_->OnControlReport(replyLength, reply.data());
        return 1;
    }

    // Called at every wait: lets in the oldest answer held back, unless it is still missing its
    // own window.
    void DeliverDue()
    {
        Pending due;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty())
                return;
            if (pending_.front().windowsToMiss > 0) {
                --pending_.front().windowsToMiss;
                return;
            }
            due = pending_.front();
            pending_.pop_front();
        }
        link_->OnControlReport(due.length, due.reply.data());
    }

    std::vector<tolvex::emu::Report> Writes() const
    {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    // The command byte of every request written, in order.
    std::vector<std::uint8_t> CommandsWritten() const
    {
        std::lock_guard lock(mutex_);
        std::vector<std::uint8_t> commands;
        for (const auto& frame : writes_)
            commands.push_back(frame[3]);
        return commands;
    }
    std::vector<std::uint32_t> Keys() const
    {
        std::lock_guard lock(mutex_);
        return keys_;
    }
    std::vector<std::uint32_t> Lengths() const
    {
        std::lock_guard lock(mutex_);
        return lengths_;
    }
    const tolvex::emu::KeyboardMemory& Memory() const { return firmware_.Memory(); }

    int deviceCount = 1;
    bool refuseWrites = false;
    std::function<void()> onWrite;  // runs inside every write, before the answer

private:
    tolvex::emu::Report Respond(const tolvex::emu::Report& frame)
    {
        std::lock_guard lock(mutex_);
        return firmware_.HandleControl(frame).reply;
    }

    struct Pending {
        tolvex::emu::Report reply{};
        std::uint32_t length = 0;
        int windowsToMiss = 0;
    };

    EventLog& log_;
    mutable std::mutex mutex_;
    std::deque<Pending> pending_;
    tolvex::emu::Firmware firmware_;
    device::DeviceLink* link_ = nullptr;
    std::deque<Answer> script_;
    std::vector<tolvex::emu::Report> writes_;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint32_t> lengths_;
};

}  // namespace tavrin::testing
