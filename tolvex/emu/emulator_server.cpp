#include "emulator_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "state_file.h"
#include "tolvex/tolvex.h"
#include "unix_socket.h"

namespace tolvex::emu {
namespace {

constexpr std::size_t kOutputLimit = 4 * 1024 * 1024;  // a client that stops reading is dropped
// How long before a delayed reply is due the loop stops sleeping and polls without waiting.
constexpr std::chrono::microseconds kWakeMargin{150};

constexpr InterfaceInfo kControlInterface{
    TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_CONTROL_USAGE_PAGE, TOLVEX_CONTROL_USAGE};
constexpr InterfaceInfo kConsumerInterface{
    TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_CONSUMER_USAGE_PAGE, TOLVEX_CONSUMER_USAGE};
constexpr InterfaceInfo kKeyStatusInterface{
    TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_KEY_STATUS_USAGE_PAGE, TOLVEX_KEY_STATUS_USAGE};

// The keyboard's own consumer codes.
constexpr std::uint16_t kCodeBankKey = 0x02FF;
constexpr std::uint16_t kCodeLightingChanged = 0x0401;
constexpr std::uint16_t kCodeProfileChanged = 0x0402;
constexpr std::uint16_t kCodeReloadWanted = 0x0403;
constexpr std::uint16_t kCodePlayOn = 0x1811;
constexpr std::uint16_t kCodePlayOff = 0x1810;

bool ParseNumber(const std::string& text, std::uint32_t& value, std::uint32_t limit)
{
    if (text.empty() || text.size() > 10)
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long parsed = std::strtoul(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || parsed > limit || text[0] == '-')
        return false;
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

}  // namespace

EmulatorServer::EmulatorServer(ServerOptions options, Firmware firmware)
    : options_(std::move(options))
    , firmware_(std::move(firmware))
    , plugged_(options_.plugged)
{
}

EmulatorServer::~EmulatorServer()
{
    uhid_.reset();
    for (auto& client : clients_)
        CloseQuietly(client->fd);
    if (listenFd_ >= 0) {
        CloseQuietly(listenFd_);
        ::unlink(options_.socketPath.c_str());
    }
}

bool EmulatorServer::Open(std::string& error)
{
    int probe = ConnectUnixSocket(options_.socketPath);
    if (probe >= 0) {
        CloseQuietly(probe);
        error = options_.socketPath + ": another emulator is already running there";
        return false;
    }
    ::unlink(options_.socketPath.c_str());  // left behind by an emulator that was killed
    listenFd_ = ListenUnixSocket(options_.socketPath);
    if (listenFd_ < 0 || !SetNonBlocking(listenFd_)) {
        error = options_.socketPath + ": " + std::strerror(errno);
        return false;
    }
    if (options_.uhid) {
        uhid_ = std::make_unique<UhidKeyboard>(TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, options_.uhidOpener);
        if (plugged_ && !uhid_->Create(error))
            return false;
    }
    return true;
}

bool EmulatorServer::SaveState()
{
    if (options_.statePath.empty())
        return true;
    std::string error;
    // Not flushed to disk: the keyboard's memory must survive the emulator, not the machine.
    if (tavrin::platform::WriteFileAtomically(options_.statePath, EncodeState(firmware_.Memory()), error, false))
        return true;
    std::fprintf(stderr, "tolvex-emu: cannot save the state: %s\n", error.c_str());
    return false;
}

void EmulatorServer::Run(int stopFd)
{
    std::vector<pollfd> waiters;
    for (;;) {
        waiters.clear();
        waiters.push_back({stopFd, POLLIN, 0});
        waiters.push_back({listenFd_, POLLIN, 0});
        for (const auto& client : clients_)
            waiters.push_back({client->fd, static_cast<short>(POLLIN | (client->output.empty() ? 0 : POLLOUT)), 0});
        const std::size_t firstDevice = waiters.size();
        if (uhid_)
            for (const int fd : uhid_->Files())
                waiters.push_back({fd, POLLIN, 0});

        // To the microsecond: a millisecond timeout would add up to a millisecond to every reply.
        const std::optional<std::timespec> timeout = PollTimeout();
        if (::ppoll(waiters.data(), waiters.size(), timeout ? &*timeout : nullptr, nullptr) < 0 && errno != EINTR)
            return;
        if (waiters[0].revents != 0)
            return;
        // Clients accepted below are polled from the next round on.
        const std::size_t polled = clients_.size();
        for (std::size_t i = 0; i < polled; ++i) {
            Client& client = *clients_[i];
            const short events = waiters[i + 2].revents;
            if (client.fd >= 0 && (events & (POLLIN | POLLHUP | POLLERR)) && !ReadFrom(client))
                CloseQuietly(client.fd);
            if (client.fd >= 0 && (events & POLLOUT) && !Flush(client))
                CloseQuietly(client.fd);
        }
        if (waiters[1].revents & POLLIN)
            Accept();
        // A command above may have removed or remade the devices; their files are looked at afresh.
        if (uhid_)
            for (std::size_t i = 0; firstDevice + i < waiters.size(); ++i)
                if (waiters[firstDevice + i].revents != 0 && waiters[firstDevice + i].fd == uhid_->Files()[i])
                    ServeKernel(static_cast<KeyboardInterface>(i));
        SendDueReplies();
        std::erase_if(clients_, [](const auto& client) { return client->fd < 0; });
    }
}

std::optional<std::timespec> EmulatorServer::PollTimeout() const
{
    if (delayed_.empty())
        return std::nullopt;
    // A sleeping thread wakes tens of microseconds late, more than a keyboard's answer is; the
    // last stretch before a reply is due is spent polling without sleeping instead.
    const auto wait
        = std::max(std::chrono::ceil<std::chrono::nanoseconds>(delayed_.begin()->first - Clock::now()) - kWakeMargin,
            std::chrono::nanoseconds(0));
    const auto seconds = std::chrono::floor<std::chrono::seconds>(wait);
    std::timespec timeout{};
    timeout.tv_sec = static_cast<std::time_t>(seconds.count());
    timeout.tv_nsec = static_cast<long>((wait - seconds).count());
    return timeout;
}

void EmulatorServer::Accept()
{
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->id = nextClientId_++;
        clients_.push_back(std::move(client));
    }
}

bool EmulatorServer::ReadFrom(Client& client)
{
    std::uint8_t chunk[4096];
    for (;;) {
        const ssize_t count = ::read(client.fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (count <= 0)
            return false;
        receivedAt_ = Clock::now();
        client.frames.Append({chunk, static_cast<std::size_t>(count)});
        bool broken = false;
        while (auto frame = client.frames.Next(broken))
            if (!HandleFrame(client, *frame))
                return false;
        if (broken || client.fd < 0)
            return false;
    }
}

bool EmulatorServer::HandleFrame(Client& client, const FrameReader::Frame& frame)
{
    const auto& payload = frame.payload;
    if (!client.greeted) {
        if (frame.type != MessageType::Hello || payload.size() != 8 || GetU32(payload.data()) != kProtocolVersion)
            return false;
        const std::uint32_t role = GetU32(payload.data() + 4);
        if (role != static_cast<std::uint32_t>(Role::Device) && role != static_cast<std::uint32_t>(Role::Control))
            return false;
        client.greeted = true;
        client.role = static_cast<Role>(role);
        if (client.role == Role::Device)
            Send(client, EncodeFrame(MessageType::Interfaces, 0, InterfacesPayload()));
        return true;
    }
    switch (frame.type) {
    case MessageType::Write:
    case MessageType::FeatureSet:
        if (payload.size() < 4)
            return false;
        HandleWrite(client, frame.sequence, GetU16(payload.data()), GetU16(payload.data() + 2),
            {payload.data() + 4, payload.size() - 4});
        return true;
    case MessageType::FeatureGet: {
        if (payload.size() != 7)
            return false;
        const bool keyStatus = GetU16(payload.data()) == kKeyStatusInterface.usagePage
            && GetU16(payload.data() + 2) == kKeyStatusInterface.usage;
        const auto& status = firmware_.Memory().bankStatus;
        if (plugged_ && keyStatus && payload[4] == kBankStatusReportId)
            SendResult(client, frame.sequence, static_cast<int>(status.size()), status);
        else
            SendResult(client, frame.sequence, 0);
        return true;
    }
    case MessageType::Control: {
        bool ok = false;
        const std::string answer = RunCommand(std::string(payload.begin(), payload.end()), ok);
        SendResult(
            client, frame.sequence, ok ? 1 : 0, {reinterpret_cast<const std::uint8_t*>(answer.data()), answer.size()});
        return true;
    }
    default:
        return false;
    }
}

void EmulatorServer::HandleWrite(Client& client, std::uint32_t sequence, std::uint16_t usagePage, std::uint16_t usage,
    std::span<const std::uint8_t> report)
{
    if (!plugged_ || report.empty()) {
        SendResult(client, sequence, 0);
        return;
    }
    if (usagePage == kControlInterface.usagePage && usage == kControlInterface.usage) {
        SendResult(client, sequence, static_cast<int>(report.size()));
        HandleControlRequest(client.id, report);
    } else if (usagePage == kKeyStatusInterface.usagePage && usage == kKeyStatusInterface.usage) {
        const auto before = firmware_.Memory().bankStatus;
        const bool accepted = firmware_.WriteBankStatus(report);
        if (accepted && before != firmware_.Memory().bankStatus)
            SaveState();
        SendResult(client, sequence, accepted ? static_cast<int>(report.size()) : 0);
    } else {
        SendResult(client, sequence, 0);
    }
}

void EmulatorServer::HandleControlRequest(std::uint64_t clientId, std::span<const std::uint8_t> request)
{
    brackets_.Note(clientId, request);
    const FaultDecision decision = faults_.Next();
    Report reply{};
    if (decision.fault == Fault::StatusError || decision.fault == Fault::StatusRange) {
        reply = Firmware::ErrorReply(request, decision.fault == Fault::StatusError ? kStatusRefused : kStatusOutOfArea);
    } else {
        const Firmware::Outcome outcome = firmware_.HandleControl(request);
        if (outcome.memoryChanged)
            SaveState();
        reply = outcome.reply;
        if (decision.fault == Fault::WrongEcho) {
            reply[kAtCommand] ^= 0x80;
            SealReport(reply);
        }
    }
    ++requestsAnswered_;

    // Everything the keyboard does in answer leaves the latency after the request came in; a
    // delay fault makes the reply alone later still, so an unplug after it loses the reply, as it
    // does without latency.
    const auto answeredAt = receivedAt_ + options_.replyLatency;
    const bool answerWaits = options_.replyLatency.count() > 0;
    if (decision.fault == Fault::DelayReply)
        delayed_.emplace(answeredAt + std::chrono::microseconds(decision.delayMicros), DelayedReply{reply});
    else if (decision.fault != Fault::DropReply && answerWaits)
        delayed_.emplace(answeredAt, DelayedReply{reply});
    else if (decision.fault != Fault::DropReply)
        DeliverReply(reply);
    if (decision.unplugAfterReply && answerWaits)
        delayed_.emplace(answeredAt, DelayedReply{{}, true});
    else if (decision.unplugAfterReply)
        SetPlugged(false);
}

void EmulatorServer::SendDueReplies()
{
    const auto now = Clock::now();
    while (!delayed_.empty() && delayed_.begin()->first <= now) {
        DelayedReply reply = std::move(delayed_.begin()->second);
        delayed_.erase(delayed_.begin());
        if (reply.unplug)
            SetPlugged(false);  // drops every reply still on its way
        else
            DeliverReply(reply.reply);
    }
}

void EmulatorServer::DeliverReply(const Report& reply)
{
    if (uhid_ && uhid_->Created())
        uhid_->SendInput(KeyboardInterface::Control, reply);
    std::vector<std::uint8_t> payload;
    PutU16(payload, kControlInterface.usagePage);
    PutU16(payload, kControlInterface.usage);
    payload.insert(payload.end(), reply.begin(), reply.end());
    SendToDevices(MessageType::Input, payload);
}

void EmulatorServer::ServeKernel(KeyboardInterface interface)
{
    // A bounded number at a time, so that a flood on one device cannot starve the socket.
    for (int taken = 0; taken < 64 && uhid_ && uhid_->Created(); ++taken) {
        bool broken = false;
        const std::optional<UhidRequest> request = uhid_->Read(interface, broken);
        if (broken) {
            std::fprintf(stderr, "tolvex-emu: %s failed: %s; the keyboard is unplugged\n", UhidKeyboard::kDevicePath,
                std::strerror(errno));
            SetPlugged(false);
            return;
        }
        if (!request)
            return;
        receivedAt_ = Clock::now();
        HandleKernelRequest(*request);
    }
}

void EmulatorServer::HandleKernelRequest(const UhidRequest& request)
{
    const bool keyStatus = request.interface == KeyboardInterface::KeyStatus;
    switch (request.kind) {
    case UhidRequest::Kind::Output:
        if (request.interface == KeyboardInterface::Control) {
            HandleControlRequest(kKernelClient, request.data);
        } else if (keyStatus) {
            const auto before = firmware_.Memory().bankStatus;
            if (firmware_.WriteBankStatus(request.data) && before != firmware_.Memory().bankStatus)
                SaveState();
        }
        return;
    case UhidRequest::Kind::GetFeature:
        if (keyStatus && request.reportNumber == kBankStatusReportId) {
            // The report leaves with its own identifier first, whatever was last written.
            const std::uint8_t report[] = {kBankStatusReportId, firmware_.Memory().bankStatus[1]};
            uhid_->ReplyGetFeature(request.interface, request.id, 0, report);
        } else {
            uhid_->ReplyGetFeature(request.interface, request.id, EIO, {});
        }
        return;
    case UhidRequest::Kind::SetFeature: {
        const auto before = firmware_.Memory().bankStatus;
        const bool accepted
            = keyStatus && request.reportNumber == kBankStatusReportId && firmware_.WriteBankStatus(request.data);
        if (accepted && before != firmware_.Memory().bankStatus)
            SaveState();
        uhid_->ReplySetFeature(request.interface, request.id, accepted ? 0 : EIO);
        return;
    }
    case UhidRequest::Kind::Other:
        return;
    }
}

void EmulatorServer::SendResult(Client& client, std::uint32_t sequence, int value, std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> payload;
    payload.reserve(4 + bytes.size());
    PutU32(payload, static_cast<std::uint32_t>(value));
    payload.insert(payload.end(), bytes.begin(), bytes.end());
    Send(client, EncodeFrame(MessageType::Result, sequence, payload));
}

void EmulatorServer::Send(Client& client, std::vector<std::uint8_t> frame)
{
    if (client.fd < 0)
        return;
    client.output.insert(client.output.end(), frame.begin(), frame.end());
    if (client.output.size() > kOutputLimit || !Flush(client))
        CloseQuietly(client.fd);
}

bool EmulatorServer::Flush(Client& client)
{
    std::size_t done = 0;
    while (done < client.output.size()) {
        const ssize_t written
            = ::send(client.fd, client.output.data() + done, client.output.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        return false;
    }
    client.output.erase(client.output.begin(), client.output.begin() + static_cast<std::ptrdiff_t>(done));
    return true;
}

void EmulatorServer::SendToDevices(MessageType type, std::span<const std::uint8_t> payload)
{
    for (auto& client : clients_)
        if (client->fd >= 0 && client->greeted && client->role == Role::Device)
            Send(*client, EncodeFrame(type, 0, payload));
}

void EmulatorServer::SendConsumerCode(std::uint16_t code)
{
    std::vector<std::uint8_t> payload;
    PutU16(payload, kConsumerInterface.usagePage);
    PutU16(payload, kConsumerInterface.usage);
    PutU16(payload, code);
    SendToDevices(MessageType::Input, payload);
    if (uhid_) {
        const std::uint8_t report[] = {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8)};
        uhid_->SendInput(KeyboardInterface::Consumer, report);
    }
}

std::vector<std::uint8_t> EmulatorServer::InterfacesPayload() const
{
    if (!plugged_)
        return EncodeInterfaces({});
    const InterfaceInfo interfaces[] = {kControlInterface, kConsumerInterface, kKeyStatusInterface};
    return EncodeInterfaces(interfaces);
}

bool EmulatorServer::SetPlugged(bool plugged)
{
    if (plugged == plugged_)
        return true;
    if (uhid_ && plugged) {
        std::string error;
        if (!uhid_->Create(error)) {
            std::fprintf(stderr, "tolvex-emu: %s\n", error.c_str());
            return false;
        }
    } else if (uhid_) {
        uhid_->Destroy();
    }
    plugged_ = plugged;
    if (!plugged_) {
        delayed_.clear();  // replies still on their way are lost with the cable
        brackets_.Unplugged();
    }
    SendToDevices(MessageType::Interfaces, InterfacesPayload());
    return true;
}

std::string EmulatorServer::RunCommand(const std::string& line, bool& ok)
{
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    ok = true;
    const std::string command = words.empty() ? "" : words[0];
    const std::size_t arguments = words.size() - (words.empty() ? 0 : 1);
    auto fail = [&ok](std::string message) {
        ok = false;
        return message;
    };

    if (command == "dump" && arguments == 0) {
        // The memory as the state file has it, and the bracket log as one more field.
        std::string text = EncodeState(firmware_.Memory());
        text.insert(text.rfind("\n}"), ",\n  \"brackets\": \"" + brackets_.Describe() + "\"");
        return text;
    }
    if (command == "brackets" && arguments == 0)
        return brackets_.Describe() + "\n";
    if (command == "brackets" && arguments == 1 && words[1] == "reset") {
        brackets_.ResetCounts();
        return "bracket log cleared\n";
    }
    if (command == "status" && arguments == 0)
        return std::string(plugged_ ? "plugged" : "unplugged") + ", faults: " + faults_.Describe()
            + (options_.replyLatency.count() > 0
                    ? ", reply latency: " + std::to_string(options_.replyLatency.count()) + " us"
                    : "")
            + ", requests answered: " + std::to_string(requestsAnswered_) + "\n";
    if (command == "plug" && arguments == 0) {
        if (!SetPlugged(true))
            return fail("the kernel refused the keyboard's devices; it stays unplugged\n");
        return "plugged\n";
    }
    if (command == "unplug" && arguments == 0) {
        SetPlugged(false);
        return "unplugged\n";
    }
    if (command == "fault") {
        if (arguments == 1 && words[1] == "clear") {
            faults_.Clear();
            return "faults cleared\n";
        }
        std::uint32_t count = 0;
        if (arguments == 2 && words[1] == "unplug-after" && ParseNumber(words[2], count, 1000000)) {
            if (count == 0)
                SetPlugged(false);
            else
                faults_.UnplugAfter(count);
            return "faults: " + faults_.Describe() + "\n";
        }
        const auto fault = arguments >= 2 ? ParseFault(words[1]) : std::nullopt;
        std::uint32_t delay = 0;
        const bool delayed = fault == Fault::DelayReply;
        if (!fault || arguments != (delayed ? 3u : 2u) || (delayed && !ParseNumber(words[2], delay, 60000000))
            || !ParseNumber(words[delayed ? 3 : 2], count, 1000000))
            return fail("usage: fault drop|ff|fe|echo N, fault delay MICROSECONDS N, fault unplug-after N, "
                        "fault clear\n");
        faults_.Set(*fault, count, delay);
        return "faults: " + faults_.Describe() + "\n";
    }

    // Everything below is something the keyboard does on its own, so it needs to be plugged in.
    std::uint16_t code = 0;
    if (command == "bank" && arguments == 0) {
        code = kCodeBankKey;
    } else if (command == "lighting" && arguments == 0) {
        if (!plugged_)
            return fail("the keyboard is unplugged\n");
        firmware_.StepEffect();
        SaveState();
        code = kCodeLightingChanged;
    } else if (command == "reload" && arguments == 0) {
        code = kCodeReloadWanted;
    } else if (command == "play" && arguments == 1 && (words[1] == "on" || words[1] == "off")) {
        code = words[1] == "on" ? kCodePlayOn : kCodePlayOff;
    } else if (command == "consumer" && arguments == 1) {
        std::uint32_t value = 0;
        if (!ParseNumber(words[1], value, 0xFFFF))
            return fail("usage: consumer CODE (0 to 0xFFFF)\n");
        code = static_cast<std::uint16_t>(value);
    } else if (command == "profile" && arguments == 1) {
        std::uint32_t profile = 0;
        if (!ParseNumber(words[1], profile, 3))
            return fail("usage: profile N (0 to 2, or 3 for the keyboard's default mode)\n");
        if (!plugged_)
            return fail("the keyboard is unplugged\n");
        firmware_.SetActiveProfile(static_cast<std::uint8_t>(profile));
        SaveState();
        code = kCodeProfileChanged;
    } else {
        return fail("unknown command \"" + line
            + "\"; commands: plug, unplug, bank, profile N, lighting, "
              "reload, play on|off, consumer CODE, dump, status, brackets [reset], fault ...\n");
    }
    if (!plugged_)
        return fail("the keyboard is unplugged\n");
    SendConsumerCode(code);
    return "sent consumer code 0x" + [code] {
        char text[8];
        std::snprintf(text, sizeof text, "%04X", code);
        return std::string(text);
    }() + "\n";
}

}  // namespace tolvex::emu
