// The emulated keyboard as the kernel sees a USB keyboard: three HID devices made through
// /dev/uhid, one for each of the keyboard's interfaces, each with its own report descriptor.
//
//   control     usage page 0xFF1C, usage 0x92; report 4: 63 bytes in, 63 bytes out
//   consumer    usage page 0x000C, usage 0x01; unnumbered: one 16-bit code in
//   key status  usage page 0x0008, usage 0x89; report 5: one byte out and one byte feature
//
// Each device is one open file of /dev/uhid; closing it removes the device, which the kernel and
// every program holding its hidraw node see as an unplug.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvex::emu {

enum class KeyboardInterface : std::uint8_t { Control, Consumer, KeyStatus };
inline constexpr std::size_t kKeyboardInterfaces = 3;

// The report descriptor the kernel gets for the interface.
std::span<const std::uint8_t> ReportDescriptor(KeyboardInterface interface);

// What the kernel asked of one of the devices.
struct UhidRequest {
    enum class Kind {
        Output,      // a report written to the device (hidraw write); `data` starts with its id
        GetFeature,  // answer with ReplyGetFeature and `id`
        SetFeature,  // answer with ReplySetFeature and `id`; `data` starts with the report id
        Other,       // start, stop, open, close: nothing to answer
    };
    Kind kind = Kind::Other;
    KeyboardInterface interface = KeyboardInterface::Control;
    std::uint32_t id = 0;
    std::uint8_t reportNumber = 0;
    std::vector<std::uint8_t> data;
};

class UhidKeyboard {
public:
    // Opens one file that speaks the uhid protocol (one device each); -1 with errno on failure.
    using Opener = std::function<int()>;

    static constexpr const char* kDevicePath = "/dev/uhid";
    // Opens /dev/uhid for reading and writing, non-blocking.
    static int OpenDevUhid();

    UhidKeyboard(std::uint16_t vendorId, std::uint16_t productId, Opener opener = OpenDevUhid);
    ~UhidKeyboard();
    UhidKeyboard(const UhidKeyboard&) = delete;
    UhidKeyboard& operator=(const UhidKeyboard&) = delete;

    // Makes the three devices; on failure none is left and `error` says why.
    bool Create(std::string& error);
    // Removes them (a no-op when there are none).
    void Destroy();
    bool Created() const { return fds_[0] >= 0; }

    // The files to poll for readability while created, in interface order; -1 when not created.
    const std::array<int, kKeyboardInterfaces>& Files() const { return fds_; }

    // Takes one event from the interface's file; nothing when none was waiting. A file that fails
    // sets `broken`.
    std::optional<UhidRequest> Read(KeyboardInterface interface, bool& broken);

    // Sends an input report through the kernel to every reader of the device's hidraw node.
    bool SendInput(KeyboardInterface interface, std::span<const std::uint8_t> report);
    // `error` 0 with the report (its id first), or an errno value (EIO) to refuse it.
    bool ReplyGetFeature(
        KeyboardInterface interface, std::uint32_t id, std::uint16_t error, std::span<const std::uint8_t> report);
    bool ReplySetFeature(KeyboardInterface interface, std::uint32_t id, std::uint16_t error);

private:
    bool WriteEvent(KeyboardInterface interface, const void* event, std::size_t size);

    const std::uint16_t vendorId_;
    const std::uint16_t productId_;
    const Opener opener_;
    std::array<int, kKeyboardInterfaces> fds_{-1, -1, -1};
};

}  // namespace tolvex::emu
