// What every device operation returns. Callers test for kDeviceOk.
#pragma once

namespace tavrin::device {

inline constexpr int kDeviceOk = 1;
inline constexpr int kDeviceAbsent = 0;          // no keyboard on the control interface, or the wait failed
inline constexpr int kDeviceRefused = -1;        // the service library refused to send
inline constexpr int kDeviceNoReply = -2;        // no usable reply after three attempts
inline constexpr int kDeviceStatusError = -102;  // the reply's status was 0xFF
inline constexpr int kDeviceStatusRange = -103;  // the reply's status was 0xFE
inline constexpr int kDeviceBadBank = -201;      // key map bank out of range
inline constexpr int kDeviceBusy = -301;         // another thread or program kept the keyboard too long

}  // namespace tavrin::device
