// Text to integer as the settings fields read it.
#include <optional>

#include "Convert.h"
#include "Errors.h"
#include "UiTestSupport.h"

TEST(StrToInt, ReadsDecimalAndHexadecimalWithinThirtyTwoBits)
{
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"19", 19},
        {"0", 0},
        {"007", 7},
        {" 12", 12},
        {"   -3", -3},
        {"+9", 9},
        {"-0", 0},
        {"$1A", 26},
        {"$1a", 26},
        {"0x1A", 26},
        {"0X1a", 26},
        {"-$10", -16},
        {"-0x10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$7FFFFFFF", 2147483647},
        {"-$80000000", -2147483647 - 1},
        {"000000000000000000012", 12},
        // Not integers.
        {"", std::nullopt},
        {" ", std::nullopt},
        {"12 ", std::nullopt},
        {"1 2", std::nullopt},
        {"- 5", std::nullopt},
        {"--5", std::nullopt},
        {"+-5", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"x1A", std::nullopt},
        {"1A", std::nullopt},
        {"$1G", std::nullopt},
        {"12.0", std::nullopt},
        {"1e3", std::nullopt},
        {"abc", std::nullopt},
        {"\t12", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$80000000", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"0x100000000", std::nullopt},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(std::string("'") + t.text + "'");
        EXPECT_EQ(TryStrToInt(QString::fromUtf8(t.text)), t.value);
    }
    // Full-width digits are no decimal digits.
    EXPECT_EQ(TryStrToInt(QStringLiteral("１２")), std::nullopt);
}

TEST(StrToInt, NamesTheTextInItsError)
{
    for (const QString& text : {QStringLiteral("12 "), QString(), QStringLiteral("%1 ゼミ")}) {
        SCOPED_TRACE(text.toStdString());
        try {
            StrToInt(text);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), "'" + text + QStringLiteral("' は整数ではありません"));
        }
    }
    EXPECT_EQ(StrToInt(QStringLiteral("-17")), -17);
}
