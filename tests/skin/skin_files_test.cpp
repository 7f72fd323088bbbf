// The skin the build draws: every control the windows place has a real rectangle inside its window,
// the keys of the keyboard picture do not overlap, every picture the program loads exists, decodes
// and has the size it is shown at, masks give each window an outline, and the states differ. The
// program's icons exist at every size and the play symbol stands out.
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/key_table.h"
#include "platform/private_profile.h"
#include "ui/main_window_controls.h"

namespace {

const std::string kSkinFolder = TAVRIN_SKIN_FOLDER "/";

struct Window {
    const char* file;
    std::vector<std::string> keys;  // BUTTONINFO keys of controls the user sees
};

const std::vector<Window>& Windows()
{
    static const std::vector<Window> windows = {
        {"Main.ini", tavrin::ui::MainWindowSkinKeys()},
        {"Composite.ini",
            {"CONTROL_MASK", "CONTROL_SING", "CONTROL_TITLE", "CONTROL_OSK", "CONTROL_CLEAR", "CONTROL_MEDIA",
                "CONTROL_MACRO", "CONTROL_KEY", "CONTROL_FUNCTION", "CONTROL_OK", "CONTROL_CANCEL", "CONTROL_CLOSE",
                "FUNC_MACRO_DELETE", "FUNC_MACRO_ADD", "FUNC_MACRO_UP_TOP", "FUNC_MACRO_UP", "FUNC_MACRO_DOWN",
                "FUNC_MACRO_DOWN_BOTTOM", "FUNC_MACRO_DELETE2", "FUNC_MACRO_CLEAR", "FUNC_MACRO_RECORD",
                "FUNC_MACRO_UNDO", "FUNC_MACRO_REDO", "FUNC_KEY_RADIO_KB", "FUNC_KEY_RADIO_MOU", "FUNC_KEY_COMBO_MOU",
                "FUNC_KEY_STATIC_KB", "FUNC_KEY_STATIC_MOU", "FUNC_SELECT_COMBO_MOU", "FUNC_MACRO_RECORD_DELAY",
                "FUNC_MACRO_LIST2", "FUNC_MACRO_CYCLES", "FUNC_MACRO_CYCLES_PROMPT", "TISHI_SINGLE_STATIC",
                "MARCO_NAME_SETTING", "KEY_SETTING", "MEDIA_SETTING_TISHI", "FUNCTION_KEY_SETTING_TISHI",
                "FUNC_MACRO_RECORD_DELAY2", "FUNC_KEY_INPUT", "FUNC_MEDIA_SELECT", "FUNC_MACRO_LIST",
                "FUNC_FUNCTION_SELECT"}},
        {"Profile.ini",
            {"CONTROL_OK", "CONTROL_CANCEL", "FUNC_ADD", "FUNC_LOAD", "FUNC_DELETE", "CONTROL2_APPLY", "PROGRAM_LIST"}},
    };
    return windows;
}

std::string Value(const char* file, const char* section, const std::string& key)
{
    return tavrin::platform::GetPrivateProfileString(section, key, "", kSkinFolder + file);
}

// The four numbers of a placing value, as the program reads them; nothing when there are fewer.
std::optional<QRect> Rectangle(const char* file, const char* section, const std::string& key)
{
    int x = 0, y = 0, w = 0, h = 0;
    if (std::sscanf(Value(file, section, key).c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) != 4)
        return std::nullopt;
    return QRect(x, y, w, h);
}

QImage Picture(const std::string& name)
{
    QImageReader reader(QString::fromStdString(kSkinFolder + name));
    QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << name << ": " << reader.errorString().toStdString();
    return image;
}

QSize WindowSize(const char* file)
{
    return Picture(Value(file, "SCREEN", "Main")).size();
}

// Mean difference of the red, green and blue of two pictures over `rect`, 0–255.
double MeanDifference(const QImage& a, const QImage& b, const QRect& rect)
{
    double sum = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * rect.width() * rect.height());
}

TEST(SkinFiles, EveryWindowHasAPictureAndAMaskThatGivesItAnOutline)
{
    for (const Window& window : Windows()) {
        SCOPED_TRACE(window.file);
        const std::string main = Value(window.file, "SCREEN", "Main");
        const std::string mask = Value(window.file, "SCREEN", "Mask");
        ASSERT_FALSE(main.empty());
        ASSERT_FALSE(mask.empty());
        const QImage face = Picture(main), outline = Picture(mask);
        ASSERT_FALSE(face.isNull() || outline.isNull());
        EXPECT_EQ(outline.size(), face.size());
        EXPECT_LE(face.width(), 1280);
        EXPECT_LE(face.height(), 800);
        // Pure white is outside: every corner is cut, the middle and the middle of each edge are in.
        const int right = outline.width() - 1, bottom = outline.height() - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
            EXPECT_EQ(outline.pixel(corner), qRgb(255, 255, 255)) << corner.x() << "," << corner.y();
        for (const QPoint inside : {QPoint(right / 2, bottom / 2), QPoint(right / 2, 0), QPoint(0, bottom / 2)})
            EXPECT_NE(outline.pixel(inside), qRgb(255, 255, 255)) << inside.x() << "," << inside.y();
    }
}

TEST(SkinFiles, EveryControlTheWindowsShowHasARealRectangleInsideItsWindow)
{
    for (const Window& window : Windows()) {
        const QRect bounds(QPoint(0, 0), WindowSize(window.file));
        for (const std::string& key : window.keys) {
            SCOPED_TRACE(std::string(window.file) + " " + key);
            const std::optional<QRect> rect = Rectangle(window.file, "BUTTONINFO", key);
            ASSERT_TRUE(rect) << "value \"" << Value(window.file, "BUTTONINFO", key) << "\"";
            EXPECT_GT(rect->width(), 1);
            EXPECT_GT(rect->height(), 1);
            // (1, 1) is where a missing key puts a control, and it disables an image button there.
            EXPECT_FALSE(rect->x() == 1 && rect->y() == 1);
            EXPECT_TRUE(bounds.contains(*rect))
                << rect->x() << "," << rect->y() << " " << rect->width() << "x" << rect->height();
        }
    }
}

TEST(SkinFiles, KeysOfTheKeyboardPictureDoNotOverlap)
{
    std::vector<std::pair<std::string, QRect>> keys;
    for (const std::string& key : tavrin::ui::MainWindowSkinKeys())
        if (key.rfind("KEY_", 0) == 0 || key.rfind("FUNC_G", 0) == 0)
            keys.emplace_back(key, Rectangle("Main.ini", "BUTTONINFO", key).value_or(QRect()));
    ASSERT_EQ(keys.size(), tavrin::model::kKeyButtonCount + tavrin::model::kGKeyCount + 1);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        ASSERT_FALSE(keys[i].second.isEmpty()) << keys[i].first;
        for (std::size_t j = i + 1; j < keys.size(); ++j)
            EXPECT_FALSE(keys[i].second.intersects(keys[j].second)) << keys[i].first << " and " << keys[j].first;
    }
}

// The macro page: the window's common controls and its own, which the pictures of the other pages
// leave out.
bool OnMacroPage(const std::string& key)
{
    return (key.rfind("CONTROL_", 0) == 0 && key != "CONTROL_OSK") || key.rfind("FUNC_MACRO", 0) == 0
        || key == "MARCO_NAME_SETTING" || key == "FUNC_SELECT_COMBO_MOU";
}

TEST(SkinFiles, ControlsOfTheMacroPageDoNotOverlap)
{
    std::vector<std::pair<std::string, QRect>> controls;
    for (const Window& window : Windows())
        if (std::string(window.file) == "Composite.ini")
            for (const std::string& key : window.keys)
                if (OnMacroPage(key))
                    controls.emplace_back(key, Rectangle("Composite.ini", "BUTTONINFO", key).value_or(QRect()));
    ASSERT_GT(controls.size(), 25u);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        ASSERT_FALSE(controls[i].second.isEmpty()) << controls[i].first;
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i].second.intersects(controls[j].second))
                << controls[i].first << " and " << controls[j].first;
    }
}

TEST(SkinFiles, MacroPageButtonsAreDrawnInEveryStateOfBothMacroPictureSets)
{
    const QImage background = Picture("composite_bg.jpg");
    const char* const buttons[] = {"FUNC_MACRO_ADD", "FUNC_MACRO_DELETE", "FUNC_MACRO_UNDO", "FUNC_MACRO_REDO",
        "FUNC_MACRO_RECORD", "FUNC_MACRO_UP_TOP", "FUNC_MACRO_UP", "FUNC_MACRO_DOWN", "FUNC_MACRO_DOWN_BOTTOM",
        "FUNC_MACRO_DELETE2", "FUNC_MACRO_CLEAR"};
    for (const char* set : {"macro", "macro2"}) {
        const std::string prefix(set);
        const QImage normal = Picture(prefix + "_normal.jpg");
        for (const char* key : buttons) {
            SCOPED_TRACE(prefix + " " + key);
            const QRect rect = Rectangle("Composite.ini", "BUTTONINFO", key).value_or(QRect());
            ASSERT_FALSE(rect.isEmpty());
            // The shared background leaves the place empty; the page's pictures draw the button.
            EXPECT_GT(MeanDifference(background, normal, rect), 8);
            for (const char* state : {"_over.jpg", "_down.jpg", "_disable.jpg"})
                EXPECT_GT(MeanDifference(normal, Picture(prefix + state), rect), 8) << state;
        }
        // The small square buttons carry pictograms only, and each its own.
        const char* const squares[] = {"FUNC_MACRO_ADD", "FUNC_MACRO_DELETE", "FUNC_MACRO_UNDO", "FUNC_MACRO_REDO"};
        for (std::size_t i = 0; i < std::size(squares); ++i)
            for (std::size_t j = i + 1; j < std::size(squares); ++j) {
                const char *a = squares[i], *b = squares[j];
                const QRect ra = *Rectangle("Composite.ini", "BUTTONINFO", a);
                const QRect rb = *Rectangle("Composite.ini", "BUTTONINFO", b);
                ASSERT_EQ(ra.size(), rb.size()) << a << " " << b;
                EXPECT_GT(MeanDifference(normal.copy(ra), normal.copy(rb), QRect(QPoint(0, 0), ra.size())), 5)
                    << a << " and " << b;
            }
    }
}

TEST(SkinFiles, StatePicturesDecodeAtTheirWindowsSize)
{
    const std::map<const char*, QStringList> pictures = {
        {"Main.ini", {"main_normal", "main_over", "main_down", "main_disable", "main_color0", "main_color1"}},
        {"Composite.ini",
            {"key_normal", "key_over", "key_down", "macro_normal", "macro_over", "macro_down", "macro_disable",
                "macro2_normal", "macro2_over", "macro2_down", "macro2_disable", "media_normal", "media_over",
                "media_down", "function_normal", "function_over", "function_down"}},
        {"Profile.ini", {"Profile_normal", "Profile_over", "Profile_down"}},
    };
    for (const auto& [file, names] : pictures) {
        const QSize size = WindowSize(file);
        for (const QString& name : names) {
            SCOPED_TRACE(name.toStdString());
            EXPECT_EQ(QImageReader(QString::fromStdString(kSkinFolder) + name + ".jpg").format(), "jpeg");
            EXPECT_EQ(Picture(name.toStdString() + ".jpg").size(), size);
        }
    }
}

TEST(SkinFiles, ArrowOffsetsLieInsideTheArrowPicture)
{
    const QImage arrows = Picture("Arrow.jpg");
    const QRect bounds(QPoint(0, 0), arrows.size());
    for (const char* side : {"LEFT", "RIGHT"}) {
        const QRect button = Rectangle("Main.ini", "BUTTONINFO", std::string(side) + "_ARROW").value_or(QRect());
        for (const char* direction : {"UP", "DOWN"})
            for (int frame : {1, 2}) {
                const std::string key = std::string(direction) + "_ARROW_" + side + std::to_string(frame);
                const std::optional<QRect> offset = Rectangle("Main.ini", "BUTTONINFO2", key);
                ASSERT_TRUE(offset) << key;
                EXPECT_TRUE(bounds.contains(QRect(offset->topLeft(), button.size()))) << key;
            }
    }
    // The two frames of a blink differ.
    const QRect one = *Rectangle("Main.ini", "BUTTONINFO2", "UP_ARROW_LEFT1");
    const QRect two = *Rectangle("Main.ini", "BUTTONINFO2", "UP_ARROW_LEFT2");
    EXPECT_GT(MeanDifference(arrows.copy(one), arrows.copy(two), QRect(QPoint(0, 0), one.size())), 5);
}

TEST(SkinFiles, LightingBitmapsDecodeAtTheSizeOfTheirControl)
{
    std::vector<std::pair<std::string, std::string>> bitmaps = {{"dengup", "CONTROL_DengStaPic"},
        {"dengdown", "CONTROL_DengStaPic"}, {"sjsup", "CONTROL_HXsjsStaPic"}, {"sjsdown", "CONTROL_FYSJSStaPic"},
        {"user1up", "CONTROL_USERgjStaPic1"}, {"user1down", "CONTROL_USERgjStaPic1"},
        {"user2up", "CONTROL_USERgjStaPic2"}, {"user2down", "CONTROL_USERgjStaPic2"}};
    for (const char* stem : {"left", "right"})
        for (const char* end : {"up", "down"})
            bitmaps.emplace_back(std::string(stem) + end, "CONTROL_BLFXLStaPic2");
    for (const char* stem : {"up", "down"})
        for (const char* end : {"up", "down"})
            bitmaps.emplace_back(std::string(stem) + end, "CONTROL_BLFXRStaPic3");
    for (const char* name : {"kuosan", "kuosandown", "julong", "julongdown"})
        bitmaps.emplace_back(name, "CONTROL_BLFXLStaPic");
    for (const char* stem : {"hong", "huang", "lv", "lan"}) {
        bitmaps.emplace_back(stem, "CONTROL_HONGPIC");
        bitmaps.emplace_back(std::string(stem) + "ok", "CONTROL_LANPIC");
    }
    for (int number = 0; number <= 25; ++number)
        bitmaps.emplace_back(std::to_string(number), "CONTROL_LightSlider");
    for (int number = 27; number <= 51; ++number)
        bitmaps.emplace_back(std::to_string(number), "CONTROL_SpeedSlider");
    for (int frame = 1; frame <= 10; ++frame)
        bitmaps.emplace_back("jdt" + std::to_string(frame), "CONTROL_JDTStatic");

    for (const auto& [name, control] : bitmaps) {
        SCOPED_TRACE(name);
        const std::string file = name + ".bmp";
        EXPECT_EQ(QImageReader(QString::fromStdString(kSkinFolder + file)).format(), "bmp");
        const QImage bitmap = Picture(file);
        EXPECT_EQ(bitmap.size(), Rectangle("Main.ini", "BUTTONINFO", control).value_or(QRect()).size()) << control;
    }
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(kSkinFolder + "26.bmp")));
}

TEST(SkinFiles, FramesOfASequenceShowEachStep)
{
    // Each slider position and each busy frame is its own picture.
    for (const auto& [first, last] : {std::pair{1, 25}, std::pair{27, 51}})
        for (int number = first; number < last; ++number) {
            const QImage a = Picture(std::to_string(number) + ".bmp"), b = Picture(std::to_string(number + 1) + ".bmp");
            EXPECT_NE(a, b) << number;
        }
    for (int frame = 1; frame < 10; ++frame)
        EXPECT_NE(Picture("jdt" + std::to_string(frame) + ".bmp"), Picture("jdt" + std::to_string(frame + 1) + ".bmp"));
    EXPECT_NE(Picture("hong.bmp"), Picture("hongok.bmp"));
    EXPECT_NE(Picture("dengup.bmp"), Picture("dengdown.bmp"));
}

TEST(SkinFiles, KeyStatesDifferVisiblyAndKeysCarryLegends)
{
    const QImage normal = Picture("main_normal.jpg");
    struct Case {
        const char* picture;
        double minimum;  // mean difference from the normal picture over a key
    };
    const Case cases[] = {{"main_over.jpg", 8}, {"main_down.jpg", 8}, {"main_disable.jpg", 8}, {"main_color0.jpg", 6},
        {"main_color1.jpg", 40}};
    for (const char* key : {"KEY_01E", "KEY_001", "KEY_03A", "FUNC_G1", "KEY_FN"}) {
        const QRect rect = Rectangle("Main.ini", "BUTTONINFO", key).value_or(QRect());
        ASSERT_FALSE(rect.isEmpty()) << key;
        for (const Case& state : cases)
            EXPECT_GT(MeanDifference(normal, Picture(state.picture), rect), state.minimum)
                << key << " " << state.picture;
        // A legend: light pixels on the dark keycap.
        int light = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                light += qGray(normal.pixel(x, y)) > 130 ? 1 : 0;
        EXPECT_GT(light, 12) << key;
    }
    const QRect a = *Rectangle("Main.ini", "BUTTONINFO", "KEY_01E");
    EXPECT_GT(MeanDifference(Picture("main_color0.jpg"), Picture("main_color1.jpg"), a), 40);
}

// The program's icons: 128 (the window's and the tray's), 141 (the tray's while the keyboard is
// present) and 142 (the tray's play symbol), large and at the sizes desktops ask for.
std::string IconFile(int number, int size)
{
    return size == 256 ? "icon_" + std::to_string(number) + ".png"
                       : "icon_" + std::to_string(number) + "_" + std::to_string(size) + ".png";
}

constexpr int kIconSizes[] = {256, 16, 22, 24, 32, 48, 64, 128};

TEST(SkinFiles, ProgramIconsDecodeAtEverySizeWithAShapeOnAPlate)
{
    for (const int number : {128, 141, 142})
        for (const int size : kIconSizes) {
            const std::string file = IconFile(number, size);
            SCOPED_TRACE(file);
            EXPECT_EQ(QImageReader(QString::fromStdString(kSkinFolder + file)).format(), "png");
            const QImage icon = Picture(file).convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(icon.size(), QSize(size, size));
            // Transparent around a filled plate; on the plate a light shape and dark ground, so that
            // it reads on light and on dark panels.
            int transparent = 0, opaque = 0, light = 0, dark = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const QRgb pixel = icon.pixel(x, y);
                    transparent += qAlpha(pixel) == 0 ? 1 : 0;
                    if (qAlpha(pixel) != 255)
                        continue;
                    ++opaque;
                    light += qGray(pixel) > 140 ? 1 : 0;
                    dark += qGray(pixel) < 60 ? 1 : 0;
                }
            EXPECT_GT(transparent, 0);
            EXPECT_GT(opaque, size * size / 2);
            EXPECT_GT(light, size * size / 30);
            EXPECT_GT(dark, size * size / 20);
        }
}

TEST(SkinFiles, ThePlaySymbolDiffersVisiblyFromTheConnectedIcon)
{
    for (const int size : kIconSizes) {
        SCOPED_TRACE(size);
        const QImage connected = Picture(IconFile(141, size)).convertToFormat(QImage::Format_ARGB32);
        const QImage playing = Picture(IconFile(142, size)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(connected.size(), playing.size());
        EXPECT_GT(MeanDifference(connected, playing, connected.rect()), 12);
    }
}

}  // namespace
