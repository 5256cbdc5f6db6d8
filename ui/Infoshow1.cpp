#include "Infoshow1.h"

#include <QFile>
#include <QFrame>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

#include "About.h"
#include "Controls.h"
#include "Errors.h"
#include "ShiftJis.h"

TForm5* Form5 = nullptr;

namespace {

constexpr int PanelHeight = 42;
// 3 points at 96 dots per inch.
constexpr int ParagraphIndent = 4;

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
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    Panel1 = Named(new QFrame(this), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);

    Button1 = Named(new QPushButton(QStringLiteral("バージョン情報"), Panel1), "Button1");
    Button1->setGeometry(40, 8, 97, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(Button1); }); });
    Button2 = Named(new QPushButton(QStringLiteral("閉じる"), Panel1), "Button2");
    Button2->setGeometry(184, 8, 81, 25);
    connect(Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button2Click(Button2); }); });

    QWidget::setTabOrder(RichEdit1, Button1);
    QWidget::setTabOrder(Button1, Button2);

    resize(315, 404);
    layOut();
    Guarded([this] { FormCreate(this); });
}

void TForm5::FormCreate(QObject*)
{
    QFile file(QStringLiteral("Manual.txt"));
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("ファイル Manual.txt は開けません"));
    QString text = sjis::Decode(file.readAll());
    // Each line is one paragraph, whatever line ends the file uses.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    RichEdit1->setPlainText(text);

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
