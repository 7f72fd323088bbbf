#include "skin_painter.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace tavrin::skin {
namespace {

constexpr const char* kFamily = "DejaVu Sans";

QPainterPath Rounded(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void FillRounded(
    QPainter& painter, const QRectF& rect, qreal radius, const QBrush& fill, const QColor& edge, qreal edgeWidth = 1.0)
{
    painter.save();
    painter.setPen(edgeWidth > 0 ? QPen(edge, edgeWidth) : Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(
        rect.adjusted(edgeWidth / 2, edgeWidth / 2, -edgeWidth / 2, -edgeWidth / 2), radius, radius);
    painter.restore();
}

QLinearGradient Vertical(const QRectF& rect, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

// The largest size up to `pixelSize` at which every line of `text` fits `width`.
int FittingSize(const QString& text, qreal width, int pixelSize, bool bold)
{
    for (int size = pixelSize; size > 7; --size) {
        const QFontMetricsF metrics(SkinFont(size, bold));
        bool fits = true;
        for (const QString& line : text.split('\n'))
            fits = fits && metrics.horizontalAdvance(line) <= width;
        if (fits)
            return size;
    }
    return 7;
}

void DrawFittedText(QPainter& painter, const QRectF& rect, const QString& text, const QColor& colour, int pixelSize,
    bool bold, Qt::Alignment alignment = Qt::AlignCenter)
{
    painter.save();
    painter.setFont(SkinFont(FittingSize(text, rect.width(), pixelSize, bold), bold));
    painter.setPen(colour);
    painter.drawText(rect, alignment, text);
    painter.restore();
}

struct KeyColours {
    QColor skirt, faceTop, faceBottom, legend, rim;
};

KeyColours KeycapColours(const ImageButton& key, State state, int hue)
{
    const bool macroKey = key.face == Face::GKeycap;
    switch (state) {
    case State::Over:
        return {QColor(34, 38, 45), QColor(78, 86, 98), QColor(62, 69, 80), Qt::white, colours::kAccent};
    case State::Down:
        return {QColor(16, 18, 22), QColor(34, 38, 44), QColor(30, 33, 39), colours::kAccent, colours::kAccentDeep};
    case State::Disable:
        return {QColor(27, 29, 32), QColor(40, 42, 46), QColor(38, 40, 44), colours::kTextFaint, Qt::transparent};
    case State::ColourKeyOff:
        return {QColor(21, 23, 27), QColor(36, 39, 44), QColor(33, 36, 41), QColor(118, 125, 136), Qt::transparent};
    case State::ColourKeyOn:
        return {QColor::fromHsv(hue, 210, 96), QColor::fromHsv(hue, 150, 246), QColor::fromHsv(hue, 200, 196),
            QColor(18, 20, 24), QColor::fromHsv(hue, 120, 255)};
    case State::Normal:
        break;
    }
    if (macroKey)
        return {QColor(22, 30, 35), QColor(44, 58, 66), QColor(37, 49, 56), colours::kAccent, Qt::transparent};
    return {QColor(23, 25, 30), QColor(60, 65, 74), QColor(49, 53, 61), colours::kText, Qt::transparent};
}

void DrawLegend(QPainter& painter, const QRectF& face, const ImageButton& key, const QColor& colour, bool shadow)
{
    const QRectF area = face.adjusted(2, 1, -2, -1);
    auto draw = [&](const QRectF& rect, const QString& text, int pixelSize, bool bold) {
        if (shadow)
            DrawFittedText(painter, rect.translated(0, 1), text, QColor(0, 0, 0, 150), pixelSize, bold);
        DrawFittedText(painter, rect, text, colour, pixelSize, bold);
    };
    if (!key.upper.isEmpty()) {
        const qreal half = area.height() / 2;
        draw(QRectF(area.left(), area.top() + 1, area.width(), half), key.upper, 11, false);
        draw(QRectF(area.left(), area.top() + half - 1, area.width(), half), key.legend, 12, true);
        return;
    }
    const bool single = key.legend.size() == 1;
    const bool twoLines = key.legend.contains('\n');
    draw(area, key.legend, single ? 15 : (twoLines ? 10 : 12), single || !twoLines);
}

void DrawLed(QPainter& painter, const QPointF& centre, qreal radius, bool lit, const QColor& colour)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    if (lit) {
        QRadialGradient glow(centre, radius * 3);
        QColor halo = colour;
        halo.setAlpha(110);
        glow.setColorAt(0, halo);
        glow.setColorAt(1, QColor(0, 0, 0, 0));
        painter.setBrush(glow);
        painter.drawEllipse(centre, radius * 3, radius * 3);
        painter.setBrush(colour.lighter(115));
    } else {
        painter.setBrush(QColor(52, 57, 65));
    }
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

// Flat faces that share one scheme: fill and edge by state.
void DrawFlatButton(QPainter& painter, const QRectF& rect, State state, bool chosenInDisable)
{
    QColor fillTop(44, 49, 57), fillBottom(38, 42, 50), edge(62, 68, 78);
    switch (state) {
    case State::Over:
        fillTop = QColor(56, 63, 74);
        fillBottom = QColor(48, 54, 64);
        edge = colours::kAccent;
        break;
    case State::Down:
        fillTop = QColor(22, 30, 36);
        fillBottom = QColor(26, 36, 42);
        edge = colours::kAccentDeep;
        break;
    case State::Disable:
        if (chosenInDisable) {
            fillTop = QColor(34, 170, 186);
            fillBottom = QColor(22, 128, 141);
            edge = QColor(110, 226, 238);
        } else {
            fillTop = fillBottom = QColor(31, 33, 37);
            edge = QColor(42, 45, 50);
        }
        break;
    default:
        break;
    }
    FillRounded(painter, rect, 6, Vertical(rect, fillTop, fillBottom), edge);
}

QColor LegendColour(State state, bool chosenInDisable)
{
    switch (state) {
    case State::Over:
        return Qt::white;
    case State::Down:
        return colours::kAccent;
    case State::Disable:
        return chosenInDisable ? Qt::white : colours::kTextFaint;
    default:
        return colours::kText;
    }
}

void DrawPrimary(QPainter& painter, const QRectF& rect, State state)
{
    if (state == State::Disable) {
        DrawFlatButton(painter, rect, state, false);
        return;
    }
    QColor top(28, 150, 165), bottom(19, 112, 124), edge = colours::kAccent;
    if (state == State::Over) {
        top = QColor(40, 176, 192);
        bottom = QColor(26, 138, 151);
        edge = QColor(140, 236, 245);
    } else if (state == State::Down) {
        top = QColor(14, 84, 94);
        bottom = QColor(16, 96, 106);
    }
    FillRounded(painter, rect, 6, Vertical(rect, top, bottom), edge);
}

void DrawIconButton(QPainter& painter, const QRectF& rect, Icon icon, State state, bool danger)
{
    QColor iconColour = colours::kTextDim;
    if (state == State::Over) {
        FillRounded(painter, rect, 6, danger ? colours::kDanger : QColor(46, 52, 62), Qt::transparent, 0);
        iconColour = Qt::white;
    } else if (state == State::Down) {
        FillRounded(painter, rect, 6, danger ? colours::kDanger.darker(140) : QColor(28, 32, 38), Qt::transparent, 0);
        iconColour = danger ? Qt::white : colours::kAccent;
    } else if (state == State::Disable) {
        iconColour = colours::kTextFaint;
    }
    const qreal side = std::min(rect.width(), rect.height()) * 0.56;
    DrawIcon(painter, QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side), icon, iconColour);
}

void DrawTab(QPainter& painter, const QRectF& rect, bool active, State state)
{
    if (state == State::Disable) {
        FillRounded(painter, rect, 7, QColor(29, 31, 35), QColor(38, 41, 46));
        return;
    }
    if (active) {
        QColor top(34, 170, 186), bottom(21, 124, 137);
        if (state == State::Over)
            top = top.lighter(112);
        FillRounded(painter, rect, 7, Vertical(rect, top, bottom), QColor(110, 226, 238));
        return;
    }
    DrawFlatButton(painter, rect, state, false);
}

// The usual lock-light glyph: a padlock with the lock's symbol beside it.
void DrawLockGlyph(QPainter& painter, const QRectF& area, const QString& symbol, const QColor& colour)
{
    const QFont font = SkinFont(11, true);
    const bool arrow = symbol == QString("↓");
    const qreal symbolWidth = arrow ? 7 : QFontMetricsF(font).horizontalAdvance(symbol);
    const qreal lockWidth = 8, gap = 3;
    const qreal left = std::round(area.center().x() - (lockWidth + gap + symbolWidth) / 2);
    const qreal middle = std::round(area.center().y());

    painter.save();
    // The shackle, then the body over its feet.
    painter.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(left + 1.75, middle - 1);
    shackle.lineTo(left + 1.75, middle - 3);
    shackle.arcTo(QRectF(left + 1.75, middle - 5.5, lockWidth - 3.5, 5), 180, -180);
    shackle.lineTo(left + lockWidth - 1.75, middle - 1);
    painter.drawPath(shackle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(left, middle - 1.5, lockWidth, 6.5), 1.2, 1.2);

    const qreal x = left + lockWidth + gap;
    if (arrow) {
        const qreal top = middle - 4.5, bottom = middle + 5, cx = x + symbolWidth / 2;
        painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(cx, top), QPointF(cx, bottom - 3));
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(
            QPolygonF({QPointF(x, bottom - 4), QPointF(x + symbolWidth, bottom - 4), QPointF(cx, bottom)}));
    } else {
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QRectF(x, middle - 8, symbolWidth + 2, 16), Qt::AlignLeft | Qt::AlignVCenter, symbol);
    }
    painter.restore();
}

void DrawLockLed(QPainter& painter, const QRectF& rect, const QString& symbol, bool lit)
{
    DrawLed(painter, QPointF(rect.center().x(), rect.top() + 8), 3.5, lit, colours::kAccent);
    DrawLockGlyph(painter, QRectF(rect.left(), rect.top() + 14, rect.width(), rect.height() - 14), symbol,
        lit ? colours::kText : colours::kTextFaint);
}

// The G-key bank: a "G" over the two bank numbers, each with its light below; the lit bank's
// number and light are in the accent colour.
void DrawBankIndicator(QPainter& painter, const QRectF& rect, bool secondBank)
{
    const QRectF tile = rect.adjusted(1, 1, -1, -1);
    FillRounded(painter, tile, 6, QColor(24, 27, 32), QColor(48, 53, 62));
    // "G" (12), gap, numbers (18), gap, lights (3), centred in the tile.
    const qreal top = std::round(tile.top() + (tile.height() - 41) / 2);
    DrawFittedText(painter, QRectF(tile.left(), top, tile.width(), 12), "G", colours::kTextDim, 10, true);
    const qreal half = (tile.width() - 6) / 2;
    for (int bank = 0; bank < 2; ++bank) {
        const bool lit = (bank == 1) == secondBank;
        const QRectF cell(tile.left() + 3 + bank * half, top + 16, half, 18);
        DrawFittedText(
            painter, cell, QString::number(bank + 1), lit ? colours::kAccent : colours::kTextFaint, 15, true);
        const QRectF light(cell.center().x() - 5, top + 38, 10, 2.5);
        painter.save();
        painter.setPen(Qt::NoPen);
        if (lit) {
            painter.setBrush(QColor(46, 200, 216, 70));
            painter.drawRoundedRect(light.adjusted(-2, -2, 2, 2), 2.5, 2.5);
        }
        painter.setBrush(lit ? colours::kAccent.lighter(115) : QColor(52, 57, 65));
        painter.drawRoundedRect(light, 1.25, 1.25);
        painter.restore();
    }
}

void DrawFlipIndicator(QPainter& painter, const QRectF& rect, bool flipped)
{
    FillRounded(painter, rect, rect.height() / 2, QColor(22, 24, 29), QColor(50, 55, 64));
    const QColor lit = flipped ? QColor(226, 92, 196) : colours::kAccent;
    DrawLed(painter, QPointF(rect.left() + 12, rect.center().y()), 3.5, true, lit);
    DrawFittedText(
        painter, rect.adjusted(20, 0, -6, 0), flipped ? QString("D1–D6") : QString("F1–F4"), colours::kText, 12, true);
}

// The web link: a globe with an arrow leaving it, at the left of its place; the hover puts the
// pair on a soft tile.
void DrawLink(QPainter& painter, const QRectF& rect, State state)
{
    QColor colour = colours::kTextDim;
    if (state == State::Over)
        colour = colours::kAccent;
    else if (state == State::Disable || state == State::Down)
        colour = colours::kAccentDeep.lighter(130);
    const qreal side = std::round(rect.height() * 0.6);
    const QRectF globe(rect.left() + 8, std::round(rect.center().y() - side / 2), side, side);
    const QRectF arrow(globe.right() + 4, globe.top() - 1, side * 0.5, side * 0.5);
    if (state == State::Over)
        FillRounded(painter, QRectF(rect.left(), rect.top(), arrow.right() + 8 - rect.left(), rect.height()), 6,
            QColor(46, 52, 62), Qt::transparent, 0);
    DrawIcon(painter, globe, Icon::Globe, colour);
    painter.save();
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(arrow.bottomLeft(), arrow.topRight());
    painter.drawPolyline(QPolygonF({QPointF(arrow.left() + arrow.width() * 0.35, arrow.top()), arrow.topRight(),
        QPointF(arrow.right(), arrow.top() + arrow.height() * 0.65)}));
    painter.restore();
}

void DrawDecoration(QPainter& painter, const QRectF& rect, const ImageButton& button)
{
    if (button.icon != Icon::None) {
        DrawIcon(painter, rect.adjusted(2, 2, -2, -2), button.icon, colours::kAccent);
    } else {
        QLinearGradient strip(rect.topLeft(), rect.topRight());
        strip.setColorAt(0, QColor(46, 200, 216, 0));
        strip.setColorAt(0.5, colours::kAccent);
        strip.setColorAt(1, QColor(46, 200, 216, 0));
        painter.fillRect(rect, strip);
    }
}

}  // namespace

bool SkinFontAvailable()
{
    return QFontInfo(SkinFont(12)).family().contains("DejaVu", Qt::CaseInsensitive);
}

QFont SkinFont(int pixelSize, bool bold)
{
    QFont font(kFamily);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void DrawWindowBase(QPainter& painter, QSize size, int radius)
{
    const QRectF rect(0, 0, size.width(), size.height());
    painter.fillRect(rect, colours::kWindow);
    painter.save();
    painter.setPen(QPen(colours::kBorder, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(0.75, 0.75, -0.75, -0.75), radius, radius);
    painter.restore();
}

void DrawTitleBar(QPainter& painter, QSize size, int height, const QString& title, int cornerRadius, Icon titleIcon)
{
    painter.save();
    painter.setClipPath(Rounded(QRectF(1.5, 1.5, size.width() - 3, size.height() - 3), cornerRadius - 1.5));
    painter.fillRect(QRectF(0, 0, size.width(), height), colours::kTitleBar);
    QLinearGradient glow(0, 0, size.width(), 0);
    glow.setColorAt(0, QColor(46, 200, 216, 0));
    glow.setColorAt(0.3, colours::kAccent);
    glow.setColorAt(0.7, QColor(170, 90, 230));
    glow.setColorAt(1, QColor(170, 90, 230, 0));
    painter.fillRect(QRectF(0, height - 2, size.width(), 2), glow);
    painter.restore();

    if (title.isEmpty() && titleIcon == Icon::None)
        return;
    // The mark: a small keycap in the accent colour.
    const qreal mark = height * 0.5;
    const QRectF markRect(18, (height - mark) / 2, mark, mark);
    FillRounded(
        painter, markRect, 5, Vertical(markRect, QColor(60, 220, 234), QColor(30, 130, 200)), Qt::transparent, 0);
    FillRounded(painter, markRect.adjusted(4, 3, -4, -6), 3, QColor(255, 255, 255, 70), Qt::transparent, 0);

    if (titleIcon != Icon::None) {
        DrawIcon(painter, QRectF(markRect.right() + 12, markRect.top(), mark, mark), titleIcon, colours::kText);
        return;
    }
    painter.save();
    QFont titleFont = SkinFont(std::max(12, height * 2 / 5), true);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    painter.setFont(titleFont);
    painter.setPen(colours::kText);
    painter.drawText(
        QRectF(markRect.right() + 12, 0, size.width() / 2.0, height), Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.restore();
}

void DrawCard(QPainter& painter, const QRectF& rect, const QColor& fill, const QColor& edge, qreal radius)
{
    FillRounded(painter, rect, radius, fill, edge);
}

void DrawCaption(QPainter& painter, const QRectF& rect, const QString& text, const QColor& colour, int pixelSize,
    bool bold, Qt::Alignment alignment)
{
    DrawFittedText(painter, rect, text, colour, pixelSize, bold, alignment);
}

void DrawIcon(QPainter& painter, const QRectF& rect, Icon icon, const QColor& colour)
{
    painter.save();
    const qreal w = rect.width(), h = rect.height();
    const qreal stroke = std::max<qreal>(1.6, w / 10);
    QPen pen(colour, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    auto at = [&](qreal fx, qreal fy) { return QPointF(rect.left() + fx * w, rect.top() + fy * h); };
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Help:
        painter.drawEllipse(rect.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2));
        painter.setFont(SkinFont(static_cast<int>(h * 0.62), true));
        painter.drawText(rect, Qt::AlignCenter, "?");
        break;
    case Icon::Menu:
        for (qreal fy : {0.22, 0.5, 0.78})
            painter.drawLine(at(0.12, fy), at(0.88, fy));
        break;
    case Icon::Minimise:
        painter.drawLine(at(0.15, 0.72), at(0.85, 0.72));
        break;
    case Icon::Close:
        painter.drawLine(at(0.18, 0.18), at(0.82, 0.82));
        painter.drawLine(at(0.82, 0.18), at(0.18, 0.82));
        break;
    case Icon::Profiles:
        painter.drawRoundedRect(QRectF(at(0.28, 0.08), at(0.94, 0.62)), 2, 2);
        painter.setBrush(colour);
        painter.drawRoundedRect(QRectF(at(0.06, 0.36), at(0.72, 0.92)), 2, 2);
        break;
    case Icon::ChevronLeft:
        painter.drawPolyline(QPolygonF({at(0.66, 0.16), at(0.3, 0.5), at(0.66, 0.84)}));
        break;
    case Icon::ChevronRight:
        painter.drawPolyline(QPolygonF({at(0.34, 0.16), at(0.7, 0.5), at(0.34, 0.84)}));
        break;
    case Icon::Globe:
        pen.setWidthF(std::max<qreal>(1.2, stroke * 0.7));
        painter.setPen(pen);
        painter.drawEllipse(rect.adjusted(1, 1, -1, -1));
        painter.drawEllipse(QRectF(at(0.3, 0.04), at(0.7, 0.96)));
        painter.drawLine(at(0.06, 0.5), at(0.94, 0.5));
        break;
    case Icon::Plus:
        painter.drawLine(at(0.5, 0.15), at(0.5, 0.85));
        painter.drawLine(at(0.15, 0.5), at(0.85, 0.5));
        break;
    case Icon::Trash:
        painter.drawLine(at(0.12, 0.22), at(0.88, 0.22));
        painter.drawLine(at(0.38, 0.1), at(0.62, 0.1));
        painter.drawPolyline(QPolygonF({at(0.22, 0.3), at(0.28, 0.9), at(0.72, 0.9), at(0.78, 0.3)}));
        painter.drawLine(at(0.43, 0.4), at(0.45, 0.78));
        painter.drawLine(at(0.57, 0.4), at(0.55, 0.78));
        break;
    case Icon::Keyboard: {
        pen.setWidthF(std::max<qreal>(1.2, stroke * 0.7));
        painter.setPen(pen);
        painter.drawRoundedRect(QRectF(at(0.04, 0.2), at(0.96, 0.8)), 3, 3);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const qreal dot = std::max<qreal>(1.5, w * 0.08);
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 5; ++column)
                painter.drawRect(QRectF(at(0.16 + column * 0.155, 0.32 + row * 0.14), QSizeF(dot, dot)));
        painter.drawRect(QRectF(at(0.3, 0.62), at(0.7, 0.62 + dot / h)));
        break;
    }
    case Icon::Undo:
    case Icon::Redo: {
        // A hook: the head points back (Undo) or forward (Redo) along the top, the tail turns round
        // and comes back underneath.
        const bool forward = icon == Icon::Redo;
        const auto side = [&](qreal fx, qreal fy) { return at(forward ? 1 - fx : fx, fy); };
        QPainterPath hook;
        hook.moveTo(side(0.12, 0.36));
        hook.lineTo(side(0.58, 0.36));
        hook.cubicTo(side(0.92, 0.36), side(0.92, 0.86), side(0.58, 0.86));
        hook.lineTo(side(0.34, 0.86));
        painter.drawPath(hook);
        painter.drawPolyline(QPolygonF({side(0.34, 0.14), side(0.12, 0.36), side(0.34, 0.58)}));
        break;
    }
    }
    painter.restore();
}

void DrawKeycap(QPainter& painter, const QRectF& rect, const ImageButton& key, State state, int hue)
{
    const KeyColours c = KeycapColours(key, state, hue);
    const QRectF outer = rect.adjusted(1, 1, -1, -1);
    if (state == State::ColourKeyOn) {
        // A soft glow of the key's own colour around it.
        QColor halo = c.rim;
        halo.setAlpha(90);
        FillRounded(painter, rect, 7, halo, Qt::transparent, 0);
    }
    FillRounded(painter, outer, 6, c.skirt, c.rim.alpha() ? c.rim : QColor(12, 13, 16), c.rim.alpha() ? 1.5 : 1.0);
    const bool pressed = state == State::Down;
    const QRectF face = outer.adjusted(3, pressed ? 4 : 2, -3, pressed ? -3 : -6);
    FillRounded(painter, face, 4, Vertical(face, c.faceTop, c.faceBottom), Qt::transparent, 0);
    if (!pressed && state != State::Disable && state != State::ColourKeyOff) {
        // A thin highlight along the top edge of the face.
        painter.save();
        painter.setPen(QPen(QColor(255, 255, 255, state == State::ColourKeyOn ? 110 : 30), 1));
        painter.drawLine(QPointF(face.left() + 4, face.top() + 0.5), QPointF(face.right() - 4, face.top() + 0.5));
        painter.restore();
    }
    DrawLegend(painter, face, key, c.legend, false);
}

void DrawImageButton(QPainter& painter, const ImageButton& button, State state, int windowWidth)
{
    const QRectF rect(button.rect);
    // Only keys have a colour-keys look; everything else shows its normal face there.
    const bool colourView = state == State::ColourKeyOff || state == State::ColourKeyOn;
    if (colourView && button.face != Face::Keycap && button.face != Face::GKeycap)
        state = State::Normal;
    switch (button.face) {
    case Face::Keycap:
    case Face::GKeycap: {
        const int hue = windowWidth > 0 ? (button.rect.center().x() * 300 / windowWidth) % 360 : 180;
        DrawKeycap(painter, rect, button, state, hue);
        break;
    }
    case Face::BankIndicator:
        DrawBankIndicator(painter, rect, state == State::Over);
        break;
    case Face::LockLed:
        DrawLockLed(painter, rect, button.legend, state == State::Over);
        break;
    case Face::TextButton:
        DrawFlatButton(painter, rect, state, false);
        break;
    case Face::PrimaryButton:
        DrawPrimary(painter, rect, state);
        if (button.icon != Icon::None) {
            const qreal side = rect.height() * 0.5;
            DrawIcon(painter, QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side),
                button.icon, state == State::Disable ? colours::kTextFaint : QColor(Qt::white));
        } else if (!button.legend.isEmpty())
            DrawFittedText(painter, rect.adjusted(4, 0, -4, 0), button.legend,
                state == State::Disable ? colours::kTextFaint : QColor(Qt::white), 13, true);
        break;
    case Face::LegendButton:
    case Face::SegmentButton: {
        const bool chosen = button.face == Face::SegmentButton;
        DrawFlatButton(painter, rect, state, chosen);
        if (button.icon != Icon::None) {
            const qreal side = rect.height() * 0.5;
            DrawIcon(painter, QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side),
                button.icon, LegendColour(state, chosen));
        } else if (!button.legend.isEmpty()) {
            DrawFittedText(painter, rect.adjusted(4, 0, -4, 0), button.legend, LegendColour(state, chosen), 13, true);
        }
        break;
    }
    case Face::IconButton:
    case Face::CloseButton:
        DrawIconButton(painter, rect, button.icon, state, button.face == Face::CloseButton);
        break;
    case Face::TabButton:
        DrawTab(painter, rect, button.active, state);
        break;
    case Face::FlipIndicator:
        DrawFlipIndicator(painter, rect, state == State::Disable);
        break;
    case Face::LinkButton:
        DrawLink(painter, rect, state);
        break;
    case Face::Decoration:
        DrawDecoration(painter, rect, button);
        break;
    case Face::Blank:
        break;
    }
}

}  // namespace tavrin::skin
