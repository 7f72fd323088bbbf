// The skin's look: its colours, its font and the drawing of every kind of face, shared by all
// windows and bitmaps so that they match.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

#include "skin_layout.h"

namespace tavrin::skin {

namespace colours {
inline const QColor kWindow{20, 22, 27};
inline const QColor kTitleBar{15, 17, 21};
inline const QColor kBorder{52, 57, 66};
inline const QColor kPlate{28, 31, 37};
inline const QColor kPlateEdge{44, 49, 58};
inline const QColor kPanel{27, 30, 36};
inline const QColor kPanelEdge{42, 47, 56};
inline const QColor kText{232, 235, 240};
inline const QColor kTextDim{150, 158, 170};
inline const QColor kTextFaint{92, 99, 110};
inline const QColor kAccent{46, 200, 216};
inline const QColor kAccentDeep{20, 118, 130};
inline const QColor kDanger{200, 67, 79};
}  // namespace colours

// The skin's one font family; the build installs it. False when the platform does not have it.
bool SkinFontAvailable();
QFont SkinFont(int pixelSize, bool bold = false);

// Fills the window with its colour and frames it; `radius` matches the window's mask.
void DrawWindowBase(QPainter& painter, QSize size, int radius);
// The bar with its glow line; with a title (a name) or a title icon, also the program's mark
// before it. The window's purpose is never spelled out: the pictures serve every language.
void DrawTitleBar(
    QPainter& painter, QSize size, int height, const QString& title, int cornerRadius, Icon titleIcon = Icon::None);
// A card that groups controls: flat fill, thin edge.
void DrawCard(QPainter& painter, const QRectF& rect, const QColor& fill, const QColor& edge, qreal radius = 10);
// Caption text at a position, left aligned, vertically centred in `rect`.
void DrawCaption(QPainter& painter, const QRectF& rect, const QString& text, const QColor& colour, int pixelSize,
    bool bold = false, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

void DrawIcon(QPainter& painter, const QRectF& rect, Icon icon, const QColor& colour);
// A rounded keycap with its legend; `hue` (0–359) colours the colour-keys look.
void DrawKeycap(QPainter& painter, const QRectF& rect, const ImageButton& key, State state, int hue);
// Any image button in one of the window's states; `windowWidth` spreads the colour-keys hues.
void DrawImageButton(QPainter& painter, const ImageButton& button, State state, int windowWidth);

}  // namespace tavrin::skin
