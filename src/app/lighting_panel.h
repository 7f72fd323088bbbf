// The lighting panel of the main window: renders the lighting editor's state in the skin's
// controls and forwards what the user does to it. Every decision (what a change writes, which
// controls show, which frame the preview draws) is the core's; this class only draws and forwards.
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

#include "app/preview_drawing.h"
#include "lighting/lighting_controls.h"
#include "lighting/lighting_editor.h"
#include "lighting/lighting_preview.h"

class QEvent;
class QWidget;

namespace tavrin::model {
class LanguageTexts;
class UserMessages;
}  // namespace tavrin::model

namespace tavrin::ui {
class CPngButton;
class MainWindowSkin;
}  // namespace tavrin::ui

namespace tavrin::app {

inline constexpr int kPreviewTimer = 1052;
inline constexpr int kPreviewPeriodMs = 50;
inline constexpr int kPreviewFirstPeriodMs = 100;  // right after an effect change

class LightingPanel : public QObject {
    Q_OBJECT
public:
    struct Host {
        lighting::LightingEditor* editor = nullptr;
        ui::MainWindowSkin* skin = nullptr;
        model::LanguageTexts* texts = nullptr;
        model::UserMessages* messages = nullptr;
        QWidget* window = nullptr;             // where a drag across the keys is followed
        std::function<void()> normalKeyLook;   // the keys' key-assignment look again
        std::function<void()> reloadLighting;  // after a failure: read what the keyboard holds
    };

    LightingPanel(Host host, QObject* parent);
    ~LightingPanel() override;

    // Redraws every control from the editor's state.
    void Refresh();
    void Relabel(int languageIndex);
    // Opens or closes the panel, as its switch does.
    void SetOpen(bool open);
    // While the panel is open on a profile, clicks on the key buttons paint and do nothing else.
    bool TakesKeyClicks() const;
    // The lighting defaults (the window's default command), with the default key colours.
    void RestoreDefaults();
    // Tells the user what failed, and reads the keyboard again after a device failure (which may
    // be told later, once the keyboard worker has tried).
    void Report(const lighting::LightingResult& result);
    // One preview step (the timer runs it); public for tests and the benchmark.
    void Tick();

    const QTimer& PreviewTimer() const { return previewTimer_; }
    lighting::LightingPreview& Preview() { return preview_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Connect();
    // A control change through the editor, with the failure told and the controls redrawn.
    void Change(const std::function<lighting::ControlOutcome(const lighting::LightingState&)>& change);
    void OnEffectChosen(int position);
    void OnColourChosen(lighting::Colour colour);
    void PaintKey(int controlId);
    void ApplyVisibility();
    void ShowDirectionPictures();
    void ShowColourfulSwitches();
    void ShowFixedColours();
    void ShowPerKeyTools();
    void ShowKeyColours();
    void ShowFrame(const lighting::PreviewFrame& frame);
    void ClearFrames();
    void FillLists();
    void FillLayouts();
    void StartPreview(int periodMs);
    void StopPreview();

    Host host_;
    LitButtonWidgets buttons_{};  // by place among the lit buttons
    lighting::LightingPreview preview_;
    QTimer previewTimer_;
    std::optional<int> lastPainted_;  // the key a drag painted last
    bool painting_ = false;
    bool refreshing_ = false;
};

}  // namespace tavrin::app
