#include <QApplication>
#include <QGridLayout>
#include <gtest/gtest.h>

#include "ui/color_button_face.h"
#include "ui/color_static.h"
#include "ui/skin_color_button.h"
#include "ui/skin_pictures.h"

namespace tavrin::ui {
namespace {

TEST(SkinColorButtonTest, FaceShowsTheColourBesideTheGreyDropBox)
{
    QWidget window;
    CSkinColorBtn button(&window);
    button.setGeometry(0, 0, 60, 20);
    button.SetColour(0x0000FF00);  // green
    QImage face = button.grab().toImage();
    EXPECT_EQ(face.pixelColor(10, 10), QColor(Qt::green));
    EXPECT_EQ(face.pixelColor(45, 4), ColourOfValue(kDropBoxGrey));
    EXPECT_EQ(face.pixelColor(52, 9), QColor(Qt::black)) << "the drop arrow";

    button.SetColour(std::nullopt);
    face = button.grab().toImage();
    EXPECT_NE(face.pixelColor(10, 10), QColor(Qt::green)) << "unset: no swatch";
    button.SetColour(0x0000FF00);
    button.setEnabled(false);
    EXPECT_NE(button.grab().toImage().pixelColor(10, 10), QColor(Qt::green)) << "disabled: no swatch";
}

TEST(SkinColorButtonTest, PaletteOfFiveColumnsChoosesAColour)
{
    QWidget window;
    CSkinColorBtn button(&window);
    button.setGeometry(0, 0, 60, 20);
    window.show();
    std::vector<std::uint32_t> chosen;
    QObject::connect(&button, &CSkinColorBtn::ColourChosen, [&](std::uint32_t colour) { chosen.push_back(colour); });

    button.click();
    ColourPalettePopup* palette = button.Palette();
    ASSERT_NE(palette, nullptr);
    EXPECT_TRUE(palette->isVisible());
    auto* grid = qobject_cast<QGridLayout*>(palette->layout());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->columnCount(), CSkinColorBtn::kPaletteColumns);

    palette->Swatch(7)->click();
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], CSkinColorBtn::PaletteColours()[7]);
    EXPECT_EQ(button.Colour(), CSkinColorBtn::PaletteColours()[7]);
    QApplication::processEvents();
    EXPECT_EQ(button.Palette(), nullptr) << "the palette closes";
}

TEST(SkinColorButtonTest, OtherAsksForAnyColourAndACancelChangesNothing)
{
    QWidget window;
    CSkinColorBtn button(&window);
    button.SetColour(0x00000080);
    std::optional<QColor> answer = QColor(0x12, 0x34, 0x56);
    QColor asked;
    button.SetOtherColourPicker([&](const QColor& initial, QWidget*) {
        asked = initial;
        return answer;
    });
    std::vector<std::uint32_t> chosen;
    QObject::connect(&button, &CSkinColorBtn::ColourChosen, [&](std::uint32_t colour) { chosen.push_back(colour); });

    button.ShowPalette();
    button.Palette()->Other()->click();
    EXPECT_EQ(asked, QColor(0x80, 0, 0)) << "starts from the current colour";
    EXPECT_EQ(chosen, std::vector<std::uint32_t>{0x00563412});
    EXPECT_EQ(button.Colour(), 0x00563412u);

    answer = std::nullopt;
    button.ShowPalette();
    button.Palette()->Other()->click();
    EXPECT_EQ(chosen.size(), 1u);
    EXPECT_EQ(button.Colour(), 0x00563412u);
}

TEST(ColorStaticTest, DrawsItsTextOverWhatLiesBehindIt)
{
    QWidget window;
    window.setAutoFillBackground(true);
    QPalette blue = window.palette();
    blue.setColor(QPalette::Window, Qt::blue);
    window.setPalette(blue);
    window.resize(100, 40);
    ColorStatic label(&window);
    label.setGeometry(0, 0, 100, 40);
    label.setText("MMMM");
    label.SetTextColour(0x000000FF);
    label.SetFontHeight(20);
    label.SetBackgroundColour(0x0000FF00);
    EXPECT_EQ(label.font().pixelSize(), 20);
    EXPECT_EQ(label.BackgroundColour(), 0x0000FF00u);

    const QImage shown = window.grab().toImage();
    int red = 0, blueLeft = 0, green = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QColor pixel = shown.pixelColor(x, y);
            red += pixel == QColor(Qt::red);
            blueLeft += pixel == QColor(Qt::blue);
            green += pixel == QColor(Qt::green);
        }
    EXPECT_GT(red, 0) << "text colour";
    EXPECT_GT(blueLeft, 0) << "the window shows through";
    EXPECT_EQ(green, 0) << "no background of its own";
}

}  // namespace
}  // namespace tavrin::ui
