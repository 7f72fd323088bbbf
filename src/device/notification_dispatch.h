// The one callback the program gives the service library. It runs on a library thread and only
// hands things on: replies to the waiting transaction, keyboard codes and presence changes to the
// program's event sink.
#pragma once

#include <cstdint>

#include "device/device_link.h"

namespace tavrin::device {

class DeviceEventSink {
public:
    virtual ~DeviceEventSink() = default;
    // The number of keyboards on the control interface changed. Must not block.
    virtual void OnPresenceNotification(std::uint32_t presence) = 0;
    // A code the keyboard sent on its own (bank key, profile or lighting change, play state).
    virtual void OnConsumerCode(std::uint16_t code) = 0;
};

// Where NotificationCallback sends things; either may be null (then that kind is dropped). Returns
// only when no call of the callback is still using the targets it replaces, so that they may be
// destroyed at once. Must not be called from inside the callback, and the sink must not wait for
// the thread that detaches it.
void InstallNotificationTargets(DeviceLink* link, DeviceEventSink* sink);

// Data from the control interface completes the reply of the waiting transaction; data from the
// consumer interface carries a 16-bit little-endian code; a state change on the control interface
// reports the presence. Everything else is ignored. Always returns 1.
int NotificationCallback(const TolvexNotification* notification);

}  // namespace tavrin::device
