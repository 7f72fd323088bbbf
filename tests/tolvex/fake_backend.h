// A back end whose keyboards are data: tests set the interfaces, push input reports and read what
// was written.
#pragma once

#include <functional>
#include <map>
#include <mutex>

#include "backend.h"

namespace tolvex::testing {

class FakeBackend final : public Backend {
public:
    struct Written {
        InterfaceInfo target;
        std::vector<std::uint8_t> bytes;
    };

    bool Start(BackendListener& listener) override
    {
        std::lock_guard lock(mutex_);
        listener_ = &listener;
        return startSucceeds;
    }
    void Stop() override
    {
        {
            std::lock_guard lock(mutex_);
            listener_ = nullptr;
        }
        if (onStop)
            onStop();
    }
    std::vector<InterfaceInfo> Interfaces() override
    {
        std::lock_guard lock(mutex_);
        return interfaces_;
    }
    int Write(const InterfaceInfo& target, std::span<const std::uint8_t> report) override
    {
        std::lock_guard lock(mutex_);
        writes_.push_back({target, {report.begin(), report.end()}});
        return static_cast<int>(report.size());
    }
    int GetFeature(const InterfaceInfo&, std::span<std::uint8_t> buffer) override
    {
        buffer[0] = 0x05;
        if (buffer.size() > 1)
            buffer[1] = 0x03;
        return static_cast<int>(std::min<std::size_t>(buffer.size(), 2));
    }
    int SetFeature(const InterfaceInfo&, std::span<const std::uint8_t> report) override
    {
        return static_cast<int>(report.size());
    }

    std::unique_ptr<InputReader> OpenReader(const InterfaceSelector& selector, ReportSink sink) override
    {
        std::lock_guard lock(mutex_);
        const int id = nextReader_++;
        readers_.emplace(id, ReaderEntry{selector, std::move(sink)});
        return std::make_unique<Reader>(*this, id);
    }

    // Plugs in or pulls out keyboards: the listener hears of it on this thread, as it would on a
    // back end's hot-plug thread.
    void SetInterfaces(std::vector<InterfaceInfo> interfaces)
    {
        BackendListener* listener = nullptr;
        {
            std::lock_guard lock(mutex_);
            interfaces_ = interfaces;
            listener = listener_;
        }
        if (listener)
            listener->OnInterfacesChanged(interfaces);
    }

    // An input report from `source` reaches every reader whose selector matches it.
    void Input(const InterfaceInfo& source, std::vector<std::uint8_t> report)
    {
        std::lock_guard lock(mutex_);
        for (auto& [id, reader] : readers_)
            if (Matches(reader.selector, source))
                reader.sink(report);
    }

    std::vector<Written> Writes()
    {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    std::size_t ReaderCount()
    {
        std::lock_guard lock(mutex_);
        return readers_.size();
    }

    bool startSucceeds = true;
    std::function<void()> onStop;

private:
    struct ReaderEntry {
        InterfaceSelector selector;
        ReportSink sink;
    };
    class Reader final : public InputReader {
    public:
        Reader(FakeBackend& owner, int id)
            : owner_(owner)
            , id_(id)
        {
        }
        ~Reader() override
        {
            std::lock_guard lock(owner_.mutex_);
            owner_.readers_.erase(id_);
        }

    private:
        FakeBackend& owner_;
        int id_;
    };

    std::mutex mutex_;
    BackendListener* listener_ = nullptr;
    std::vector<InterfaceInfo> interfaces_;
    std::vector<Written> writes_;
    std::map<int, ReaderEntry> readers_;
    int nextReader_ = 1;
};

}  // namespace tolvex::testing
