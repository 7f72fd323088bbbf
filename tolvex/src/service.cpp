#include "service.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tolvex {

Service::Service(BackendFactory factory)
    : factory_(std::move(factory))
{
}

Service::~Service()
{
    End();
}

int Service::Debug(int level)
{
    return debugLevel_.exchange(std::max(level, 0));
}

void Service::Trace(int level, const char* format, ...) const
{
    if (debugLevel_.load() < level)
        return;
    std::va_list arguments;
    va_start(arguments, format);
    std::fputs("libTolvex: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
    va_end(arguments);
}

int Service::Init()
{
    std::lock_guard lifecycle(lifecycle_);
    {
        std::lock_guard lock(mutex_);
        if (backend_)
            return 1;
    }
    if (const char* level = std::getenv("TOLVEX_DEBUG"))
        Debug(std::atoi(level));
    std::shared_ptr<Backend> backend = factory_ ? factory_() : nullptr;
    if (!backend || !backend->Start(*this)) {
        Trace(1, "no back end could be started");
        return 0;
    }
    std::lock_guard lock(mutex_);
    backend_ = std::move(backend);
    return 1;
}

int Service::End()
{
    std::lock_guard lifecycle(lifecycle_);
    std::shared_ptr<Backend> backend;
    std::map<std::uint32_t, std::unique_ptr<Registration>> registrations;
    std::vector<std::unique_ptr<Registration>> retired;
    {
        std::lock_guard lock(mutex_);
        // A callback cannot end the library: that would join the thread it runs on.
        for (const auto& [handle, registration] : registrations_)
            if (registration->dispatcher->RunsOnThisThread())
                return 0;
        backend = std::move(backend_);
        registrations.swap(registrations_);
        retired.swap(retired_);
        present_.reset();
    }
    for (auto& [handle, registration] : registrations)
        registration->reader.reset();
    for (auto& [handle, registration] : registrations)
        registration->dispatcher->RequestStop();
    registrations.clear();
    retired.clear();
    if (backend)
        backend->Stop();
    return 1;
}

std::shared_ptr<Backend> Service::Admit(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
    std::span<const std::uint8_t> data, std::uint32_t key)
{
    if (!selector)
        return nullptr;
    if (TolvexRequestKey(selector, callback, tag, data.data(), data.size()) != key) {
        Trace(1, "call refused: wrong request key");
        return nullptr;
    }
    std::lock_guard lock(mutex_);
    if (!backend_)
        Trace(1, "call refused: not initialised");
    return backend_;
}

std::optional<InterfaceInfo> Service::FirstMatch(Backend& backend, const InterfaceSelector& selector)
{
    for (const InterfaceInfo& info : backend.Interfaces())
        if (Matches(selector, info))
            return info;
    return std::nullopt;
}

int Service::GetDeviceCount(
    const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag, std::uint32_t key)
{
    const auto backend = Admit(selector, callback, tag, {}, key);
    if (!backend)
        return 0;
    return static_cast<int>(CountMatches(*selector, backend->Interfaces()));
}

int Service::WriteOne(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
    const std::uint8_t* data, std::uint32_t length, std::uint32_t key)
{
    if (!data || length == 0)
        return 0;
    const auto backend = Admit(selector, callback, tag, {data, length}, key);
    if (!backend)
        return 0;
    const auto target = FirstMatch(*backend, *selector);
    if (!target)
        return 0;
    std::uint8_t report[TOLVEX_REPORT_SIZE] = {};
    std::memcpy(report, data, std::min<std::uint32_t>(length, TOLVEX_REPORT_SIZE));
    Trace(2, "write command %u", static_cast<unsigned>(report[3]));
    return backend->Write(*target, report) > 0 ? 1 : 0;
}

int Service::Write(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
    const std::uint8_t* data, std::uint32_t length, std::uint32_t key)
{
    if (!data || length == 0)
        return 0;
    const auto backend = Admit(selector, callback, tag, {data, length}, key);
    if (!backend)
        return 0;
    const auto target = FirstMatch(*backend, *selector);
    if (!target)
        return 0;
    int written = 0;
    for (std::uint32_t offset = 0; offset < length; offset += TOLVEX_REPORT_SIZE) {
        std::uint8_t report[TOLVEX_REPORT_SIZE] = {};
        std::memcpy(report, data + offset, std::min<std::uint32_t>(length - offset, TOLVEX_REPORT_SIZE));
        if (backend->Write(*target, report) <= 0)
            break;
        ++written;
    }
    return written;
}

int Service::StatusWrite(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
    const std::uint8_t* data, std::uint32_t length, std::uint32_t key, std::uint32_t* handleOut)
{
    if (handleOut)
        *handleOut = 0;
    if (!data || length == 0 || length > TOLVEX_REPORT_SIZE)
        return 0;
    const auto backend = Admit(selector, callback, tag, {data, length}, key);
    if (!backend)
        return 0;
    const auto target = FirstMatch(*backend, *selector);
    if (!target || backend->Write(*target, {data, length}) <= 0)
        return 0;
    if (callback) {
        // The completion reaches the callback like a read would, on a thread of its own.
        const std::uint32_t handle = ReserveHandle();
        auto registration = std::make_unique<Registration>();
        registration->selector = *selector;
        registration->dispatcher = std::make_unique<Dispatcher>(handle, tag, callback);
        registration->dispatcher->Post({TOLVEX_NOTIFY_DATA, 0, {data, data + length}});
        if (AddRegistration(handle, std::move(registration)) && handleOut)
            *handleOut = handle;
    }
    return 1;
}

int Service::StatusGet(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
    std::uint8_t* buffer, std::uint32_t length, std::uint32_t key)
{
    if (!buffer || length == 0)
        return 0;
    const auto backend = Admit(selector, callback, tag, {}, key);
    if (!backend)
        return 0;
    const auto target = FirstMatch(*backend, *selector);
    return target ? std::max(backend->GetFeature(*target, {buffer, length}), 0) : 0;
}

int Service::SetFeature(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
    const std::uint8_t* data, std::uint32_t length, std::uint32_t key)
{
    if (!data || length == 0)
        return 0;
    const auto backend = Admit(selector, callback, tag, {data, length}, key);
    if (!backend)
        return 0;
    const auto target = FirstMatch(*backend, *selector);
    return target ? std::max(backend->SetFeature(*target, {data, length}), 0) : 0;
}

int Service::AsyncRead(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag, std::uint32_t key,
    std::uint32_t* handleOut)
{
    if (handleOut)
        *handleOut = 0;
    if (!callback)
        return 0;
    const auto backend = Admit(selector, callback, tag, {}, key);
    if (!backend)
        return 0;
    const std::uint32_t handle = ReserveHandle();
    auto registration = std::make_unique<Registration>();
    registration->selector = *selector;
    registration->watchesPresence = true;
    registration->lastCount = CountMatches(*selector, backend->Interfaces());
    registration->dispatcher = std::make_unique<Dispatcher>(handle, tag, callback);
    Dispatcher* dispatcher = registration->dispatcher.get();
    registration->reader = backend->OpenReader(*selector, [dispatcher](std::span<const std::uint8_t> report) {
        dispatcher->Post({TOLVEX_NOTIFY_DATA, 0, {report.begin(), report.end()}});
    });
    if (!AddRegistration(handle, std::move(registration)))
        return 0;
    if (handleOut)
        *handleOut = handle;
    return 1;
}

std::uint32_t Service::ReserveHandle()
{
    std::lock_guard lock(mutex_);
    std::uint32_t handle = nextHandle_++;
    while (handle == 0 || registrations_.contains(handle))
        handle = nextHandle_++;
    return handle;
}

bool Service::AddRegistration(std::uint32_t handle, std::unique_ptr<Registration> registration)
{
    std::unique_lock lock(mutex_);
    if (!backend_) {
        lock.unlock();
        Retire(std::move(registration));
        return false;
    }
    if (registration->watchesPresence && present_) {
        // A change seen since the caller counted is the newer truth.
        registration->lastCount = CountMatches(registration->selector, *present_);
    }
    registrations_.emplace(handle, std::move(registration));
    return true;
}

int Service::DeleteByHandle(std::uint32_t handle)
{
    std::unique_ptr<Registration> registration;
    {
        std::lock_guard lock(mutex_);
        auto found = registrations_.find(handle);
        if (found == registrations_.end())
            return 0;
        registration = std::move(found->second);
        registrations_.erase(found);
    }
    Retire(std::move(registration));
    return 1;
}

int Service::DeleteByRecord(const TolvexRequestRecord* record)
{
    if (!record)
        return 0;
    std::uint32_t handle = 0;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [candidate, registration] : registrations_)
            if (registration->dispatcher->Record() == record)
                handle = candidate;
    }
    return handle != 0 ? DeleteByHandle(handle) : 0;
}

void Service::Retire(std::unique_ptr<Registration> registration)
{
    registration->reader.reset();
    registration->dispatcher->RequestStop();
    if (registration->dispatcher->RunsOnThisThread()) {
        // Cancelled from its own callback: the thread ends when the callback returns and is
        // joined later.
        std::lock_guard lock(mutex_);
        retired_.push_back(std::move(registration));
        return;
    }
    registration->dispatcher->Join();
}

void Service::OnInterfacesChanged(const std::vector<InterfaceInfo>& interfaces)
{
    std::lock_guard lock(mutex_);
    present_ = interfaces;
    for (auto& [handle, registration] : registrations_) {
        if (!registration->watchesPresence)
            continue;
        const std::uint32_t count = CountMatches(registration->selector, interfaces);
        if (count == registration->lastCount)
            continue;
        registration->lastCount = count;
        Trace(2, "presence %u for registration %u", count, handle);
        registration->dispatcher->Post({TOLVEX_NOTIFY_STATE, count, {}});
    }
}

std::uint32_t CountMatches(const InterfaceSelector& selector, const std::vector<InterfaceInfo>& interfaces)
{
    return static_cast<std::uint32_t>(std::count_if(
        interfaces.begin(), interfaces.end(), [&](const InterfaceInfo& info) { return Matches(selector, info); }));
}

}  // namespace tolvex
