// tolvex-emu's socket side: one thread polls the listening socket, every client and the delayed
// replies, feeds control requests to the firmware and sends the keyboard's own reports.
//
// The keyboard answers a control request with an input report, and the kernel hands an input
// report to every open handle of the interface: so every reply goes to every device client (and,
// with uhid, to the kernel), whoever asked.
//
// A keyboard on a real bus answers each request some time after it was sent; with a reply latency
// every answer leaves that long after its request came in, in the order the requests came, while
// the loop goes on serving every other client and command.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bracket_log.h"
#include "fault_plan.h"
#include "firmware.h"
#include "tolvex/emu_protocol.h"
#include "uhid_keyboard.h"

namespace tolvex::emu {

struct ServerOptions {
    std::string socketPath;
    std::string statePath;  // empty: memory is not kept across runs
    bool plugged = true;
    // How long after its request each control reply leaves; 0 sends it at once.
    std::chrono::microseconds replyLatency{0};
    // Also be the keyboard to the kernel: HID devices made through /dev/uhid (or what the opener
    // opens), made on plug and removed on unplug.
    bool uhid = false;
    UhidKeyboard::Opener uhidOpener = UhidKeyboard::OpenDevUhid;
};

// The longest reply latency the emulator takes: far beyond any keyboard, well short of the time a
// caller gives up.
inline constexpr std::chrono::microseconds kMaxReplyLatency{10'000'000};

class EmulatorServer {
public:
    EmulatorServer(ServerOptions options, Firmware firmware);
    ~EmulatorServer();
    EmulatorServer(const EmulatorServer&) = delete;
    EmulatorServer& operator=(const EmulatorServer&) = delete;

    // Listens on the socket; fails when another emulator already answers there.
    bool Open(std::string& error);
    // Serves until `stopFd` becomes readable.
    void Run(int stopFd);
    // Writes the state file now; false (with the reason on standard error) when it cannot.
    bool SaveState();

    // What a control client's command line does; `ok` tells success.
    std::string RunCommand(const std::string& line, bool& ok);

private:
    struct Client {
        int fd = -1;
        std::uint64_t id = 0;
        FrameReader frames;
        std::vector<std::uint8_t> output;
        bool greeted = false;
        Role role = Role::Control;
    };
    // A reply on its way, or the keyboard unplugging itself once it has answered.
    struct DelayedReply {
        Report reply{};
        bool unplug = false;
    };
    // The sender of the kernel's requests (through the uhid devices); no client has it.
    static constexpr std::uint64_t kKernelClient = 0;
    using Clock = std::chrono::steady_clock;

    void Accept();
    bool ReadFrom(Client& client);
    bool HandleFrame(Client& client, const FrameReader::Frame& frame);
    void HandleWrite(Client& client, std::uint32_t sequence, std::uint16_t usagePage, std::uint16_t usage,
        std::span<const std::uint8_t> report);
    void HandleControlRequest(std::uint64_t clientId, std::span<const std::uint8_t> request);
    void DeliverReply(const Report& reply);
    void ServeKernel(KeyboardInterface interface);
    void HandleKernelRequest(const UhidRequest& request);
    void SendResult(Client& client, std::uint32_t sequence, int value, std::span<const std::uint8_t> bytes = {});
    void Send(Client& client, std::vector<std::uint8_t> frame);
    bool Flush(Client& client);
    void SendToDevices(MessageType type, std::span<const std::uint8_t> payload);
    void SendConsumerCode(std::uint16_t code);
    std::vector<std::uint8_t> InterfacesPayload() const;
    // False when the kernel would not take the keyboard's devices back (the keyboard stays out).
    bool SetPlugged(bool plugged);
    void SendDueReplies();
    // How long the loop may sleep before the next delayed reply is due; nothing without one.
    std::optional<std::timespec> PollTimeout() const;

    ServerOptions options_;
    Firmware firmware_;
    FaultPlan faults_;
    BracketLog brackets_;
    bool plugged_;
    int listenFd_ = -1;
    std::uint64_t nextClientId_ = 1;
    std::vector<std::unique_ptr<Client>> clients_;
    std::unique_ptr<UhidKeyboard> uhid_;
    // Equal times keep the order they were queued in, so replies leave in the order of requests.
    std::multimap<Clock::time_point, DelayedReply> delayed_;
    Clock::time_point receivedAt_{};  // when the bytes being handled came in
    std::uint64_t requestsAnswered_ = 0;
};

}  // namespace tolvex::emu
