// Small controls the windows share: a label that sizes itself to its caption,
// a panel with a sunken bevel and an up-down spinner for edit fields.
#pragma once

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QString>

// The program's face; it stands for IPA P Gothic on this platform.
inline const QString DefaultFontFamily = QStringLiteral("ＭＳ Ｐゴシック");
QFont ProgramFont(int pixelSize);

// Maps the program's face to the installed one. Runs before any widget.
void InstallFontSubstitution();

// A label that keeps its size fitted to its caption. Left-anchored labels
// grow to the right from their left edge; right-anchored ones grow to the
// left from their right edge.
class TLabel : public QLabel {
    Q_OBJECT
public:
    enum class Anchor { Left, Right };

    // `height` is the label's height in pixels; `pixelSize` the character
    // height of its font.
    TLabel(QWidget* parent, const QString& name, int left, int top, int height, int pixelSize,
        const QString& caption, Anchor anchor = Anchor::Left);

    void setCaption(const QString& caption);

    // Moves the anchored edge; the label keeps its caption fitted.
    void setEdge(int edge)
    {
        edge_ = edge;
        fit();
    }
    int edge() const { return edge_; }

    // Keeps the label inside its parent's width: a caption that would run
    // past the right edge moves the label left instead of being cut.
    void setKeepInside(bool keep)
    {
        keepInside_ = keep;
        fit();
    }

private:
    void fit();

    Anchor anchor_;
    int edge_; // left edge, or right edge when right-anchored
    int top_;
    int height_;
    bool keepInside_ = false;
};

// A plain panel drawn with a sunken bevel of the given width. While it has
// the keyboard focus it can show a focus frame around one rectangle (the
// board's cell cursor), drawn one pixel outside it, so that nothing is drawn
// into what the rectangle shows.
class TPanel : public QFrame {
    Q_OBJECT
public:
    TPanel(QWidget* parent, const QString& name, int bevelWidth);

    void setFocusFrame(const QRect& rect);
    QRect focusFrame() const { return focusFrame_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateFocusFrame();

    int bevelWidth_;
    QRect focusFrame_;
};

// Where a window of this frame size should stand so that it lies within
// `area`: where it is, when it fits; otherwise moved just enough, and to the
// area's top left edge when it is larger than the area.
QPoint PlaceWithin(const QRect& frame, const QRect& area);

// Keeps a top-level window within the available area of its screen; called
// whenever it is shown or resized.
void KeepOnScreen(QWidget* window);

// Shows a non-modal window as its button asks: restored when it was
// minimised, and in front of the others.
void BringUp(QWidget* window);

// Names a widget as its owner's member is named, so tests and tools find it.
template <class W> W* Named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

class QLineEdit;
class QTimer;

// A small vertical up-down spinner bound to an edit field: its upper half
// steps up, its lower half down (held, it repeats), and so do the Up and
// Down keys while the field or the spinner has the focus. Every step writes
// the new position into the field as a decimal number. With wrap on, a step
// up from the maximum gives the minimum and a step down from the minimum
// gives the maximum.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QWidget* parent, const QString& name);

    void setAssociate(QLineEdit* edit);
    QLineEdit* associate() const { return edit_; }

    void setMin(int value) { min_ = value; }
    void setMax(int value) { max_ = value; }
    int min() const { return min_; }
    int max() const { return max_; }
    void setIncrement(int value) { increment_ = value; }
    void setWrap(bool wrap) { wrap_ = wrap; }

    // Whether a held arrow is repeating its step.
    bool repeating() const;

    // Puts the position, brought into the range, into the field.
    void setPosition(int value);
    int position() const { return position_; }

    // One step: +1 up, -1 down. It starts from the number the field shows
    // (the player may have typed one), or from the spinner's own position
    // when the field holds no number. A typed number outside the range steps
    // to the next value inside it in the step's direction, wrapping as a step
    // past the limit does.
    void step(int direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    void stopRepeat();

    QLineEdit* edit_ = nullptr;
    QTimer* repeat_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int increment_ = 1;
    bool wrap_ = false;
    int held_ = 0; // +1 while the upper half is held down, -1 the lower
};

// Enter presses the focused button of a window that is not a dialog, as
// Space does: down when the key goes down, clicked when it is let go, so
// that a held key makes one click and its repeats never answer the box the
// click brings up. Dialogs keep their own Enter, which presses the default
// button. Installed once on the application.
class EnterPressesButtons : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
