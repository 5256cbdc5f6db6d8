// Text in code page 932: lengths, conversions both ways, and the look-alike
// characters input methods type.
#include "ShiftJis.h"
#include "UiTestSupport.h"

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
