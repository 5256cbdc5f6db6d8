#include "RecordRow.h"

#include <algorithm>
#include <charconv>
#include <climits>
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

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

const char* SkipDigits(const char* p, const char* end)
{
    while (p != end && IsDigit(*p)) {
        ++p;
    }
    return p;
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

RowTexts TextsOf(const RecordRow& row)
{
    RowTexts texts;
    std::copy(row.Texts.begin(), row.Texts.end(), texts.begin());
    return texts;
}

RecordRow RowOf(const RowTexts& texts)
{
    RecordRow row;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        row.Texts[i].assign(texts[i]);
    }
    return row;
}

const char* ScanNumber(const char* p, const char* end, unsigned form)
{
    if (p != end && (*p == '-' || (*p == '+' && (form & PlusSign) != 0))) {
        ++p;
    }
    const char* const digits = p;
    p = SkipDigits(p, end);
    const bool whole = p != digits;
    if ((form & FourDecimals) != 0) {
        if (!whole || end - p < 5 || *p != '.' || SkipDigits(p + 1, p + 5) != p + 5) {
            return nullptr;
        }
        return p + 5;
    }
    bool fraction = false;
    if ((form & Fraction) != 0 && p != end && *p == '.') {
        const char* const after = SkipDigits(p + 1, end);
        fraction = after != p + 1;
        if (whole || fraction) {
            p = after;
        }
    }
    if (!whole && !fraction) {
        return nullptr;
    }
    if ((form & Exponent) != 0 && p != end && (*p == 'e' || *p == 'E')) {
        const char* e = p + 1;
        if (e != end && (*e == '+' || *e == '-')) {
            ++e;
        }
        const char* const after = SkipDigits(e, end);
        if (after != e) {
            p = after;
        }
    }
    return p;
}

int IntegerValue(const char* first, const char* last)
{
    const bool negative = *first == '-';
    if (*first == '-' || *first == '+') {
        ++first;
    }
    constexpr long long limit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (const char* p = first; p != last; ++p) {
        magnitude = std::min(magnitude * 10 + (*p - '0'), limit);
    }
    return static_cast<int>(negative ? -magnitude : std::min<long long>(magnitude, INT_MAX));
}

RealNumber RealValue(const char* first, const char* last)
{
    // from_chars reads the same grammar, less a leading '+'.
    const char* const number = *first == '+' ? first + 1 : first;
    RealNumber real;
    const auto result = std::from_chars(number, last, real.Value, std::chars_format::general);
    if (result.ec != std::errc::result_out_of_range) {
        return real;
    }
    // Beyond a double: the place of the leading significant digit and the
    // exponent tell which way.
    const char* p = number + (*number == '-');
    const char* const intEnd = SkipDigits(p, last);
    const char* lead = std::find_if(p, intEnd, [](char c) { return c != '0'; });
    long long place = intEnd - lead; // 1 for the units
    const char* q = intEnd;
    if (q != last && *q == '.') {
        const char* const fracEnd = SkipDigits(q + 1, last);
        if (lead == intEnd) {
            const char* fracLead = std::find_if(q + 1, fracEnd, [](char c) { return c != '0'; });
            place = fracLead == fracEnd ? LLONG_MIN / 2 : -(fracLead - (q + 1));
        }
        q = fracEnd;
    }
    long long exponent = 0;
    if (q != last) { // 'e' or 'E', a sign, digits
        const char* e = q + 1;
        const bool negative = *e == '-';
        if (*e == '-' || *e == '+') {
            ++e;
        }
        for (; e != last; ++e) {
            exponent = std::min(exponent * 10 + (*e - '0'), 1'000'000'000LL);
        }
        exponent = negative ? -exponent : exponent;
    }
    real.Value = 0;
    real.Range = place + exponent > 0 ? 1 : -1;
    return real;
}

} // namespace records
