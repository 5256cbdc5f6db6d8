#include "Controls.h"

#include <QFontMetrics>
#include <QPainter>
#include <qdrawutil.h>

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

TPanel::TPanel(QWidget* parent, const QString& name, int bevelWidth)
    : QFrame(parent)
    , bevelWidth_(bevelWidth)
{
    setObjectName(name);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, bevelWidth_);
}
