#include "RecordRow.h"

#include <charconv>
#include <utility>

namespace records {

namespace {

// Right-aligns the characters [begin, end) in width blanks; a longer text is
// kept whole, as printf keeps it.
std::string PadLeft(const char* begin, const char* end, int width)
{
    const auto length = static_cast<std::size_t>(end - begin);
    const auto target = static_cast<std::size_t>(width < 0 ? 0 : width);
    std::string text;
    if (length < target) {
        text.assign(target - length, ' ');
    }
    text.append(begin, length);
    return text;
}

} // namespace

// std::to_chars never looks at the C locale, and for these conversions it
// prints what printf prints in the "C" locale (exact decimal rounding, an
// exact half to even, "-0.0000" for a negative zero). The game runs under the
// user's locale, where printf would write a decimal comma.
std::string FormatInteger(int value, int width)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return PadLeft(buffer, result.ptr, width);
}

std::string FormatStandardScore(double value)
{
    // The largest double has 309 integer digits; with the sign, the point
    // and four decimals this always fits.
    char buffer[330];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    return PadLeft(buffer, result.ptr, FigureWidths[0]);
}

RecordRow MakeRecordRow(std::string name, const GameFigures& figures, const std::string& dateTime)
{
    RecordRow row;
    auto& t = row.Texts;
    t[NameColumn] = std::move(name);
    t[1] = FormatStandardScore(figures.StandardScore);
    const int integers[] = {figures.Score, figures.ErasePoints, figures.BonusPoints, figures.RemainingPanels,
        figures.UndoCharge, figures.PotionCharge, figures.PanelTotal, figures.RowCount, figures.ColumnCount,
        figures.KindCount};
    for (std::size_t i = 0; i < std::size(integers); ++i) {
        t[i + 2] = FormatInteger(integers[i], FigureWidths[i + 1]);
    }
    t[TimeColumn] = " " + dateTime;
    return row;
}

} // namespace records
