#include "main_window.h"

#include <QPainterPath>
#include <set>

#include "keyboard_geometry.h"
#include "layout_file.h"
#include "skin_painter.h"
#include "ui/main_window_controls.h"
#include "window_pictures.h"

namespace tavrin::skin {
namespace {

constexpr int kWidth = 1200;
constexpr int kTitleHeight = 48;
constexpr int kToolbarTop = 62;
constexpr int kPlateTop = 108;
constexpr int kPanelHeight = 226;
constexpr int kFooterHeight = 48;

void AddTitleAndToolbar(WindowLayout& layout)
{
    auto& b = layout.buttons;
    const int y = 10;
    b.push_back(Button("CONTROL_HELP", {kWidth - 156, y, 32, 28}, Face::IconButton, {}, Icon::Help));
    b.push_back(Button("CONTROL_MENU", {kWidth - 120, y, 32, 28}, Face::IconButton, {}, Icon::Menu));
    b.push_back(Button("CONTROL_MINIMIZE", {kWidth - 84, y, 32, 28}, Face::IconButton, {}, Icon::Minimise));
    b.push_back(Button("CONTROL_CLOSE", {kWidth - 48, y, 32, 28}, Face::CloseButton, {}, Icon::Close));

    layout.controls.push_back({"CONTROL_Profiles", {28, kToolbarTop + 2, 80, 28}});
    for (int profile = 0; profile < 3; ++profile)
        b.push_back(Button(QString("FUNC_PROFILE%1").arg(profile + 1), {112 + profile * 98, kToolbarTop, 96, 32},
            Face::SegmentButton));
    b.push_back(Button("FUNC_PROFILES", {412, kToolbarTop, 36, 32}, Face::LegendButton, {}, Icon::Profiles));
    b.push_back(Button("FUNC_DEFAULT", {476, kToolbarTop, 104, 32}, Face::TextButton));
    b.push_back(Button("FUNC_MACRO", {586, kToolbarTop, 104, 32}, Face::TextButton));
    b.push_back(Button("FUNC_SWITCH", {696, kToolbarTop, 236, 32}, Face::TextButton));
    layout.controls.push_back({"CONTROL_Working", {942, kToolbarTop + 2, 250, 28}});
}

// Above the function row: the layout flip with its blinking arrows, and the lock lights.
void AddTopStrip(MainWindow& window, const KeyboardPlacement& placement)
{
    const int stripHeight = placement.unit * 3 / 4;
    const int stripTop = placement.origin.y() - placement.functionGap / 2 - stripHeight;
    const int centre = placement.origin.x() + placement.unit * 43 / 4;  // over F5–F12
    const int y = stripTop + 2, h = stripHeight - 4;
    window.arrowCell = QSize(22, h);
    int x = centre - (22 + 34 + 92 + 34 + 22 + 4 * 6) / 2;
    window.layout.controls.push_back({"LEFT_ARROW", {x, y, 22, h}});
    x += 28;
    window.layout.buttons.push_back(Button("FLIP_1", {x, y, 34, h}, Face::IconButton, {}, Icon::ChevronLeft));
    x += 40;
    window.layout.buttons.push_back(Button("FLIP_0", {x, y, 92, h}, Face::FlipIndicator));
    x += 98;
    window.layout.buttons.push_back(Button("FLIP_2", {x, y, 34, h}, Face::IconButton, {}, Icon::ChevronRight));
    x += 40;
    window.layout.controls.push_back({"RIGHT_ARROW", {x, y, 22, h}});

    // Arrow.jpg holds a row of up arrows and a row of down arrows: left 1, left 2, right 1, right 2.
    const QSize cell = window.arrowCell;
    const char* directions[] = {"UP", "DOWN"};
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column) {
            const QString key
                = QString("%1_ARROW_%2%3").arg(directions[row]).arg(column < 2 ? "LEFT" : "RIGHT").arg(column % 2 + 1);
            window.arrowOffsets.push_back({key, QRect(QPoint(column * cell.width(), row * cell.height()), cell)});
        }

    // The symbols of keyboards' own lock lights.
    const char* locks[][2] = {{"LOCK_NUM", "1"}, {"LOCK_CAPS", "A"}, {"LOCK_SCROLL", "↓"}};
    for (int i = 0; i < 3; ++i) {
        QRect rect = KeyCell(placement, 18.5 + i, 0, 1);
        rect.setTop(stripTop + 1);
        rect.setHeight(stripHeight - 2);
        window.layout.buttons.push_back(Button(locks[i][0], rect, Face::LockLed, QString::fromUtf8(locks[i][1])));
    }
}

void AddLightingPanel(MainWindow& window)
{
    const int p = window.panel.top();
    auto& c = window.layout.controls;
    auto& b = window.layout.buttons;
    c.push_back({"CONTROL_Lighting", {40, p + 10, 140, 28}});
    c.push_back({"CONTROL_DengStatic", {kWidth - 40 - 58 - 12 - 180, p + 12, 180, 24}});
    c.push_back({"CONTROL_DengStaPic", {kWidth - 40 - 58, p + 10, 58, 28}});

    // Effect, brightness and speed.
    c.push_back({"CONTROL_XGcombox", {40, p + 56, 300, 30}});
    c.push_back({"CONTROL_LightStatic", {40, p + 98, 160, 18}});
    c.push_back({"CONTROL_LightSlider", {40, p + 118, 300, 28}});
    c.push_back({"CONTROL_SpeedStatic", {40, p + 158, 160, 18}});
    c.push_back({"CONTROL_SpeedSlider", {40, p + 178, 300, 28}});

    const int labelRow0 = p + 56, controlRow0 = p + 76, labelRow1 = p + 118, controlRow1 = p + 138;
    // Direction: the same place for every mode's set of pictures.
    for (const char* suffix : {"", "2", "3"}) {
        c.push_back({QString("CONTROL_BLFXStatic") + suffix, {372, labelRow0, 220, 18}});
        c.push_back({QString("CONTROL_BLFXLStaPic") + suffix, {372, controlRow0 - 2, 56, 34}});
        c.push_back({QString("CONTROL_BLFXRStaPic") + suffix, {436, controlRow0 - 2, 56, 34}});
    }
    // Effect 17's four colours take the direction's place; no mode shows both.
    const char* swatches[] = {"CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC", "CONTROL_LANPIC"};
    for (int i = 0; i < 4; ++i)
        c.push_back({swatches[i], {372 + i * 56, controlRow0 - 2, 50, 34}});
    // The colour groups share one place: each effect shows at most one of them. The groups that
    // are always hidden get the same place.
    const char* groups[][4] = {
        {"CONTROL_HXysStatic", "CONTROL_HXysButton", "CONTROL_HXsjsStatic", "CONTROL_HXsjsStaPic"},
        {"CONTROL_FYYSStatic", "CONTROL_FYYSButton", "CONTROL_FYSJSStatic", "CONTROL_FYSJSStaPic"},
        {"CONTROL_JTysStatic", "CONTROL_JTysButton", "", ""},
        {"CONTROL_TSysStatic", "CONTROL_TSysButton", "CONTROL_TSsjsStatic", "CONTROL_TSsjsStaPic"},
        {"CONTROL_CDysStatic", "CONTROL_CDysButton", "CONTROL_CDsjsStatic", "CONTROL_CDsjsStaPic"},
        {"CONTROL_FYCFStatic", "", "CONTROL_FYdjcfStatic", "CONTROL_FYdjcfStaPic"},
        {"CONTROL_FYggcfStatc", "", "", "CONTROL_FYggcfStaPic"},
    };
    for (const auto& group : groups) {
        const QRect rects[] = {{372, labelRow1, 104, 18}, {372, controlRow1, 100, 30}, {488, labelRow1, 112, 18},
            {488, controlRow1 - 2, 56, 34}};
        for (int i = 0; i < 4; ++i)
            if (*group[i])
                c.push_back({group[i], rects[i]});
    }

    // Effect 19's painting tools.
    c.push_back({"CONTROL_USERysStatic", {632, labelRow0, 112, 18}});
    c.push_back({"CONTROL_USERysButton", {632, controlRow0, 104, 30}});
    c.push_back({"CONTROL_USERjsStatic", {752, labelRow0, 124, 18}});
    c.push_back({"CONTROL_USERjsButton", {752, controlRow0, 104, 30}});
    c.push_back({"CONTROL_USERgjStatic", {632, labelRow1, 112, 18}});
    c.push_back({"CONTROL_USERgjStaPic1", {632, controlRow1 - 2, 56, 34}});
    c.push_back({"CONTROL_USERgjStaPic2", {692, controlRow1 - 2, 56, 34}});
    c.push_back({"CONTROL_umCombo", {756, controlRow1, 120, 30}});

    // Ambient light and report rate.
    c.push_back({"CONTROL_LEDTEXT", {904, labelRow0, 124, 18}});
    c.push_back({"CONTROL_LedCombox", {904, controlRow0, 120, 30}});
    c.push_back({"CONTROL_COLORTEXT", {1036, labelRow0, 124, 18}});
    c.push_back({"CONTROL_ColorButton", {1036, controlRow0, 104, 30}});
    c.push_back({"CONTROL_UsbStatic", {904, labelRow1, 240, 18}});
    // Report rates from the fastest down; choice 0, the keyboard's default, is the first.
    const char* rates[] = {"1000 Hz", "500 Hz", "250 Hz", "125 Hz"};
    for (int i = 0; i < 4; ++i)
        b.push_back(Button(
            QString("FUNC_REPORT%1").arg(i + 1), {904 + i * 64, controlRow1, 60, 30}, Face::SegmentButton, rates[i]));
}

void AddFooter(MainWindow& window)
{
    const int f = window.footerTop;
    auto& b = window.layout.buttons;
    b.push_back(Button("VELMAR_VER", {28, f + 12, 140, 24}, Face::Blank));
    b.push_back(Button("VELMAR_LINK", {176, f + 10, 120, 28}, Face::LinkButton));
    window.layout.controls.push_back({"CONTROL_JDTStatic", {kWidth / 2 - 130, f + 14, 260, 20}});
    b.push_back(Button("CONTROL2_APPLY", {kWidth - 328, f + 8, 96, 32}, Face::TextButton));
    b.push_back(Button("CONTROL_OK", {kWidth - 224, f + 8, 96, 32}, Face::PrimaryButton));
    b.push_back(Button("CONTROL_CANCEL", {kWidth - 120, f + 8, 96, 32}, Face::TextButton));
}

// One arrow of the blinking pair: frame 1 bright, frame 2 faint.
void DrawArrow(QPainter& painter, const QRectF& cell, bool up, bool bright)
{
    QColor colour = colours::kAccent;
    if (!bright)
        colour = QColor(46, 200, 216, 70);
    const qreal cx = cell.center().x(), w = cell.width() * 0.62, h = cell.height() * 0.62;
    const qreal top = cell.center().y() - h / 2, bottom = cell.center().y() + h / 2;
    const qreal tip = up ? top : bottom, base = up ? top + h * 0.5 : bottom - h * 0.5;
    QPainterPath head;
    head.moveTo(cx, tip);
    head.lineTo(cx + w / 2, base);
    head.lineTo(cx - w / 2, base);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(head);
    const qreal stem = w * 0.32;
    painter.drawRect(QRectF(cx - stem / 2, up ? base : top, stem, h * 0.5));
}

QImage RenderArrowSheet(const MainWindow& window)
{
    const QSize cell = window.arrowCell;
    QImage sheet(cell.width() * 4, cell.height() * 2, QImage::Format_RGB32);
    sheet.fill(colours::kPlate);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const PlainControl& offset : window.arrowOffsets)
        DrawArrow(painter, offset.rect, offset.key.startsWith("UP"), offset.key.endsWith('1'));
    return sheet;
}

// The program reads the keys of its table of controls; a picture with another set of keys would
// leave a control at (1, 1) or place one that does not exist.
bool PlacesExactlyTheProgramsKeys(const WindowLayout& layout, QString& error)
{
    std::set<std::string> placed;
    for (const ImageButton& button : layout.buttons)
        placed.insert(button.key.toStdString());
    for (const PlainControl& control : layout.controls)
        placed.insert(control.key.toStdString());
    std::set<std::string> expected;
    for (const std::string& key : ui::MainWindowSkinKeys())
        expected.insert(key);
    for (const std::string& key : expected)
        if (!placed.contains(key)) {
            error = QString("the main window's picture does not place the control %1").arg(key.c_str());
            return false;
        }
    for (const std::string& key : placed)
        if (!expected.contains(key)) {
            error = QString("the main window's picture places %1, which the program does not have").arg(key.c_str());
            return false;
        }
    return true;
}

}  // namespace

bool BuildMainWindow(MainWindow& window, QString& error)
{
    KeyboardPlacement placement;
    placement.unit = 44;
    placement.functionGap = 22;
    const int stripHeight = placement.unit * 3 / 4;
    const int contentLeft = (kWidth - 24 * placement.unit) / 2;  // G column, gap, 22.5u of keyboard
    placement.origin
        = QPoint(contentLeft + placement.unit * 3 / 2, kPlateTop + 14 + stripHeight + placement.functionGap / 2);
    const int keysBottom = placement.origin.y() + placement.functionGap + 6 * placement.unit;
    window.plate = QRect(contentLeft - 20, kPlateTop, 24 * placement.unit + 40, keysBottom + 14 - kPlateTop);
    window.panel = QRect(20, window.plate.bottom() + 11, kWidth - 40, kPanelHeight);
    window.footerTop = window.panel.bottom() + 9;
    window.layout.size = QSize(kWidth, window.footerTop + kFooterHeight + 4);

    AddTitleAndToolbar(window.layout);
    std::vector<ImageButton> keys = KeyboardButtons(placement, error);
    if (keys.empty())
        return false;
    window.layout.buttons.insert(window.layout.buttons.end(), keys.begin(), keys.end());
    AddTopStrip(window, placement);
    AddLightingPanel(window);
    AddFooter(window);
    return PlacesExactlyTheProgramsKeys(window.layout, error);
}

void DrawMainBackground(QPainter& painter, const MainWindow& window)
{
    const QSize size = window.layout.size;
    DrawWindowBase(painter, size, kMainCornerRadius);
    DrawTitleBar(painter, size, kTitleHeight, "TAVRIN", kMainCornerRadius);

    // Tool bar: a divider between the profile group and the other commands.
    painter.setPen(QPen(colours::kBorder, 1));
    painter.drawLine(QPointF(462.5, kToolbarTop + 4), QPointF(462.5, kToolbarTop + 28));

    // The plate, with a faint lit edge along its top.
    DrawCard(painter, window.plate, colours::kPlate, colours::kPlateEdge, 14);
    QLinearGradient edge(window.plate.topLeft(), window.plate.topRight());
    edge.setColorAt(0, QColor(255, 255, 255, 0));
    edge.setColorAt(0.5, QColor(255, 255, 255, 28));
    edge.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(QRectF(window.plate.left() + 14, window.plate.top() + 1, window.plate.width() - 28, 1), edge);
    // The brand, engraved above the navigation keys.
    const QRect brand = MainControlRect(window, "KEY_0B7").united(MainControlRect(window, "KEY_045"));
    if (!brand.isEmpty()) {
        QFont font = SkinFont(13, true);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 5);
        painter.setFont(font);
        painter.setPen(QColor(74, 81, 92));
        painter.drawText(
            QRect(brand.left(), window.plate.top() + 14, brand.width(), brand.top() - window.plate.top() - 24),
            Qt::AlignCenter, "TAVRIN");
    }

    DrawCard(painter, window.panel, colours::kPanel, colours::kPanelEdge, 12);
    // Underglow along the panel's lower edge, below every control.
    QLinearGradient underglow(window.panel.left(), 0, window.panel.right(), 0);
    for (int stop = 0; stop <= 6; ++stop) {
        QColor colour = QColor::fromHsv((200 + stop * 25) % 360, 190, 235);
        colour.setAlpha(stop == 0 || stop == 6 ? 0 : 150);
        underglow.setColorAt(stop / 6.0, colour);
    }
    painter.fillRect(
        QRectF(window.panel.left() + 24, window.panel.bottom() - 2.5, window.panel.width() - 48, 1.5), underglow);
    painter.setPen(QPen(colours::kPanelEdge, 1));
    const qreal divider = window.panel.top() + 46.5;
    painter.drawLine(QPointF(window.panel.left() + 16, divider), QPointF(window.panel.right() - 16, divider));

    painter.setPen(QPen(QColor(34, 38, 45), 1));
    painter.drawLine(QPointF(24, window.footerTop + 0.5), QPointF(size.width() - 24, window.footerTop + 0.5));
}

bool IsLightingPanelButton(const ImageButton& button)
{
    return button.key.startsWith("FUNC_REPORT");
}

bool WriteMainWindowSkin(const SkinFolder& folder, const MainWindow& window, QString& error)
{
    const auto background = [&](QPainter& painter) { DrawMainBackground(painter, window); };
    const auto outsidePanel = [](const ImageButton& button) { return !IsLightingPanelButton(button); };
    const std::pair<const char*, State> pictures[] = {{"main_normal.jpg", State::Normal},
        {"main_over.jpg", State::Over}, {"main_down.jpg", State::Down}, {"main_disable.jpg", State::Disable},
        {"main_color0.jpg", State::ColourKeyOff}, {"main_color1.jpg", State::ColourKeyOn}};
    if (!folder.saveJpeg(RenderWindow(window.layout, background, State::Normal, outsidePanel), "main_bg.jpg", error))
        return false;
    for (const auto& [name, state] : pictures)
        if (!folder.saveJpeg(RenderWindow(window.layout, background, state), name, error))
            return false;
    if (!folder.saveJpeg(RenderArrowSheet(window), "Arrow.jpg", error))
        return false;
    if (!folder.saveBitmap(RoundedMask(window.layout.size, kMainCornerRadius), "main_mask.bmp", error))
        return false;
    LayoutFile file;
    file.description = "Tavrin skin: the main window.";
    file.picture = "main_bg.jpg";
    file.mask = "main_mask.bmp";
    file.layout = &window.layout;
    file.buttonInfo2 = window.arrowOffsets;
    return folder.saveText(LayoutFileText(file), "Main.ini", error);
}

QRect MainControlRect(const MainWindow& window, const QString& key)
{
    for (const ImageButton& button : window.layout.buttons)
        if (button.key == key)
            return button.rect;
    for (const PlainControl& control : window.layout.controls)
        if (control.key == key)
            return control.rect;
    return {};
}

}  // namespace tavrin::skin
