#include "Controls.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <algorithm>
#include <qdrawutil.h>

#include "Convert.h"
#include "Image.h"

QFont ProgramFont(int pixelSize)
{
    QFont font(DefaultFontFamily);
    font.setPixelSize(pixelSize);
    return font;
}

void InstallFontSubstitution()
{
    QFont::insertSubstitution(DefaultFontFamily, QStringLiteral("IPAPGothic"));
}

TLabel::TLabel(QWidget* parent, const QString& name, int left, int top, int height, int pixelSize,
    const QString& caption, Anchor anchor)
    : QLabel(parent)
    , anchor_(anchor)
    , edge_(left)
    , top_(top)
    , height_(height)
{
    setObjectName(name);
    setFont(ProgramFont(pixelSize));
    setAttribute(Qt::WA_NoMousePropagation);
    setTextFormat(Qt::PlainText);
    setAlignment((anchor == Anchor::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    setContentsMargins(0, 0, 0, 0);
    setMargin(0);
    setIndent(0);
    setCaption(caption);
}

void TLabel::setCaption(const QString& caption)
{
    setText(caption);
    fit();
}

void TLabel::fit()
{
    const int width = QFontMetrics(font()).horizontalAdvance(text());
    int left = anchor_ == Anchor::Right ? edge_ - width : edge_;
    if (keepInside_ && parentWidget() && left + width > parentWidget()->width())
        left = parentWidget()->width() - width;
    setGeometry(left, top_, width, height_);
}

QPoint PlaceWithin(const QRect& frame, const QRect& area)
{
    int x = frame.x();
    int y = frame.y();
    if (x + frame.width() > area.x() + area.width())
        x = area.x() + area.width() - frame.width();
    if (y + frame.height() > area.y() + area.height())
        y = area.y() + area.height() - frame.height();
    return {std::max(x, area.x()), std::max(y, area.y())};
}

void KeepOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        return;
    // A window's position is its frame's, as move() takes it; the frame's
    // size is known once the window exists.
    const QRect frame(window->pos(), window->frameGeometry().size());
    const QPoint at = PlaceWithin(frame, screen->availableGeometry());
    if (at != frame.topLeft())
        window->move(at);
}

void BringUp(QWidget* window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
}

TPanel::TPanel(QWidget* parent, const QString& name, int bevelWidth)
    : QFrame(parent)
    , bevelWidth_(bevelWidth)
{
    setObjectName(name);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, bevelWidth_);
    const QRect dirty = event->rect();
    for (QObject* child : children())
        if (auto* picture = qobject_cast<TImage*>(child); picture && picture->geometry().intersects(dirty))
            picture->paintSurface(painter);
    if (hasFocus() && !focusFrame_.isNull()) {
        // White under black dots: visible on any picture and on the panel.
        const QRect frame = focusFrame_.adjusted(-1, -1, 0, 0);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(frame);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(frame);
    }
}

void TPanel::setFocusFrame(const QRect& rect)
{
    if (rect == focusFrame_)
        return;
    updateFocusFrame();
    focusFrame_ = rect;
    updateFocusFrame();
}

void TPanel::updateFocusFrame()
{
    if (!focusFrame_.isNull())
        update(focusFrame_.adjusted(-1, -1, 1, 1));
}

void TPanel::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    updateFocusFrame();
}

void TPanel::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    updateFocusFrame();
}

TUpDown::TUpDown(QWidget* parent, const QString& name)
    : QWidget(parent)
    , repeat_(new QTimer(this))
{
    setObjectName(name);
    // Clicking the arrows leaves the focus in the field being edited.
    setFocusPolicy(Qt::TabFocus);
    connect(repeat_, &QTimer::timeout, this, [this] {
        // The release may never reach the spinner (its dialog closed by a
        // key while the button was held): repeat only while it is held.
        if (held_ == 0 || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            stopRepeat();
            return;
        }
        repeat_->setInterval(50);
        step(held_);
    });
}

void TUpDown::setAssociate(QLineEdit* edit)
{
    if (edit_)
        edit_->removeEventFilter(this);
    edit_ = edit;
    if (edit_)
        edit_->installEventFilter(this);
}

void TUpDown::setPosition(int value)
{
    position_ = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
    if (edit_)
        edit_->setText(QString::number(position_));
}

void TUpDown::step(int direction)
{
    int from = position_;
    bool above = false;
    bool below = false;
    if (edit_) {
        if (const auto typed = TryStrToInt(edit_->text())) {
            above = *typed > max_;
            below = *typed < min_;
            if (!above && !below)
                from = *typed;
        }
    }
    const long long up = static_cast<long long>(from) + increment_;
    const long long down = static_cast<long long>(from) - increment_;
    int next;
    if (direction > 0) {
        if (below)
            next = min_;
        else if (above || up > max_)
            next = wrap_ ? min_ : max_;
        else
            next = static_cast<int>(up);
    } else {
        if (above)
            next = max_;
        else if (below || down < min_)
            next = wrap_ ? max_ : min_;
        else
            next = static_cast<int>(down);
    }
    setPosition(next);
}

bool TUpDown::handleKey(QKeyEvent* event)
{
    if (!isEnabled() || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Up:
        step(+1);
        return true;
    case Qt::Key_Down:
        step(-1);
        return true;
    default:
        return false;
    }
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_ && event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void TUpDown::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event))
        QWidget::keyPressEvent(event);
}

void TUpDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    held_ = event->position().y() < height() / 2.0 ? +1 : -1;
    update();
    step(held_);
    repeat_->start(400);
}

void TUpDown::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        stopRepeat();
    QWidget::mouseReleaseEvent(event);
}

void TUpDown::hideEvent(QHideEvent* event)
{
    stopRepeat();
    QWidget::hideEvent(event);
}

bool TUpDown::repeating() const
{
    return repeat_->isActive();
}

void TUpDown::stopRepeat()
{
    held_ = 0;
    repeat_->stop();
    update();
}

void TUpDown::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void TUpDown::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

void TUpDown::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int half = height() / 2;
    const QRect halves[] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    const QStyle::PrimitiveElement arrows[] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown};
    for (int i = 0; i < 2; ++i) {
        const bool down = held_ == (i == 0 ? +1 : -1);
        const QBrush face = palette().brush(QPalette::Button);
        qDrawShadePanel(&painter, halves[i], palette(), down, 1, &face);
        QStyleOption option;
        option.initFrom(this);
        option.rect = halves[i].adjusted(3, 2, -3, -2);
        if (down)
            option.rect.translate(1, 1);
        option.state &= ~QStyle::State_HasFocus;
        style()->drawPrimitive(arrows[i], &option, &painter, this);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

bool EnterPressesButtons::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier
        || qobject_cast<QDialog*>(button->window()) != nullptr)
        return false;
    if (!key->isAutoRepeat()) {
        QKeyEvent space(event->type(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QCoreApplication::sendEvent(button, &space);
    }
    return true;
}
