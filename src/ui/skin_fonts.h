// The fonts the skinned windows name. They are faces of another system; each is asked for by name
// first and falls back to the nearest face installed here.
#pragma once

#include <QFont>
#include <QString>

namespace tavrin::ui {

// `weight` on the platform's 0–1000 scale (400 normal, 700 bold).
QFont SkinFontInPoints(const QString& face, int points, int weight = 400);
QFont SkinFontInPixels(const QString& face, int pixels, int weight = 400);

// The named fonts of the skins.
QFont MainButtonFont();   // "Arial" 10 pt
QFont VersionTextFont();  // "Verdana" 8 pt
QFont WorkingModeFont();  // "Arial Unicode MS" 20 px, weight 600
inline constexpr unsigned kWorkingModeTextColour = 0x00BAAB66;

}  // namespace tavrin::ui
