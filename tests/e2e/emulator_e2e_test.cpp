// The real libTolvex.so against a real tolvex-emu process.
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "device/device_memory.h"
#include "device/device_report.h"
#include "lighting/lighting_defaults.h"
#include "model/default_key_block.h"
#include "support/child_process.h"
#include "support/emulator_process.h"
#include "support/temporary_folder.h"
#include "support/tolvex_library.h"

namespace tavrin::testing {
namespace {

using namespace std::chrono_literals;
using namespace tavrin::device;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kReplyWindow = 300ms;

class EmulatorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = TolvexLibrary::Load();
        ASSERT_TRUE(library_.Complete());
        ASSERT_TRUE(emulator_.Start(StartOptions())) << "tolvex-emu did not start";
        ::setenv("TOLVEX_EMULATOR", emulator_.SocketPath().c_str(), 1);
        NotificationRecorder::Clear();
        ASSERT_EQ(library_.Init(0), 1);
        control_ = Register(ControlSelector(), TOLVEX_TAG_CONTROL);
        consumer_ = Register(ConsumerSelector(), TOLVEX_TAG_CONSUMER);
    }

    void TearDown() override
    {
        if (library_.End)
            library_.End();
        ::unsetenv("TOLVEX_EMULATOR");
    }

    virtual std::vector<std::string> StartOptions() { return {}; }

    std::uint32_t Register(const InterfaceSelector& selector, std::uint32_t tag)
    {
        std::uint32_t handle = 0;
        const auto key = TolvexRequestKey(&selector, NotificationRecorder::Callback, tag, nullptr, 0);
        EXPECT_EQ(library_.RequestAsyncRead(&selector, NotificationRecorder::Callback, tag, key, &handle), 1);
        return handle;
    }

    int DeviceCount()
    {
        const InterfaceSelector control = ControlSelector();
        return library_.RequestGetDeviceCount(
            &control, nullptr, 0, TolvexRequestKey(&control, nullptr, 0, nullptr, 0), nullptr);
    }

    static DeviceReport Request(
        std::uint8_t command, std::uint8_t length, std::uint16_t address, std::span<const std::uint8_t> payload = {})
    {
        DeviceReport report{};
        report.reportId = kReportId;
        report.command = command;
        report.length = length;
        report.SetAddress(address);
        std::copy(payload.begin(), payload.end(), report.payload);
        ComputeReportChecksum(ReportBytes(report));
        return report;
    }

    // Writes the request; true when queued.
    bool Send(const DeviceReport& request)
    {
        const InterfaceSelector control = ControlSelector();
        const auto bytes = ReportBytes(request);
        const auto key = TolvexRequestKey(&control, nullptr, 0, bytes.data(), bytes.size());
        return library_.RequestWriteOne(&control, nullptr, 0, bytes.data(), 64, key, nullptr) > 0;
    }

    // The next control report from the keyboard after `seen` earlier ones, within `timeout`.
    std::optional<Bytes> NextReply(std::chrono::milliseconds timeout = kReplyWindow)
    {
        RecordedNotification found;
        const std::size_t skip = repliesSeen_;
        std::size_t index = 0;
        const bool arrived = NotificationRecorder::WaitFor(
            [&](const RecordedNotification& n) {
                return n.kind == TOLVEX_NOTIFY_DATA && n.tag == TOLVEX_TAG_CONTROL && index++ >= skip;
            },
            &found, timeout);
        if (!arrived)
            return std::nullopt;
        ++repliesSeen_;
        return found.bytes;
    }

    std::optional<Bytes> Exchange(const DeviceReport& request)
    {
        if (!Send(request))
            return std::nullopt;
        return NextReply();
    }

    // A chunked read or write over an area, as the program does it; returns the bytes read.
    Bytes Transfer(std::uint8_t command, std::size_t base, std::size_t count, const Bytes& source = {})
    {
        Bytes read(count);
        for (std::size_t offset = 0; offset < count; offset += kPayloadSize) {
            const auto length = static_cast<std::uint8_t>(std::min(kPayloadSize, count - offset));
            const std::span<const std::uint8_t> chunk
                = source.empty() ? std::span<const std::uint8_t>{} : std::span(source).subspan(offset, length);
            const auto reply = Exchange(Request(command, length, static_cast<std::uint16_t>(base + offset), chunk));
            EXPECT_TRUE(reply) << "no reply at offset " << offset;
            if (!reply)
                return {};
            EXPECT_EQ((*reply)[3], command);
            EXPECT_EQ((*reply)[7], 0) << "status at offset " << offset;
            std::copy_n(reply->begin() + 8, length, read.begin() + static_cast<std::ptrdiff_t>(offset));
        }
        return read;
    }

    bool WaitForPresence(std::uint32_t tag, std::uint32_t presence)
    {
        return NotificationRecorder::WaitFor([&](const RecordedNotification& n) {
            return n.kind == TOLVEX_NOTIFY_STATE && n.tag == tag && n.length == presence;
        });
    }

    TolvexLibrary library_;
    EmulatorProcess emulator_;
    std::uint32_t control_ = 0;
    std::uint32_t consumer_ = 0;
    std::size_t repliesSeen_ = 0;
};

Bytes Pattern(std::size_t count, std::uint8_t seed)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

TEST_F(EmulatorEndToEnd, EveryCommandRoundTrips)
{
    EXPECT_EQ(DeviceCount(), 1);
    const auto begin = Exchange(Request(CMD_BEGIN, 0, 0));
    ASSERT_TRUE(begin);
    EXPECT_EQ((*begin)[3], CMD_BEGIN);

    const auto info = Exchange(Request(CMD_READ_INFO, 46, 0));
    ASSERT_TRUE(info);
    EXPECT_EQ((*info)[8 + kDeviceInfoMacroUnitsOffset], 0x80);
    EXPECT_EQ((*info)[8 + kDeviceInfoModesOffset + 18], 19);

    const auto& defaultBlock = model::BuiltInDefaultKeyBlock();
    EXPECT_EQ(Transfer(CMD_READ_BASE_KEYMAP, 0, kKeyBlockSize), Bytes(defaultBlock.begin(), defaultBlock.end()));

    struct Area {
        const char* name;
        std::uint8_t write, read;
        std::size_t base, count;
    };
    const Area areas[] = {
        {"lighting record of profile 2", CMD_WRITE_SETTINGS, CMD_READ_SETTINGS, 70 + 3, 32},
        {"key map bank 2", CMD_WRITE_KEYMAP, CMD_READ_KEYMAP, 2 * kKeyBlockSize, kKeyBlockSize},
        {"macro block", CMD_WRITE_MACROS, CMD_READ_MACROS, 0, 1000},
        {"colours of profile 1", CMD_WRITE_KEY_COLOURS, CMD_READ_KEY_COLOURS, 512, 432},
    };
    std::uint8_t seed = 1;
    for (const Area& area : areas) {
        SCOPED_TRACE(area.name);
        const Bytes written = Pattern(area.count, seed++);
        Transfer(area.write, area.base, area.count, written);
        EXPECT_EQ(Transfer(area.read, area.base, area.count), written);
    }
    const auto end = Exchange(Request(CMD_END, 0, 0));
    ASSERT_TRUE(end);
    EXPECT_EQ((*end)[7], 0);

    const std::string dump = emulator_.Control("dump");
    EXPECT_NE(dump.find("\"bank_status\": \"0502\""), std::string::npos) << dump.substr(0, 200);
}

TEST_F(EmulatorEndToEnd, MemorySurvivesARestartAndTheLibraryReconnects)
{
    const Bytes record = Pattern(32, 9);
    Transfer(CMD_WRITE_SETTINGS, 35 + 3, 32, record);
    emulator_.Kill();  // no chance to save on the way out: the state must already be on disk
    ASSERT_TRUE(WaitForPresence(TOLVEX_TAG_CONTROL, 0));
    EXPECT_EQ(DeviceCount(), 0);

    ASSERT_TRUE(emulator_.Start());
    ASSERT_TRUE(WaitForPresence(TOLVEX_TAG_CONTROL, 1));
    EXPECT_EQ(DeviceCount(), 1);
    EXPECT_EQ(Transfer(CMD_READ_SETTINGS, 35 + 3, 32), record);
}

TEST_F(EmulatorEndToEnd, PlugAndUnplugReachEveryRegistrationWithThePresence)
{
    EXPECT_EQ(emulator_.Control("unplug"), "unplugged\n");
    EXPECT_TRUE(WaitForPresence(TOLVEX_TAG_CONTROL, 0));
    EXPECT_TRUE(WaitForPresence(TOLVEX_TAG_CONSUMER, 0));
    EXPECT_EQ(DeviceCount(), 0);
    EXPECT_FALSE(Send(Request(CMD_BEGIN, 0, 0))) << "nothing is queued for an unplugged keyboard";

    emulator_.Control("plug");
    EXPECT_TRUE(WaitForPresence(TOLVEX_TAG_CONTROL, 1));
    EXPECT_EQ(DeviceCount(), 1);
    EXPECT_TRUE(Exchange(Request(CMD_BEGIN, 0, 0)));
}

TEST_F(EmulatorEndToEnd, EachConsumerCodeReachesTheCallback)
{
    struct Case {
        std::string command;
        std::uint16_t code;
    };
    const Case cases[] = {
        {"bank", 0x02FF},
        {"lighting", 0x0401},
        {"profile 2", 0x0402},
        {"reload", 0x0403},
        {"play on", 0x1811},
        {"play off", 0x1810},
        {"consumer 0x1801", 0x1801},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.command);
        int exitCode = -1;
        emulator_.Control(item.command, &exitCode);
        EXPECT_EQ(exitCode, 0);
        RecordedNotification found;
        ASSERT_TRUE(NotificationRecorder::WaitFor(
            [&](const RecordedNotification& n) {
                return n.tag == TOLVEX_TAG_CONSUMER && n.kind == TOLVEX_NOTIFY_DATA && n.bytes.size() >= 2
                    && (n.bytes[0] | n.bytes[1] << 8) == item.code;
            },
            &found));
        EXPECT_NE(found.thread, std::this_thread::get_id());
    }
    // "profile 2" set the keyboard's active-profile byte.
    const auto settings = Exchange(Request(CMD_READ_SETTINGS, 56, 0));
    ASSERT_TRUE(settings);
    EXPECT_EQ((*settings)[8 + kActiveProfileAddress], 2);
}

TEST_F(EmulatorEndToEnd, BankStatusWritesAreKeptAndReadBack)
{
    const InterfaceSelector status = KeyStatusSelector();
    const std::uint8_t bank1[] = {0x05, 0x03};
    std::uint32_t handle = 0;
    const auto key = TolvexRequestKey(&status, NotificationRecorder::Callback, TOLVEX_TAG_KEY_STATUS, bank1, 2);
    ASSERT_EQ(library_.RequestStatusWrite(
                  &status, NotificationRecorder::Callback, TOLVEX_TAG_KEY_STATUS, bank1, 2, key, &handle),
        1);
    EXPECT_TRUE(
        NotificationRecorder::WaitFor([](const RecordedNotification& n) { return n.tag == TOLVEX_TAG_KEY_STATUS; }));
    EXPECT_EQ(library_.DeleteRequestFromUnitId(handle), 1);
    EXPECT_NE(emulator_.Control("dump").find("\"bank_status\": \"0503\""), std::string::npos);

    std::uint8_t buffer[2] = {0x05, 0x00};
    EXPECT_EQ(library_.RequestStatusGet(
                  &status, nullptr, 0, buffer, 2, TolvexRequestKey(&status, nullptr, 0, nullptr, 0), nullptr),
        2);
    EXPECT_EQ(buffer[1], 0x03);
}

TEST_F(EmulatorEndToEnd, WrongRequestKeyIsRefusedAndNothingIsSent)
{
    const InterfaceSelector control = ControlSelector();
    const DeviceReport request = Request(CMD_WRITE_SETTINGS, 1, 3, Bytes{9});
    const auto bytes = ReportBytes(request);
    const auto key = TolvexRequestKey(&control, nullptr, 0, bytes.data(), bytes.size());
    EXPECT_EQ(library_.RequestWriteOne(&control, nullptr, 0, bytes.data(), 64, key ^ 1, nullptr), 0);
    EXPECT_FALSE(NextReply(100ms));
    EXPECT_NE(emulator_.Control("status").find("requests answered: 0"), std::string::npos);
}

TEST_F(EmulatorEndToEnd, FaultsBehaveAsNamed)
{
    // Dropped: the request is carried out, its reply never comes; the next one is answered.
    emulator_.Control("fault drop 1");
    EXPECT_FALSE(Exchange(Request(CMD_WRITE_SETTINGS, 1, 4, Bytes{7})));
    const auto read = Exchange(Request(CMD_READ_SETTINGS, 1, 4));
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)[8], 7);

    struct Case {
        const char* fault;
        std::uint8_t status;
    };
    for (const Case& item : {Case{"ff", 0xFF}, Case{"fe", 0xFE}}) {
        SCOPED_TRACE(item.fault);
        emulator_.Control(std::string("fault ") + item.fault + " 2");
        for (int attempt = 0; attempt < 2; ++attempt) {
            const auto reply = Exchange(Request(CMD_BEGIN, 0, 0));
            ASSERT_TRUE(reply);
            EXPECT_EQ((*reply)[7], item.status);
        }
        const auto recovered = Exchange(Request(CMD_BEGIN, 0, 0));
        ASSERT_TRUE(recovered);
        EXPECT_EQ((*recovered)[7], 0);
    }

    emulator_.Control("fault echo 1");
    const auto echoed = Exchange(Request(CMD_END, 0, 0));
    ASSERT_TRUE(echoed);
    EXPECT_NE((*echoed)[3], CMD_END);

    emulator_.Control("fault delay 400000 1");
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(Send(Request(CMD_BEGIN, 0, 0)));
    EXPECT_FALSE(NextReply(kReplyWindow)) << "later than one reply window";
    EXPECT_TRUE(NextReply(2000ms));
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 400ms);

    emulator_.Control("fault unplug-after 2");
    EXPECT_TRUE(Exchange(Request(CMD_BEGIN, 0, 0)));
    EXPECT_TRUE(Exchange(Request(CMD_END, 0, 0)));
    EXPECT_TRUE(WaitForPresence(TOLVEX_TAG_CONTROL, 0));
    EXPECT_EQ(DeviceCount(), 0);
}

TEST_F(EmulatorEndToEnd, EmulatorSurvivesGarbageOnItsSocket)
{
    const std::vector<Bytes> inputs = {
        {},                                                            // connect and vanish
        {0x01, 0x02},                                                  // a short header
        Bytes(64, 0xEE),                                               // garbage
        {0xFF, 0xFF, 0xFF, 0x7F, 0x02, 0x00, 0, 0, 0, 0, 0, 0},        // a huge length
        {8, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9},  // a hello of a foreign version
        {0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0},                          // a write before hello
    };
    for (const Bytes& input : inputs) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", emulator_.SocketPath().c_str());
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (!input.empty())
            ::send(fd, input.data(), input.size(), MSG_NOSIGNAL);
        ::close(fd);
    }
    int exitCode = -1;
    emulator_.Control("status", &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(Exchange(Request(CMD_BEGIN, 0, 0))) << "the library's own connection still works";
}

// A keyboard that answers every request 20 ms after it came in.
// A second host, libTolvex.so in a process of its own (tolvex_peer), on the same emulator.
TEST_F(EmulatorEndToEnd, RepliesReachEveryHostAndTheBracketLogShowsTheirInterleaving)
{
    const TemporaryFolder folder;
    const std::map<std::string, std::string> environment = {{"TOLVEX_EMULATOR", emulator_.SocketPath()}};
    const auto hex = [](const Bytes& bytes) {
        std::string text;
        for (const std::uint8_t byte : bytes)
            text += "0123456789abcdef"[byte >> 4] + std::string(1, "0123456789abcdef"[byte & 15]);
        return text;
    };

    const std::string memory = emulator_.MemoryDump();
    ASSERT_EQ(memory.find("brackets"), std::string::npos);
    ASSERT_NE(memory.find("\"bank_status\""), std::string::npos);

    // The reply to this host's request reaches the other as an input report too.
    ChildProcess listener;
    ASSERT_TRUE(listener.Start(BinaryFolder() + "/tolvex_peer", {"listen"}, environment, folder.File("listener")));
    ASSERT_TRUE(listener.WaitForOutput("ready", 5000ms)) << listener.Output();
    const auto info = Exchange(Request(CMD_READ_INFO, 56, 0));
    ASSERT_TRUE(info);
    EXPECT_TRUE(listener.WaitForOutput("report " + hex(*info), 3000ms)) << listener.Output();
    listener.Signal(SIGTERM);
    EXPECT_EQ(emulator_.Brackets(), EmulatorBrackets{}) << "a read outside any bracket is nothing to log";

    // This host opens a bracket; the other reads inside it (a foreign request, whose reply reaches
    // this host too); this host begins again (nested) and ends twice (the second outside).
    ASSERT_TRUE(Exchange(Request(CMD_BEGIN, 0, 0)));
    ChildProcess reader;
    ASSERT_TRUE(reader.Start(BinaryFolder() + "/tolvex_peer", {"send", "info"}, environment, folder.File("reader")));
    EXPECT_EQ(reader.WaitForExit(5000ms), 0) << reader.Output();
    const auto theirs = NextReply(3000ms);
    ASSERT_TRUE(theirs);
    EXPECT_EQ((*theirs)[3], CMD_READ_INFO);
    for (const std::uint8_t command : {CMD_BEGIN, CMD_END, CMD_END})
        ASSERT_TRUE(Exchange(Request(command, 0, 0)));
    const auto brackets = emulator_.Brackets();
    ASSERT_TRUE(brackets) << emulator_.Control("dump").substr(0, 100);
    EXPECT_EQ(*brackets, (EmulatorBrackets{2, 2, 1, 1, 1, false}));
    EXPECT_TRUE(brackets->Interleaved());
    EXPECT_EQ(emulator_.MemoryDump(), memory) << "brackets and reads change no memory";

    EXPECT_EQ(emulator_.Control("brackets reset"), "bracket log cleared\n");
    EXPECT_EQ(emulator_.Brackets(), EmulatorBrackets{});
}

class LatencyEndToEnd : public EmulatorEndToEnd {
protected:
    static constexpr auto kLatency = 20ms;
    std::vector<std::string> StartOptions() override { return {"--latency-us", "20000"}; }
};

TEST_F(LatencyEndToEnd, AReplyComesNoSoonerThanTheLatencyAndStillAnswersItsRequest)
{
    EXPECT_NE(emulator_.Control("status").find("reply latency: 20000 us"), std::string::npos);
    for (const std::uint8_t command : {CMD_BEGIN, CMD_READ_INFO, CMD_END}) {
        SCOPED_TRACE(static_cast<int>(command));
        const auto sent = std::chrono::steady_clock::now();
        const auto reply = Exchange(Request(command, command == CMD_READ_INFO ? 46 : 0, 0));
        const auto took = std::chrono::steady_clock::now() - sent;
        ASSERT_TRUE(reply);
        EXPECT_GE(took, kLatency);
        EXPECT_EQ((*reply)[3], command);
        EXPECT_EQ((*reply)[7], 0);
    }
}

TEST_F(LatencyEndToEnd, RepliesToRequestsSentTogetherComeInTheirOrder)
{
    constexpr std::uint16_t kRequests = 24;
    const auto sent = std::chrono::steady_clock::now();
    for (std::uint16_t address = 0; address < kRequests; ++address)
        ASSERT_TRUE(Send(Request(CMD_READ_SETTINGS, 1, address)));
    for (std::uint16_t address = 0; address < kRequests; ++address) {
        const auto reply = NextReply(2000ms);
        ASSERT_TRUE(reply) << "reply " << address;
        EXPECT_EQ((*reply)[3], CMD_READ_SETTINGS);
        EXPECT_EQ((*reply)[5] | (*reply)[6] << 8, address) << "reply " << address;
        if (address == 0) {
            EXPECT_GE(std::chrono::steady_clock::now() - sent, kLatency);
        }
    }
    EXPECT_FALSE(NextReply(100ms)) << "one reply for each request";
    EXPECT_NE(emulator_.Control("status").find("requests answered: 24"), std::string::npos);
}

TEST_F(LatencyEndToEnd, AnUnplugAfterARequestWaitsForItsReply)
{
    emulator_.Control("fault unplug-after 1");
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(Send(Request(CMD_BEGIN, 0, 0)));
    const auto reply = NextReply(2000ms);
    ASSERT_TRUE(reply) << "the keyboard answers before it goes";
    EXPECT_GE(std::chrono::steady_clock::now() - sent, kLatency);
    EXPECT_EQ((*reply)[3], CMD_BEGIN);
    EXPECT_TRUE(WaitForPresence(TOLVEX_TAG_CONTROL, 0));
    EXPECT_EQ(DeviceCount(), 0);
}

// A keyboard slow enough for the control socket to be used while a reply is on its way.
class SlowReplyEndToEnd : public EmulatorEndToEnd {
protected:
    static constexpr auto kLatency = 400ms;
    std::vector<std::string> StartOptions() override { return {"--latency-us", "400000"}; }

    // Where the first notification that `match` picks stands among all recorded so far.
    static std::optional<std::size_t> PositionOf(const std::function<bool(const RecordedNotification&)>& match)
    {
        const auto recorded = NotificationRecorder::Snapshot();
        const auto found = std::find_if(recorded.begin(), recorded.end(), match);
        return found == recorded.end() ? std::nullopt : std::optional(found - recorded.begin());
    }
};

TEST_F(SlowReplyEndToEnd, CommandsAreServedWhileAReplyIsPendingAndAnUnplugDropsIt)
{
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(Send(Request(CMD_BEGIN, 0, 0)));
    int exitCode = -1;
    EXPECT_NE(emulator_.Control("dump", &exitCode).find("bank_status"), std::string::npos);
    EXPECT_EQ(exitCode, 0);
    emulator_.Control("bank");
    const auto reply = NextReply(3000ms);
    ASSERT_TRUE(reply);
    EXPECT_GE(std::chrono::steady_clock::now() - sent, kLatency);
    EXPECT_EQ((*reply)[3], CMD_BEGIN);
    const auto bankKey = PositionOf([](const RecordedNotification& n) {
        return n.tag == TOLVEX_TAG_CONSUMER && n.kind == TOLVEX_NOTIFY_DATA && n.bytes.size() >= 2
            && (n.bytes[0] | n.bytes[1] << 8) == 0x02FF;
    });
    const auto answer = PositionOf(
        [](const RecordedNotification& n) { return n.tag == TOLVEX_TAG_CONTROL && n.kind == TOLVEX_NOTIFY_DATA; });
    ASSERT_TRUE(bankKey && answer);
    EXPECT_LT(*bankKey, *answer) << "the bank key was sent while the reply waited";

    // Unplugged and plugged back in before the reply was due: the reply went with the cable and
    // does not come from the keyboard plugged in again.
    ASSERT_TRUE(Send(Request(CMD_END, 0, 0)));
    EXPECT_EQ(emulator_.Control("unplug"), "unplugged\n");
    EXPECT_TRUE(WaitForPresence(TOLVEX_TAG_CONTROL, 0));
    emulator_.Control("plug");
    ASSERT_TRUE(WaitForPresence(TOLVEX_TAG_CONTROL, 1));
    EXPECT_FALSE(NextReply(kLatency + 300ms));
    ASSERT_TRUE(Send(Request(CMD_READ_SETTINGS, 1, 7)));
    const auto fresh = NextReply(3000ms);
    ASSERT_TRUE(fresh);
    EXPECT_EQ((*fresh)[3], CMD_READ_SETTINGS);
    EXPECT_EQ((*fresh)[5], 7);
}

TEST(EmulatorOptions, ABadLatencyIsRefusedAndNothingStarts)
{
    TemporaryFolder folder;
    const std::string socket = folder.File("emu.sock");
    for (const std::string value : {"-1", "abc", "''", "1.5", "20ms", "10000001", "99999999999999999999", "+5"}) {
        SCOPED_TRACE(value);
        int exitCode = -1;
        const std::string said = RunCommand(
            BinaryFolder() + "/tolvex-emu --socket '" + socket + "' --latency-us " + value + " 2>&1", &exitCode);
        EXPECT_EQ(exitCode, 2);
        EXPECT_NE(said.find("--latency-us takes a whole number of microseconds from 0 to 10000000"), std::string::npos)
            << said;
        EXPECT_FALSE(std::filesystem::exists(socket));
    }
    int exitCode = -1;
    RunCommand(BinaryFolder() + "/tolvex-emu --socket '" + socket + "' --latency-us 2>&1", &exitCode);
    EXPECT_EQ(exitCode, 2) << "a missing value";
}

class CorruptStateEndToEnd : public EmulatorEndToEnd {
protected:
    std::vector<std::string> StartOptions() override
    {
        std::ofstream(emulator_.StatePath()) << "{\"info\": \"45\"";
        return {"--macro-units", "4", "--modes", "1-10"};
    }
};

TEST_F(CorruptStateEndToEnd, CorruptStateFileIsReplacedByFactoryStateWithTheOptionsApplied)
{
    const auto info = Exchange(Request(CMD_READ_INFO, 46, 0));
    ASSERT_TRUE(info);
    EXPECT_EQ((*info)[8 + kDeviceInfoMacroUnitsOffset], 4);
    EXPECT_EQ((*info)[8 + kDeviceInfoModesOffset + 9], 10);
    EXPECT_EQ((*info)[8 + kDeviceInfoModesOffset + 10], 0);
    const auto& record = lighting::DefaultLightingRecord();
    EXPECT_EQ(Transfer(CMD_READ_SETTINGS, 3, 32), Bytes(record.begin(), record.end()));
    // The macro area is 512 bytes now.
    const auto outside = Exchange(Request(CMD_WRITE_MACROS, 56, 512 - 55, Pattern(56, 0)));
    ASSERT_TRUE(outside);
    EXPECT_EQ((*outside)[7], 0xFE);
    std::ifstream saved(emulator_.StatePath());
    std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"bank_status\": \"0502\""), std::string::npos) << "the file holds factory state again";
}

}  // namespace
}  // namespace tavrin::testing
