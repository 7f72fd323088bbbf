#include "device/notification_dispatch.h"

#include <atomic>

namespace tavrin::device {
namespace {

std::atomic<DeviceLink*> replyLink{nullptr};
std::atomic<DeviceEventSink*> eventSink{nullptr};

}  // namespace

void InstallNotificationTargets(DeviceLink* link, DeviceEventSink* sink)
{
    replyLink = link;
    eventSink = sink;
}

int NotificationCallback(const TolvexNotification* notification)
{
    const TolvexRequestRecord* request = notification ? notification->request : nullptr;
    if (!request)
        return 1;
    if (notification->kind == TOLVEX_NOTIFY_DATA && request->tag == TOLVEX_TAG_CONTROL) {
        if (DeviceLink* link = replyLink.load())
            link->OnControlReport(request->length, request->data);
    } else if (notification->kind == TOLVEX_NOTIFY_DATA && request->tag == TOLVEX_TAG_CONSUMER) {
        const TolvexBufferRecord* buffer = request->buffer;
        if (buffer && buffer->received && buffer->receivedLength >= 2)
            if (DeviceEventSink* sink = eventSink.load())
                sink->OnConsumerCode(static_cast<std::uint16_t>(buffer->received[0] | buffer->received[1] << 8));
    } else if (notification->kind == TOLVEX_NOTIFY_STATE && request->tag == TOLVEX_TAG_CONTROL) {
        if (DeviceEventSink* sink = eventSink.load())
            sink->OnPresenceNotification(request->length);
    }
    return 1;
}

}  // namespace tavrin::device
