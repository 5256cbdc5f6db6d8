#include "RecordCompare.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <limits>

namespace records {

namespace {

unsigned char Fold(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = Fold(a[i]) - Fold(b[i]);
        if (difference != 0) {
            return difference;
        }
    }
    // Texts of the table are short; the clamp only keeps an absurd length
    // difference from wrapping round.
    const auto difference = static_cast<long long>(a.size()) - static_cast<long long>(b.size());
    return static_cast<int>(std::clamp<long long>(difference, INT_MIN, INT_MAX));
}

std::optional<double> FigureValue(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && *p == ' ') {
        ++p;
    }
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* const number = p;
    const char* lead = nullptr; // the first digit that is not 0
    bool pointSeen = false;
    bool digitSeen = false;
    bool leadBeforePoint = false;
    for (; p != end; ++p) {
        if (IsDigit(*p)) {
            digitSeen = true;
            if (lead == nullptr && *p != '0') {
                lead = p;
                leadBeforePoint = !pointSeen;
            }
        } else if (*p == '.' && !pointSeen) {
            pointSeen = true;
        } else {
            break;
        }
    }
    const char* const numberEnd = p;
    while (p != end && *p == ' ') {
        ++p;
    }
    if (!digitSeen || p != end) {
        return std::nullopt;
    }
    double value = 0;
    const auto result = std::from_chars(number, numberEnd, value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Hundreds of digits: beyond a double on the large side, or a
        // fraction too small for one.
        value = lead != nullptr && leadBeforePoint ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc{} || result.ptr != numberEnd) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

int CompareFigure(std::string_view a, std::string_view b)
{
    const std::optional<double> x = FigureValue(a);
    const std::optional<double> y = FigureValue(b);
    if (x && y) {
        return (*x > *y) - (*x < *y);
    }
    if (x || y) {
        return x ? 1 : -1;
    }
    return CompareText(a, b);
}

int CompareColumn(const RecordRow& a, const RecordRow& b, int column)
{
    if (column < 0 || column >= ColumnCount) {
        return 0;
    }
    const auto i = static_cast<std::size_t>(column);
    if (column >= FirstFigureColumn && column <= LastFigureColumn) {
        return CompareFigure(a.Texts[i], b.Texts[i]);
    }
    return CompareText(a.Texts[i], b.Texts[i]);
}

} // namespace records
