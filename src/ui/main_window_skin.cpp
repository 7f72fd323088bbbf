#include "ui/main_window_skin.h"

#include <QComboBox>

#include "ui/base_dialog.h"
#include "ui/color_static.h"
#include "ui/picture_static.h"
#include "ui/png_button.h"
#include "ui/skin_color_button.h"
#include "ui/skin_fonts.h"
#include "ui/skin_pictures.h"
#include "ui/skin_slider.h"

namespace tavrin::ui {
namespace {

// The lighting panel's bitmaps besides the numbered ones.
constexpr const char* kNamedBitmaps[] = {"dengup", "dengdown", "leftup", "leftdown", "rightup", "rightdown", "upup",
    "updown", "downup", "downdown", "julong", "julongdown", "kuosan", "kuosandown", "hong", "hongok", "huang",
    "huangok", "lv", "lvok", "lan", "lanok", "sjsup", "sjsdown", "user1up", "user1down", "user2up", "user2down"};
constexpr int kBusyFrames = 10;
// Slider pictures: brightness position v shows "v+1.bmp", speed position v "27+v.bmp".
constexpr int kFirstBrightnessPicture = 1;
constexpr int kFirstSpeedPicture = 27;

constexpr std::uint32_t kButtonText = 0x00FFFFFF;
constexpr std::uint32_t kButtonTextHover = 0x0000D7FF;
constexpr std::uint32_t kButtonTextDisabled = 0x00808080;

}  // namespace

std::optional<MainWindowSkin::StatePictures> MainWindowSkin::LoadStatePictures(
    const std::string& skinFolder, std::string& failed)
{
    StatePictures pictures;
    QPixmap* const targets[] = {&pictures.normal, &pictures.over, &pictures.down, &pictures.disable, &pictures.arrow,
        &pictures.colour0, &pictures.colour1};
    for (std::size_t i = 0; i < std::size(targets); ++i) {
        QImage image = LoadSkinPicture(skinFolder + kStatePictureFiles[i]);
        if (image.isNull()) {
            failed = kStatePictureFiles[i];
            return std::nullopt;
        }
        *targets[i] = QPixmap::fromImage(std::move(image));
    }
    return pictures;
}

MainWindowSkin::MainWindowSkin(CBaseDialog& window, StatePictures pictures, bool arrowsUp)
    : window_(window)
    , pictures_(std::move(pictures))
    , arrowsUp_(arrowsUp)
{
    LoadBitmaps();
    leftArrow_ = ReadArrowOffsets(ArrowSide::Left);
    rightArrow_ = ReadArrowOffsets(ArrowSide::Right);
    for (const MainControl& control : MainWindowControls()) {
        QWidget* widget = CreateControl(control);
        widget->setObjectName(QString::fromStdString(control.key));
        widget->setProperty("controlId", control.id);
        controls_[control.id] = widget;
        Place(control, widget);
        widget->setVisible(!control.startsHidden);
    }
    parts_ = GroupMainWindowControls([this](int id) { return Control(id); });
    ApplyLooks();
    ApplyArrowOffsets();
    arrowTimer_.setInterval(kArrowBlinkMs);
    QObject::connect(&arrowTimer_, &QTimer::timeout, [this] { AdvanceArrowBlink(); });
    arrowTimer_.start();
}

MainWindowSkin::~MainWindowSkin()
{
    arrowTimer_.stop();
    for (auto& [id, widget] : controls_)
        delete widget;
}

void MainWindowSkin::LoadBitmaps()
{
    const auto load = [this](const std::string& name) {
        const QImage image = LoadSkinPicture(window_.SkinFolder() + name);
        bitmaps_[name] = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
    };
    for (const char* name : kNamedBitmaps)
        load(std::string(name) + ".bmp");
    for (int frame = 1; frame <= kBusyFrames; ++frame)
        load("jdt" + std::to_string(frame) + ".bmp");
    // "0.bmp" is loaded with the slider pictures but no position shows it; 26 is not used.
    for (int number = 0; number <= kFirstSpeedPicture + 24; ++number)
        if (number != 26)
            load(std::to_string(number) + ".bmp");
}

const QPixmap& MainWindowSkin::Bitmap(const std::string& name) const
{
    static const QPixmap none;
    const auto found = bitmaps_.find(name);
    return found == bitmaps_.end() ? none : found->second;
}

QWidget* MainWindowSkin::Control(int id) const
{
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

QWidget* MainWindowSkin::CreateControl(const MainControl& control)
{
    switch (control.kind) {
    case ControlKind::ImageButton:
        return new CPngButton(&window_);
    case ControlKind::Label:
        return new ColorStatic(&window_);
    case ControlKind::Picture:
        return new PictureStatic(&window_);
    case ControlKind::DropDownList:
        return new QComboBox(&window_);
    case ControlKind::EditableDropDown: {
        auto* combo = new QComboBox(&window_);
        combo->setEditable(true);
        return combo;
    }
    case ControlKind::Slider:
        return new CSkinSlider(&window_);
    case ControlKind::ColourButton:
        return new CSkinColorBtn(&window_);
    }
    return new QWidget(&window_);
}

void MainWindowSkin::Place(const MainControl& control, QWidget* widget)
{
    const std::string& file = window_.LayoutFile();
    const std::string value = ReadPlacementValue(file, kPlacementSection, control.key);
    std::string offsetValue = kMissingPlacement;
    if (control.rule == PlacingRule::TwoKeys) {
        const ArrowSide side = control.id == main_id::kLeftArrow ? ArrowSide::Left : ArrowSide::Right;
        offsetValue = ReadPlacementValue(file, kArrowOffsetSection, ArrowOffsetKey(side, arrowsUp_, arrowPhase_));
    }
    const Placement placement = PlaceByRule(control.rule, value, offsetValue);
    if (placement.resize)
        widget->setGeometry(placement.x, placement.y, placement.width, placement.height);
    else
        widget->move(placement.x, placement.y);
    if (auto* button = qobject_cast<CPngButton*>(widget); button && placement.hasPictureOffset)
        GivePictures(control, *button, placement.offsetX, placement.offsetY);
    if (placement.disable)
        widget->setEnabled(false);
    widget->update();
}

void MainWindowSkin::GivePictures(const MainControl& control, CPngButton& button, int x, int y)
{
    const StatePictures& p = pictures_;
    switch (control.pictures) {
    case PictureSet::Standard:
    case PictureSet::None:
        button.SetSkin(x, y, p.normal, p.over, p.down, p.normal, p.disable, false);
        break;
    case PictureSet::Lock:
        button.SetSkin(x, y, p.normal, p.normal, p.normal, p.normal, p.over, false);
        break;
    case PictureSet::Link:
        button.SetSkin(x, y, p.normal, p.over, p.disable, p.normal, p.normal, false);
        break;
    case PictureSet::Apply:
        button.SetSkin(x, y, p.normal, p.over, p.down, p.disable, p.disable, false);
        break;
    case PictureSet::Flip:
        button.SetSkin(x, y, p.normal, p.normal, p.normal, p.normal, p.disable, false);
        break;
    case PictureSet::Arrow:
        button.SetSkin(x, y, p.arrow, p.arrow, p.arrow, p.arrow, p.arrow, false);
        break;
    }
}

void MainWindowSkin::ApplyLooks()
{
    const WindowButtons& b = parts_.buttons;
    // The buttons that carry a text of their own in the main window's button font.
    for (CPngButton* button :
        {b.ok, b.cancel, b.apply, b.macro, b.defaultMode, b.profiles[0], b.profiles[1], b.profiles[2], b.switchMode})
        button->SetTextStyle(true, 10, "Arial", kButtonText, kButtonTextHover, kButtonText, kButtonTextDisabled);
    b.version->SetTextStyle(true, 8, "Verdana", kButtonText, kButtonText, kButtonText, kButtonTextDisabled);
    b.version->setFont(VersionTextFont());
    for (const auto& [id, widget] : controls_) {
        if (auto* button = qobject_cast<CPngButton*>(widget); button && button != b.version)
            button->setFont(MainButtonFont());
        if (auto* label = qobject_cast<ColorStatic*>(widget))
            label->SetTextColour(kLabelTextColour);
    }
    b.workingModeLabel->setFont(WorkingModeFont());
    b.workingModeLabel->SetTextColour(kWorkingModeTextColour);

    // What each picture shows before the window's behaviour sets it: the closed panel and the
    // unselected state of every switch.
    const LightingPanelControls& l = parts_.lighting;
    const std::pair<PictureStatic*, const char*> firstPictures[]
        = {{l.openSwitch, "dengup.bmp"}, {l.firstDirection, "leftup.bmp"}, {l.secondDirection, "rightup.bmp"},
            {l.hx.colourfulSwitch, "sjsup.bmp"}, {l.fy.colourfulSwitch, "sjsup.bmp"}, {l.fixedColours[0], "hong.bmp"},
            {l.fixedColours[1], "huang.bmp"}, {l.fixedColours[2], "lv.bmp"}, {l.fixedColours[3], "lan.bmp"},
            {l.paintBrush, "user1up.bmp"}, {l.baseBrush, "user2up.bmp"}, {b.busy, "jdt1.bmp"}};
    for (const auto& [picture, name] : firstPictures)
        picture->SetPicture(Bitmap(name));
    const auto slider = [this](CSkinSlider& control, int firstPicture) {
        std::vector<QPixmap> pictures;
        for (int position = 0; position < CSkinSlider::kPositions; ++position)
            pictures.push_back(Bitmap(std::to_string(firstPicture + position) + ".bmp"));
        control.SetPictures(std::move(pictures));
    };
    slider(*l.brightness, kFirstBrightnessPicture);
    slider(*l.speed, kFirstSpeedPicture);
}

void MainWindowSkin::PlaceDirectionGroup(int mode)
{
    const std::string suffix = DirectionLayoutSuffix(mode);
    const LightingPanelControls& l = parts_.lighting;
    QWidget* const group[] = {l.directionLabel, l.firstDirection, l.secondDirection};
    for (std::size_t i = 0; i < std::size(group); ++i) {
        const std::string value
            = ReadPlacementValue(window_.LayoutFile(), kPlacementSection, kDirectionKeys[i] + suffix);
        const Placement placement = PlaceByRule(PlacingRule::MoveOnly, value);
        group[i]->move(placement.x, placement.y);
        group[i]->update();
    }
}

MainWindowSkin::ArrowOffsets MainWindowSkin::ReadArrowOffsets(ArrowSide side) const
{
    ArrowOffsets offsets;
    for (int phase = 1; phase <= 2; ++phase) {
        const auto read = [&](bool up) {
            return ParseSkinRect(
                ReadPlacementValue(window_.LayoutFile(), kArrowOffsetSection, ArrowOffsetKey(side, up, phase)));
        };
        offsets.up[phase - 1] = read(true);
        offsets.down[phase - 1] = read(false);
    }
    return offsets;
}

void MainWindowSkin::SetArrowsUp(bool up)
{
    arrowsUp_ = up;
    ApplyArrowOffsets();
}

void MainWindowSkin::AdvanceArrowBlink()
{
    arrowPhase_ = arrowPhase_ == 1 ? 2 : 1;
    ApplyArrowOffsets();
}

void MainWindowSkin::ApplyArrowOffsets()
{
    const auto apply = [this](CPngButton* button, const ArrowOffsets& offsets) {
        const SkinRect& offset = arrowsUp_ ? offsets.up[arrowPhase_ - 1] : offsets.down[arrowPhase_ - 1];
        button->SetPictureOffset(offset.x, offset.y);
    };
    apply(parts_.buttons.leftArrow, leftArrow_);
    apply(parts_.buttons.rightArrow, rightArrow_);
}

}  // namespace tavrin::ui
