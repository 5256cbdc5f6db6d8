#include "Image.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <vector>

#include "Errors.h"
#include "Pictures.h"

namespace {

void PaintOutline(QPainter& painter, bool prepared)
{
    if (prepared) {
        painter.setPen(QPen(Qt::black, 5));
        painter.setBrush(Qt::NoBrush);
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    } else {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
    }
    painter.drawRect(0, 0, TImage::Size, TImage::Size);
}

struct Inversion {
    int offset;
    QRgb bits;
};

// Which pixels the inverting pen changes, and how: found once by letting Qt
// draw the outline on a white surface. Inversion is the same for every
// pixel value, so these bits apply to any surface.
const std::vector<Inversion>& OutlineInversions()
{
    static const std::vector<Inversion> inversions = [] {
        QImage white(TImage::Size, TImage::Size, QImage::Format_RGB32);
        white.fill(Qt::white);
        const QImage outlined = TImage::outlineByPainter(white);
        std::vector<Inversion> result;
        for (int y = 0; y < TImage::Size; ++y)
            for (int x = 0; x < TImage::Size; ++x)
                if (outlined.pixel(x, y) != white.pixel(x, y))
                    result.push_back({y * TImage::Size + x, outlined.pixel(x, y) ^ white.pixel(x, y)});
        return result;
    }();
    return inversions;
}

// A fresh drawing surface: white, and shared by every cell until it draws
// on its own.
const QImage& WhiteSurface()
{
    static const QImage white = [] {
        QImage image(TImage::Size, TImage::Size, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }();
    return white;
}

} // namespace

TImage::TImage(QWidget* parent)
    : QWidget(parent)
{
    resize(Size, Size);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TImage::setPaintedByParent(bool on)
{
    paintedByParent_ = on;
    // Qt then skips the control when it paints; the parent draws the
    // surface in its own paint, one painter for the whole board.
    setUpdatesEnabled(!on);
}

void TImage::refresh()
{
    if (paintedByParent_)
        parentWidget()->update(geometry());
    else
        update();
}

void TImage::paintSurface(QPainter& painter) const
{
    if (!surface_.isNull())
        painter.drawImage(pos(), surface_);
}

QImage& TImage::canvas()
{
    // Every change to the surface goes through its pixels or a painter,
    // both of which give this cell a copy of its own first.
    if (surface_.isNull())
        surface_ = WhiteSurface();
    return surface_;
}

void TImage::clear()
{
    if (!surface_.isNull()) {
        surface_ = QImage();
        refresh();
    }
    prepared_ = false;
}

void TImage::drawPicture(int index)
{
    if (surface_.isNull() || surface_.cacheKey() == WhiteSurface().cacheKey()) {
        // A fresh white surface with the picture on it is exactly the
        // list's picture on white: share it instead of painting.
        surface_ = ImageList().onWhite(index);
    } else {
        ImageList().draw(surface_, index);
    }
    refresh();
}

void TImage::prepareCanvas()
{
    canvas();
    prepared_ = true;
}

void TImage::drawOutline()
{
    QImage& image = canvas();
    if (!prepared_) {
        QPainter painter(&image);
        PaintOutline(painter, false);
    } else {
        auto* pixels = reinterpret_cast<QRgb*>(image.bits());
        for (const Inversion& inversion : OutlineInversions())
            pixels[inversion.offset] ^= inversion.bits;
    }
    refresh();
}

QImage TImage::outlineByPainter(const QImage& surface)
{
    QImage result = surface;
    QPainter painter(&result);
    PaintOutline(painter, true);
    return result;
}

void TImage::paintEvent(QPaintEvent*)
{
    if (surface_.isNull() || paintedByParent_)
        return;
    QPainter painter(this);
    painter.drawImage(QRect(0, 0, Size, Size), surface_);
}

void TImage::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (OnMouseMove)
        Guarded([this] { OnMouseMove(this); });
}

void TImage::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    pressed_ = event->button() == Qt::LeftButton;
}

void TImage::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool click
        = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click && OnClick)
        Guarded([this] { OnClick(this); });
}

void TImage::contextMenuEvent(QContextMenuEvent* event)
{
    // The control keeps mouse events from its parent, so it hands the
    // request on itself.
    if (!OnContextMenu) {
        event->ignore();
        return;
    }
    event->accept();
    const QPoint where = event->globalPos();
    Guarded([this, where] { OnContextMenu(this, where); });
}
