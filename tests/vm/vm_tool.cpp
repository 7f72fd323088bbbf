// The guest test's helper, run on the host and inside the guest:
//
//   tavrin-vm-tool samples SAMPLE WORKING   writes the sample profile file (assignments in all three
//                                           profiles, macros with names) and a default working file
//   tavrin-vm-tool round-trip N             N control requests and their replies through
//                                           libTolvex.so (hidraw, or the emulator's socket with
//                                           TOLVEX_EMULATOR set); prints the median and the mean
//   tavrin-vm-tool list                     what hidapi reports of the keyboard's collections
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <hidapi.h>

#include "device/device_memory.h"
#include "device/device_report.h"
#include "profiles/profile_data.h"
#include "profiles/profile_file.h"
#include "support/control_round_trip.h"
#include "support/sample_profile.h"
#include "support/tolvex_library.h"

namespace {

using namespace tavrin;
using Clock = std::chrono::steady_clock;

int WriteSamples(const std::string& samplePath, const std::string& workingPath)
{
    auto sample = std::make_unique<profiles::ProfileData>();
    testing::FillSampleProfile(*sample);
    if (!profiles::SaveProfileFile(samplePath, *sample) || !profiles::CreateDefaultProfileFile(workingPath)) {
        std::fprintf(stderr, "tavrin-vm-tool: cannot write %s or %s\n", samplePath.c_str(), workingPath.c_str());
        return 1;
    }
    return 0;
}

int MeasureRoundTrips(int count)
{
    const auto library = testing::TolvexLibrary::Load();
    if (!library.Complete() || library.Init(0) <= 0) {
        std::fprintf(stderr, "tavrin-vm-tool: libTolvex.so did not start\n");
        return 1;
    }
    const InterfaceSelector control = testing::ControlSelector();
    // The keyboard may still be arriving.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    const std::uint32_t countKey = TolvexRequestKey(&control, nullptr, 0, nullptr, 0);
    while (library.RequestGetDeviceCount(&control, nullptr, 0, countKey, nullptr) <= 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    testing::ControlRoundTrip roundTrip(library);
    std::vector<double> micros;
    double first = 0;
    // The first few open the node and warm the caches; they are not counted.
    constexpr int kWarmUp = 10;
    for (int i = 0; i < count + kWarmUp; ++i) {
        const auto start = Clock::now();
        const testing::RoundTrip result = roundTrip.Once(std::chrono::seconds(2));
        if (result != testing::RoundTrip::Replied) {
            std::fprintf(stderr, "tavrin-vm-tool: %s\n",
                result == testing::RoundTrip::Refused ? "the write was refused" : "no reply");
            library.End();
            return 1;
        }
        const double took = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        if (i == 0)
            first = took;
        if (i >= kWarmUp)
            micros.push_back(took);
    }
    library.End();
    std::sort(micros.begin(), micros.end());
    double sum = 0;
    for (const double value : micros)
        sum += value;
    std::printf("round trip: median %.1f us, mean %.1f us, fastest %.1f us over %zu (the first: %.0f us)\n",
        micros[micros.size() / 2], sum / static_cast<double>(micros.size()), micros.front(), micros.size(), first);
    return 0;
}

int ListCollections()
{
    if (hid_init() != 0)
        return 1;
    hid_device_info* const list = hid_enumerate(TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID);
    for (const hid_device_info* entry = list; entry; entry = entry->next)
        std::printf("%s: %04X:%04X usage page %04X usage %04X interface %d\n", entry->path ? entry->path : "?",
            entry->vendor_id, entry->product_id, entry->usage_page, entry->usage, entry->interface_number);
    hid_free_enumeration(list);
    hid_exit();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "list" && argc == 2)
        return ListCollections();
    if (command == "samples" && argc == 4)
        return WriteSamples(argv[2], argv[3]);
    if (command == "round-trip" && argc == 3) {
        const int count = std::atoi(argv[2]);
        if (count > 0 && count <= 1000000)
            return MeasureRoundTrips(count);
    }
    std::fprintf(stderr, "usage: tavrin-vm-tool samples SAMPLE WORKING | round-trip N | list\n");
    return 2;
}
