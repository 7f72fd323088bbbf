// The emulator as a uhid keyboard, with the test playing the kernel: each device the emulator
// "opens" is one end of a packet socket pair, whose other end reads and writes uhid events as
// /dev/uhid does. The real kernel's side is tried by the guest test (tests/vm/run).
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <linux/input.h>
#include <linux/uhid.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "emulator_server.h"
#include "support/emulator_process.h"
#include "support/temporary_folder.h"
#include "tolvex/tolvex.h"
#include "unix_socket.h"

namespace tolvex::emu {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The kernel's ends of every device made so far, in the order they were opened.
class FakeKernel {
public:
    UhidKeyboard::Opener Opener()
    {
        return [this] {
            int pair[2];
            if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
                return -1;
            ::fcntl(pair[0], F_SETFL, O_NONBLOCK);
            std::lock_guard lock(mutex_);
            kernelEnds_.push_back(pair[1]);
            return pair[0];
        };
    }
    ~FakeKernel()
    {
        for (int fd : kernelEnds_)
            ::close(fd);
    }

    int Device(std::size_t index)
    {
        std::lock_guard lock(mutex_);
        return index < kernelEnds_.size() ? kernelEnds_[index] : -1;
    }
    std::size_t Devices()
    {
        std::lock_guard lock(mutex_);
        return kernelEnds_.size();
    }

    // The next event from the device, or type 0xFFFF when none came within two seconds; `size` is
    // how many bytes the event took.
    static uhid_event Receive(int fd, std::size_t* size = nullptr)
    {
        uhid_event event{};
        event.type = 0xFFFF;
        pollfd waiter{fd, POLLIN, 0};
        if (::poll(&waiter, 1, 2000) == 1) {
            const ssize_t count = ::read(fd, &event, sizeof event);
            if (size)
                *size = count > 0 ? static_cast<std::size_t>(count) : 0;
            if (count <= 0)
                event.type = 0xFFFF;
        }
        return event;
    }

    static void Send(int fd, const uhid_event& event)
    {
        ASSERT_EQ(::write(fd, &event, sizeof event), ssize_t(sizeof event));
    }

private:
    std::mutex mutex_;
    std::vector<int> kernelEnds_;
};

Bytes Descriptor(const uhid_event& event)
{
    return {event.u.create2.rd_data, event.u.create2.rd_data + event.u.create2.rd_size};
}

Bytes Input(const uhid_event& event)
{
    return {event.u.input2.data, event.u.input2.data + event.u.input2.size};
}

class UhidKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ServerOptions options;
        options.socketPath = folder_.File("emu.sock");
        options.uhid = true;
        options.uhidOpener = kernel_.Opener();
        server_ = std::make_unique<EmulatorServer>(options, Firmware(FactoryMemory()));
        std::string error;
        ASSERT_TRUE(server_->Open(error)) << error;
        ASSERT_EQ(::pipe(stop_), 0);
        thread_ = std::thread([this] { server_->Run(stop_[0]); });
    }
    void TearDown() override
    {
        if (thread_.joinable()) {
            ASSERT_EQ(::write(stop_[1], "x", 1), 1);
            thread_.join();
        }
        ::close(stop_[0]);
        ::close(stop_[1]);
    }

    // Runs a ctl command through the socket, as `tolvex-emu ctl` does.
    std::string Control(const std::string& line)
    {
        int fd = ConnectUnixSocket(folder_.File("emu.sock"));
        std::vector<std::uint8_t> hello;
        PutU32(hello, kProtocolVersion);
        PutU32(hello, static_cast<std::uint32_t>(Role::Control));
        WriteAll(fd, EncodeFrame(MessageType::Hello, 0, hello));
        WriteAll(fd, EncodeFrame(MessageType::Control, 1, Bytes(line.begin(), line.end())));
        FrameReader frames;
        std::uint8_t chunk[4096];
        std::string answer;
        for (pollfd waiter{fd, POLLIN, 0}; ::poll(&waiter, 1, 2000) == 1;) {
            const ssize_t count = ::read(fd, chunk, sizeof chunk);
            if (count <= 0)
                break;
            frames.Append({chunk, static_cast<std::size_t>(count)});
            bool broken = false;
            if (auto frame = frames.Next(broken); frame && frame->payload.size() >= 4) {
                answer.assign(frame->payload.begin() + 4, frame->payload.end());
                break;
            }
        }
        CloseQuietly(fd);
        return answer;
    }

    tavrin::testing::TemporaryFolder folder_;
    FakeKernel kernel_;
    std::unique_ptr<EmulatorServer> server_;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

TEST_F(UhidKeyboardTest, MakesOneUsbDevicePerInterfaceWithItsUsagesAndRemakesThemOnReplug)
{
    ASSERT_EQ(kernel_.Devices(), 3u);
    const Bytes expectedUsages[] = {
        {0x06, 0x1C, 0xFF, 0x09, 0x92},  // vendor page 0xFF1C, usage 0x92
        {0x05, 0x0C, 0x09, 0x01},        // consumer page, consumer control
        {0x05, 0x08, 0x09, 0x89},        // LED page, usage 0x89
    };
    for (std::size_t device = 0; device < 3; ++device) {
        const uhid_event create = FakeKernel::Receive(kernel_.Device(device));
        ASSERT_EQ(create.type, UHID_CREATE2) << device;
        EXPECT_EQ(create.u.create2.bus, BUS_USB);
        EXPECT_EQ(create.u.create2.vendor, TOLVEX_VENDOR_ID);
        EXPECT_EQ(create.u.create2.product, TOLVEX_PRODUCT_ID);
        const Bytes descriptor = Descriptor(create);
        EXPECT_TRUE(std::equal(expectedUsages[device].begin(), expectedUsages[device].end(), descriptor.begin()))
            << "device " << device << " starts its descriptor with its usage page and usage";
    }

    EXPECT_EQ(Control("unplug"), "unplugged\n");
    for (std::size_t device = 0; device < 3; ++device)
        EXPECT_EQ(FakeKernel::Receive(kernel_.Device(device)).type, UHID_DESTROY) << device;
    EXPECT_EQ(Control("bank"), "the keyboard is unplugged\n");
    EXPECT_EQ(Control("plug"), "plugged\n");
    ASSERT_EQ(kernel_.Devices(), 6u);
    for (std::size_t device = 3; device < 6; ++device)
        EXPECT_EQ(FakeKernel::Receive(kernel_.Device(device)).type, UHID_CREATE2) << device;
}

TEST_F(UhidKeyboardTest, AnswersTheKernelsReportsAndSendsItsOwn)
{
    for (std::size_t device = 0; device < 3; ++device)
        ASSERT_EQ(FakeKernel::Receive(kernel_.Device(device)).type, UHID_CREATE2);
    const int control = kernel_.Device(0);
    const int consumer = kernel_.Device(1);
    const int keyStatus = kernel_.Device(2);

    // A settings read written to the control node comes back as a 64-byte input report, id first.
    uhid_event output{};
    output.type = UHID_OUTPUT;
    output.u.output.rtype = UHID_OUTPUT_REPORT;
    output.u.output.size = 64;
    Report request{};
    request[0] = kControlReportId;
    request[kAtCommand] = static_cast<std::uint8_t>(Opcode::ReadSettings);
    request[kAtLength] = 56;
    SealReport(request);
    std::copy(request.begin(), request.end(), output.u.output.data);
    FakeKernel::Send(control, output);
    const uhid_event reply = FakeKernel::Receive(control);
    ASSERT_EQ(reply.type, UHID_INPUT2);
    const Bytes replyBytes = Input(reply);
    ASSERT_EQ(replyBytes.size(), 64u);
    EXPECT_EQ(replyBytes[0], kControlReportId);
    EXPECT_EQ(replyBytes[kAtCommand], static_cast<std::uint8_t>(Opcode::ReadSettings));
    EXPECT_EQ(replyBytes[kAtStatus], kStatusOk);

    // The bank status: written as output report 5, read back as feature report 5.
    uhid_event bank{};
    bank.type = UHID_OUTPUT;
    bank.u.output.rtype = UHID_OUTPUT_REPORT;
    bank.u.output.size = 2;
    bank.u.output.data[0] = 0x05;
    bank.u.output.data[1] = 0x02;
    FakeKernel::Send(keyStatus, bank);
    struct FeatureCase {
        std::uint8_t reportNumber;
        std::uint8_t type;
        std::uint16_t error;
        Bytes report;
    };
    const FeatureCase cases[] = {
        {0x05, UHID_FEATURE_REPORT, 0, {0x05, 0x02}}, {0x06, UHID_FEATURE_REPORT, EIO, {}},  // no such report
        {0x05, UHID_INPUT_REPORT, EIO, {}},                                                  // only features are read
    };
    std::uint32_t id = 40;
    for (const FeatureCase& test : cases) {
        uhid_event get{};
        get.type = UHID_GET_REPORT;
        get.u.get_report.id = ++id;
        get.u.get_report.rnum = test.reportNumber;
        get.u.get_report.rtype = test.type;
        FakeKernel::Send(keyStatus, get);
        const uhid_event answer = FakeKernel::Receive(keyStatus);
        ASSERT_EQ(answer.type, UHID_GET_REPORT_REPLY) << int(test.reportNumber);
        EXPECT_EQ(answer.u.get_report_reply.id, id);
        EXPECT_EQ(answer.u.get_report_reply.err, test.error) << int(test.reportNumber);
        EXPECT_EQ(
            Bytes(answer.u.get_report_reply.data, answer.u.get_report_reply.data + answer.u.get_report_reply.size),
            test.report);
    }

    // A code the keyboard sends on its own reaches the consumer node as two bytes, low first.
    EXPECT_EQ(Control("consumer 0x1234"), "sent consumer code 0x1234\n");
    const uhid_event code = FakeKernel::Receive(consumer);
    ASSERT_EQ(code.type, UHID_INPUT2);
    EXPECT_EQ(Input(code), (Bytes{0x34, 0x12}));
}

// One keyboard: the kernel's hidraw readers and the socket's device clients see every reply.
TEST_F(UhidKeyboardTest, EveryReplyReachesTheKernelAndTheSocketsDeviceClients)
{
    for (std::size_t device = 0; device < 3; ++device)
        ASSERT_EQ(FakeKernel::Receive(kernel_.Device(device)).type, UHID_CREATE2);
    const int control = kernel_.Device(0);
    int host = ConnectUnixSocket(folder_.File("emu.sock"));
    Bytes hello;
    PutU32(hello, kProtocolVersion);
    PutU32(hello, static_cast<std::uint32_t>(Role::Device));
    ASSERT_TRUE(WriteAll(host, EncodeFrame(MessageType::Hello, 0, hello)));
    FrameReader frames;
    const auto next = [&](MessageType type) -> Bytes {
        for (pollfd waiter{host, POLLIN, 0}; ::poll(&waiter, 1, 2000) == 1;) {
            std::uint8_t chunk[4096];
            const ssize_t count = ::read(host, chunk, sizeof chunk);
            if (count <= 0)
                break;
            frames.Append({chunk, static_cast<std::size_t>(count)});
            bool broken = false;
            while (auto frame = frames.Next(broken))
                if (frame->type == type && frame->payload.size() > 4)
                    return {frame->payload.begin() + 4, frame->payload.end()};
        }
        return {};
    };
    const auto nextInput = [&] { return next(MessageType::Input); };
    ASSERT_FALSE(next(MessageType::Interfaces).empty()) << "the host is greeted";
    const auto request = [](Opcode command) {
        Report report{};
        report[0] = kControlReportId;
        report[kAtCommand] = static_cast<std::uint8_t>(command);
        report[kAtLength] = 56;
        SealReport(report);
        return report;
    };

    // The kernel's request: its reply reaches the socket's host as well.
    uhid_event output{};
    output.type = UHID_OUTPUT;
    output.u.output.rtype = UHID_OUTPUT_REPORT;
    output.u.output.size = 64;
    const Report settingsRead = request(Opcode::ReadSettings);
    std::copy(settingsRead.begin(), settingsRead.end(), output.u.output.data);
    FakeKernel::Send(control, output);
    const uhid_event toKernel = FakeKernel::Receive(control);
    ASSERT_EQ(toKernel.type, UHID_INPUT2);
    EXPECT_EQ(nextInput(), Input(toKernel));

    // The host's request: its reply reaches the kernel as well.
    Bytes write;
    PutU16(write, TOLVEX_CONTROL_USAGE_PAGE);
    PutU16(write, TOLVEX_CONTROL_USAGE);
    const Report infoRead = request(Opcode::ReadInfo);
    write.insert(write.end(), infoRead.begin(), infoRead.end());
    ASSERT_TRUE(WriteAll(host, EncodeFrame(MessageType::Write, 1, write)));
    const Bytes toHost = nextInput();
    ASSERT_EQ(toHost.size(), kReportBytes);
    EXPECT_EQ(toHost[kAtCommand], static_cast<std::uint8_t>(Opcode::ReadInfo));
    const uhid_event alsoToKernel = FakeKernel::Receive(control);
    ASSERT_EQ(alsoToKernel.type, UHID_INPUT2);
    EXPECT_EQ(Input(alsoToKernel), toHost);
    CloseQuietly(host);
}

TEST(UhidKeyboardOption, WithoutDevUhidTheEmulatorSaysSoAndExitsWithTwo)
{
    if (::access(UhidKeyboard::kDevicePath, F_OK) == 0)
        GTEST_SKIP() << "this machine has /dev/uhid";
    tavrin::testing::TemporaryFolder folder;
    const std::string command = tavrin::testing::BinaryFolder() + "/tolvex-emu --uhid --socket "
        + folder.File("emu.sock") + " 2>" + folder.File("err.txt");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::ifstream error(folder.File("err.txt"));
    const std::string text((std::istreambuf_iterator<char>(error)), {});
    EXPECT_NE(text.find("--uhid needs /dev/uhid"), std::string::npos) << text;
}

}  // namespace
}  // namespace tolvex::emu
