// A picture control created at run time: the board's cells and the legend of
// kinds. It keeps a 32 x 32 drawing surface and an integer tag, and hands
// mouse moves and clicks to the handlers it was given.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class QPainter;

class TImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Tag READ tag)
public:
    static constexpr int Size = 32;

    explicit TImage(QWidget* parent);

    int tag() const { return tag_; }
    // Also published as the property "Tag", where tests and tools look.
    void setTag(int tag) { tag_ = tag; }

    // Discards the picture: nothing is shown (the parent shows through), and
    // the next drawing starts on a white surface with the default pen.
    void clear();
    bool cleared() const { return surface_.isNull(); }

    // Paints picture `index` of the picture list through its mask.
    void drawPicture(int index);

    // Clear brush, pen width 5, inverting pen, for the outline.
    void prepareCanvas();
    bool prepared() const { return prepared_; }

    // Rectangle (0, 0)-(32, 32) with the current pen: with the prepared pen
    // it inverts the pixels under it, so a second call takes it off again.
    void drawOutline();

    // What the control shows: the surface, or a null image when cleared.
    const QImage& surface() const { return surface_; }

    // On a board of many cells, the parent paints the surfaces (see
    // paintSurface): a widget paint per cell would cost more than the
    // drawing itself.
    void setPaintedByParent(bool on);
    // Draws the surface where the control stands in its parent.
    void paintSurface(QPainter& painter) const;

    std::function<void(TImage*)> OnMouseMove;
    std::function<void(TImage*)> OnClick;
    // A context menu asked for over the control, at this point of the screen.
    std::function<void(TImage*, QPoint)> OnContextMenu;

    // The pixels the prepared outline inverts, as Qt's inverting pen draws
    // them; the control inverts them directly, which is much faster than a
    // painter per cell.
    static QImage outlineByPainter(const QImage& surface);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QImage& canvas();
    void refresh();

    QImage surface_;
    bool prepared_ = false;
    bool pressed_ = false;
    bool paintedByParent_ = false;
    int tag_ = 0;
};
