#include "ui/png_button.h"

#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "ui/skin_fonts.h"
#include "ui/skin_pictures.h"

namespace tavrin::ui {
namespace {

Qt::Alignment AlignmentOf(const TextPlacement& placement)
{
    Qt::Alignment alignment;
    switch (placement.horizontal) {
    case HorizontalPlace::Left:
        alignment |= Qt::AlignLeft;
        break;
    case HorizontalPlace::Centre:
        alignment |= Qt::AlignHCenter;
        break;
    case HorizontalPlace::Right:
        alignment |= Qt::AlignRight;
        break;
    }
    switch (placement.vertical) {
    case VerticalPlace::Top:
        alignment |= Qt::AlignTop;
        break;
    case VerticalPlace::Middle:
        alignment |= Qt::AlignVCenter;
        break;
    case VerticalPlace::Bottom:
        alignment |= Qt::AlignBottom;
        break;
    }
    return alignment;
}

}  // namespace

CPngButton::CPngButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    tooltipTimer_.setSingleShot(true);
    tooltipTimer_.setInterval(kTooltipDelayMs);
    connect(&tooltipTimer_, &QTimer::timeout, this, &CPngButton::ShowTooltip);
}

void CPngButton::SetSkin(int x, int y, const QPixmap& normal, const QPixmap& hover, const QPixmap& pressed,
    const QPixmap& disabled, const QPixmap& checked, bool redraw)
{
    offset_ = {x, y};
    pictures_ = {normal, hover, pressed, disabled, checked};
    hover_ = false;
    setDown(false);
    if (redraw)
        update();
}

void CPngButton::SetPictureOffset(int x, int y, bool redraw)
{
    offset_ = {x, y};
    if (redraw)
        update();
}

void CPngButton::SetChecked(bool checked, bool redraw)
{
    checked_ = checked;
    if (redraw)
        update();
}

void CPngButton::SetFrameColour(std::uint32_t colour, int transparency, bool enabled)
{
    frameColour_ = colour;
    frameTransparency_ = std::clamp(transparency, 0, 100);
    frameEnabled_ = enabled;
    update();
}

void CPngButton::SetAlternativePictures(
    bool enabled, int selector, const QPixmap& first, const QPixmap& second, bool redraw)
{
    alternative_ = enabled;
    selector_ = selector;
    alternatives_ = {first, second};
    if (redraw)
        update();
}

void CPngButton::SetTextStyle(bool show, int points, const QString& face, std::uint32_t normal, std::uint32_t hover,
    std::uint32_t pressed, std::uint32_t disabled, std::uint32_t spare, std::uint32_t format)
{
    showText_ = show;
    textPoints_ = points;
    textFace_ = face;
    textColours_ = {normal, hover, pressed, disabled, spare};
    textFormat_ = format;
    update();
}

void CPngButton::SetTextMargins(int left, int top, int right, int bottom)
{
    textMargins_ = QMargins(left, top, right, bottom);
    update();
}

void CPngButton::SetEscapementAndBold(int escapement, bool bold)
{
    escapement_ = escapement;
    bold_ = bold;
    update();
}

QFont CPngButton::TextFont() const
{
    // The platform's heavy weight for bold text; Qt caps it at its own heaviest.
    return SkinFontInPoints(textFace_, textPoints_, bold_ ? 956 : 400);
}

void CPngButton::SetTooltip(const QString& text, bool activate)
{
    tooltipText_ = text;
    tooltipActive_ = activate;
    if (!activate) {
        tooltipTimer_.stop();
        if (QToolTip::isVisible() && QToolTip::text() == text)
            QToolTip::hideText();
    }
}

ButtonState CPngButton::State() const
{
    return {isEnabled(), alternative_, selector_, isDown(), hover_, checked_};
}

const QPixmap& CPngButton::PictureOf(PictureRole role) const
{
    switch (role) {
    case PictureRole::Hover:
        return pictures_[Hover];
    case PictureRole::Pressed:
        return pictures_[Pressed];
    case PictureRole::Disabled:
        return pictures_[Disabled];
    case PictureRole::Checked:
        return pictures_[CheckedPicture];
    case PictureRole::FirstAlternative:
        return alternatives_[0];
    case PictureRole::SecondAlternative:
        return alternatives_[1];
    case PictureRole::Normal:
        break;
    }
    return pictures_[Normal];
}

std::uint32_t CPngButton::TextColourOf(TextColourRole role) const
{
    return textColours_[static_cast<std::size_t>(role)];
}

void CPngButton::paintEvent(QPaintEvent*)
{
    const ButtonPaint plan = PlanButtonPaint(State(), frameEnabled_, lastPicture_);
    QPainter painter(this);
    // The piece of the chosen picture under the button; under a frame, the piece shown before.
    const QPixmap& picture = PictureOf(plan.look.picture);
    if (!picture.isNull())
        painter.drawPixmap(0, 0, picture, offset_.x(), offset_.y(), width(), height());
    lastPicture_ = plan.look.picture;
    if (plan.frame) {
        QPen pen(ColourOfValue(frameColour_));
        pen.setWidth(2);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(1, 1), QPoint(width() - 2, height() - 2)));
    }
    if (showText_)
        DrawText(painter, plan.look.text);
    painter.end();
    if (afterPaint_)
        afterPaint_(*this, plan.normalDrawn);
}

void CPngButton::DrawText(QPainter& painter, TextColourRole role)
{
    const QString label = text();
    if (label.isEmpty())
        return;
    painter.save();
    painter.setFont(TextFont());
    painter.setPen(ColourOfValue(TextColourOf(role)));
    const QRect area = rect().marginsRemoved(textMargins_);
    const TextPlacement placement = TextPlacementOf(textFormat_);
    if (escapement_ == 0) {
        int flags = static_cast<int>(AlignmentOf(placement));
        if (placement.wordBreak)
            flags |= Qt::TextWordWrap;
        painter.drawText(area, flags, label);
    } else {
        // Turned text is centred on the text area, whatever the format says, so that it stays on
        // the button at every angle.
        const QFontMetrics metrics(painter.font());
        const QSize size(metrics.horizontalAdvance(label), metrics.height());
        painter.translate(area.center());
        painter.rotate(-escapement_ / 10.0);
        painter.drawText(
            QRect(-size.width() / 2, -size.height() / 2, size.width(), size.height()), Qt::AlignCenter, label);
    }
    painter.restore();
}

bool CPngButton::event(QEvent* event)
{
    // The button shows its own tooltip, with its own delay.
    if (event->type() == QEvent::ToolTip)
        return true;
    return QAbstractButton::event(event);
}

void CPngButton::enterEvent(QEnterEvent* event)
{
    StartHover();
    QAbstractButton::enterEvent(event);
}

void CPngButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!hover_ && rect().contains(event->position().toPoint()))
        StartHover();
    QAbstractButton::mouseMoveEvent(event);
}

void CPngButton::StartHover()
{
    if (hover_)
        return;
    hover_ = true;
    update();
    if (tooltipActive_ && !tooltipText_.isEmpty())
        tooltipTimer_.start();
}

void CPngButton::leaveEvent(QEvent* event)
{
    hover_ = false;
    tooltipTimer_.stop();
    update();
    QAbstractButton::leaveEvent(event);
}

void CPngButton::ShowTooltip()
{
    if (hover_ && tooltipActive_)
        QToolTip::showText(QCursor::pos(), tooltipText_, this);
}

void CPngButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A quick second click is a second press, not something else.
    mousePressEvent(event);
}

}  // namespace tavrin::ui
