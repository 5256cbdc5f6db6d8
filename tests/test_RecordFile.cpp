#include <gtest/gtest.h>

#include <climits>
#include <cmath>
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

namespace records {
// Failures show the texts, not the bytes of the object.
void PrintTo(const RecordRow& row, std::ostream* out)
{
    *out << testing::PrintToString(row.Texts);
}
} // namespace records

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
    EXPECT_EQ(WriteRecordFile(std::vector<RecordRow>{}), "");
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

namespace {

int Uniform(std::mt19937& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

// A name the name box lets through: up to 20 bytes of code page 932 with no
// control character: ASCII, half-width katakana and double-byte characters,
// their trail bytes 0x5C and 0x7C often, blanks, and empty names.
std::string RandomName(std::mt19937& random)
{
    const int length = Uniform(random, 0, 5) == 0 ? 0 : Uniform(random, 1, 20);
    std::string name;
    while (static_cast<int>(name.size()) < length) {
        const int kind = Uniform(random, 0, 4);
        if (kind <= 1 && static_cast<int>(name.size()) + 2 <= length) {
            const int lead
                = Uniform(random, 0, 1) != 0 ? Uniform(random, 0x81, 0x9F) : Uniform(random, 0xE0, 0xFC);
            int trail = Uniform(random, 0, 3) == 0 ? (Uniform(random, 0, 1) != 0 ? 0x5C : 0x7C)
                                                   : Uniform(random, 0x40, 0xFC);
            trail = trail == 0x7F ? 0x80 : trail;
            name += static_cast<char>(lead);
            name += static_cast<char>(trail);
        } else if (kind == 2) {
            name += ' ';
        } else if (kind == 3) {
            name += static_cast<char>(Uniform(random, 0xA1, 0xDF));
        } else {
            name += static_cast<char>(Uniform(random, 0x20, 0x7E));
        }
    }
    return name;
}

// An int of any size: 1 to 10 digits as likely, either sign, and the ends
// of the range, so that figures fill or pass their widths often.
int AnyInteger(std::mt19937& random)
{
    switch (Uniform(random, 0, 12)) {
    case 0:
        return INT_MAX;
    case 1:
        return INT_MIN;
    default:
        break;
    }
    long long limit = 1;
    for (int digits = Uniform(random, 1, 10); digits > 0; --digits) {
        limit *= 10;
    }
    const long long value
        = std::uniform_int_distribution<long long>(0, std::min<long long>(limit - 1, INT_MAX))(random);
    return static_cast<int>(Uniform(random, 0, 2) == 0 ? -value : value);
}

// A standard score of any size: the game's, huge, tiny, negative zero.
double AnyStandardScore(std::mt19937& random)
{
    switch (Uniform(random, 0, 4)) {
    case 0:
        return static_cast<double>(AnyInteger(random)) / Uniform(random, 64, 1600);
    case 1:
        return std::ldexp(
            std::uniform_real_distribution<double>(-1, 1)(random), Uniform(random, -1074, 1023));
    case 2:
        return Uniform(random, 0, 1) != 0 ? -0.0 : 1.7976931348623157e308;
    default:
        return static_cast<double>(AnyInteger(random)) * std::pow(10.0, Uniform(random, -8, 12));
    }
}

// A row the game can record: a name from the whole space the name box
// takes, the time as the game writes it, and figures of every size (the
// game's own, and any a read of a hand-edited file can give).
RecordRow AnyRow(std::mt19937& random)
{
    GameFigures f;
    f.StandardScore = AnyStandardScore(random);
    int* const integers[] = {&f.Score, &f.ErasePoints, &f.BonusPoints, &f.RemainingPanels, &f.UndoCharge,
        &f.PotionCharge, &f.PanelTotal, &f.RowCount, &f.ColumnCount, &f.KindCount};
    for (int* value : integers) {
        *value = AnyInteger(random);
    }
    char time[32];
    std::snprintf(time, sizeof time, "%04d/%02d/%02d %02d:%02d:%02d", Uniform(random, 1990, 2099),
        Uniform(random, 1, 12), Uniform(random, 1, 28), Uniform(random, 0, 23), Uniform(random, 0, 59),
        Uniform(random, 0, 59));
    return MakeRecordRow(RandomName(random), f, time);
}

} // namespace

TEST(RecordFile, AnyRowTheGameCanRecordReadsBackUnchanged)
{
    for (const unsigned seed : {11u, 12u, 13u, 14u, 15u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::vector<RecordRow> rows;
        std::vector<RecordRow> expected;
        for (int i = 0; i < 4000; ++i) {
            rows.push_back(AnyRow(random));
            expected.push_back(AsRead(rows.back()));
        }
        const std::vector<RecordRow> read = ReadRecordFile(WriteRecordFile(rows));
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            ASSERT_EQ(read[i], expected[i]) << "row " << i << ": " << WriteRecordFile({rows[i]});
        }
    }
}

// Hand-edited lines with figures beyond their widths: the reader clamps
// them, they then fill their fields, and the writer must still keep them
// apart so that the next read gives the same row.
TEST(RecordFile, FiguresBeyondTheirWidthsSurviveASave)
{
    const std::string name = "who                 ";
    const std::string lines[] = {
        name + "6.3450 99999999999 99999999999 99999 99999 99999 99999 99999 999 999 999 t\r\n",
        name + "1e300 -99999999999 99999999999 -99999 99999 -99999 99999 -99999 999 -999 999 t\r\n",
        name + "    6.3450  1085  1000  200  5  100000  10000  171  9  19  3 t\r\n",
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const std::vector<RecordRow> read = ReadRecordFile(line);
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(checks::BrokenProperty(read), "");
        EXPECT_EQ(read[0].Texts[TimeColumn], " t");
        EXPECT_EQ(ReadRecordFile(WriteRecordFile(read)), read) << WriteRecordFile(read);
    }
    EXPECT_EQ(ReadRecordFile(lines[0])[0].Texts[3], "2147483647");
}

// Rows that neither the game nor a read makes, given to the writer anyway:
// each is written as one line that reads back as the row's nearest faithful
// form, and the rows around it stay whole.
TEST(RecordFile, RowsThatCannotBeWrittenAsTheyStandStayOneLine)
{
    const RecordRow example = ExampleRow();
    const auto with = [&example](std::size_t column, std::string text) {
        RecordRow row = example;
        row.Texts[column] = std::move(text);
        return row;
    };
    struct Case {
        const char* what;
        RecordRow row;
        RecordRow readBack; // before the name is padded
    };
    const Case cases[] = {
        {"a line feed in the name", with(NameColumn, "ab\ncd"), with(NameColumn, "ab cd")},
        {"CR LF in the name", with(NameColumn, "ab\r\ncd"), with(NameColumn, "ab\r cd")},
        {"a name over 20 bytes", with(NameColumn, std::string(25, 'n')),
            with(NameColumn, std::string(20, 'n'))},
        {"a figure that is no number", with(2, "abc"), with(2, "         0")},
        {"a figure with a leading zero", with(4, "  05"), with(4, "    5")},
        {"a figure without its padding", with(8, "171"), with(8, "  171")},
        {"a figure after a tab", with(3, "\t1000000000"), with(3, "1000000000")},
        {"a standard score in another format", with(1, "6.345"), with(1, "    6.3450")},
        {"an empty figure", with(11, ""), with(11, "  0")},
        {"a line feed in the time", with(TimeColumn, " 2006/05/01\n9:05:03"),
            with(TimeColumn, " 2006/05/01 9:05:03")},
        {"a time that begins with a digit", with(TimeColumn, "2006/05/01"), with(TimeColumn, " 2006/05/01")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = WriteRecordFile({example, c.row, example});
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3);
        EXPECT_EQ(ReadRecordFile(bytes), (std::vector{AsRead(example), AsRead(c.readBack), AsRead(example)}));
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
        EXPECT_EQ(ReadRecordFile(WriteRecordFile(rows)), rows); // whatever a read gives, a save keeps
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
        EXPECT_EQ(ReadRecordFile(WriteRecordFile(rows)), rows);
        ++files;
    }
    EXPECT_GE(files, 10);
}
