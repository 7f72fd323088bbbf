// The library's front: request keys, registrations and their notifications, over one back end.
// The C exports are thin calls into one process-wide Service; tests build their own over a fake
// back end.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "backend.h"
#include "dispatcher.h"

namespace tolvex {

using BackendFactory = std::function<std::unique_ptr<Backend>()>;

std::uint32_t CountMatches(const InterfaceSelector& selector, const std::vector<InterfaceInfo>& interfaces);

class Service final : public BackendListener {
public:
    explicit Service(BackendFactory factory);
    ~Service() override;
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    int Debug(int level);
    int Init();
    int End();

    int GetDeviceCount(
        const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag, std::uint32_t key);
    int DeleteByHandle(std::uint32_t handle);
    int DeleteByRecord(const TolvexRequestRecord* record);
    int Write(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag, const std::uint8_t* data,
        std::uint32_t length, std::uint32_t key);
    int WriteOne(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        const std::uint8_t* data, std::uint32_t length, std::uint32_t key);
    int StatusWrite(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        const std::uint8_t* data, std::uint32_t length, std::uint32_t key, std::uint32_t* handleOut);
    int StatusGet(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag, std::uint8_t* buffer,
        std::uint32_t length, std::uint32_t key);
    int AsyncRead(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag, std::uint32_t key,
        std::uint32_t* handleOut);
    int SetFeature(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        const std::uint8_t* data, std::uint32_t length, std::uint32_t key);

    void OnInterfacesChanged(const std::vector<InterfaceInfo>& interfaces) override;

private:
    struct Registration {
        InterfaceSelector selector{};
        bool watchesPresence = false;
        std::uint32_t lastCount = 0;
        std::unique_ptr<Dispatcher> dispatcher;
        std::unique_ptr<InputReader> reader;
    };

    // The back end, when the library is initialised and the call's key is right.
    std::shared_ptr<Backend> Admit(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        std::span<const std::uint8_t> data, std::uint32_t key);
    std::optional<InterfaceInfo> FirstMatch(Backend& backend, const InterfaceSelector& selector);
    std::uint32_t ReserveHandle();
    bool AddRegistration(std::uint32_t handle, std::unique_ptr<Registration> registration);
    void Retire(std::unique_ptr<Registration> registration);
    void Trace(int level, const char* format, ...) const;

    const BackendFactory factory_;
    std::atomic<int> debugLevel_{0};

    std::mutex lifecycle_;  // Init and End
    std::mutex mutex_;      // everything below
    std::shared_ptr<Backend> backend_;
    std::map<std::uint32_t, std::unique_ptr<Registration>> registrations_;
    std::vector<std::unique_ptr<Registration>> retired_;
    std::optional<std::vector<InterfaceInfo>> present_;  // as of the last change the back end told
    std::uint32_t nextHandle_ = 1;
};

}  // namespace tolvex
