#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "RecordCompare.h"
#include "RecordRow.h"

using namespace records;

TEST(CompareText, FoldsOnlyLowerCaseAsciiAndComparesBytesUnsigned)
{
    struct Case {
        std::string a, b;
        int expected;
    };
    const Case cases[] = {
        {"abc", "ABC", 0}, {"abc", "abd", 'C' - 'D'}, {"b", "A", 'B' - 'A'},
        {"abc", "ab", 1}, // one text begins the other: the lengths decide
        {"", "who", -3}, {"", "", 0}, {"[", "a", '[' - 'A'}, // a folds to A, which comes before [
        {"\x81\x40", "z", 0x81 - 'Z'}, // a double-byte lead sorts after ASCII
        {"\xE0", "\x9F", 0xE0 - 0x9F}, {"\x82\xA0", "\x82\xA1", -1},
        {"\x82\x61", "\x82\x41", 0}, // bytes, not characters: a trail byte 0x61 folds like a
        {"\x7B", "a", 0x7B - 'A'}, // { follows z but is no letter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
        EXPECT_EQ(CompareText(c.a, c.b), c.expected);
    }
}

TEST(FigureValue, ReadsTheNumberOfAFigureText)
{
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"      1085", 1085},
        {"      -171", -171},
        {"   -0.2339", -0.2339},
        {"    6.3450", 6.345},
        {"  +5", 5},
        {"5.", 5},
        {".5", 0.5},
        {"   7   ", 7},
        {"", std::nullopt},
        {"     ", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"1.2.3", std::nullopt},
        {"12x", std::nullopt},
        {"1e5", std::nullopt},
        {"       nan", std::nullopt},
        {"\t5", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(FigureValue(c.text), c.value);
    }
    EXPECT_EQ(FigureValue(std::string(400, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(FigureValue("-" + std::string(400, '9')), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(FigureValue("0." + std::string(400, '0') + "1"), 0.0);
}

// Negative scores are common, so the figures sort by value, not as texts
// (which would give 5, -5, 10, -10, 100, -100).
TEST(CompareFigure, SortsByValueWithNonNumbersFirst)
{
    struct Case {
        const char* what;
        std::vector<std::string> texts;
        std::vector<std::string> sorted;
    };
    const Case cases[] = {
        {"scores", {"         5", "        -5", "        10", "       -10", "       100", "      -100"},
            {"      -100", "       -10", "        -5", "         5", "        10", "       100"}},
        {"standard scores", {"    6.3450", "   -1.0000", "    0.0006", "  150.0000", "   -0.2339"},
            {"   -1.0000", "   -0.2339", "    0.0006", "    6.3450", "  150.0000"}},
        {"texts without a number go first, among themselves by text",
            {"    5", "  abc", "   -3", "", "  ABD", "    x"},
            {"", "    x", "  abc", "  ABD", "   -3", "    5"}},
        {"glued and wide figures", {"123450", "   10", "-2147483648", "2147483647"},
            {"-2147483648", "   10", "123450", "2147483647"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> texts = c.texts;
        std::stable_sort(texts.begin(), texts.end(),
            [](const std::string& a, const std::string& b) { return CompareFigure(a, b) < 0; });
        EXPECT_EQ(texts, c.sorted);
    }
    EXPECT_EQ(CompareFigure("   -0.0000", "    0.0000"), 0);
}

TEST(CompareColumn, NameAndTimeByTextFiguresByValue)
{
    RecordRow a;
    RecordRow b;
    a.Texts = {"abc                 ", "    1.0000", "        -5", "         3", "  100", "    5", "   10",
        "  100", "  171", "  9", " 19", "  5", " 2006/05/01 09:05:03"};
    b = a;
    b.Texts[NameColumn] = "ABC                 ";
    b.Texts[2] = "        10";
    b.Texts[3] = "         3";
    b.Texts[TimeColumn] = " 2006/05/02 09:05:03";

    EXPECT_EQ(CompareColumn(a, b, NameColumn), 0);
    EXPECT_LT(CompareColumn(a, b, 2), 0); // -5 before 10, though "-" sorts after " " as text
    EXPECT_EQ(CompareColumn(a, b, 3), 0);
    EXPECT_LT(CompareColumn(a, b, TimeColumn), 0);
    EXPECT_GT(CompareColumn(b, a, TimeColumn), 0);
    EXPECT_EQ(CompareColumn(a, b, -1), 0);
    EXPECT_EQ(CompareColumn(a, b, ColumnCount), 0);
}
