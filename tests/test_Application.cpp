// The application object: error boxes from handlers and from start-up, the
// Shift-JIS unit and the font mapping.
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "Errors.h"
#include "Pointrec1.h"
#include "ShiftJis.h"
#include "UiTestSupport.h"

using Application = UiTest;

TEST_F(Application, AnErrorInAHandlerShowsTheErrorBoxAndTheLoopGoesOn)
{
    QPushButton button("x");
    int after = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        Guarded([] { throw EConvertError(QStringLiteral("'abc' は整数ではありません")); });
        ++after;
    });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(after, 2);
    EXPECT_EQ(dialogs.texts("error"),
        QStringList(
            {QStringLiteral("'abc' は整数ではありません."), QStringLiteral("'abc' は整数ではありません.")}));
    EXPECT_EQ(dialogs.shown.front().caption, "Zemmickp1");

    // A failure deep in the engine reaches the same box from a real event.
    Game.Board[1][1] = 11; // a value no move may take as a kind
    Game.GroupMark[1][1] = 1;
    Game.GroupSize = 2;
    QTest::mouseClick(Cell(1, 1), Qt::LeftButton);
    EXPECT_EQ(dialogs.count("error"), 3);
    Game.Board[1][1] = 1;
}

TEST(ShiftJis, CountsAndConvertsCodePage932)
{
    EXPECT_EQ(sjis::ByteLength(QStringLiteral("who")), 3);
    EXPECT_EQ(sjis::ByteLength(QStringLiteral("ゼミック")), 8);
    EXPECT_EQ(sjis::ByteLength(QStringLiteral("ｱｲｳ")), 3); // half-width katakana
    EXPECT_EQ(sjis::Encode(QStringLiteral("①～")), QByteArray("\x87\x40\x81\x60"));
    EXPECT_EQ(sjis::Decode(QByteArray("\x83\x5B\x83\x7E")), QStringLiteral("ゼミ"));
    bool ok = true;
    sjis::Encode(QStringLiteral("a〜b"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(sjis::Encodable(QStringLiteral("😀")));
    EXPECT_TRUE(sjis::Encodable(sjis::MapLookAlikes(QStringLiteral("〜−‖—¢£¬"))));
    EXPECT_EQ(sjis::MapLookAlikes(QStringLiteral("a〜b")), QStringLiteral("a～b"));
    // Bytes that do not decode still give a text, and never crash.
    EXPECT_FALSE(sjis::Decode(QByteArray("\xFF\x82", 2)).isEmpty());
}

namespace {

// Runs `answer` on the modal box the next call opens, from inside its loop.
void WhenTheBoxIsUp(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        answer(box);
    });
    // Should the box not close, this ends it so the test cannot hang.
    QTimer::singleShot(3000, [] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            box->reject();
    });
}

} // namespace

TEST_F(Application, TheStandardBoxesCarryTheTitleTheTextsAndTheLimit)
{
    auto* scripted = dialogs::Install(nullptr); // Qt's own boxes

    WhenTheBoxIsUp([](QWidget* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->objectName(), "ErrorBox");
        EXPECT_EQ(message->windowTitle(), "Zemmickp1");
        EXPECT_EQ(message->icon(), QMessageBox::Critical);
        EXPECT_EQ(message->text(), "x.");
        message->accept();
    });
    Guarded([] { throw ToolkitError("x"); });

    WhenTheBoxIsUp([](QWidget* box) {
        auto* question = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(question->icon(), QMessageBox::Question);
        EXPECT_EQ(question->windowTitle(), QStringLiteral("ゲーム終了"));
        question->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(dialogs::Ask(QStringLiteral("ゲーム終了"), "?"), dialogs::Answer::Yes);

    WhenTheBoxIsUp([](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(edit->selectedText(), "who") << "the offer is wholly selected";
        // 255 bytes of code page 932 at most: 127 full-width characters.
        for (int i = 0; i < 130; ++i) {
            QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("ゼ"));
            QApplication::sendEvent(edit, &typed);
        }
        EXPECT_EQ(edit->text(), QString(127, QChar(u'ゼ')));
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, "ab"); // one half-width byte still fits
        EXPECT_EQ(edit->text(), QString(127, QChar(u'ゼ')) + "a");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QString value = "who";
    EXPECT_TRUE(dialogs::InputQuery(QStringLiteral("名前の入力"), "prompt", value));
    EXPECT_EQ(sjis::ByteLength(value), 255);

    dialogs::Install(scripted);
}
