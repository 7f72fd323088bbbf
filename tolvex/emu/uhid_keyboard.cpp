#include "uhid_keyboard.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uhid.h>
#include <memory>
#include <unistd.h>

namespace tolvex::emu {
namespace {

// clang-format off
constexpr std::uint8_t kControlDescriptor[] = {
    0x06, 0x1C, 0xFF,        // Usage Page (vendor 0xFF1C)
    0x09, 0x92,              // Usage (0x92)
    0xA1, 0x01,              // Collection (Application)
    0x85, 0x04,              //   Report ID (4)
    0x15, 0x00,              //   Logical Minimum (0)
    0x26, 0xFF, 0x00,        //   Logical Maximum (255)
    0x75, 0x08,              //   Report Size (8)
    0x95, 0x3F,              //   Report Count (63)
    0x09, 0x01,              //   Usage (1)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x09, 0x02,              //   Usage (2)
    0x91, 0x02,              //   Output (Data, Variable, Absolute)
    0xC0,                    // End Collection
};

constexpr std::uint8_t kConsumerDescriptor[] = {
    0x05, 0x0C,              // Usage Page (Consumer)
    0x09, 0x01,              // Usage (Consumer Control)
    0xA1, 0x01,              // Collection (Application)
    0x15, 0x00,              //   Logical Minimum (0)
    0x27, 0xFF, 0xFF, 0x00, 0x00, //   Logical Maximum (65535)
    0x19, 0x00,              //   Usage Minimum (0)
    0x2A, 0xFF, 0xFF,        //   Usage Maximum (65535)
    0x75, 0x10,              //   Report Size (16)
    0x95, 0x01,              //   Report Count (1)
    0x81, 0x00,              //   Input (Data, Array, Absolute)
    0xC0,                    // End Collection
};

constexpr std::uint8_t kKeyStatusDescriptor[] = {
    0x05, 0x08,              // Usage Page (LEDs)
    0x09, 0x89,              // Usage (0x89)
    0xA1, 0x01,              // Collection (Application)
    0x85, 0x05,              //   Report ID (5)
    0x15, 0x00,              //   Logical Minimum (0)
    0x26, 0xFF, 0x00,        //   Logical Maximum (255)
    0x75, 0x08,              //   Report Size (8)
    0x95, 0x01,              //   Report Count (1)
    0x09, 0x4B,              //   Usage (Generic Indicator)
    0x91, 0x02,              //   Output (Data, Variable, Absolute)
    0x09, 0x4B,              //   Usage (Generic Indicator)
    0xB1, 0x02,              //   Feature (Data, Variable, Absolute)
    0xC0,                    // End Collection
};
// clang-format on

constexpr const char* kDeviceNames[kKeyboardInterfaces] = {
    "Tolvex emulated keyboard (control)",
    "Tolvex emulated keyboard (consumer)",
    "Tolvex emulated keyboard (key status)",
};

std::size_t IndexOf(KeyboardInterface interface)
{
    return static_cast<std::size_t>(interface);
}

}  // namespace

std::span<const std::uint8_t> ReportDescriptor(KeyboardInterface interface)
{
    switch (interface) {
    case KeyboardInterface::Control:
        return kControlDescriptor;
    case KeyboardInterface::Consumer:
        return kConsumerDescriptor;
    case KeyboardInterface::KeyStatus:
        return kKeyStatusDescriptor;
    }
    return {};
}

int UhidKeyboard::OpenDevUhid()
{
    return ::open(kDevicePath, O_RDWR | O_CLOEXEC | O_NONBLOCK);
}

UhidKeyboard::UhidKeyboard(std::uint16_t vendorId, std::uint16_t productId, Opener opener)
    : vendorId_(vendorId)
    , productId_(productId)
    , opener_(std::move(opener))
{
}

UhidKeyboard::~UhidKeyboard()
{
    Destroy();
}

bool UhidKeyboard::Create(std::string& error)
{
    if (Created())
        return true;
    for (std::size_t index = 0; index < kKeyboardInterfaces; ++index) {
        const auto interface = static_cast<KeyboardInterface>(index);
        fds_[index] = opener_();
        if (fds_[index] < 0) {
            error = std::string(kDevicePath) + ": " + std::strerror(errno);
            Destroy();
            return false;
        }
        auto event = std::make_unique<uhid_event>();
        std::memset(event.get(), 0, sizeof *event);
        event->type = UHID_CREATE2;
        uhid_create2_req& create = event->u.create2;
        std::snprintf(reinterpret_cast<char*>(create.name), sizeof create.name, "%s", kDeviceNames[index]);
        std::snprintf(reinterpret_cast<char*>(create.phys), sizeof create.phys, "tolvex-emu/input%zu", index);
        const std::span<const std::uint8_t> descriptor = ReportDescriptor(interface);
        std::copy(descriptor.begin(), descriptor.end(), create.rd_data);
        create.rd_size = static_cast<std::uint16_t>(descriptor.size());
        // A USB bus, so that the device's name (0003:VVVV:PPPP.NNNN) is what rules for the real
        // keyboard match.
        create.bus = BUS_USB;
        create.vendor = vendorId_;
        create.product = productId_;
        create.version = 0x0100;
        if (!WriteEvent(interface, event.get(), sizeof *event)) {
            error = std::string(kDevicePath) + ": the kernel refused the device: " + std::strerror(errno);
            Destroy();
            return false;
        }
    }
    return true;
}

void UhidKeyboard::Destroy()
{
    for (int& fd : fds_) {
        if (fd < 0)
            continue;
        // Closing the file destroys the device; saying so first makes it explicit.
        uhid_event event{};
        event.type = UHID_DESTROY;
        [[maybe_unused]] const ssize_t written = ::write(fd, &event, sizeof event.type);
        ::close(fd);
        fd = -1;
    }
}

std::optional<UhidRequest> UhidKeyboard::Read(KeyboardInterface interface, bool& broken)
{
    broken = false;
    const int fd = fds_[IndexOf(interface)];
    if (fd < 0)
        return std::nullopt;
    auto event = std::make_unique<uhid_event>();
    ssize_t count;
    do
        count = ::read(fd, event.get(), sizeof *event);
    while (count < 0 && errno == EINTR);
    if (count < 0) {
        broken = errno != EAGAIN && errno != EWOULDBLOCK;
        return std::nullopt;
    }
    if (count < static_cast<ssize_t>(sizeof event->type)) {
        broken = true;
        return std::nullopt;
    }
    UhidRequest request;
    request.interface = interface;
    switch (event->type) {
    case UHID_OUTPUT: {
        const uhid_output_req& output = event->u.output;
        request.kind = UhidRequest::Kind::Output;
        const std::size_t size = std::min<std::size_t>(output.size, sizeof output.data);
        request.data.assign(output.data, output.data + size);
        break;
    }
    case UHID_GET_REPORT: {
        const uhid_get_report_req& get = event->u.get_report;
        request.id = get.id;
        request.reportNumber = get.rnum;
        // Only features are answered; an input report asked for is refused like a wrong one.
        request.kind = UhidRequest::Kind::GetFeature;
        if (get.rtype != UHID_FEATURE_REPORT)
            request.reportNumber = 0;
        break;
    }
    case UHID_SET_REPORT: {
        const uhid_set_report_req& set = event->u.set_report;
        request.kind = UhidRequest::Kind::SetFeature;
        request.id = set.id;
        request.reportNumber = set.rnum;
        const std::size_t size = std::min<std::size_t>(set.size, sizeof set.data);
        if (set.rtype == UHID_FEATURE_REPORT)
            request.data.assign(set.data, set.data + size);
        break;
    }
    default:
        request.kind = UhidRequest::Kind::Other;
        break;
    }
    return request;
}

bool UhidKeyboard::SendInput(KeyboardInterface interface, std::span<const std::uint8_t> report)
{
    uhid_event event{};
    event.type = UHID_INPUT2;
    const std::size_t size = std::min(report.size(), sizeof event.u.input2.data);
    event.u.input2.size = static_cast<std::uint16_t>(size);
    std::copy_n(report.begin(), size, event.u.input2.data);
    return WriteEvent(interface, &event, offsetof(uhid_event, u.input2.data) + size);
}

bool UhidKeyboard::ReplyGetFeature(
    KeyboardInterface interface, std::uint32_t id, std::uint16_t error, std::span<const std::uint8_t> report)
{
    uhid_event event{};
    event.type = UHID_GET_REPORT_REPLY;
    event.u.get_report_reply.id = id;
    event.u.get_report_reply.err = error;
    const std::size_t size = error == 0 ? std::min(report.size(), sizeof event.u.get_report_reply.data) : 0;
    event.u.get_report_reply.size = static_cast<std::uint16_t>(size);
    std::copy_n(report.begin(), size, event.u.get_report_reply.data);
    return WriteEvent(interface, &event, offsetof(uhid_event, u.get_report_reply.data) + size);
}

bool UhidKeyboard::ReplySetFeature(KeyboardInterface interface, std::uint32_t id, std::uint16_t error)
{
    uhid_event event{};
    event.type = UHID_SET_REPORT_REPLY;
    event.u.set_report_reply.id = id;
    event.u.set_report_reply.err = error;
    return WriteEvent(interface, &event, sizeof event.type + sizeof event.u.set_report_reply);
}

bool UhidKeyboard::WriteEvent(KeyboardInterface interface, const void* event, std::size_t size)
{
    const int fd = fds_[IndexOf(interface)];
    if (fd < 0)
        return false;
    ssize_t written;
    do
        written = ::write(fd, event, size);
    while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(size);
}

}  // namespace tolvex::emu
