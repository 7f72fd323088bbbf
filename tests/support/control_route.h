// Hands the control interface's reports from the library's callback to one device link, the way
// the program's notification callback does, for tests and benchmarks that run the link alone.
#pragma once

#include "device/device_link.h"

namespace tavrin::testing {

void RouteControlRepliesTo(device::DeviceLink* link);
int RouteControlReplies(const TolvexNotification* notification);

// Registers RouteControlReplies for the control interface; returns the registration handle.
std::uint32_t RegisterControlRoute(device::DeviceService& service);

}  // namespace tavrin::testing
