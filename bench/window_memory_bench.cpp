// The main window's cost while the program lives in the tray: the time to show it the first time
// (its looks are laid out then), and the resident memory once it was shown and closed again (its
// looks are let go). In-process, offscreen, over the real library and a real emulator.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "app/tavrin_app.h"
#include "app/tavrin_dlg.h"
#include "app/window_messages.h"
#include "support/answered_messages.h"
#include "support/emulator_process.h"
#include "ui/png_button.h"

namespace {

using namespace std::chrono_literals;
using tavrin::app::CTavrinDlg;

double ResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return static_cast<double>(std::atol(line.c_str() + 6)) / 1024.0;
    return -1;
}

bool PumpUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void BM_WindowInTheTray(benchmark::State& state)
{
    tavrin::testing::EmulatorProcess emulator;
    if (!emulator.Start()) {
        state.SkipWithError("tolvex-emu did not start");
        return;
    }
    ::setenv("HOME", emulator.Folder().c_str(), 1);
    ::setenv("TOLVEX_EMULATOR", emulator.SocketPath().c_str(), 1);
    tavrin::app::CTavrinApp app;
    app.Paths() = tavrin::app::BuildPathTable(tavrin::testing::BinaryFolder() + "/tavrin");
    app.Texts() = tavrin::model::LanguageTexts(app.Paths().base, app.SettingsKey(), tavrin::model::kDefaultLanguage);
    tavrin::testing::AnsweredMessages messages;
    tavrin::app::WindowOptions options;
    options.shownOnce = true;
    options.runtimeFolder = emulator.Folder();
    options.messages = &messages;
    CTavrinDlg window(app, std::move(options));
    if (!window.Initialise() || !PumpUntil([&] {
            return window.WindowReady() && window.Keyboard()->Presence()->LastPresence() != 0
                && window.Tray()->Icon() == tavrin::model::kConnectedIcon;
        })) {
        state.SkipWithError("the window did not start");
        return;
    }
    const double beforeShown = ResidentMegabytes();
    double shownMegabytes = 0;
    double hiddenMegabytes = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        window.HandleMessage(tavrin::app::MSG_OPEN, tavrin::app::MSG_OPEN_CHECK, 0);
        QCoreApplication::processEvents();  // the first paint
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        shownMegabytes = ResidentMegabytes();
        window.Skin()->Buttons().cancel->click();
        if (!PumpUntil([&] { return window.Skin() == nullptr; })) {
            state.SkipWithError("the hidden window kept its looks");
            break;
        }
        hiddenMegabytes = ResidentMegabytes();
    }
    state.counters["resident_in_tray_before_MB"] = beforeShown;
    state.counters["resident_shown_MB"] = shownMegabytes;
    state.counters["resident_in_tray_after_MB"] = hiddenMegabytes;
    window.CloseDown();
}
BENCHMARK(BM_WindowInTheTray)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
