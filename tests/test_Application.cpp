// The application object: error boxes from handlers and from start-up, the
// Shift-JIS unit and the font mapping.
#include <QPushButton>

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
