// The information window with the how-to-play text, and the version box.
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTextBlock>
#include <QTextEdit>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

#include "About.h"
#include "Infoshow1.h"
#include "Pictures.h"
#include "ShiftJis.h"
#include "UiTestSupport.h"

namespace {

// "ゼミックの遊び方", "～①ｱ" and markup that must stay text, in code page
// 932 with CR LF line ends.
const QByteArray ManualBytes("\x83\x5B\x83\x7E\x83\x62\x83\x4E\x82\xCC\x97\x56\x82\xD1\x95\xFB\r\n"
                             "\x81\x60\x87\x40\xB1\r\n"
                             "<b>bold</b> &amp; {\\rtf1}");
const QString ManualText = QStringLiteral("ゼミックの遊び方\n～①ｱ\n<b>bold</b> &amp; {\\rtf1}");

// Many lines, so that the text must scroll.
QByteArray LongManual()
{
    QByteArray bytes;
    for (int i = 1; i <= 400; ++i)
        bytes += "line " + QByteArray::number(i) + "\r\n";
    return bytes;
}

} // namespace

// The manual is prepared (or left out) before the windows exist, as before a
// program start.
class InfoWindow : public UiTest {
protected:
    InfoWindow() { createInSetUp = false; }

    void WriteManual(const QByteArray& bytes)
    {
        QFile file(QStringLiteral("Manual.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void Open()
    {
        QTest::mouseClick(Form1->Button3, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    }

    // Starts the program with this manual and opens the window.
    void OpenWith(const QByteArray& manual)
    {
        WriteManual(manual);
        CreateForms();
        Open();
    }
};

TEST_F(InfoWindow, ItsLayoutHoldsAndTheTextIsReadOnlyWithScrollBars)
{
    OpenWith(ManualBytes);
    EXPECT_NE(Form5->minimumSize(), Form5->maximumSize()); // resizable
    EXPECT_EQ(LayoutFaults(Form5), QStringList());
    EXPECT_EQ(FocusChain(Form5->RichEdit1, 4), QStringList({"RichEdit1", "Button1", "Button2", "RichEdit1"}));
    for (QPushButton* button : {Form5->Button1, Form5->Button2})
        EXPECT_EQ(button->parentWidget(), Form5->Panel1) << button->objectName().toStdString();

    QTextEdit* const text = Form5->RichEdit1;
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_FALSE(text->acceptRichText());
    EXPECT_NE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_NE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(InfoWindow, ReadsTheManualAsCodePage932PlainTextWithIndents)
{
    WriteManual(ManualBytes);
    CreateForms();
    EXPECT_EQ(startup.count("error"), 0);
    QTextEdit* const text = Form5->RichEdit1;
    EXPECT_EQ(text->toPlainText(), ManualText);
    // Markup is shown as typed, not interpreted.
    EXPECT_EQ(text->document()->blockCount(), 3);
    EXPECT_FALSE(text->document()->lastBlock().begin().fragment().charFormat().font().bold());

    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
        SCOPED_TRACE(block.text().toStdString());
        const QTextBlockFormat format = block.blockFormat();
        EXPECT_EQ(format.leftMargin(), 4);
        EXPECT_EQ(format.textIndent(), -4);
        EXPECT_EQ(format.rightMargin(), 4);
    }

    // The first opening shows the top, caret at the start, nothing selected.
    Open();
    EXPECT_EQ(text->textCursor().position(), 0);
    EXPECT_FALSE(text->textCursor().hasSelection());
    EXPECT_EQ(text->verticalScrollBar()->value(), 0);
}

TEST_F(InfoWindow, TheShippedManualIsCodePage932AndCoversTheGame)
{
    QFile shipped(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../assets/Manual.txt")));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << shipped.fileName().toStdString();
    const QByteArray bytes = shipped.readAll();
    const QString text = sjis::Decode(bytes);
    // Every byte decodes, and the text goes back to the same bytes.
    EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
    bool ok = false;
    EXPECT_EQ(sjis::Encode(text, &ok), bytes);
    EXPECT_TRUE(ok);
    for (const QString& needed : {QStringLiteral("tarnwick"), QStringLiteral("魔法薬"),
             QStringLiteral("保存(更新）"), QStringLiteral("再読込"), QStringLiteral("削除許可"),
             QStringLiteral("324"), QStringLiteral("344"), QStringLiteral("100点"), QStringLiteral("10点"),
             QStringLiteral("8～40"), QStringLiteral("3～6"), QStringLiteral("Ctrl+Z"),
             QStringLiteral("ヒント"), QStringLiteral("目標得点（計算機）")})
        EXPECT_TRUE(text.contains(needed)) << needed.toStdString();

    WriteManual(bytes);
    CreateForms();
    EXPECT_EQ(Form5->RichEdit1->toPlainText(), QString(text).remove(QLatin1Char('\r')));
}

TEST_F(InfoWindow, AMissingManualShowsTheErrorOnceAndTheGameGoesOn)
{
    CreateForms();
    EXPECT_EQ(startup.texts("error"), QStringList{QStringLiteral("ファイル Manual.txt は開けません.")});
    ASSERT_NE(Form5, nullptr);
    ASSERT_NE(AboutBox, nullptr); // start-up went on after the error

    Open();
    EXPECT_TRUE(Form5->RichEdit1->toPlainText().isEmpty());
    EXPECT_EQ(dialogs.count("error"), 0);

    // The game plays.
    LoadBoard(3, Checkered({"13121212", "33212121"}));
    Hover(1, 1);
    ClickCell(1, 1);
    EXPECT_EQ(Game.RemainingPanels, 61);
    EXPECT_EQ(Form1->Label2->text(), "61");
}

// A FIFO, a folder or a link to a device as the manual is a file that
// cannot be opened: start-up neither blocks nor fills the memory.
TEST_F(InfoWindow, SpecialFilesAreManualsThatCannotBeOpened)
{
    const std::function<void()> specials[] = {
        [] { ASSERT_EQ(::mkfifo("Manual.txt", 0666), 0); },
        [] { QDir().mkdir(QStringLiteral("Manual.txt")); },
        [] { QFile::link(QStringLiteral("/dev/zero"), QStringLiteral("Manual.txt")); },
    };
    for (const auto& make : specials) {
        make();
        CreateForms();
        EXPECT_EQ(startup.texts("error"), QStringList{QStringLiteral("ファイル Manual.txt は開けません.")});
        EXPECT_TRUE(Form5->RichEdit1->toPlainText().isEmpty());
        App().DestroyForms();
        std::filesystem::remove("Manual.txt");
    }
}

// However long the manual and its lines, the text is capped with a note at
// its end, and a run without any break wraps within the window.
TEST_F(InfoWindow, ALongManualIsCappedAndLongLinesWrap)
{
    OpenWith(QByteArray(3 << 20, 'x') + "\r\nlast line\r\n");
    const QString text = Form5->RichEdit1->toPlainText();
    EXPECT_LT(text.size(), 3 << 20);
    EXPECT_FALSE(text.contains(QStringLiteral("last line")));
    EXPECT_TRUE(
        text.endsWith(QStringLiteral("（Manual.txt が長すぎるため、ここから先は表示していません。）")));

    QTextDocument* document = Form5->RichEdit1->document();
    EXPECT_LE(document->size().width(), Form5->RichEdit1->viewport()->width());
    EXPECT_FALSE(Form5->RichEdit1->horizontalScrollBar()->isVisible());
}

TEST_F(InfoWindow, TypingChangesNothing)
{
    OpenWith(ManualBytes);
    QTextEdit* const text = Form5->RichEdit1;
    text->setFocus();
    QTest::keyClicks(text, "abc ");
    QTest::sendKeyEvent(QTest::Click, text, Qt::Key_unknown, QStringLiteral("ゼ"), Qt::NoModifier);
    // An input method is not offered the text, and what one commits anyway
    // is dropped.
    EXPECT_FALSE(text->inputMethodQuery(Qt::ImEnabled).toBool());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ミック"));
    QApplication::sendEvent(text, &commit);
    for (int key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Tab})
        QTest::keyClick(text, static_cast<Qt::Key>(key));
    QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(text, "xyz");
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text->toPlainText(), ManualText);
}

TEST_F(InfoWindow, HidingKeepsTheScrollPositionAndSelection)
{
    OpenWith(LongManual());
    QTextEdit* const text = Form5->RichEdit1;
    QScrollBar* const bar = text->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);

    text->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(text, Qt::Key_PageDown);
    QTest::keyClick(text, Qt::Key_Down, Qt::ShiftModifier);
    const int scrolled = bar->value();
    const QTextCursor selection = text->textCursor();
    ASSERT_GT(scrolled, 0);
    ASSERT_TRUE(selection.hasSelection());

    QTest::mouseClick(Form5->Button2, Qt::LeftButton);
    EXPECT_FALSE(Form5->isVisible());
    Open();
    EXPECT_EQ(bar->value(), scrolled);
    EXPECT_EQ(text->textCursor().selectionStart(), selection.selectionStart());
    EXPECT_EQ(text->textCursor().selectionEnd(), selection.selectionEnd());

    // The close box hides it the same way.
    Form5->close();
    EXPECT_FALSE(Form5->isVisible());
    Open();
    EXPECT_EQ(bar->value(), scrolled);
}

TEST_F(InfoWindow, TheTextFollowsEveryResize)
{
    OpenWith(LongManual());
    // The strip keeps its height along the bottom edge; the text takes the
    // whole client area above it.
    const int strip = Form5->Panel1->height();
    ASSERT_GT(strip, 0);
    for (const QSize size : {QSize(500, 600), QSize(200, 150), QSize(315, 404), QSize(900, 80)}) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        Form5->resize(size);
        const QSize client = Form5->size();
        EXPECT_EQ(Form5->Panel1->geometry(), QRect(0, client.height() - strip, client.width(), strip));
        EXPECT_EQ(Form5->RichEdit1->geometry(), QRect(0, 0, client.width(), client.height() - strip));
    }
    // Wider and taller than designed, everything stays in place.
    Form5->resize(500, 600);
    EXPECT_EQ(LayoutFaults(Form5), QStringList());
}

TEST_F(InfoWindow, ASecondClickLeavesOneWindowInFront)
{
    OpenWith(ManualBytes);
    Form1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    Open();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Form5));
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        shown += w->isVisible() && w->windowTitle() == QStringLiteral("情報（遊び方等）") ? 1 : 0;
    EXPECT_EQ(shown, 1);
    // The game stays usable beside it.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// --- The version box -------------------------------------------------------------------

TEST_F(InfoWindow, VersionBoxOpensModallyAndClosesWithOK)
{
    OpenWith(ManualBytes);
    for (const bool byEnter : {false, true}) {
        SCOPED_TRACE(byEnter ? "Enter" : "OK button");
        ModalAnswer answer([byEnter](QWidget* box) {
            ASSERT_EQ(box, AboutBox);
            EXPECT_TRUE(Form5->isVisible());
            // Centred on the screen.
            const QPoint centre = AboutBox->screen()->availableGeometry().center();
            EXPECT_LE((AboutBox->frameGeometry().center() - centre).manhattanLength(), 2);
            if (byEnter)
                QTest::keyClick(AboutBox, Qt::Key_Return);
            else
                QTest::mouseClick(AboutBox->OKButton, Qt::LeftButton);
        });
        QTest::mouseClick(Form5->Button1, Qt::LeftButton);
        EXPECT_TRUE(answer.answered());
        EXPECT_FALSE(AboutBox->isVisible());
        EXPECT_EQ(AboutBox->result(), 1);
        EXPECT_TRUE(Form5->isVisible());
    }
}

TEST_F(InfoWindow, VersionBoxLayoutHoldsAndTheCommentShowsWhole)
{
    WriteManual(ManualBytes);
    CreateForms();
    EXPECT_EQ(AboutBox->minimumSize(), AboutBox->maximumSize()); // a fixed frame
    EXPECT_FALSE(AboutBox->isVisible());
    ModalAnswer answer([](QWidget*) {
        EXPECT_EQ(LayoutFaults(AboutBox), QStringList());
        AboutBox->accept();
    });
    AboutBox->exec();
    EXPECT_TRUE(answer.answered());
    EXPECT_TRUE(AboutBox->OKButton->isDefault());
    // The labels fitted to their captions show them whole, and the comment
    // wraps with nothing cut off below.
    for (QLabel* label : {AboutBox->ProductName, AboutBox->Version})
        EXPECT_EQ(label->size(), label->sizeHint()) << label->objectName().toStdString();
    EXPECT_TRUE(AboutBox->Comments->wordWrap());
    EXPECT_GE(AboutBox->Comments->height(), AboutBox->Comments->heightForWidth(AboutBox->Comments->width()));

    // The dog fills its box, stretched without smoothing: every pixel is one
    // of the picture's own colours.
    const QImage shown = AboutBox->ProgramIcon->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), AboutBox->ProgramIcon->size());
    const QImage dog = DogPicture().toImage().convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < dog.height(); ++y)
        for (int x = 0; x < dog.width(); ++x)
            colours.insert(dog.pixel(x, y));
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_TRUE(colours.contains(shown.pixel(x, y))) << x << "," << y;
    // Corners land on the picture's corners.
    EXPECT_EQ(shown.pixel(0, 0), dog.pixel(0, 0));
    EXPECT_EQ(
        shown.pixel(shown.width() - 1, shown.height() - 1), dog.pixel(dog.width() - 1, dog.height() - 1));
}

// Inside the version box: the information window closed, a second click on
// its button (which cannot open a second box), or the main window closed as
// the end of the session closes it. The box then closes with OK, or comes
// back unanswered when the close ended every event loop.
TEST_F(InfoWindow, TheVersionBoxOutlivesClosesAndASecondClick)
{
    enum class Inside { CloseInfo, ClickAgain, CloseMain };
    OpenWith(ManualBytes);
    for (const Inside inside : {Inside::CloseInfo, Inside::ClickAgain, Inside::CloseMain}) {
        SCOPED_TRACE(static_cast<int>(inside));
        BringUp(Form5);
        int opened = 0;
        ModalAnswer answer([&](QWidget* box) {
            ASSERT_EQ(box, AboutBox);
            ++opened;
            switch (inside) {
            case Inside::CloseInfo:
                Form5->close();
                break;
            case Inside::ClickAgain:
                Form5->Button1->click();
                EXPECT_EQ(QApplication::activeModalWidget(), AboutBox);
                break;
            case Inside::CloseMain:
                Form1->close();
                break;
            }
            AboutBox->accept();
        });
        Form5->Button1->click();
        EXPECT_TRUE(answer.answered());
        EXPECT_EQ(opened, 1);
        EXPECT_FALSE(AboutBox->isVisible());
        EXPECT_EQ(Form5->isVisible(), inside != Inside::CloseInfo);
        EXPECT_EQ(Form1->isVisible(), inside != Inside::CloseMain);
    }
    LetEventLoopsRunAgain();
    EXPECT_TRUE(Form1->Panel1->findChildren<TImage*>().isEmpty());
}
