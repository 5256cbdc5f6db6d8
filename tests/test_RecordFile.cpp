#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "RecordFile.h"
#include "RecordFileChecks.h"
#include "RecordRow.h"

using namespace records;

namespace {

std::string Padded(std::string name)
{
    name.resize(std::max(name.size(), NameLimit), ' ');
    return name;
}

// The game end's row with its name padded as a read gives it back.
RecordRow AsRead(RecordRow row)
{
    row.Texts[NameColumn] = Padded(row.Texts[NameColumn]);
    return row;
}

// The row of the record file's example: "who", Score 1085 on 19 x 9 with 3
// kinds, one undo, one potion, 1 May 2006 9:05:03.
RecordRow ExampleRow()
{
    return MakeRecordRow(
        "who", {1085.0 / 171, 1085, 1000, 200, 5, 10, 100, 171, 9, 19, 3}, "2006/05/01 9:05:03");
}

const std::string ExampleLine
    = "who                     6.3450      1085      1000  200    5   10  100  171  9 19  3"
      " 2006/05/01 9:05:03";

} // namespace

TEST(RecordFile, WritesTheExampleLineByteForByte)
{
    ASSERT_EQ(ExampleLine.size(), 103u);
    EXPECT_EQ(WriteRecordFile({ExampleRow()}), ExampleLine + "\r\n");
    EXPECT_EQ(ReadRecordFile(ExampleLine + "\r\n"), std::vector{AsRead(ExampleRow())});
}

TEST(RecordFile, EmptyTableIsAnEmptyFile)
{
    EXPECT_EQ(WriteRecordFile({}), "");
    EXPECT_TRUE(ReadRecordFile("").empty());
}

// Rows the game makes, written and read back: the texts come back as they
// were, the name padded to 20 bytes.
TEST(RecordFile, GameRowsReadBackUnchanged)
{
    struct Case {
        const char* what;
        RecordRow row;
        std::string line; // the line the writer writes, when the case pins it
    };
    const Case cases[] = {
        {"negative score and standard score",
            MakeRecordRow("who", {-1.0, -171, 0, 0, 171, 0, 0, 171, 9, 19, 5}, "2006/05/01 09:05:03"),
            "who                    -1.0000      -171         0    0  171    0    0  171  9 19  5 2006/05/01 "
            "09:05:03"},
        {"empty name", MakeRecordRow("", {-1.0, -171, 0, 0, 171, 0, 0, 171, 9, 19, 5}, "2006/05/01 09:05:03"),
            std::string(20, ' ')
                + "   -1.0000      -171         0    0  171    0    0  171  9 19  5 2006/05/01 "
                  "09:05:03"},
        {"undo charge 10000 glued to the panels left",
            MakeRecordRow("who", {0.5, 855, 10830, 0, 5, 10000, 0, 1710, 38, 45, 6}, "2006/05/01 09:05:03"),
            "who                     0.5000       855     10830    0    510000    0 1710 38 45  6 2006/05/01 "
            "09:05:03"},
        {"undo charge 123450 glued, potion charge after it",
            MakeRecordRow("who", {-700.1234, -119714, 6, 600, 0, 123450, 300, 171, 9, 19, 5}, "t"), ""},
        {"the widest values of the game",
            MakeRecordRow("who",
                {-2147483648.0 / 64, -2147483647 - 1, 2550000, 600, 1600, 2147483640, 300, 1600, 40, 40, 6},
                "2006/05/01 09:05:03"),
            ""},
        {"a name of 20 bytes", MakeRecordRow("abcdefghijklmnopqrst", {0, 0, 0, 0, 0, 0, 0, 64, 8, 8, 3}, "t"),
            ""},
        {"double-byte name with blanks",
            MakeRecordRow("\x83\x7A \x89\x70\x8E\x9A ", {0, 0, 0, 0, 0, 0, 0, 64, 8, 8, 3}, "t"), ""},
        {"ten double-byte characters",
            MakeRecordRow("\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD\x82\xAF\x82\xB1",
                {0, 0, 0, 0, 0, 0, 0, 64, 8, 8, 3}, "t"),
            ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = WriteRecordFile({c.row});
        if (!c.line.empty()) {
            EXPECT_EQ(bytes, c.line + "\r\n");
        }
        EXPECT_EQ(ReadRecordFile(bytes), std::vector{AsRead(c.row)});
    }
}

TEST(RecordFile, LineFeedsAloneReadLikeCarriageReturnLineFeeds)
{
    const std::vector rows = {AsRead(ExampleRow()),
        AsRead(MakeRecordRow("", {-1.0, -171, 0, 0, 171, 0, 0, 171, 9, 19, 5}, "2006/05/01 09:05:03"))};
    std::string crlf = WriteRecordFile(rows);
    std::string lf;
    std::remove_copy(crlf.begin(), crlf.end(), std::back_inserter(lf), '\r');
    ASSERT_EQ(lf.size() + 2, crlf.size());
    EXPECT_EQ(ReadRecordFile(crlf), rows);
    EXPECT_EQ(ReadRecordFile(lf), rows);
}

namespace {

// A name the game accepts: up to 20 bytes of half-width characters, blanks
// and Shift-JIS double-byte characters.
std::string RandomName(std::mt19937& random)
{
    const int length = std::uniform_int_distribution<int>(0, 20)(random);
    std::string name;
    while (static_cast<int>(name.size()) < length) {
        const int kind = std::uniform_int_distribution<int>(0, 3)(random);
        if (kind == 0 && static_cast<int>(name.size()) + 2 <= length) {
            const int lead = std::uniform_int_distribution<int>(0, 1)(random) != 0
                ? std::uniform_int_distribution<int>(0x81, 0x9F)(random)
                : std::uniform_int_distribution<int>(0xE0, 0xFC)(random);
            int trail = std::uniform_int_distribution<int>(0x40, 0xFC)(random);
            trail = trail == 0x7F ? 0x80 : trail;
            name += static_cast<char>(lead);
            name += static_cast<char>(trail);
        } else if (kind == 1) {
            name += ' ';
        } else {
            name += static_cast<char>(std::uniform_int_distribution<int>(0x21, 0x7E)(random));
        }
    }
    return name;
}

// A number of up to this many digits, short ones as likely as long ones, so
// that fields fill their widths often.
int RandomDigits(std::mt19937& random, int maxDigits)
{
    const int digits = std::uniform_int_distribution<int>(1, maxDigits)(random);
    int limit = 1;
    for (int i = 0; i < digits; ++i) {
        limit = limit > 214748364 ? 2147483647 : limit * 10;
    }
    return std::uniform_int_distribution<int>(0, limit - 1)(random);
}

RecordRow RandomGameRow(std::mt19937& random)
{
    GameFigures f;
    f.RowCount = std::uniform_int_distribution<int>(8, 40)(random);
    f.ColumnCount = std::uniform_int_distribution<int>(8, 40)(random);
    f.KindCount = std::uniform_int_distribution<int>(3, 6)(random);
    f.PanelTotal = f.RowCount * f.ColumnCount;
    f.RemainingPanels = std::uniform_int_distribution<int>(0, f.PanelTotal)(random);
    f.BonusPoints = 100 * std::uniform_int_distribution<int>(0, f.KindCount)(random);
    f.PotionCharge = 100 * std::uniform_int_distribution<int>(0, 3)(random);
    // Undo charges of 10 per undo, from none to hundreds of millions of undos.
    f.UndoCharge = 10 * (RandomDigits(random, 9) / 10 * 10 / 10);
    f.ErasePoints = RandomDigits(random, 7);
    const long long score = static_cast<long long>(f.ErasePoints) + f.BonusPoints - f.RemainingPanels
        - f.UndoCharge - f.PotionCharge;
    f.Score = static_cast<int>(std::max<long long>(score, -2147483647LL - 1));
    f.StandardScore = static_cast<double>(f.Score) / f.PanelTotal;
    char time[32];
    std::snprintf(time, sizeof time, "%04d/%02d/%02d %02d:%02d:%02d",
        std::uniform_int_distribution<int>(1990, 2099)(random),
        std::uniform_int_distribution<int>(1, 12)(random), std::uniform_int_distribution<int>(1, 28)(random),
        std::uniform_int_distribution<int>(0, 23)(random), std::uniform_int_distribution<int>(0, 59)(random),
        std::uniform_int_distribution<int>(0, 59)(random));
    return MakeRecordRow(RandomName(random), f, time);
}

} // namespace

TEST(RecordFile, RandomGameRowsReadBackUnchanged)
{
    for (const unsigned seed : {11u, 12u, 13u, 14u, 15u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::vector<RecordRow> rows;
        std::vector<RecordRow> expected;
        for (int i = 0; i < 2000; ++i) {
            rows.push_back(RandomGameRow(random));
            expected.push_back(AsRead(rows.back()));
        }
        const std::vector<RecordRow> read = ReadRecordFile(WriteRecordFile(rows));
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            ASSERT_EQ(read[i], expected[i]) << "row " << i << ": " << WriteRecordFile({rows[i]});
        }
    }
}

namespace {

const std::string Name = "who                 "; // 20 bytes

// A row of a malformed line as the reader keeps it, from the figures' texts
// as they come out and the time text.
RecordRow Kept(std::string name, std::array<const char*, 11> figures, std::string time)
{
    RecordRow row;
    row.Texts[NameColumn] = std::move(name);
    for (std::size_t i = 0; i < figures.size(); ++i) {
        row.Texts[i + 1] = figures[i];
    }
    row.Texts[TimeColumn] = std::move(time);
    return row;
}

const std::array<const char*, 11> Zeros = {"    0.0000", "         0", "         0", "    0", "    0",
    "    0", "    0", "    0", "  0", "  0", "  0"};

} // namespace

// What the reader keeps of lines the writer does not write.
TEST(RecordFile, MalformedLinesGiveDocumentedRows)
{
    const RecordRow example = AsRead(ExampleRow());
    RecordRow withCr = example;
    withCr.Texts[TimeColumn] = " 2006/05/01\r9:05:03";
    RecordRow withNul = example;
    withNul.Texts[NameColumn] = std::string("w\0o", 3) + std::string(17, ' ');
    withNul.Texts[TimeColumn] = std::string(" 2006\0", 6);

    struct Case {
        const char* what;
        std::string bytes;
        std::vector<RecordRow> rows;
    };
    const Case cases[] = {
        {"last line without a line end", ExampleLine, {example}},
        {"CR at the very end stands for a line end", ExampleLine + "\r", {example}},
        {"a file ending inside the name field", ExampleLine + "\r\nwh",
            {example, Kept(Padded("wh"), Zeros, "")}},
        {"empty and blank lines give no row", "\r\n\n \t \r\n" + ExampleLine + "\n\r\n", {example}},
        {"spaced differently by hand, read by value",
            Name + "6.345 1085 1000 200 5 10 100 171 9 19 3 2006/05/01 9:05:03\n", {example}},
        {"figures apart by tabs and bare CRs",
            Name + "\t6.345\r1085\t1000 +200 5 10 100 171 9 19 3 2006/05/01 9:05:03\n", {example}},
        {"a bare CR inside the time text stays", ExampleLine.substr(0, 95) + "\r9:05:03\r\n", {withCr}},
        {"NUL bytes are kept",
            std::string("w\0o", 3) + ExampleLine.substr(3, 81) + std::string(" 2006\0\r\n", 8), {withNul}},
        {"the line ends after two figures", Name + "    6.3450      1085\r\n" + ExampleLine,
            {Kept(Name,
                 {"    6.3450", "      1085", "         0", "    0", "    0", "    0", "    0", "    0",
                     "  0", "  0", "  0"},
                 ""),
                example}},
        {"an unreadable figure stops the reading; the rest is the time text",
            Name + "    6.3450      1085     x1000  200 t\r\n",
            {Kept(Name,
                {"    6.3450", "      1085", "         0", "    0", "    0", "    0", "    0", "    0", "  0",
                    "  0", "  0"},
                "     x1000  200 t")}},
        {"a lone minus sign is no number", Name + " - 5\r\n", {Kept(Name, Zeros, " - 5")}},
        {"integers beyond int are clamped",
            Name + "1 99999999999 -99999999999 2147483648 -2147483649 1 2 3 4 5 6 t\r\n",
            {Kept(Name,
                {"    1.0000", "2147483647", "-2147483648", "2147483647", "-2147483648", "    1", "    2",
                    "    3", "  4", "  5", "  6"},
                " t")}},
        {"real numbers beyond a double",
            Name + "1e999 1 2 3 4 5 6 7 8 9 10 t\n" + Name + "-1e-999 1 2 3 4 5 6 7 8 9 10 t\n",
            {Kept(Name,
                 {"", "         1", "         2", "    3", "    4", "    5", "    6", "    7", "  8", "  9",
                     " 10"},
                 " t"),
                Kept(Name,
                    {"   -0.0000", "         1", "         2", "    3", "    4", "    5", "    6", "    7",
                        "  8", "  9", " 10"},
                    " t")}},
        {"an exponent without digits ends the number before it", Name + "5e 1 2 3 4 5 6 7 8 9 10\n",
            {Kept(Name,
                {"    5.0000", "         0", "         0", "    0", "    0", "    0", "    0", "    0", "  0",
                    "  0", "  0"},
                "e 1 2 3 4 5 6 7 8 9 10")}},
        {"leading zeros and a minus zero in the layout are formatted again",
            Name + "   06.3450      1085     -0000  200   05   10  100  171  9 19 -0 t\r\n" + Name
                + "0000000000123456789.5000      1085      1000  200    5   10  100  171  9 19  3 t\r\n",
            {Kept(Name,
                 {"    6.3450", "      1085", "         0", "  200", "    5", "   10", "  100", "  171",
                     "  9", " 19", "  0"},
                 " t"),
                Kept(Name,
                    {"123456789.5000", "      1085", "      1000", "  200", "    5", "   10", "  100",
                        "  171", "  9", " 19", "  3"},
                    " t")}},
        {"a field of blanks fails the layout and reads by value",
            Name + "              1085      1000  200    5   10  100  171  9 19  3 t\r\n",
            {Kept(Name,
                {" 1085.0000", "      1000", "       200", "    5", "   10", "  100", "  171", "    9", " 19",
                    "  3", "  0"},
                " t")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<RecordRow> expected = c.rows;
        for (RecordRow& row : expected) {
            if (row.Texts[1].empty()) { // the largest double, in full
                char buffer[400];
                std::snprintf(buffer, sizeof buffer, "%10.4f", 1.7976931348623157e308);
                row.Texts[1] = buffer;
            }
        }
        EXPECT_EQ(ReadRecordFile(c.bytes), expected);
    }
}

// Bytes no writer wrote must not make the reader run off their end, stop
// early or take long: the rows keep their properties and the work is linear.
TEST(RecordFile, SurvivesGarbageHugeLinesAndManyLines)
{
    for (const unsigned seed : {21u, 22u, 23u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::string garbage(200000, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(random());
        }
        const auto rows = ReadRecordFile(garbage);
        EXPECT_EQ(checks::BrokenProperty(rows), "");
        EXPECT_GT(rows.size(), 0u);
    }

    const std::string longTime = " " + std::string(5'000'000, 'x');
    const auto longRow = ReadRecordFile(ExampleLine.substr(0, 84) + longTime + "\r\n");
    ASSERT_EQ(longRow.size(), 1u);
    EXPECT_EQ(longRow[0].Texts[TimeColumn], longTime);

    // Megabytes of digits or of blanks before a number take one pass.
    const auto digits = ReadRecordFile(Name + std::string(5'000'000, '7') + " 5");
    ASSERT_EQ(digits.size(), 1u);
    EXPECT_EQ(digits[0].Texts[2], "         5");
    const auto blanks = ReadRecordFile(Name + std::string(5'000'000, ' ') + "-2.5");
    ASSERT_EQ(blanks.size(), 1u);
    EXPECT_EQ(blanks[0].Texts[1], "   -2.5000");

    std::string manyLines;
    for (int i = 0; i < 1'000'000; ++i) {
        manyLines += i % 1000 == 0 ? "7\n" : i % 2 == 0 ? "\r\n" : "\n";
    }
    const auto fromMany = ReadRecordFile(manyLines);
    EXPECT_EQ(fromMany.size(), 1000u);
    EXPECT_EQ(fromMany.back(), Kept(Padded("7"), Zeros, ""));
}

// Replays the files under tests/corpus/record_file (fuzzer findings and
// hand-made damaged files): whatever they hold, the reader keeps its
// properties, and the rows it reads survive being written and read again.
TEST(RecordFile, CorpusReplay)
{
    const std::filesystem::path corpus = ZEMMICK_RECORD_CORPUS;
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const auto rows = ReadRecordFile(bytes);
        EXPECT_EQ(checks::BrokenProperty(rows), "");
        for (const RecordRow& row : rows) {
            if (checks::RoundTripExpected(row)) {
                EXPECT_EQ(ReadRecordFile(WriteRecordFile({row})), std::vector{row});
            }
        }
        ++files;
    }
    EXPECT_GE(files, 10);
}
