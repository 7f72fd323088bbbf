// The framing between libTolvex's emulator back end and tolvex-emu, over a Unix stream socket.
//
// Every message is a 12-byte header followed by `length` payload bytes; all numbers are
// little-endian. A peer that sends a header with an unknown version of the framing, a length above
// kMaxPayload or a message it may not send is disconnected.
//
//   client -> emulator                         emulator -> client
//   Hello       u32 version, u32 role          Result     i32 value, then bytes (answers `sequence`)
//   Write       u16 page, u16 usage, report    Interfaces u32 n, n x (u16 vid, pid, page, usage)
//   FeatureGet  u16 page, u16 usage, u8 id,    Input      u16 page, u16 usage, report
//               u16 length
//   FeatureSet  u16 page, u16 usage, report
//   Control     a command line (text)          -> Result whose bytes are the answer text
//
// A device client (role 1) receives Interfaces right after Hello and whenever the keyboard is
// plugged or unplugged, and Input for every report the keyboard sends: the reply to every control
// request, whichever device client (or, with uhid, the kernel) sent it, as hidraw hands an input
// report to every open handle; and consumer reports. A control client (role 2) only sends Control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvex::emu {

inline constexpr std::uint32_t kProtocolVersion = 1;
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::uint32_t kMaxPayload = 256 * 1024;  // room for a dump of the whole memory

enum class MessageType : std::uint16_t {
    Hello = 1,
    Write = 2,
    FeatureGet = 3,
    FeatureSet = 4,
    Control = 6,
    Result = 16,
    Interfaces = 17,
    Input = 18,
};

enum class Role : std::uint32_t { Device = 1, Control = 2 };

struct FrameHeader {
    std::uint32_t length;
    std::uint16_t type;
    std::uint16_t reserved;
    std::uint32_t sequence;
};
static_assert(sizeof(FrameHeader) == kHeaderSize);
static_assert(offsetof(FrameHeader, length) == 0);
static_assert(offsetof(FrameHeader, type) == 4);
static_assert(offsetof(FrameHeader, reserved) == 6);
static_assert(offsetof(FrameHeader, sequence) == 8);

struct InterfaceInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    bool operator==(const InterfaceInfo&) const = default;
};

inline void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline std::uint16_t GetU16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline std::uint32_t GetU32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8)
        | (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

inline std::vector<std::uint8_t> EncodeFrame(
    MessageType type, std::uint32_t sequence, std::span<const std::uint8_t> payload)
{
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + payload.size());
    PutU32(out, static_cast<std::uint32_t>(payload.size()));
    PutU16(out, static_cast<std::uint16_t>(type));
    PutU16(out, 0);
    PutU32(out, sequence);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

inline FrameHeader DecodeHeader(const std::uint8_t* bytes)
{
    return FrameHeader{GetU32(bytes), GetU16(bytes + 4), GetU16(bytes + 6), GetU32(bytes + 8)};
}

// Collects bytes from a stream and cuts them into frames; reports a broken stream (a length above
// the limit) so that the caller can drop the peer.
class FrameReader {
public:
    struct Frame {
        MessageType type;
        std::uint32_t sequence;
        std::vector<std::uint8_t> payload;
    };

    void Append(std::span<const std::uint8_t> bytes) { buffer_.insert(buffer_.end(), bytes.begin(), bytes.end()); }

    // The next whole frame, if one has arrived. Sets `broken` on a frame that cannot be valid.
    std::optional<Frame> Next(bool& broken)
    {
        broken = false;
        if (buffer_.size() - consumed_ < kHeaderSize) {
            Compact();
            return std::nullopt;
        }
        const FrameHeader header = DecodeHeader(buffer_.data() + consumed_);
        if (header.length > kMaxPayload || header.reserved != 0) {
            broken = true;
            return std::nullopt;
        }
        if (buffer_.size() - consumed_ < kHeaderSize + header.length) {
            Compact();
            return std::nullopt;
        }
        const auto* start = buffer_.data() + consumed_ + kHeaderSize;
        Frame frame{static_cast<MessageType>(header.type), header.sequence,
            std::vector<std::uint8_t>(start, start + header.length)};
        consumed_ += kHeaderSize + header.length;
        return frame;
    }

private:
    void Compact()
    {
        if (consumed_ > 0) {
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(consumed_));
            consumed_ = 0;
        }
    }

    std::vector<std::uint8_t> buffer_;
    std::size_t consumed_ = 0;
};

inline std::vector<std::uint8_t> EncodeInterfaces(std::span<const InterfaceInfo> interfaces)
{
    std::vector<std::uint8_t> out;
    PutU32(out, static_cast<std::uint32_t>(interfaces.size()));
    for (const InterfaceInfo& info : interfaces) {
        PutU16(out, info.vendorId);
        PutU16(out, info.productId);
        PutU16(out, info.usagePage);
        PutU16(out, info.usage);
    }
    return out;
}

inline std::optional<std::vector<InterfaceInfo>> DecodeInterfaces(std::span<const std::uint8_t> payload)
{
    if (payload.size() < 4)
        return std::nullopt;
    const std::uint32_t count = GetU32(payload.data());
    if (count > 64 || payload.size() != 4 + std::size_t{count} * 8)
        return std::nullopt;
    std::vector<InterfaceInfo> interfaces;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = payload.data() + 4 + i * 8;
        interfaces.push_back({GetU16(entry), GetU16(entry + 2), GetU16(entry + 4), GetU16(entry + 6)});
    }
    return interfaces;
}

}  // namespace tolvex::emu
