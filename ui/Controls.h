// Small controls the windows share: a label that sizes itself to its caption
// and a panel with a sunken bevel.
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
    QString caption() const { return text(); }

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

// A plain panel drawn with a sunken bevel of the given width.
class TPanel : public QFrame {
    Q_OBJECT
public:
    TPanel(QWidget* parent, const QString& name, int bevelWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int bevelWidth_;
};

// Names a widget as its owner's member is named, so tests and tools find it.
template <class W> W* Named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}
