#include "ui/skin_fonts.h"

#include <QStringList>
#include <algorithm>

namespace tavrin::ui {
namespace {

// Faces of the same build, in order of likeness, for when the named one is not installed.
QStringList FacesLike(const QString& face)
{
    const QString lower = face.toLower();
    if (lower == "arial")
        return {face, "Liberation Sans", "Arimo", "Helvetica", "Nimbus Sans", "DejaVu Sans"};
    if (lower == "arial unicode ms")
        return {
            face, "Noto Sans CJK SC", "WenQuanYi Micro Hei", "Droid Sans Fallback", "Liberation Sans", "DejaVu Sans"};
    if (lower == "tahoma" || lower == "verdana")
        return {face, "DejaVu Sans", "Bitstream Vera Sans", "Liberation Sans"};
    return {face, "DejaVu Sans"};
}

QFont NamedFont(const QString& face, int weight)
{
    QFont font;
    font.setFamilies(FacesLike(face));
    font.setStyleHint(QFont::SansSerif);
    // Qt's weights end at 900; the platform's go to 1000.
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 900)));
    return font;
}

}  // namespace

QFont SkinFontInPoints(const QString& face, int points, int weight)
{
    QFont font = NamedFont(face, weight);
    font.setPointSize(std::max(points, 1));
    return font;
}

QFont SkinFontInPixels(const QString& face, int pixels, int weight)
{
    QFont font = NamedFont(face, weight);
    font.setPixelSize(std::max(pixels, 1));
    return font;
}

QFont MainButtonFont()
{
    return SkinFontInPoints("Arial", 10);
}

QFont VersionTextFont()
{
    return SkinFontInPoints("Verdana", 8);
}

QFont WorkingModeFont()
{
    return SkinFontInPixels("Arial Unicode MS", 20, 600);
}

}  // namespace tavrin::ui
