// libTolvex.so loaded the way the program loads it (dlopen from the binary folder, dlsym of every
// export), and a recorder of what reaches a callback.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/device_service.h"
#include "tolvex/tolvex.h"

namespace tavrin::testing {

struct TolvexLibrary {
    void* handle = nullptr;
    decltype(&::Debug) Debug = nullptr;
    decltype(&::Init) Init = nullptr;
    decltype(&::End) End = nullptr;
    decltype(&::RequestGetDeviceCount) RequestGetDeviceCount = nullptr;
    decltype(&::DeleteRequestFromUnitId) DeleteRequestFromUnitId = nullptr;
    decltype(&::DeleteRequestFromHandle) DeleteRequestFromHandle = nullptr;
    decltype(&::RequestWrite) RequestWrite = nullptr;
    decltype(&::RequestWriteOne) RequestWriteOne = nullptr;
    decltype(&::RequestStatusWrite) RequestStatusWrite = nullptr;
    decltype(&::RequestStatusGet) RequestStatusGet = nullptr;
    decltype(&::RequestAsyncRead) RequestAsyncRead = nullptr;
    decltype(&::RequestStatusSetFeature) RequestStatusSetFeature = nullptr;

    // Loads BinaryFolder()/libTolvex.so; `missing` lists the exports that did not resolve.
    static TolvexLibrary Load(std::vector<std::string>* missing = nullptr);
    bool Complete() const;
};

inline InterfaceSelector ControlSelector()
{
    return device::ControlInterface();
}
inline InterfaceSelector ConsumerSelector()
{
    return device::ConsumerInterface();
}
inline InterfaceSelector KeyStatusSelector()
{
    return device::KeyStatusInterface();
}

struct RecordedNotification {
    std::uint32_t kind = 0;
    std::uint32_t tag = 0;
    std::uint32_t length = 0;  // presence for a state change
    std::vector<std::uint8_t> bytes;
    std::thread::id thread;
};

// Everything that reaches Callback, for tests to wait on.
class NotificationRecorder {
public:
    static int Callback(const TolvexNotification* notification);
    static void Clear();
    // Waits until a recorded notification satisfies `match`; returns it (or a default one).
    static bool WaitFor(const std::function<bool(const RecordedNotification&)>& match,
        RecordedNotification* found = nullptr, std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    static std::vector<RecordedNotification> Snapshot();

private:
    static std::mutex mutex_;
    static std::condition_variable changed_;
    static std::vector<RecordedNotification> recorded_;
};

}  // namespace tavrin::testing
