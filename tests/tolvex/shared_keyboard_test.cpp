// One emulated keyboard shared by several hosts: every reply reaches every device client, as an
// input report reaches every open hidraw handle, and the bracket log tells whose requests fell
// inside whose begin…end.
#include <chrono>
#include <memory>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "bracket_log.h"
#include "emulator_server.h"
#include "support/temporary_folder.h"
#include "tolvex/tolvex.h"
#include "unix_socket.h"

namespace tolvex::emu {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Report Request(Opcode command, std::uint8_t length = 0, std::uint16_t address = 0)
{
    Report request{};
    request[kAtReportId] = kControlReportId;
    request[kAtCommand] = static_cast<std::uint8_t>(command);
    request[kAtLength] = length;
    request[kAtAddress] = static_cast<std::uint8_t>(address);
    request[kAtAddress + 1] = static_cast<std::uint8_t>(address >> 8);
    SealReport(request);
    return request;
}

TEST(BracketLog, CountsWhatFallsInsideWhoseBracket)
{
    constexpr std::uint64_t A = 1, B = 2, kUnplug = 0;
    enum Kind { Begin, End, Write, Read, BadBegin, Unplug };
    struct Step {
        std::uint64_t client;
        Kind kind;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        BracketCounts expected;
        bool openAfter;
    };
    const Case cases[] = {
        {"one client's change, then the profile read's lone end",
            {{A, Begin}, {A, Write}, {A, Write}, {A, End}, {A, Read}, {A, End}}, {1, 2, 0, 0, 1}, false},
        {"a write from another client inside the bracket", {{A, Begin}, {B, Write}, {A, End}}, {1, 1, 0, 1, 0}, false},
        {"a begin from another client is nested and foreign, and its end closes the bracket",
            {{A, Begin}, {B, Begin}, {B, Write}, {B, End}, {A, End}}, {2, 2, 1, 3, 1}, false},
        {"one client's own begin twice is nested, not foreign", {{A, Begin}, {A, Begin}, {A, End}}, {2, 1, 1, 0, 0},
            false},
        {"another client's reads and brackets after the end are nothing foreign",
            {{A, Begin}, {A, End}, {B, Read}, {B, Begin}, {B, End}}, {2, 2, 0, 0, 0}, false},
        {"a begin with a wrong sum opens nothing but is a foreign request",
            {{A, Begin}, {B, BadBegin}, {A, End}, {B, BadBegin}, {A, Write}}, {1, 1, 0, 1, 0}, false},
        {"an unplug closes the bracket without counting", {{A, Begin}, {kUnplug, Unplug}, {B, Write}, {B, End}},
            {1, 1, 0, 0, 1}, false},
        {"a bracket left open stays open", {{A, Begin}, {A, Write}}, {1, 0, 0, 0, 0}, true},
    };
    for (const Case& test : cases) {
        BracketLog log;
        for (const Step& step : test.steps) {
            Report request;
            switch (step.kind) {
            case Begin:
                request = Request(Opcode::Begin);
                break;
            case End:
                request = Request(Opcode::End);
                break;
            case Write:
                request = Request(Opcode::WriteSettings, 35, 0);
                break;
            case Read:
                request = Request(Opcode::ReadSettings, 35, 0);
                break;
            case BadBegin:
                request = Request(Opcode::Begin);
                request[kAtSum] ^= 1;
                break;
            case Unplug:
                log.Unplugged();
                continue;
            }
            log.Note(step.client, request);
        }
        EXPECT_EQ(log.Counts(), test.expected) << test.name << ": " << log.Describe();
        EXPECT_EQ(log.OpenedBy().has_value(), test.openAfter) << test.name;
    }
}

TEST(BracketLog, DescribesItselfAndResetsItsCountsButNotAnOpenBracket)
{
    BracketLog log;
    log.Note(1, Request(Opcode::End));
    log.Note(1, Request(Opcode::Begin));
    log.Note(2, Request(Opcode::Begin));
    EXPECT_EQ(
        log.Describe(), "begins 2, ends 1, nested begins 1, foreign requests 1, ends outside a bracket 1, open yes");
    log.ResetCounts();
    EXPECT_EQ(log.Counts(), BracketCounts{});
    log.Note(2, Request(Opcode::ReadInfo));
    EXPECT_EQ(log.Counts().foreignRequests, 1u) << "client 1's bracket is still open";
}

// A host on the emulator's socket, as libTolvex's emulator back end is one.
class DeviceClient {
public:
    explicit DeviceClient(const std::string& socketPath, Role role = Role::Device)
        : fd_(ConnectUnixSocket(socketPath))
    {
        Bytes hello;
        PutU32(hello, kProtocolVersion);
        PutU32(hello, static_cast<std::uint32_t>(role));
        WriteAll(fd_, EncodeFrame(MessageType::Hello, 0, hello));
    }
    ~DeviceClient() { CloseQuietly(fd_); }
    DeviceClient(const DeviceClient&) = delete;
    DeviceClient& operator=(const DeviceClient&) = delete;

    bool Send(const Report& request)
    {
        Bytes payload;
        PutU16(payload, TOLVEX_CONTROL_USAGE_PAGE);
        PutU16(payload, TOLVEX_CONTROL_USAGE);
        payload.insert(payload.end(), request.begin(), request.end());
        return WriteAll(fd_, EncodeFrame(MessageType::Write, ++sequence_, payload));
    }

    // A ctl command line's answer (a control client's only request).
    std::string Command(const std::string& line)
    {
        WriteAll(fd_, EncodeFrame(MessageType::Control, ++sequence_, Bytes(line.begin(), line.end())));
        const auto result = Next(MessageType::Result, 2000ms);
        return result && result->payload.size() >= 4 ? std::string(result->payload.begin() + 4, result->payload.end())
                                                     : std::string();
    }

    // The next frame of this type within the time; other frames are passed over.
    std::optional<FrameReader::Frame> Next(MessageType type, std::chrono::milliseconds timeout)
    {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            bool broken = false;
            while (auto frame = frames_.Next(broken))
                if (frame->type == type)
                    return frame;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd waiter{fd_, POLLIN, 0};
            if (broken || left.count() <= 0 || ::poll(&waiter, 1, static_cast<int>(left.count())) != 1)
                return std::nullopt;
            std::uint8_t chunk[4096];
            const ssize_t count = ::read(fd_, chunk, sizeof chunk);
            if (count <= 0)
                return std::nullopt;
            frames_.Append({chunk, static_cast<std::size_t>(count)});
        }
    }

    // The next control report the keyboard sent, without the usage prefix.
    std::optional<Bytes> NextReport(std::chrono::milliseconds timeout)
    {
        auto frame = Next(MessageType::Input, timeout);
        if (!frame || frame->payload.size() < 4)
            return std::nullopt;
        return Bytes(frame->payload.begin() + 4, frame->payload.end());
    }

private:
    int fd_;
    std::uint32_t sequence_ = 0;
    FrameReader frames_;
};

class SharedKeyboard {
public:
    explicit SharedKeyboard(std::chrono::microseconds latency)
    {
        ServerOptions options;
        options.socketPath = folder_.File("emu.sock");
        options.replyLatency = latency;
        server_ = std::make_unique<EmulatorServer>(options, Firmware(FactoryMemory()));
        std::string error;
        opened_ = server_->Open(error);
        EXPECT_TRUE(opened_) << error;
        EXPECT_EQ(::pipe(stop_), 0);
        if (opened_)
            thread_ = std::thread([this] { server_->Run(stop_[0]); });
    }
    ~SharedKeyboard()
    {
        if (thread_.joinable()) {
            EXPECT_EQ(::write(stop_[1], "x", 1), 1);
            thread_.join();
        }
        ::close(stop_[0]);
        ::close(stop_[1]);
    }
    SharedKeyboard(const SharedKeyboard&) = delete;
    SharedKeyboard& operator=(const SharedKeyboard&) = delete;

    // A connected host that has been told the keyboard's interfaces.
    std::unique_ptr<DeviceClient> Connect()
    {
        auto client = std::make_unique<DeviceClient>(folder_.File("emu.sock"));
        EXPECT_TRUE(client->Next(MessageType::Interfaces, 2000ms));
        return client;
    }
    std::string Control(const std::string& line)
    {
        return DeviceClient(folder_.File("emu.sock"), Role::Control).Command(line);
    }

private:
    tavrin::testing::TemporaryFolder folder_;
    std::unique_ptr<EmulatorServer> server_;
    bool opened_ = false;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

TEST(SharedKeyboardReplies, EveryDeviceClientGetsEachReplyOnceWithFaultsAndLatencyAppliedOnce)
{
    struct Case {
        const char* name;
        std::chrono::microseconds latency;
        const char* fault;  // a ctl command, or nothing
        bool replied;
        std::chrono::milliseconds noSooner;
    };
    const Case cases[] = {
        {"at once", 0us, nullptr, true, 0ms},
        {"with latency", 30000us, nullptr, true, 30ms},
        {"a dropped reply", 0us, "fault drop 1", false, 0ms},
        {"a dropped reply with latency", 20000us, "fault drop 1", false, 0ms},
        {"a delayed reply", 0us, "fault delay 30000 1", true, 30ms},
        {"a wrong echo", 0us, "fault echo 1", true, 0ms},
    };
    for (const Case& test : cases) {
        SharedKeyboard keyboard(test.latency);
        auto asker = keyboard.Connect();
        auto other = keyboard.Connect();
        if (test.fault) {
            ASSERT_NE(keyboard.Control(test.fault).find("faults: "), std::string::npos) << test.name;
        }
        const auto sent = Clock::now();
        ASSERT_TRUE(asker->Send(Request(Opcode::ReadSettings, 35, 0))) << test.name;
        const auto toAsker = asker->NextReport(test.replied ? 2000ms : 150ms);
        const auto toOther = other->NextReport(test.replied ? 2000ms : 50ms);
        const auto took = Clock::now() - sent;
        EXPECT_EQ(toAsker.has_value(), test.replied) << test.name;
        EXPECT_EQ(toOther.has_value(), test.replied) << test.name;
        EXPECT_EQ(toAsker, toOther) << test.name << ": the same report, faults and all";
        if (test.replied) {
            EXPECT_GE(took, test.noSooner) << test.name;
        }

        // The next request is answered normally, to both, and each report came once.
        ASSERT_TRUE(other->Send(Request(Opcode::ReadInfo, 56, 0))) << test.name;
        const auto info = other->NextReport(2000ms);
        ASSERT_TRUE(info) << test.name;
        EXPECT_EQ((*info)[kAtCommand], static_cast<std::uint8_t>(Opcode::ReadInfo)) << test.name;
        EXPECT_EQ(asker->NextReport(2000ms), info) << test.name;
    }
}

}  // namespace
}  // namespace tolvex::emu
