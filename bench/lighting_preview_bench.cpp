// One preview tick of each lighting effect over all keys, with the frame colours drawn onto the 104
// key buttons, Fn and the G buttons of a window offscreen (painting included): the tick runs every
// 50 ms on the window's thread.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/preview_drawing.h"
#include "ui/png_button.h"

namespace {

using namespace tavrin;

struct Keyboard {
    QWidget window;
    std::vector<std::unique_ptr<ui::CPngButton>> owned;
    app::LitButtonWidgets buttons{};
    lighting::KeyColours colours;

    Keyboard()
    {
        window.resize(1200, 500);
        const QPixmap face(42, 42);
        for (std::size_t place = 0; place < buttons.size(); ++place) {
            auto button = std::make_unique<ui::CPngButton>(&window);
            const int x = static_cast<int>(place % 23) * 44, y = static_cast<int>(place / 23) * 44;
            button->setGeometry(x, y, 42, 42);
            button->SetSkin(0, 0, face, face, face, face, face);
            buttons[place] = button.get();
            owned.push_back(std::move(button));
        }
        window.show();
        QApplication::processEvents();
    }
};

void PreviewTick(benchmark::State& state)
{
    static Keyboard keyboard;
    lighting::LightingState lightingState;
    lightingState.mode = static_cast<int>(state.range(0));
    lightingState.colourful = state.range(1) != 0;
    lightingState.direction = lighting::kDirectionFirst;
    lighting::LightingPreview preview;
    for (auto _ : state) {
        const lighting::PreviewFrame frame = preview.Tick(lightingState);
        app::DrawPreviewFrame(keyboard.buttons, frame, keyboard.colours, 0);
        QApplication::processEvents();  // the buttons paint what changed
        benchmark::DoNotOptimize(frame);
    }
}

void EveryEffect(benchmark::internal::Benchmark* bench)
{
    for (int mode = 1; mode <= 19; ++mode)
        for (int colourful : {0, 1})
            bench->Args({mode, colourful});
    bench->ArgNames({"effect", "colourful"})->Unit(benchmark::kMicrosecond);
}

BENCHMARK(PreviewTick)->Apply(EveryEffect);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
