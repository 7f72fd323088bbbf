// A second host for end-to-end tests: libTolvex.so in a process of its own, against the emulator
// that TOLVEX_EMULATOR names. On standard error it says "ready" once the keyboard is there, then
//
//   tolvex_peer listen               "report HEX" for every control report, until it is stopped
//   tolvex_peer send REQUEST...      each of begin, end or info in turn, waiting for its reply:
//                                    "reply HEX" for each; exit status 0 when every one came back
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "device/device_memory.h"
#include "device/device_report.h"
#include "support/tolvex_library.h"

namespace {

using namespace tavrin::testing;
using namespace std::chrono_literals;

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char digits[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

bool IsControlReport(const RecordedNotification& notification)
{
    return notification.kind == TOLVEX_NOTIFY_DATA && notification.tag == TOLVEX_TAG_CONTROL;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || (words[0] != "listen" && words[0] != "send")) {
        std::fputs("usage: tolvex_peer listen | send begin|end|info...\n", stderr);
        return 2;
    }
    TolvexLibrary library = TolvexLibrary::Load();
    if (!library.Complete() || library.Init(0) != 1) {
        std::fputs("tolvex_peer: cannot load or start libTolvex.so\n", stderr);
        return 1;
    }
    InterfaceSelector control = ControlSelector();
    std::uint32_t handle = 0;
    library.RequestAsyncRead(&control, NotificationRecorder::Callback, TOLVEX_TAG_CONTROL,
        TolvexRequestKey(&control, NotificationRecorder::Callback, TOLVEX_TAG_CONTROL, nullptr, 0), &handle);
    const auto present = [&] {
        return library.RequestGetDeviceCount(
                   &control, nullptr, 0, TolvexRequestKey(&control, nullptr, 0, nullptr, 0), nullptr)
            > 0;
    };
    for (int attempt = 0; attempt < 200 && !present(); ++attempt)
        std::this_thread::sleep_for(10ms);
    if (!present()) {
        std::fputs("tolvex_peer: no keyboard\n", stderr);
        return 1;
    }
    std::fputs("ready\n", stderr);

    std::size_t seen = 0;
    if (words[0] == "listen") {
        for (;;) {
            const auto recorded = NotificationRecorder::Snapshot();
            for (; seen < recorded.size(); ++seen)
                if (IsControlReport(recorded[seen]))
                    std::fprintf(stderr, "report %s\n", Hex(recorded[seen].bytes).c_str());
            std::this_thread::sleep_for(5ms);
        }
    }

    int status = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        tavrin::device::DeviceReport request{};
        request.reportId = tavrin::device::kReportId;
        if (words[i] == "begin") {
            request.command = tavrin::device::CMD_BEGIN;
        } else if (words[i] == "end") {
            request.command = tavrin::device::CMD_END;
        } else if (words[i] == "info") {
            request.command = tavrin::device::CMD_READ_INFO;
            request.length = 56;
        } else {
            std::fprintf(stderr, "tolvex_peer: unknown request %s\n", words[i].c_str());
            return 2;
        }
        tavrin::device::ComputeReportChecksum(tavrin::device::ReportBytes(request));
        const auto bytes = tavrin::device::ReportBytes(request);
        const auto key = TolvexRequestKey(&control, nullptr, 0, bytes.data(), bytes.size());
        if (library.RequestWriteOne(&control, nullptr, 0, bytes.data(), 64, key, nullptr) <= 0) {
            std::fprintf(stderr, "tolvex_peer: %s was not sent\n", words[i].c_str());
            return 1;
        }
        // Its reply: the next control report that echoes its command (another host's may come first).
        RecordedNotification reply;
        std::size_t index = 0;
        const bool replied = NotificationRecorder::WaitFor(
            [&](const RecordedNotification& n) {
                return index++ >= seen && IsControlReport(n) && n.bytes.size() > 3 && n.bytes[3] == request.command;
            },
            &reply, 2000ms);
        seen = index;
        if (!replied) {
            std::fprintf(stderr, "tolvex_peer: no reply to %s\n", words[i].c_str());
            status = 1;
            continue;
        }
        std::fprintf(stderr, "reply %s\n", Hex(reply.bytes).c_str());
    }
    library.End();
    return status;
}
