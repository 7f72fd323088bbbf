// The back end that talks to tolvex-emu over its Unix socket instead of hidraw. One thread keeps
// the connection (and reconnects, which the library sees as the keyboard being re-plugged), cuts
// the stream into frames, answers waiting calls and hands input reports to the readers.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "backend.h"
#include "tolvex/emu_protocol.h"
#include "unix_socket.h"

namespace tolvex {
namespace {

using namespace std::chrono_literals;
using emu::MessageType;

constexpr auto kCallTimeout = 2000ms;
constexpr auto kReconnectPause = 50ms;
constexpr auto kFirstContactWait = 1000ms;

class EmulatorBackend final : public Backend {
public:
    explicit EmulatorBackend(std::string socketPath)
        : socketPath_(std::move(socketPath))
    {
    }
    ~EmulatorBackend() override { Stop(); }

    bool Start(BackendListener& listener) override
    {
        if (::pipe2(wakePipe_, O_CLOEXEC) != 0)
            return false;
        listener_ = &listener;
        connection_ = std::thread([this] { KeepConnected(); });
        // Give a running emulator the chance to tell its interfaces before the first count.
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kFirstContactWait, [this] { return firstContactDone_; });
        return true;
    }

    void Stop() override
    {
        if (!connection_.joinable())
            return;
        stopping_ = true;
        const std::uint8_t wake = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(wakePipe_[1], &wake, 1);
        connection_.join();
        CloseQuietly(wakePipe_[0]);
        CloseQuietly(wakePipe_[1]);
    }

    // The interfaces the emulator last announced. It announces every plug and unplug before it
    // answers anything else, so the list is as fresh as a hot-plug monitor's would be.
    std::vector<InterfaceInfo> Interfaces() override
    {
        std::lock_guard lock(mutex_);
        return interfaces_;
    }

    int Write(const InterfaceInfo& target, std::span<const std::uint8_t> report) override
    {
        std::vector<std::uint8_t> payload;
        emu::PutU16(payload, target.usagePage);
        emu::PutU16(payload, target.usage);
        payload.insert(payload.end(), report.begin(), report.end());
        const auto answer = Call(MessageType::Write, payload);
        return answer ? answer->value : 0;
    }

    int GetFeature(const InterfaceInfo& target, std::span<std::uint8_t> buffer) override
    {
        if (buffer.empty())
            return 0;
        std::vector<std::uint8_t> payload;
        emu::PutU16(payload, target.usagePage);
        emu::PutU16(payload, target.usage);
        payload.push_back(buffer[0]);
        emu::PutU16(payload, static_cast<std::uint16_t>(std::min<std::size_t>(buffer.size(), 0xFFFF)));
        const auto answer = Call(MessageType::FeatureGet, payload);
        if (!answer || answer->value <= 0)
            return 0;
        const std::size_t count = std::min(answer->bytes.size(), buffer.size());
        std::copy_n(answer->bytes.begin(), count, buffer.begin());
        return static_cast<int>(count);
    }

    int SetFeature(const InterfaceInfo& target, std::span<const std::uint8_t> report) override
    {
        std::vector<std::uint8_t> payload;
        emu::PutU16(payload, target.usagePage);
        emu::PutU16(payload, target.usage);
        payload.insert(payload.end(), report.begin(), report.end());
        const auto answer = Call(MessageType::FeatureSet, payload);
        return answer ? answer->value : 0;
    }

    std::unique_ptr<InputReader> OpenReader(const InterfaceSelector& selector, ReportSink sink) override;

    void RemoveReader(std::uint64_t id)
    {
        std::lock_guard lock(readersMutex_);
        readers_.erase(id);
    }

private:
    struct Answer {
        int value = 0;
        std::vector<std::uint8_t> bytes;
    };
    struct PendingCall {
        std::optional<Answer> answer;
        bool failed = false;
    };
    struct Reader {
        InterfaceSelector selector;
        ReportSink sink;
    };

    std::optional<Answer> Call(MessageType type, std::span<const std::uint8_t> payload)
    {
        PendingCall pending;
        std::uint32_t sequence = 0;
        bool sent = false;
        {
            // Held across reading the descriptor and writing, so that Disconnect cannot close it
            // (and the number be reused) in between.
            std::lock_guard writing(writeMutex_);
            int fd = -1;
            {
                std::lock_guard lock(mutex_);
                if (fd_ < 0)
                    return std::nullopt;
                fd = fd_;
                sequence = nextSequence_++;
                if (sequence == 0)
                    sequence = nextSequence_++;
                pending_[sequence] = &pending;
            }
            sent = WriteAll(fd, emu::EncodeFrame(type, sequence, payload));
        }
        std::unique_lock lock(mutex_);
        if (sent)
            changed_.wait_for(lock, kCallTimeout, [&] { return pending.answer || pending.failed; });
        pending_.erase(sequence);
        return pending.answer;
    }

    void KeepConnected()
    {
        bool firstAttempt = true;
        while (!stopping_) {
            int fd = ConnectUnixSocket(socketPath_);
            if (fd >= 0 && WriteAll(fd, emu::EncodeFrame(MessageType::Hello, 0, HelloPayload()))) {
                {
                    std::lock_guard lock(mutex_);
                    fd_ = fd;
                }
                ReadUntilClosed(fd);
                Disconnect(fd);
            } else {
                CloseQuietly(fd);
            }
            if (firstAttempt) {
                firstAttempt = false;
                MarkFirstContact();
            }
            WaitForWake(kReconnectPause);
        }
    }

    static std::vector<std::uint8_t> HelloPayload()
    {
        std::vector<std::uint8_t> payload;
        emu::PutU32(payload, emu::kProtocolVersion);
        emu::PutU32(payload, static_cast<std::uint32_t>(emu::Role::Device));
        return payload;
    }

    void ReadUntilClosed(int fd)
    {
        emu::FrameReader frames;
        std::uint8_t chunk[4096];
        while (!stopping_) {
            pollfd waiters[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
            if (::poll(waiters, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (waiters[1].revents != 0)
                return;
            const ssize_t count = ::read(fd, chunk, sizeof chunk);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return;
            frames.Append({chunk, static_cast<std::size_t>(count)});
            bool broken = false;
            while (auto frame = frames.Next(broken))
                Handle(*frame);
            if (broken)
                return;
        }
    }

    void Handle(const emu::FrameReader::Frame& frame)
    {
        switch (frame.type) {
        case MessageType::Result: {
            if (frame.payload.size() < 4)
                return;
            std::lock_guard lock(mutex_);
            auto found = pending_.find(frame.sequence);
            if (found == pending_.end())
                return;
            found->second->answer = Answer{
                static_cast<int>(emu::GetU32(frame.payload.data())), {frame.payload.begin() + 4, frame.payload.end()}};
            changed_.notify_all();
            return;
        }
        case MessageType::Interfaces: {
            auto decoded = emu::DecodeInterfaces(frame.payload);
            if (!decoded)
                return;
            std::vector<InterfaceInfo> interfaces;
            for (const emu::InterfaceInfo& info : *decoded)
                interfaces.push_back({info.vendorId, info.productId, info.usagePage, info.usage, {}});
            PublishInterfaces(std::move(interfaces));
            MarkFirstContact();
            return;
        }
        case MessageType::Input: {
            if (frame.payload.size() < 4)
                return;
            const std::uint16_t usagePage = emu::GetU16(frame.payload.data());
            const std::uint16_t usage = emu::GetU16(frame.payload.data() + 2);
            const std::span<const std::uint8_t> report(frame.payload.data() + 4, frame.payload.size() - 4);
            Deliver(usagePage, usage, report);
            return;
        }
        default:
            return;
        }
    }

    void Deliver(std::uint16_t usagePage, std::uint16_t usage, std::span<const std::uint8_t> report)
    {
        std::optional<InterfaceInfo> source;
        {
            std::lock_guard lock(mutex_);
            for (const InterfaceInfo& info : interfaces_)
                if (info.usagePage == usagePage && info.usage == usage)
                    source = info;
        }
        if (!source)
            return;
        std::lock_guard lock(readersMutex_);
        for (const auto& [id, reader] : readers_)
            if (Matches(reader.selector, *source))
                reader.sink(report);
    }

    void PublishInterfaces(std::vector<InterfaceInfo> interfaces)
    {
        {
            std::lock_guard lock(mutex_);
            if (interfaces == interfaces_)
                return;
            interfaces_ = interfaces;
        }
        listener_->OnInterfacesChanged(interfaces);
    }

    void Disconnect(int fd)
    {
        {
            std::lock_guard lock(mutex_);
            fd_ = -1;
            for (auto& [sequence, pending] : pending_)
                pending->failed = true;
            changed_.notify_all();
        }
        {
            // A writer may still hold the descriptor: close it only once no one writes.
            std::lock_guard lock(writeMutex_);
            CloseQuietly(fd);
        }
        PublishInterfaces({});
    }

    void MarkFirstContact()
    {
        std::lock_guard lock(mutex_);
        firstContactDone_ = true;
        changed_.notify_all();
    }

    void WaitForWake(std::chrono::milliseconds pause)
    {
        pollfd waiter{wakePipe_[0], POLLIN, 0};
        ::poll(&waiter, 1, static_cast<int>(pause.count()));
    }

    const std::string socketPath_;
    BackendListener* listener_ = nullptr;
    std::atomic<bool> stopping_{false};
    int wakePipe_[2] = {-1, -1};
    std::thread connection_;

    std::mutex writeMutex_;  // one frame at a time on the socket
    std::mutex mutex_;       // everything below
    std::condition_variable changed_;
    int fd_ = -1;
    bool firstContactDone_ = false;
    std::uint32_t nextSequence_ = 1;
    std::map<std::uint32_t, PendingCall*> pending_;
    std::vector<InterfaceInfo> interfaces_;

    std::mutex readersMutex_;
    std::map<std::uint64_t, Reader> readers_;
    std::uint64_t nextReaderId_ = 1;

    friend class EmulatorReader;
};

class EmulatorReader final : public InputReader {
public:
    EmulatorReader(EmulatorBackend& backend, std::uint64_t id)
        : backend_(backend)
        , id_(id)
    {
    }
    ~EmulatorReader() override { backend_.RemoveReader(id_); }

private:
    EmulatorBackend& backend_;
    const std::uint64_t id_;
};

std::unique_ptr<InputReader> EmulatorBackend::OpenReader(const InterfaceSelector& selector, ReportSink sink)
{
    std::lock_guard lock(readersMutex_);
    const std::uint64_t id = nextReaderId_++;
    readers_.emplace(id, Reader{selector, std::move(sink)});
    return std::make_unique<EmulatorReader>(*this, id);
}

}  // namespace

std::unique_ptr<Backend> MakeEmulatorBackend(std::string socketPath)
{
    return std::make_unique<EmulatorBackend>(std::move(socketPath));
}

}  // namespace tolvex
