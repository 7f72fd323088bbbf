// Stand-ins for libTolvex.so that fail the way a broken installation would: built once without
// one export, once with an Init that refuses.
#include "tolvex/tolvex.h"

extern "C" {

TOLVEX_EXPORT int Debug(int)
{
    return 0;
}
TOLVEX_EXPORT int Init(int)
{
    return TAVRIN_FAKE_INIT_RESULT;
}
TOLVEX_EXPORT int End(void)
{
    return 1;
}
TOLVEX_EXPORT int RequestGetDeviceCount(const InterfaceSelector*, TolvexCallback, uint32_t, uint32_t, uint32_t*)
{
    return 0;
}
TOLVEX_EXPORT int DeleteRequestFromUnitId(uint32_t)
{
    return 0;
}
TOLVEX_EXPORT int DeleteRequestFromHandle(const TolvexRequestRecord*)
{
    return 0;
}
TOLVEX_EXPORT int RequestWrite(
    const InterfaceSelector*, TolvexCallback, uint32_t, const uint8_t*, uint32_t, uint32_t, uint32_t*)
{
    return 0;
}
TOLVEX_EXPORT int RequestWriteOne(
    const InterfaceSelector*, TolvexCallback, uint32_t, const uint8_t*, uint32_t, uint32_t, uint32_t*)
{
    return 0;
}
TOLVEX_EXPORT int RequestStatusWrite(
    const InterfaceSelector*, TolvexCallback, uint32_t, const uint8_t*, uint32_t, uint32_t, uint32_t*)
{
    return 0;
}
TOLVEX_EXPORT int RequestStatusGet(
    const InterfaceSelector*, TolvexCallback, uint32_t, uint8_t*, uint32_t, uint32_t, uint32_t*)
{
    return 0;
}
TOLVEX_EXPORT int RequestAsyncRead(const InterfaceSelector*, TolvexCallback, uint32_t, uint32_t, uint32_t*)
{
    return 0;
}
#if TAVRIN_FAKE_ALL_EXPORTS
TOLVEX_EXPORT int RequestStatusSetFeature(
    const InterfaceSelector*, TolvexCallback, uint32_t, const uint8_t*, uint32_t, uint32_t, uint32_t*)
{
    return 0;
}
#endif
}
