#include "device/notification_dispatch.h"

#include <condition_variable>
#include <mutex>

namespace tavrin::device {
namespace {

// The targets and the calls that use them: a call takes the targets and counts itself in; a change
// of targets waits until every call that may hold the old ones has counted itself out.
struct Targets {
    std::mutex mutex;
    std::condition_variable idle;
    DeviceLink* link = nullptr;
    DeviceEventSink* sink = nullptr;
    int callsInFlight = 0;
};

Targets& CurrentTargets()
{
    static Targets targets;
    return targets;
}

class CallInFlight {
public:
    CallInFlight()
        : targets_(CurrentTargets())
    {
        std::lock_guard lock(targets_.mutex);
        ++targets_.callsInFlight;
        link = targets_.link;
        sink = targets_.sink;
    }
    ~CallInFlight()
    {
        {
            std::lock_guard lock(targets_.mutex);
            --targets_.callsInFlight;
        }
        targets_.idle.notify_all();
    }
    CallInFlight(const CallInFlight&) = delete;
    CallInFlight& operator=(const CallInFlight&) = delete;

    DeviceLink* link;
    DeviceEventSink* sink;

private:
    Targets& targets_;
};

}  // namespace

void InstallNotificationTargets(DeviceLink* link, DeviceEventSink* sink)
{
    Targets& targets = CurrentTargets();
    std::unique_lock lock(targets.mutex);
    targets.link = link;
    targets.sink = sink;
    targets.idle.wait(lock, [&targets] { return targets.callsInFlight == 0; });
}

int NotificationCallback(const TolvexNotification* notification)
{
    const TolvexRequestRecord* request = notification ? notification->request : nullptr;
    if (!request)
        return 1;
    const CallInFlight call;
    if (notification->kind == TOLVEX_NOTIFY_DATA && request->tag == TOLVEX_TAG_CONTROL) {
        if (call.link)
            call.link->OnControlReport(request->length, request->data);
    } else if (notification->kind == TOLVEX_NOTIFY_DATA && request->tag == TOLVEX_TAG_CONSUMER) {
        const TolvexBufferRecord* buffer = request->buffer;
        if (buffer && buffer->received && buffer->receivedLength >= 2 && call.sink)
            call.sink->OnConsumerCode(static_cast<std::uint16_t>(buffer->received[0] | buffer->received[1] << 8));
    } else if (notification->kind == TOLVEX_NOTIFY_STATE && request->tag == TOLVEX_TAG_CONTROL) {
        if (call.sink)
            call.sink->OnPresenceNotification(request->length);
    }
    return 1;
}

}  // namespace tavrin::device
