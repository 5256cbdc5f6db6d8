#include "Infoshow1.h"

#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlockFormat>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

#include "About.h"
#include "Controls.h"
#include "Errors.h"
#include "Game.h"
#include "RecordDisk.h"
#include "ShiftJis.h"

TForm5* Form5 = nullptr;

namespace {

// The client area of the designed outer size 315 x 404.
constexpr QSize DesignedSize(307, 370);
// The button strip along the bottom edge; the text takes the rest.
constexpr int PanelHeight = 42;

// The buttons on the strip, left to right.
struct ButtonPlace {
    QPushButton* TForm5::*member;
    const char* name;
    QRect place;
    const char16_t* caption;
    void (TForm5::*handler)(QObject*);
};
const ButtonPlace Buttons[] = {
    {&TForm5::Button1, "Button1", {40, 8, 97, 25}, u"バージョン情報", &TForm5::Button1Click},
    {&TForm5::Button2, "Button2", {184, 8, 81, 25}, u"閉じる", &TForm5::Button2Click},
};

// 3 points at 96 dots per inch.
constexpr int ParagraphIndent = 4;
// The most of the manual that is shown: far more than any how-to-play text,
// and little enough to lay out at once.
constexpr std::size_t ManualLimit = std::size_t{512} << 10;
// The longest run of characters laid out without a place to break a line.
constexpr qsizetype LongestRun = 256;

// A read-only text area. Qt's own still tells input methods that it takes
// text, and inserts what they commit; this one refuses both.
class ReadOnlyTextEdit : public QTextEdit {
public:
    using QTextEdit::inputMethodQuery;
    using QTextEdit::QTextEdit;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override
    {
        if (query == Qt::ImEnabled)
            return false;
        return QTextEdit::inputMethodQuery(query);
    }

protected:
    void inputMethodEvent(QInputMethodEvent* event) override { event->ignore(); }
};

// Laying out a line looks ahead to the next place where the line may break,
// so a paragraph with no such place for a long way costs time in the square
// of its length. A run of more than LongestRun characters without one gets
// one every LongestRun characters (a zero-width space, which shows nothing).
QString BreakLongRuns(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    QString out;
    qsizetype copied = 0;
    qsizetype last = 0;
    for (qsizetype next = finder.toNextBoundary(); next != -1; next = finder.toNextBoundary()) {
        for (qsizetype cut = last + LongestRun; cut < next; cut += LongestRun) {
            if (out.isEmpty())
                out.reserve(text.size() + text.size() / LongestRun);
            out += QStringView(text).mid(copied, cut - copied);
            out += QChar(0x200B);
            copied = cut;
        }
        last = next;
    }
    if (copied == 0)
        return text;
    out += QStringView(text).mid(copied);
    return out;
}

} // namespace

TForm5::TForm5()
    : QWidget(nullptr, Qt::Window)
{
    Form5 = this;
    setObjectName("Form5");
    setWindowTitle(QStringLiteral("情報（遊び方等）"));
    setFont(ProgramFont(12));
    move(602, 441);

    RichEdit1 = Named<QTextEdit>(new ReadOnlyTextEdit(this), "RichEdit1");
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setReadOnly(true);
    // Read-only, yet the keyboard still scrolls, selects and copies.
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RichEdit1->setFocusPolicy(Qt::StrongFocus);
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    // A word wider than the window breaks anywhere, so no line is ever laid
    // out wider than the window.
    RichEdit1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    Panel1 = Named(new QFrame(this), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);

    for (const ButtonPlace& p : Buttons) {
        auto* button = Named(new QPushButton(QString::fromUtf16(p.caption), Panel1), p.name);
        button->setGeometry(p.place);
        const auto handler = p.handler;
        connect(button, &QPushButton::clicked, this,
            [this, button, handler] { Guarded([&] { (this->*handler)(button); }); });
        this->*p.member = button;
    }

    QWidget::setTabOrder(RichEdit1, Button1);
    QWidget::setTabOrder(Button1, Button2);

    resize(DesignedSize);
    layOut();
    Guarded([this] { FormCreate(this); });
}

void TForm5::FormCreate(QObject*)
{
    // Only a regular file is read: a FIFO or a device in its place is a file
    // that cannot be opened.
    std::string bytes;
    const records::ReadResult read = records::ReadRegularFile("Manual.txt", ManualLimit, bytes);
    if (read == records::ReadResult::CannotRead)
        throw EFOpenError(QStringLiteral("ファイル Manual.txt は開けません"));
    QString text = sjis::Decode(bytes);
    bytes = std::string();
    if (read == records::ReadResult::Partial) {
        if (!text.endsWith(QLatin1Char('\n')))
            text += QLatin1Char('\n');
        text += QStringLiteral("（Manual.txt が長すぎるため、ここから先は表示していません。）");
    }
    // Each line is one paragraph, whatever line ends the file uses.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    RichEdit1->setPlainText(BreakLongRuns(text));

    // Every paragraph keeps clear of the right edge, and its wrapped lines
    // stand a little to the right of its first line.
    QTextCursor all(RichEdit1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat indents;
    indents.setLeftMargin(ParagraphIndent);
    indents.setTextIndent(-ParagraphIndent);
    indents.setRightMargin(ParagraphIndent);
    all.mergeBlockFormat(indents);

    QTextCursor top(RichEdit1->document());
    top.setPosition(0);
    RichEdit1->setTextCursor(top);
    RichEdit1->verticalScrollBar()->setValue(0);
    RichEdit1->horizontalScrollBar()->setValue(0);
    RichEdit1->viewport()->update();
}

void TForm5::layOut()
{
    // The text takes everything above the button strip.
    const int w = width();
    const int h = height();
    Panel1->setGeometry(0, h - PanelHeight, w, PanelHeight);
    RichEdit1->setGeometry(0, 0, w, std::max(0, h - PanelHeight));
}

void TForm5::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
    Guarded([this] { FormResize(this); });
}

void TForm5::FormResize(QObject*)
{
    RichEdit1->viewport()->update();
}

void TForm5::Button1Click(QObject*)
{
    AboutBox->exec();
}

void TForm5::Button2Click(QObject*)
{
    hide();
}

void TForm5::keyPressEvent(QKeyEvent* event)
{
    if (!CloseOnEscape(this, event))
        QWidget::keyPressEvent(event);
}

void TForm5::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    KeepOnScreen(this);
}
