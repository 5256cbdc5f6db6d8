// One recorded game: thirteen texts in the record table's column order.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace records {

inline constexpr int ColumnCount = 13;
inline constexpr int NameColumn = 0;
inline constexpr int FirstFigureColumn = 1;
inline constexpr int LastFigureColumn = 11;
inline constexpr int TimeColumn = 12;

// The name is limited to this many bytes when entered, and the record file
// gives it exactly this many.
inline constexpr std::size_t NameLimit = 20;

// Texts[0] is the name, Texts[1..12] the further texts: the standard score
// ("%10.4f"), the score and the erase points ("%10d"), the bonus, the panels
// left, the undo charge, the potion charge and the panel total ("%5d"), the
// rows, the columns and the kinds ("%3d"), and the finishing time (a blank,
// then the date and time). Every text is kept as code-page-932 bytes, exactly
// as it was formatted or read; nothing here decodes them.
struct RecordRow {
    std::array<std::string, ColumnCount> Texts;

    friend bool operator==(const RecordRow&, const RecordRow&) = default;
};

// A row's thirteen texts as views, for rows kept elsewhere (a table, a line
// being read).
using RowTexts = std::array<std::string_view, ColumnCount>;
RowTexts TextsOf(const RecordRow& row);
RecordRow RowOf(const RowTexts& texts);

// The minimum width of each figure, FigureWidths[i] for Texts[i + 1]; a
// value with more characters is written whole.
inline constexpr std::array<int, 11> FigureWidths = {10, 10, 10, 5, 5, 5, 5, 5, 3, 3, 3};

// The figures of a finished game, as the record keeps them.
struct GameFigures {
    double StandardScore = 0; // Score / PanelTotal
    int Score = 0;
    int ErasePoints = 0;
    int BonusPoints = 0;
    int RemainingPanels = 0;
    int UndoCharge = 0; // minus UndoPoints: 10 per undo
    int PotionCharge = 0; // minus PotionPoints: 100 per use
    int PanelTotal = 0;
    int RowCount = 0;
    int ColumnCount = 0;
    int KindCount = 0;
};

// Formats a row the way the game end records it: the name as given, the
// figures with the fixed widths above (a point as the decimal separator
// whatever the C library's locale) and the time text after one blank.
RecordRow MakeRecordRow(std::string name, const GameFigures& figures, const std::string& dateTime);

// One figure text as the record keeps it: the integer right-aligned in the
// width ("%*d"), the standard score right-aligned in ten with four decimals
// ("%10.4f"), both with a point whatever the C library's locale. The record
// file's reader formats what it parses with these, so both agree.
std::string FormatInteger(int value, int width);
std::string FormatStandardScore(double value);

// The one scanner for the numbers of figure texts. ScanNumber returns the end
// of the number that starts at p, or nullptr when none does. A number is a
// sign ('-', or '+' with PlusSign), then digits; with Fraction an optional
// point and digits after it (a digit on at least one side), with
// FourDecimals a point and exactly four digits after at least one digit
// (what "%10.4f" writes); with Exponent an 'e' or 'E', a sign and digits
// when digits follow the letter.
enum NumberForm : unsigned {
    IntegerForm = 0,
    Fraction = 1,
    FourDecimals = 2,
    Exponent = 4,
    PlusSign = 8,
};
const char* ScanNumber(const char* p, const char* end, unsigned form);

// The value of a number ScanNumber took. An integer beyond int is clamped
// to its range; a real number beyond a double gives Range +1 (at least 1 in
// magnitude) or -1 (too small), with Value 0, and the caller decides.
int IntegerValue(const char* first, const char* last);
struct RealNumber {
    double Value = 0;
    int Range = 0;
};
RealNumber RealValue(const char* first, const char* last);

} // namespace records
