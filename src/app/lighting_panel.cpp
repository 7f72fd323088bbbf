#include "app/lighting_panel.h"

#include "app/preview_drawing.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QWidget>

#include "lighting/lighting_modes.h"
#include "model/language_texts.h"
#include "model/user_messages.h"
#include "platform/private_profile.h"
#include "ui/color_static.h"
#include "ui/main_window_skin.h"
#include "ui/picture_static.h"
#include "ui/png_button.h"
#include "ui/skin_color_button.h"
#include "ui/skin_pictures.h"
#include "ui/skin_slider.h"

namespace tavrin::app {

namespace {

using lighting::Colour;

constexpr const char* kFixedColourPictures[] = {"hong", "huang", "lv", "lan"};

// The names of a section of the language file ("Mode" 1–19, "LED" 1–2); "1" when missing.
QString LanguageEntry(model::LanguageTexts& texts, const char* section, int key)
{
    const std::string path = model::LanguageFilePath(texts.Folder(), texts.LanguageId());
    return QString::fromStdString(platform::GetPrivateProfileString(section, std::to_string(key), "1", path));
}

}  // namespace

LightingPanel::LightingPanel(Host host, QObject* parent)
    : QObject(parent)
    , host_(std::move(host))
{
    for (std::size_t place = 0; place < buttons_.size(); ++place)
        buttons_[place] = host_.skin->Keyboard().ButtonWithId(lighting::LitButtons()[place].controlId);
    previewTimer_.setTimerType(Qt::PreciseTimer);
    connect(&previewTimer_, &QTimer::timeout, this, [this] { Tick(); });
    Connect();
}

LightingPanel::~LightingPanel()
{
    previewTimer_.stop();
    ClearFrames();
}

void LightingPanel::Connect()
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    lighting::LightingEditor& editor = *host_.editor;
    connect(l.openSwitch, &ui::PictureStatic::Clicked, this, [this] { SetOpen(!host_.editor->PanelOpen()); });
    connect(l.effects, qOverload<int>(&QComboBox::activated), this, [this](int position) { OnEffectChosen(position); });
    connect(l.brightness, &QAbstractSlider::valueChanged, this,
        [this](int v) { Change([v](const auto& s) { return lighting::MoveBrightness(s, v); }); });
    connect(l.speed, &QAbstractSlider::valueChanged, this,
        [this](int v) { Change([v](const auto& s) { return lighting::MoveSpeed(s, v); }); });
    connect(l.firstDirection, &ui::PictureStatic::Clicked, this,
        [this] { Change([](const auto& s) { return lighting::ChooseDirection(s, lighting::kDirectionFirst); }); });
    connect(l.secondDirection, &ui::PictureStatic::Clicked, this,
        [this] { Change([](const auto& s) { return lighting::ChooseDirection(s, lighting::kDirectionSecond); }); });
    for (const ui::EffectColourGroup* group : {&l.hx, &l.fy}) {
        connect(group->colour, &ui::CSkinColorBtn::ColourChosen, this, [this](std::uint32_t c) { OnColourChosen(c); });
        connect(group->colourfulSwitch, &ui::PictureStatic::Clicked, this,
            [this] { Change([](const auto& s) { return lighting::SetColourful(s, !s.colourful); }); });
    }
    for (int k = 0; k < static_cast<int>(l.fixedColours.size()); ++k)
        connect(l.fixedColours[static_cast<std::size_t>(k)], &ui::PictureStatic::Clicked, this,
            [this, k] { Change([k](const auto& s) { return lighting::ChooseFixedColour(s, k); }); });
    for (int k = 0; k < static_cast<int>(l.reportRates.size()); ++k)
        connect(l.reportRates[static_cast<std::size_t>(k)], &QAbstractButton::clicked, this,
            [this, k] { Change([k](const auto& s) { return lighting::ChooseReportRate(s, k); }); });
    connect(l.ambient, qOverload<int>(&QComboBox::activated), this,
        [this](int k) { Change([k](const auto& s) { return lighting::ChooseAmbient(s, k + 1); }); });
    connect(l.ambientColour, &ui::CSkinColorBtn::ColourChosen, this,
        [this](std::uint32_t c) { Change([c](const auto& s) { return lighting::ChooseAmbientColour(s, c); }); });

    connect(l.paintColour, &ui::CSkinColorBtn::ColourChosen, this, [this, &editor](std::uint32_t c) {
        Report(editor.ChangePaintColour(c));
        ShowPerKeyTools();
    });
    connect(l.baseColour, &ui::CSkinColorBtn::ColourChosen, this, [this, &editor](std::uint32_t c) {
        Report(editor.ChangeBaseColour(c));
        ShowPerKeyTools();
        ShowKeyColours();
    });
    connect(l.paintBrush, &ui::PictureStatic::Clicked, this, [this, &editor] {
        Report(editor.ChooseBrush(lighting::Brush::Paint));
        ShowPerKeyTools();
    });
    connect(l.baseBrush, &ui::PictureStatic::Clicked, this, [this, &editor] {
        Report(editor.ChooseBrush(lighting::Brush::Base));
        ShowPerKeyTools();
    });
    connect(l.userLayouts, qOverload<int>(&QComboBox::activated), this, [this, &editor](int layout) {
        Report(editor.SelectLayout(layout));
        ShowPerKeyTools();
        ShowKeyColours();
    });
    if (QLineEdit* edit = l.userLayouts->lineEdit())
        connect(edit, &QLineEdit::textEdited, this, [this, &editor, &l](const QString& text) {
            const int layout = editor.SelectedLayout();
            Report(editor.RenameLayout(layout, text.toStdString()));
            const QSignalBlocker quiet(l.userLayouts);
            l.userLayouts->setItemText(layout, text);
        });

    // "Other" in every colour button asks through the window's seam.
    for (ui::CSkinColorBtn* button : {l.hx.colour, l.fy.colour, l.paintColour, l.baseColour, l.ambientColour})
        button->SetOtherColourPicker([this](const QColor& initial, QWidget*) -> std::optional<QColor> {
            const auto chosen = host_.messages->ChooseColour(ui::ValueOfColour(initial));
            if (!chosen)
                return std::nullopt;
            return ui::ColourOfValue(*chosen);
        });

    // Painting follows a press across the keys.
    for (const lighting::LitButton& lit : lighting::LitButtons())
        if (lighting::PaintableLedOf(lit.controlId))
            if (ui::CPngButton* button = host_.skin->Keyboard().ButtonWithId(lit.controlId))
                button->installEventFilter(this);
}

void LightingPanel::Change(const std::function<lighting::ControlOutcome(const lighting::LightingState&)>& change)
{
    if (refreshing_ || !host_.editor->OnProfile())
        return;
    lighting::LightingEditor& editor = *host_.editor;
    const lighting::ControlOutcome outcome = change(editor.State());
    if (outcome.sequences.empty() && outcome.state == editor.State())
        return;
    Report(editor.Change(outcome));
    // Only what the change touched is drawn again.
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const lighting::LightingState& s = editor.State();
    const QSignalBlocker b1(l.brightness), b2(l.speed), b3(l.ambient);
    l.brightness->setValue(s.brightness);
    l.speed->setValue(lighting::SpeedPosition(s.speed));
    l.hx.colour->SetColour(s.effectColour);
    l.fy.colour->SetColour(s.effectColour);
    l.ambientColour->SetColour(s.ambientColour);
    l.ambient->setCurrentIndex(s.ambientChoice - 1);
    for (std::size_t k = 0; k < l.reportRates.size(); ++k)
        l.reportRates[k]->SetChecked(static_cast<int>(k) == s.reportRate);
    ShowColourfulSwitches();
    ShowFixedColours();
    ShowDirectionPictures();
    ApplyVisibility();
}

void LightingPanel::Report(const lighting::LightingResult& result)
{
    if (result.Ok())
        return;
    host_.messages->Notify(result.Describe()
        + (result.device.Failed() ? ". Tavrin reads the keyboard's lighting again to show what it holds." : "."));
    if (result.device.Failed() && host_.reloadLighting)
        host_.reloadLighting();
}

void LightingPanel::OnEffectChosen(int position)
{
    const int mode = host_.editor->Modes().ModeAt(position);
    if (mode == 0)
        return;
    Change([mode](const auto& s) { return lighting::SelectEffect(s, mode); });
    host_.skin->PlaceDirectionGroup(mode);
    if (mode == lighting::kPerKeyMode)
        ShowKeyColours();
    else
        ClearFrames();
    preview_.Reset();
    StartPreview(kPreviewFirstPeriodMs);
}

void LightingPanel::OnColourChosen(Colour colour)
{
    Change([colour](const auto& s) { return lighting::ChooseEffectColour(s, colour); });
}

void LightingPanel::Refresh()
{
    refreshing_ = true;
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const lighting::LightingEditor& editor = *host_.editor;
    const lighting::LightingState& s = editor.State();
    FillLists();
    {
        const QSignalBlocker b1(l.brightness), b2(l.speed);
        l.brightness->setValue(s.brightness);
        l.speed->setValue(lighting::SpeedPosition(s.speed));
    }
    for (std::size_t k = 0; k < l.reportRates.size(); ++k)
        l.reportRates[k]->SetChecked(static_cast<int>(k) == s.reportRate);
    l.hx.colour->SetColour(s.effectColour);
    l.fy.colour->SetColour(s.effectColour);
    l.ambientColour->SetColour(s.ambientColour);
    ShowColourfulSwitches();
    FillLayouts();
    ShowPerKeyTools();
    ShowFixedColours();
    ShowDirectionPictures();
    host_.skin->PlaceDirectionGroup(s.mode);
    refreshing_ = false;

    l.openSwitch->SetPicture(host_.skin->Bitmap(editor.PanelOpen() ? "dengdown.bmp" : "dengup.bmp"));
    ApplyVisibility();
    if (!editor.OnProfile() || !editor.PanelOpen()) {
        // A closed panel or the default profile: the keys show no lighting.
        StopPreview();
        ClearFrames();
        return;
    }
    if (s.mode == lighting::kPerKeyMode)
        ShowKeyColours();
    StartPreview(kPreviewPeriodMs);
}

void LightingPanel::Relabel(int languageIndex)
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const std::pair<ui::ColorStatic*, const char*> labels[]
        = {{l.title, "IDS_KEYBOARD_FUNC_DENG"}, {l.brightnessLabel, "IDS_KEYBOARD_FUNC_TEXTLIGHT"},
            {l.speedLabel, "IDS_KEYBOARD_FUNC_SPEED"}, {l.directionLabel, "IDS_KEYBOARD_FUNC_FX"},
            {l.hx.label, "IDS_KEYBOARD_FUNC_COLOR"}, {l.hx.colourfulLabel, "IDS_KEYBOARD_FUNC_COLOURFUL"},
            {l.fy.label, "IDS_KEYBOARD_FUNC_COLOR"}, {l.fy.colourfulLabel, "IDS_KEYBOARD_FUNC_COLOURFUL"},
            {l.paintColourLabel, "IDS_KEYBOARD_FUNC_COLOR"}, {l.baseColourLabel, "IDS_KEYBOARD_FUNC_JCOLOR"},
            {l.brushLabel, "IDS_KEYBOARD_FUNC_TOOL"}, {l.ambientLabel, "IDS_KEYBOARD_FUNC_LED"},
            {l.ambientColourLabel, "IDS_KEYBOARD_FUNC_SIDECOLOR"}, {l.reportLabel, "IDS_KEYBOARD_FUNC_USB"}};
    for (const auto& [label, key] : labels)
        label->setText(QString::fromStdString(host_.texts->Text(key, languageIndex)));
}

void LightingPanel::SetOpen(bool open)
{
    lighting::LightingEditor& editor = *host_.editor;
    if (open && !editor.OnProfile())
        return;  // the default profile has no lighting to edit
    if (!editor.SetPanelOpen(open))
        host_.messages->Notify("The lighting panel's state could not be saved; it opens as before next time.");
    if (!open) {
        StopPreview();
        ClearFrames();
        if (host_.normalKeyLook)
            host_.normalKeyLook();
    }
    Refresh();
}

bool LightingPanel::TakesKeyClicks() const
{
    return host_.editor->PanelOpen() && host_.editor->OnProfile();
}

void LightingPanel::RestoreDefaults()
{
    if (!host_.editor->OnProfile())
        return;
    Report(host_.editor->RestoreDefaults());
    preview_.Reset();
    Refresh();
    if (host_.editor->PanelOpen())
        StartPreview(kPreviewPeriodMs);
}

void LightingPanel::PaintKey(int controlId)
{
    if (!TakesKeyClicks() || host_.editor->State().mode != lighting::kPerKeyMode)
        return;
    if (lastPainted_ == controlId)
        return;
    lastPainted_ = controlId;
    Report(host_.editor->Paint(controlId));
    ShowKeyColours();
}

bool LightingPanel::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto* button = qobject_cast<ui::CPngButton*>(watched);
    if (!button || !TakesKeyClicks())
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        painting_ = true;
        lastPainted_.reset();
        for (const lighting::LitButton& lit : lighting::LitButtons())
            if (host_.skin->Keyboard().ButtonWithId(lit.controlId) == button)
                PaintKey(lit.controlId);
    } else if (type == QEvent::MouseMove && painting_ && (mouse->buttons() & Qt::LeftButton)) {
        // The pressed button keeps the mouse: the key under it is found in the window.
        QWidget* under = host_.window->childAt(host_.window->mapFromGlobal(mouse->globalPosition().toPoint()));
        for (const lighting::LitButton& lit : lighting::LitButtons())
            if (under && host_.skin->Keyboard().ButtonWithId(lit.controlId) == under)
                PaintKey(lit.controlId);
    } else if (type == QEvent::MouseButtonRelease) {
        painting_ = false;
    }
    return false;
}

void LightingPanel::ApplyVisibility()
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const lighting::LightingState& s = host_.editor->State();
    const unsigned shown = lighting::VisibleLightingControls(
        s.mode, host_.editor->PanelOpen(), host_.editor->OnProfile(), s.ambientChoice);
    const auto show = [shown](unsigned bit, std::initializer_list<QWidget*> widgets) {
        for (QWidget* widget : widgets)
            widget->setVisible((shown & bit) != 0);
    };
    show(lighting::kShowEffects, {l.effects});
    show(lighting::kShowBrightness, {l.brightnessLabel, l.brightness});
    show(lighting::kShowSpeed, {l.speedLabel, l.speed});
    show(lighting::kShowDirection, {l.directionLabel, l.firstDirection, l.secondDirection});
    show(lighting::kShowColoursHX, {l.hx.label, l.hx.colour, l.hx.colourfulLabel, l.hx.colourfulSwitch});
    show(lighting::kShowColoursFY, {l.fy.label, l.fy.colour, l.fy.colourfulLabel, l.fy.colourfulSwitch});
    show(lighting::kShowFixedColours, {l.fixedColours[0], l.fixedColours[1], l.fixedColours[2], l.fixedColours[3]});
    show(lighting::kShowPerKeyTools,
        {l.paintColourLabel, l.paintColour, l.baseColourLabel, l.baseColour, l.brushLabel, l.paintBrush, l.baseBrush,
            l.userLayouts});
    show(lighting::kShowAmbient, {l.ambientLabel, l.ambient});
    show(lighting::kShowAmbientColour, {l.ambientColourLabel, l.ambientColour});
    // The report rate belongs to the open panel on a profile, whatever the effect.
    show(lighting::kShowAmbient,
        {l.reportLabel, l.reportRates[0], l.reportRates[1], l.reportRates[2], l.reportRates[3]});
    for (QWidget* widget : l.alwaysHidden)
        widget->hide();
}

void LightingPanel::ShowDirectionPictures()
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const lighting::LightingState& s = host_.editor->State();
    const lighting::DirectionPictures pictures = lighting::DirectionPicturesOf(s.mode);
    const bool first = s.direction == lighting::kDirectionFirst;
    l.firstDirection->SetPicture(host_.skin->Bitmap(first ? pictures.firstSelected : pictures.first));
    l.secondDirection->SetPicture(host_.skin->Bitmap(first ? pictures.second : pictures.secondSelected));
}

void LightingPanel::ShowColourfulSwitches()
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const QPixmap& picture = host_.skin->Bitmap(host_.editor->State().colourful ? "sjsdown.bmp" : "sjsup.bmp");
    l.hx.colourfulSwitch->SetPicture(picture);
    l.fy.colourfulSwitch->SetPicture(picture);
}

void LightingPanel::ShowFixedColours()
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    for (std::size_t k = 0; k < l.fixedColours.size(); ++k) {
        const bool chosen = static_cast<int>(k) == host_.editor->State().fixedColour;
        l.fixedColours[k]->SetPicture(
            host_.skin->Bitmap(std::string(kFixedColourPictures[k]) + (chosen ? "ok.bmp" : ".bmp")));
    }
}

void LightingPanel::ShowPerKeyTools()
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const lighting::LightingEditor& editor = *host_.editor;
    l.paintColour->SetColour(editor.State().paintColour);
    l.baseColour->SetColour(editor.State().baseColour);
    const bool paint = editor.CurrentBrush() == lighting::Brush::Paint;
    l.paintBrush->SetPicture(host_.skin->Bitmap(paint ? "user1down.bmp" : "user1up.bmp"));
    l.baseBrush->SetPicture(host_.skin->Bitmap(paint ? "user2up.bmp" : "user2down.bmp"));
    const QSignalBlocker quiet(l.userLayouts);
    if (l.userLayouts->count() > editor.SelectedLayout())
        l.userLayouts->setCurrentIndex(editor.SelectedLayout());
}

void LightingPanel::ShowKeyColours()
{
    if (!TakesKeyClicks() || host_.editor->State().mode != lighting::kPerKeyMode)
        return;
    lighting::PreviewFrame frame;
    frame.perKey = true;
    ShowFrame(frame);
}

void LightingPanel::ShowFrame(const lighting::PreviewFrame& frame)
{
    const lighting::LightingEditor& editor = *host_.editor;
    DrawPreviewFrame(buttons_, frame, editor.Colours(), static_cast<std::size_t>(std::max(0, editor.Profile())));
}

void LightingPanel::ClearFrames()
{
    ShowFrame(lighting::PreviewFrame{});
}

void LightingPanel::FillLists()
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const lighting::LightingEditor& editor = *host_.editor;
    const QSignalBlocker b1(l.effects), b2(l.ambient);
    l.effects->clear();
    for (int position = 0; position < editor.Modes().Count(); ++position)
        l.effects->addItem(LanguageEntry(*host_.texts, "Mode", editor.Modes().ModeAt(position)));
    l.effects->setCurrentIndex(editor.Modes().PositionOf(editor.State().mode));
    l.ambient->clear();
    for (int k = 1; k <= 2; ++k)
        l.ambient->addItem(LanguageEntry(*host_.texts, "LED", k));
    l.ambient->setCurrentIndex(editor.State().ambientChoice - 1);
}

void LightingPanel::FillLayouts()
{
    const ui::LightingPanelControls& l = host_.skin->Lighting();
    const QSignalBlocker quiet(l.userLayouts);
    l.userLayouts->clear();
    if (!host_.editor->Modes().Offers(lighting::kPerKeyMode) || !host_.editor->OnProfile())
        return;
    for (const std::string& name : host_.editor->LayoutNames())
        l.userLayouts->addItem(QString::fromStdString(name));
}

void LightingPanel::StartPreview(int periodMs)
{
    if (!TakesKeyClicks())
        return;
    previewTimer_.start(periodMs);
}

void LightingPanel::StopPreview()
{
    previewTimer_.stop();
}

void LightingPanel::Tick()
{
    if (!host_.editor->OnProfile() || !host_.editor->PanelOpen()) {
        StopPreview();
        ClearFrames();
        return;
    }
    if (previewTimer_.interval() != kPreviewPeriodMs)
        previewTimer_.setInterval(kPreviewPeriodMs);
    ShowFrame(preview_.Tick(host_.editor->State()));
}

}  // namespace tavrin::app
