// The calls of the device service library that the program makes, behind an interface so that
// tests can put a fake keyboard behind them. The real one is bound from libTolvex.so.
#pragma once

#include <cstdint>

#include "tolvex/tolvex.h"

namespace tavrin::device {

class DeviceService {
public:
    virtual ~DeviceService() = default;

    virtual int Init(int flags) = 0;
    virtual int End() = 0;
    virtual int RequestGetDeviceCount(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        std::uint32_t key, std::uint32_t* handleOut)
        = 0;
    virtual int DeleteRequestFromUnitId(std::uint32_t handle) = 0;
    virtual int RequestWriteOne(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        const std::uint8_t* data, std::uint32_t length, std::uint32_t key, std::uint32_t* handleOut)
        = 0;
    virtual int RequestStatusWrite(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        const std::uint8_t* data, std::uint32_t length, std::uint32_t key, std::uint32_t* handleOut)
        = 0;
    virtual int RequestAsyncRead(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        std::uint32_t key, std::uint32_t* handleOut)
        = 0;
};

// The keyboard's three interfaces as the program addresses them.
InterfaceSelector ControlInterface();
InterfaceSelector ConsumerInterface();
InterfaceSelector KeyStatusInterface();

}  // namespace tavrin::device
