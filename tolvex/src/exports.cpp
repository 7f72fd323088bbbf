// The twelve C exports of libTolvex.so, each a thin call into the process-wide service.
#include <cstdlib>

#include "service.h"

namespace {

// tolvex-emu when TOLVEX_EMULATOR names its socket, the keyboards on hidraw otherwise.
std::unique_ptr<tolvex::Backend> MakeBackendFromEnvironment()
{
    const char* socketPath = std::getenv("TOLVEX_EMULATOR");
    if (socketPath && *socketPath)
        return tolvex::MakeEmulatorBackend(socketPath);
    return tolvex::MakeHidrawBackend();
}

tolvex::Service& TheService()
{
    // Never destroyed: at process exit its threads may still be inside a caller's callback.
    static auto* service = new tolvex::Service(MakeBackendFromEnvironment);
    return *service;
}

}  // namespace

extern "C" {

TOLVEX_EXPORT int Debug(int level)
{
    return TheService().Debug(level);
}

TOLVEX_EXPORT int Init(int /*flags*/)
{
    return TheService().Init();
}

TOLVEX_EXPORT int End(void)
{
    return TheService().End();
}

TOLVEX_EXPORT int RequestGetDeviceCount(
    const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag, uint32_t key, uint32_t* handleOut)
{
    if (handleOut)
        *handleOut = 0;
    return TheService().GetDeviceCount(selector, callback, tag, key);
}

TOLVEX_EXPORT int DeleteRequestFromUnitId(uint32_t handle)
{
    return TheService().DeleteByHandle(handle);
}

TOLVEX_EXPORT int DeleteRequestFromHandle(const TolvexRequestRecord* request)
{
    return TheService().DeleteByRecord(request);
}

TOLVEX_EXPORT int RequestWrite(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    const uint8_t* data, uint32_t length, uint32_t key, uint32_t* handleOut)
{
    if (handleOut)
        *handleOut = 0;
    return TheService().Write(selector, callback, tag, data, length, key);
}

TOLVEX_EXPORT int RequestWriteOne(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    const uint8_t* data, uint32_t length, uint32_t key, uint32_t* handleOut)
{
    if (handleOut)
        *handleOut = 0;
    return TheService().WriteOne(selector, callback, tag, data, length, key);
}

TOLVEX_EXPORT int RequestStatusWrite(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    const uint8_t* data, uint32_t length, uint32_t key, uint32_t* handleOut)
{
    return TheService().StatusWrite(selector, callback, tag, data, length, key, handleOut);
}

TOLVEX_EXPORT int RequestStatusGet(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    uint8_t* buffer, uint32_t length, uint32_t key, uint32_t* handleOut)
{
    if (handleOut)
        *handleOut = 0;
    return TheService().StatusGet(selector, callback, tag, buffer, length, key);
}

TOLVEX_EXPORT int RequestAsyncRead(
    const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag, uint32_t key, uint32_t* handleOut)
{
    return TheService().AsyncRead(selector, callback, tag, key, handleOut);
}

TOLVEX_EXPORT int RequestStatusSetFeature(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    const uint8_t* data, uint32_t length, uint32_t key, uint32_t* handleOut)
{
    if (handleOut)
        *handleOut = 0;
    return TheService().SetFeature(selector, callback, tag, data, length, key);
}

}  // extern "C"
