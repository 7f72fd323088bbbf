#include "program_icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <cmath>
#include <utility>

#include "skin_painter.h"

namespace tavrin::skin {
namespace {

// How much detail a size can carry: small sizes get the plate and one heavy shape only.
struct Detail {
    bool small;  // under 32 px: no margin, shapes on whole pixels
    bool glow;   // 48 px and up: the skin's glow line along the plate's foot, the keycap's highlight
};

Detail DetailFor(int size)
{
    return {size < 32, size >= 48};
}

qreal Snap(qreal value, bool small)
{
    return small ? std::round(value) : value;
}

QLinearGradient Vertical(const QRectF& rect, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

// The dark plate, filled edge to edge so that it reads on light panels, with a lighter rim so
// that it keeps its outline on dark ones.
void DrawPlate(QPainter& painter, int size, const Detail& detail)
{
    const qreal margin = detail.small ? 0 : size * 0.04;
    const QRectF plate(margin, margin, size - 2 * margin, size - 2 * margin);
    const qreal radius = plate.width() * 0.22;
    const qreal rim = detail.small ? 1.0 : std::max<qreal>(1.5, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 106, 122));
    painter.drawRoundedRect(plate, radius, radius);
    const QRectF inner = plate.adjusted(rim, rim, -rim, -rim);
    painter.setBrush(
        detail.small ? QBrush(QColor(30, 34, 41)) : QBrush(Vertical(inner, QColor(44, 49, 58), QColor(20, 22, 27))));
    painter.drawRoundedRect(inner, radius - rim, radius - rim);
    if (detail.glow) {
        // The glow line of the skin's title bar, cyan into violet.
        QLinearGradient glow(inner.left(), 0, inner.right(), 0);
        glow.setColorAt(0, QColor(46, 200, 216, 0));
        glow.setColorAt(0.3, colours::kAccent);
        glow.setColorAt(0.7, QColor(170, 90, 230));
        glow.setColorAt(1, QColor(170, 90, 230, 0));
        const qreal height = std::max<qreal>(1.5, size * 0.022);
        painter.fillRect(
            QRectF(inner.left() + radius * 0.6, inner.bottom() - size * 0.085, inner.width() - radius * 1.2, height),
            glow);
    }
}

// The accent colours of the title bar's mark, from the face's top to its foot.
const QColor kFaceTop(60, 220, 234);
const QColor kFaceBottom(30, 130, 200);

// A filled polygon with rounded corners: the same fill stroked `round` wide with round joins.
void DrawRoundedPolygon(QPainter& painter, const QPolygonF& polygon, const QBrush& fill, qreal round)
{
    painter.setPen(QPen(fill, round, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPolygon(polygon);
}

// A keycap seen from the front and above: the face on a skirt that widens towards the plate.
void DrawKeycap(QPainter& painter, int size, const Detail& detail)
{
    const qreal s = size;
    const auto x = [&](qreal fraction) { return Snap(s * fraction, detail.small); };
    // Lifted a little where the glow line runs under it.
    const qreal lift = detail.glow ? 0.03 : 0;
    const auto y = [&](qreal fraction) { return Snap(s * (fraction - lift), detail.small); };
    const qreal round = detail.small ? 1.0 : s * 0.07;
    const QPolygonF skirt(
        {QPointF(x(0.22), y(0.17)), QPointF(x(0.78), y(0.17)), QPointF(x(0.87), y(0.8)), QPointF(x(0.13), y(0.8))});
    DrawRoundedPolygon(
        painter, skirt, Vertical(skirt.boundingRect(), QColor(28, 152, 172), QColor(16, 96, 116)), round);
    const QRectF face(QPointF(x(0.28), y(0.2)), QPointF(x(0.72), y(0.6)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Vertical(face, kFaceTop, kFaceBottom));
    const qreal radius = detail.small ? 1.0 : s * 0.06;
    painter.drawRoundedRect(face, radius, radius);
    if (!detail.glow)
        return;
    // A light along the face's top edge.
    painter.setBrush(QColor(255, 255, 255, 90));
    painter.drawRoundedRect(QRectF(face.left() + face.width() * 0.14, face.top() + face.height() * 0.08,
                                face.width() * 0.72, face.height() * 0.1),
        face.height() * 0.05, face.height() * 0.05);
}

void DrawPlayTriangle(QPainter& painter, int size, const Detail& detail)
{
    const qreal s = size;
    // Its box sits a little right of the plate's middle, so that the triangle's weight looks centred.
    const qreal height = s * (detail.small ? 0.6 : 0.52);
    const qreal width = height * 0.88;
    const qreal left = Snap(s / 2 - width * 0.42, detail.small);
    const qreal top = Snap((s - height) / 2 - (detail.glow ? s * 0.025 : 0), detail.small);
    const QPolygonF triangle(
        {QPointF(left, top), QPointF(left + width, top + height / 2), QPointF(left, top + height)});
    const QRectF bounds = triangle.boundingRect();
    DrawRoundedPolygon(painter, triangle, Vertical(bounds, kFaceTop, kFaceBottom), detail.small ? 1.5 : s * 0.06);
}

}  // namespace

QImage DrawProgramIcon(ProgramIcon icon, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const Detail detail = DetailFor(size);
    DrawPlate(painter, size, detail);
    if (icon == ProgramIcon::Program)
        DrawKeycap(painter, size, detail);
    else
        DrawPlayTriangle(painter, size, detail);
    return image;
}

bool WriteProgramIcons(const SkinFolder& folder, QString& error)
{
    const std::pair<int, ProgramIcon> icons[]
        = {{128, ProgramIcon::Program}, {141, ProgramIcon::Program}, {142, ProgramIcon::Playing}};
    for (const auto& [number, icon] : icons) {
        if (!folder.savePng(DrawProgramIcon(icon, kProgramIconLargeSize), QString("icon_%1.png").arg(number), error))
            return false;
        for (const int size : kProgramIconSizes)
            if (!folder.savePng(DrawProgramIcon(icon, size), QString("icon_%1_%2.png").arg(number).arg(size), error))
                return false;
    }
    return true;
}

}  // namespace tavrin::skin
