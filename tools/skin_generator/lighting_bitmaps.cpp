#include "lighting_bitmaps.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <functional>

#include "skin_painter.h"

namespace tavrin::skin {
namespace {

using Drawing = std::function<void(QPainter&, const QRectF&)>;

constexpr int kSliderPositions = 25;

QImage Draw(QSize size, const QColor& background, const Drawing& drawing)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawing(painter, QRectF(0, 0, size.width(), size.height()));
    return image;
}

// A clickable picture: raised when not chosen, lit in the accent colour when chosen.
void DrawTile(QPainter& painter, const QRectF& rect, bool chosen)
{
    const QRectF tile = rect.adjusted(1, 1, -1, -1);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    if (chosen) {
        fill.setColorAt(0, QColor(30, 150, 165));
        fill.setColorAt(1, QColor(18, 104, 116));
    } else {
        fill.setColorAt(0, QColor(44, 49, 57));
        fill.setColorAt(1, QColor(36, 40, 47));
    }
    painter.setPen(QPen(chosen ? QColor(120, 230, 240) : QColor(58, 64, 74), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

QColor GlyphColour(bool chosen)
{
    return chosen ? Qt::white : colours::kTextDim;
}

// An arrow from `from` to `to` with a filled head.
void DrawArrowLine(QPainter& painter, QPointF from, QPointF to, const QColor& colour, qreal width)
{
    const QLineF line(from, to);
    const qreal head = width * 2.6;
    QLineF back(to, from);
    back.setLength(head);
    const QPointF base = back.p2();
    QLineF normal = back.normalVector();
    normal.setLength(head * 0.62);
    const QPointF side = normal.p2() - normal.p1();
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, base);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF({to, base + side, base - side}));
}

enum class Direction { Left, Right, Up, Down, Spread, Gather };

void DrawDirection(QPainter& painter, const QRectF& rect, Direction direction, bool chosen)
{
    DrawTile(painter, rect, chosen);
    const QColor colour = GlyphColour(chosen);
    const QPointF c = rect.center();
    const qreal dx = rect.width() * 0.28, dy = rect.height() * 0.28, width = 2.6;
    switch (direction) {
    case Direction::Left:
        DrawArrowLine(painter, c + QPointF(dx, 0), c - QPointF(dx, 0), colour, width);
        break;
    case Direction::Right:
        DrawArrowLine(painter, c - QPointF(dx, 0), c + QPointF(dx, 0), colour, width);
        break;
    case Direction::Up:
        DrawArrowLine(painter, c + QPointF(0, dy), c - QPointF(0, dy), colour, width);
        break;
    case Direction::Down:
        DrawArrowLine(painter, c - QPointF(0, dy), c + QPointF(0, dy), colour, width);
        break;
    case Direction::Spread:
    case Direction::Gather: {
        const bool out = direction == Direction::Spread;
        const qreal near = rect.width() * 0.09, far = rect.width() * 0.36;
        for (int sign : {-1, 1}) {
            const QPointF inner = c + QPointF(sign * near, 0), outer = c + QPointF(sign * far, 0);
            DrawArrowLine(painter, out ? inner : outer, out ? outer : inner, colour, 2.2);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(c, 2.2, 2.2);
        break;
    }
    }
}

void DrawColourfulSwitch(QPainter& painter, const QRectF& rect, bool on)
{
    DrawTile(painter, rect, on);
    const qreal radius = rect.height() * 0.3;
    const QPointF c = rect.center();
    QPen ring;
    ring.setWidthF(4.2);
    if (on) {
        QConicalGradient rainbow(c, 90);
        for (int i = 0; i <= 6; ++i)
            rainbow.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 220, 255));
        ring.setBrush(rainbow);
    } else {
        ring.setColor(QColor(96, 104, 116));
    }
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(c, radius, radius);
}

void DrawSwatch(QPainter& painter, const QRectF& rect, const QColor& colour, bool chosen)
{
    // Never the accent fill here: the swatch's own colour is what the user reads.
    const QRectF tile = rect.adjusted(1, 1, -1, -1);
    painter.setPen(QPen(chosen ? QColor(240, 242, 245) : QColor(58, 64, 74), chosen ? 2 : 1));
    painter.setBrush(QColor(36, 40, 47));
    painter.drawRoundedRect(tile.adjusted(1, 1, -1, -1), 6, 6);
    const QRectF swatch = tile.adjusted(6, 6, -6, -6);
    QLinearGradient fill(swatch.topLeft(), swatch.bottomLeft());
    fill.setColorAt(0, chosen ? colour.lighter(112) : colour.darker(118));
    fill.setColorAt(1, chosen ? colour : colour.darker(150));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(swatch, 4, 4);
    if (chosen) {
        const QPointF c = swatch.center();
        const qreal s = swatch.height() * 0.28;
        QPainterPath tick;
        tick.moveTo(c + QPointF(-s, 0));
        tick.lineTo(c + QPointF(-s * 0.3, s * 0.7));
        tick.lineTo(c + QPointF(s * 1.1, -s * 0.7));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(20, 22, 26), 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
        painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
    }
}

// Brush 1 paints the paint colour (a brush); brush 2 the base colour (stacked layers).
void DrawBrush(QPainter& painter, const QRectF& rect, int brush, bool chosen)
{
    DrawTile(painter, rect, chosen);
    const QColor colour = GlyphColour(chosen);
    const qreal s = rect.height() * 0.62;
    const QRectF box(rect.center().x() - s / 2, rect.center().y() - s / 2, s, s);
    auto at = [&](qreal fx, qreal fy) { return QPointF(box.left() + fx * s, box.top() + fy * s); };
    if (brush == 1) {
        painter.setPen(QPen(colour, 2.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(at(0.92, 0.08), at(0.5, 0.5));
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        QPainterPath tip;
        tip.moveTo(at(0.58, 0.42));
        tip.cubicTo(at(0.3, 0.36), at(0.16, 0.58), at(0.06, 0.94));
        tip.cubicTo(at(0.42, 0.86), at(0.64, 0.72), at(0.58, 0.42));
        painter.drawPath(tip);
        return;
    }
    for (int layer = 2; layer >= 0; --layer) {
        const qreal y = 0.3 + layer * 0.2;
        QPainterPath diamond;
        diamond.moveTo(at(0.5, y - 0.22));
        diamond.lineTo(at(0.96, y));
        diamond.lineTo(at(0.5, y + 0.22));
        diamond.lineTo(at(0.04, y));
        diamond.closeSubpath();
        painter.setPen(QPen(QColor(colours::kPanel), 1.6));
        QColor fill = colour;
        fill.setAlpha(layer == 0 ? 255 : 150 - layer * 30);
        painter.setBrush(fill);
        painter.drawPath(diamond);
    }
}

void DrawPanelSwitch(QPainter& painter, const QRectF& rect, bool open)
{
    const QRectF track = rect.adjusted(3, 4, -3, -4);
    const qreal radius = track.height() / 2;
    QLinearGradient fill(track.topLeft(), track.bottomLeft());
    fill.setColorAt(0, open ? QColor(40, 178, 194) : QColor(44, 49, 57));
    fill.setColorAt(1, open ? QColor(22, 124, 137) : QColor(36, 40, 47));
    painter.setPen(QPen(open ? QColor(120, 230, 240) : QColor(62, 68, 78), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);
    const QPointF knob(open ? track.right() - radius : track.left() + radius, track.center().y());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70));
    painter.drawEllipse(knob + QPointF(0, 1), radius - 3, radius - 3);
    painter.setBrush(open ? QColor(250, 251, 252) : QColor(150, 158, 170));
    painter.drawEllipse(knob, radius - 3, radius - 3);
}

struct SliderLook {
    QColor from, to;
};

// A slider at position `position` of 25, or the bare track when `position` is negative.
void DrawSlider(QPainter& painter, const QRectF& rect, int position, const SliderLook& look)
{
    const qreal knobRadius = std::min<qreal>(10, rect.height() / 2 - 2);
    const qreal left = rect.left() + knobRadius + 1, right = rect.right() - knobRadius - 1;
    const qreal y = rect.center().y() - 2;
    const QRectF track(left, y - 3, right - left, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(44, 49, 57));
    painter.drawRoundedRect(track, 3, 3);
    for (int tick = 0; tick < kSliderPositions; ++tick) {
        const qreal x = left + (right - left) * tick / (kSliderPositions - 1);
        painter.setBrush(tick <= position ? look.to.darker(140) : QColor(58, 64, 74));
        painter.drawEllipse(QPointF(x, rect.bottom() - 3), 1.2, 1.2);
    }
    if (position < 0)
        return;
    const qreal knobX = left + (right - left) * position / (kSliderPositions - 1);
    QLinearGradient fill(track.topLeft(), track.topRight());
    fill.setColorAt(0, look.from);
    fill.setColorAt(1, look.to);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(left, y - 3, knobX - left, 6), 3, 3);
    QRadialGradient glow(QPointF(knobX, y), knobRadius * 1.8);
    QColor halo = look.to;
    halo.setAlpha(80);
    glow.setColorAt(0, halo);
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(knobX, y), knobRadius * 1.8, knobRadius * 1.8);
    painter.setPen(QPen(look.to, 2));
    painter.setBrush(QColor(240, 242, 245));
    painter.drawEllipse(QPointF(knobX, y), knobRadius - 2, knobRadius - 2);
}

// Ten frames of a light running along ten segments, with a fading tail.
void DrawBusyFrame(QPainter& painter, const QRectF& rect, int frame)
{
    constexpr int kSegments = 10;
    const qreal gap = 6;
    const qreal width = (rect.width() - gap * (kSegments - 1)) / kSegments;
    const qreal height = std::min<qreal>(8, rect.height());
    for (int segment = 0; segment < kSegments; ++segment) {
        const int behind = (frame - segment + kSegments) % kSegments;  // 0 is the head
        QColor colour(44, 49, 58);
        if (behind < 4) {
            colour = colours::kAccent;
            colour.setAlpha(255 - behind * 60);
        }
        const QRectF pill(rect.left() + segment * (width + gap), rect.center().y() - height / 2, width, height);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(44, 49, 58));
        painter.drawRoundedRect(pill, height / 2, height / 2);
        painter.setBrush(colour);
        painter.drawRoundedRect(pill, height / 2, height / 2);
    }
}

struct Bitmap {
    QString name;
    QString sizeKey;  // the control whose size the bitmap takes
    QColor background;
    Drawing drawing;
};

std::vector<Bitmap> Bitmaps()
{
    const QColor panel = colours::kPanel;
    std::vector<Bitmap> list;
    for (bool open : {false, true})
        list.push_back({open ? "dengdown.bmp" : "dengup.bmp", "CONTROL_DengStaPic", panel,
            [open](QPainter& p, const QRectF& r) { DrawPanelSwitch(p, r, open); }});

    const std::pair<const char*, Direction> directions[]
        = {{"left", Direction::Left}, {"right", Direction::Right}, {"up", Direction::Up}, {"down", Direction::Down}};
    // Lambdas capture plain copies: clang 14 cannot capture structured bindings.
    for (const auto& entry : directions)
        for (bool chosen : {false, true})
            list.push_back({QString(entry.first) + (chosen ? "down.bmp" : "up.bmp"), "CONTROL_BLFXLStaPic", panel,
                [direction = entry.second, chosen](
                    QPainter& p, const QRectF& r) { DrawDirection(p, r, direction, chosen); }});
    const std::pair<const char*, Direction> spreads[] = {{"kuosan", Direction::Spread}, {"julong", Direction::Gather}};
    for (const auto& entry : spreads)
        for (bool chosen : {false, true})
            list.push_back({QString(entry.first) + (chosen ? "down.bmp" : ".bmp"), "CONTROL_BLFXLStaPic", panel,
                [direction = entry.second, chosen](
                    QPainter& p, const QRectF& r) { DrawDirection(p, r, direction, chosen); }});

    for (bool on : {false, true})
        list.push_back({on ? "sjsdown.bmp" : "sjsup.bmp", "CONTROL_HXsjsStaPic", panel,
            [on](QPainter& p, const QRectF& r) { DrawColourfulSwitch(p, r, on); }});

    const std::pair<const char*, QColor> swatches[] = {{"hong", QColor(232, 52, 64)}, {"huang", QColor(248, 204, 30)},
        {"lv", QColor(40, 200, 96)}, {"lan", QColor(52, 120, 246)}};
    for (const auto& entry : swatches)
        for (bool chosen : {false, true})
            list.push_back({QString(entry.first) + (chosen ? "ok.bmp" : ".bmp"), "CONTROL_HONGPIC", panel,
                [colour = entry.second, chosen](QPainter& p, const QRectF& r) { DrawSwatch(p, r, colour, chosen); }});

    for (int brush : {1, 2})
        for (bool chosen : {false, true})
            list.push_back({QString("user%1%2.bmp").arg(brush).arg(chosen ? "down" : "up"), "CONTROL_USERgjStaPic1",
                panel, [brush, chosen](QPainter& p, const QRectF& r) { DrawBrush(p, r, brush, chosen); }});

    const SliderLook brightness{QColor(70, 70, 64), QColor(255, 240, 200)};
    const SliderLook speed{colours::kAccent, QColor(178, 96, 236)};
    list.push_back({"0.bmp", "CONTROL_LightSlider", panel,
        [brightness](QPainter& p, const QRectF& r) { DrawSlider(p, r, -1, brightness); }});
    for (int position = 0; position < kSliderPositions; ++position) {
        list.push_back({QString("%1.bmp").arg(position + 1), "CONTROL_LightSlider", panel,
            [position, brightness](QPainter& p, const QRectF& r) { DrawSlider(p, r, position, brightness); }});
        list.push_back({QString("%1.bmp").arg(27 + position), "CONTROL_SpeedSlider", panel,
            [position, speed](QPainter& p, const QRectF& r) { DrawSlider(p, r, position, speed); }});
    }

    for (int frame = 0; frame < 10; ++frame)
        list.push_back({QString("jdt%1.bmp").arg(frame + 1), "CONTROL_JDTStatic", colours::kWindow,
            [frame](QPainter& p, const QRectF& r) { DrawBusyFrame(p, r, frame); }});
    return list;
}

}  // namespace

bool WriteLightingBitmaps(const SkinFolder& folder, const MainWindow& window, QString& error)
{
    for (const Bitmap& bitmap : Bitmaps()) {
        const QRect rect = MainControlRect(window, bitmap.sizeKey);
        if (rect.isEmpty()) {
            error = QString("the main window has no %1 for %2").arg(bitmap.sizeKey, bitmap.name);
            return false;
        }
        if (!folder.saveBitmap(Draw(rect.size(), bitmap.background, bitmap.drawing), bitmap.name, error))
            return false;
    }
    return true;
}

}  // namespace tavrin::skin
