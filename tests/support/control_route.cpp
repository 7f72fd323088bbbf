#include "support/control_route.h"

#include <atomic>

namespace tavrin::testing {
namespace {

std::atomic<device::DeviceLink*> routedLink{nullptr};

}  // namespace

void RouteControlRepliesTo(device::DeviceLink* link)
{
    routedLink = link;
}

int RouteControlReplies(const TolvexNotification* notification)
{
    const TolvexRequestRecord* request = notification->request;
    if (notification->kind == TOLVEX_NOTIFY_DATA && request && request->tag == TOLVEX_TAG_CONTROL)
        if (device::DeviceLink* link = routedLink.load())
            link->OnControlReport(request->length, request->data);
    return 1;
}

std::uint32_t RegisterControlRoute(device::DeviceService& service)
{
    const InterfaceSelector control = device::ControlInterface();
    std::uint32_t handle = 0;
    service.RequestAsyncRead(&control, RouteControlReplies, TOLVEX_TAG_CONTROL,
        TolvexRequestKey(&control, RouteControlReplies, TOLVEX_TAG_CONTROL, nullptr, 0), &handle);
    return handle;
}

}  // namespace tavrin::testing
