// tolvex-emu: the keyboard in a box, and `tolvex-emu ctl` to drive a running one.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

#include "emulator_server.h"
#include "platform/stop_signals.h"
#include "state_file.h"
#include "unix_socket.h"

namespace {

using namespace tolvex::emu;

constexpr const char* kUsage
    = "usage: tolvex-emu --socket PATH [--state FILE] [--macro-units N] [--modes LIST] [--unplugged]\n"
      "                  [--latency-us N] [--uhid]\n"
      "       tolvex-emu ctl SOCKET COMMAND [ARGUMENTS]\n"
      "\n"
      "  --socket PATH      the Unix socket that libTolvex reaches it on (TOLVEX_EMULATOR)\n"
      "  --state FILE       the keyboard's memory, kept across runs (JSON of hex strings, at most\n"
      "                     4 MiB); a corrupt one is kept as FILE.corrupt\n"
      "  --macro-units N    macro capacity in units of 128 bytes (0 to 255, default 128)\n"
      "  --modes LIST       offered lighting modes, e.g. 1-10,19 (at most 23; default 1-19)\n"
      "  --unplugged        start with the keyboard unplugged\n"
      "  --latency-us N     answer each control request N microseconds after it came in, in order,\n"
      "                     as a keyboard on a real bus does (0 to 10000000, default 0: at once)\n"
      "  --uhid             also be the keyboard to the kernel: its three HID interfaces are made\n"
      "                     through /dev/uhid (hidraw nodes appear), removed on unplug\n"
      "\n"
      "ctl commands: plug, unplug, bank, profile N, lighting, reload, play on|off, consumer CODE,\n"
      "  dump, status, fault drop|ff|fe|echo N, fault delay MICROSECONDS N, fault unplug-after N,\n"
      "  fault clear, brackets, brackets reset\n"
      "\n"
      "Every control reply goes to every connected program, as the kernel hands it to every open\n"
      "hidraw handle. The bracket log (the \"brackets\" field of dump, or brackets) counts begins,\n"
      "ends, nested begins (a begin while a bracket is open), foreign requests (any control request\n"
      "from another program while one program's bracket is open) and ends outside a bracket;\n"
      "brackets reset sets the counts to zero.\n";

static_assert(kStateFileLimit == std::size_t{4} << 20, "the usage text gives the state file's limit");
static_assert(kMaxReplyLatency.count() == 10000000, "the usage text gives the latency's limit");

// A whole decimal number of microseconds within the limit; nothing for anything else.
std::optional<std::chrono::microseconds> ParseLatency(const char* text)
{
    if (*text < '0' || *text > '9')
        return std::nullopt;  // no sign, no space
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > static_cast<unsigned long long>(kMaxReplyLatency.count()))
        return std::nullopt;
    return std::chrono::microseconds(static_cast<std::int64_t>(value));
}

bool ParseModes(const std::string& text, std::vector<std::uint8_t>& modes)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        int first = 0, last = 0;
        char extra = 0;
        if (std::sscanf(item.c_str(), "%d-%d%c", &first, &last, &extra) == 2) {
        } else if (std::sscanf(item.c_str(), "%d%c", &first, &extra) == 1) {
            last = first;
        } else {
            return false;
        }
        if (first < 1 || last > 19 || first > last)
            return false;
        for (int mode = first; mode <= last; ++mode)
            modes.push_back(static_cast<std::uint8_t>(mode));
        start = comma + 1;
    }
    return !modes.empty() && modes.size() <= kInfoModeSlots;
}

int RunControl(const std::string& socketPath, const std::string& line)
{
    int fd = tolvex::ConnectUnixSocket(socketPath);
    if (fd < 0) {
        std::fprintf(
            stderr, "tolvex-emu ctl: cannot reach an emulator at %s: %s\n", socketPath.c_str(), std::strerror(errno));
        return 2;
    }
    std::vector<std::uint8_t> hello;
    PutU32(hello, kProtocolVersion);
    PutU32(hello, static_cast<std::uint32_t>(Role::Control));
    const std::vector<std::uint8_t> command(line.begin(), line.end());
    if (!tolvex::WriteAll(fd, EncodeFrame(MessageType::Hello, 0, hello))
        || !tolvex::WriteAll(fd, EncodeFrame(MessageType::Control, 1, command))) {
        std::fprintf(stderr, "tolvex-emu ctl: the emulator closed the connection\n");
        tolvex::CloseQuietly(fd);
        return 2;
    }
    FrameReader frames;
    std::uint8_t chunk[8192];
    for (;;) {
        pollfd waiter{fd, POLLIN, 0};
        if (::poll(&waiter, 1, 5000) <= 0)
            break;
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count <= 0)
            break;
        frames.Append({chunk, static_cast<std::size_t>(count)});
        bool broken = false;
        auto frame = frames.Next(broken);
        if (broken)
            break;
        if (!frame || frame->type != MessageType::Result || frame->payload.size() < 4)
            continue;
        tolvex::CloseQuietly(fd);
        const bool ok = GetU32(frame->payload.data()) == 1;
        std::fwrite(frame->payload.data() + 4, 1, frame->payload.size() - 4, ok ? stdout : stderr);
        return ok ? 0 : 1;
    }
    tolvex::CloseQuietly(fd);
    std::fprintf(stderr, "tolvex-emu ctl: no answer from the emulator\n");
    return 2;
}

int RunEmulator(int argc, char** argv)
{
    ServerOptions options;
    std::optional<std::uint8_t> macroUnits;
    std::vector<std::uint8_t> modes;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (option == "--unplugged") {
            options.plugged = false;
        } else if (option == "--uhid") {
            options.uhid = true;
        } else if (option == "--socket" && hasValue) {
            options.socketPath = argv[++i];
        } else if (option == "--state" && hasValue) {
            options.statePath = argv[++i];
        } else if (option == "--macro-units" && hasValue) {
            char* end = nullptr;
            const long units = std::strtol(argv[++i], &end, 0);
            if (*end != '\0' || units < 0 || units > 255) {
                std::fprintf(stderr, "tolvex-emu: --macro-units takes 0 to 255\n");
                return 2;
            }
            macroUnits = static_cast<std::uint8_t>(units);
        } else if (option == "--latency-us" && hasValue) {
            const char* value = argv[++i];
            const std::optional<std::chrono::microseconds> latency = ParseLatency(value);
            if (!latency) {
                std::fprintf(stderr,
                    "tolvex-emu: --latency-us takes a whole number of microseconds from 0 to %lld, not \"%s\"\n",
                    static_cast<long long>(kMaxReplyLatency.count()), value);
                return 2;
            }
            options.replyLatency = *latency;
        } else if (option == "--modes" && hasValue) {
            if (!ParseModes(argv[++i], modes)) {
                std::fprintf(stderr, "tolvex-emu: --modes takes up to 23 modes 1 to 19, e.g. 1-10,19\n");
                return 2;
            }
        } else {
            std::fprintf(stderr, "tolvex-emu: unknown or incomplete option %s\n%s", option.c_str(), kUsage);
            return 2;
        }
    }
    if (options.socketPath.empty()) {
        std::fprintf(stderr, "tolvex-emu: --socket is required\n%s", kUsage);
        return 2;
    }

    if (options.uhid) {
        const int probe = UhidKeyboard::OpenDevUhid();
        if (probe < 0) {
            std::fprintf(stderr, "tolvex-emu: --uhid needs %s (the uhid kernel module and the right to open it): %s\n",
                UhidKeyboard::kDevicePath, std::strerror(errno));
            return 2;
        }
        ::close(probe);
    }

    KeyboardMemory memory = FactoryMemory();
    if (!options.statePath.empty()) {
        StateFileLoad load = LoadStateFile(options.statePath);
        if (!load.message.empty())
            std::fprintf(stderr, "tolvex-emu: %s\n", load.message.c_str());
        if (load.outcome == StateFileLoad::Outcome::Refused)
            return 2;
        memory = std::move(load.memory);
    }
    if (macroUnits)
        SetMacroUnits(memory, *macroUnits);
    if (!modes.empty())
        SetOfferedModes(memory, modes);

    EmulatorServer server(options, Firmware(std::move(memory)));
    std::string error;
    if (!server.Open(error)) {
        std::fprintf(stderr, "tolvex-emu: %s\n", error.c_str());
        return 1;
    }
    if (!server.SaveState())
        return 1;
    const int stop = tavrin::platform::WatchStopSignals();
    if (stop < 0)
        return 1;
    std::signal(SIGPIPE, SIG_IGN);
    // The kernel may let a sleeping thread's timer run 50 us late by default, which would add that
    // much to every delayed reply.
    if (options.replyLatency.count() > 0)
        ::prctl(PR_SET_TIMERSLACK, 1UL);
    server.Run(stop);
    return server.SaveState() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "ctl") {
        if (argc < 4) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        std::string line;
        for (int i = 3; i < argc; ++i) {
            if (i > 3)
                line += ' ';
            line += argv[i];
        }
        return RunControl(argv[2], line);
    }
    return RunEmulator(argc, argv);
}
