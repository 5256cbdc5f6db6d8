#include "RecordCompare.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace records {

namespace {

unsigned char Fold(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

const char* SkipBlanks(const char* p, const char* end)
{
    return std::find_if(p, end, [](char c) { return c != ' '; });
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
    const char* const end = text.data() + text.size();
    const char* const number = SkipBlanks(text.data(), end);
    const char* const numberEnd = ScanNumber(number, end, Fraction | PlusSign);
    if (numberEnd == nullptr || SkipBlanks(numberEnd, end) != end) {
        return std::nullopt;
    }
    const RealNumber real = RealValue(number, numberEnd);
    if (real.Range == 0) {
        return real.Value;
    }
    // Hundreds of digits: beyond a double on the large side, or a fraction
    // too small for one.
    const double magnitude = real.Range > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return *number == '-' ? -magnitude : magnitude;
}

SortKey KeyOf(std::string_view text, int column)
{
    if (column >= FirstFigureColumn && column <= LastFigureColumn) {
        return {text, FigureValue(text)};
    }
    return {text, std::nullopt};
}

int CompareKeys(const SortKey& a, const SortKey& b)
{
    if (a.Value && b.Value) {
        return (*a.Value > *b.Value) - (*a.Value < *b.Value);
    }
    if (a.Value || b.Value) {
        return a.Value ? 1 : -1;
    }
    return CompareText(a.Text, b.Text);
}

int CompareFigure(std::string_view a, std::string_view b)
{
    return CompareKeys(KeyOf(a, FirstFigureColumn), KeyOf(b, FirstFigureColumn));
}

int CompareColumn(const RecordRow& a, const RecordRow& b, int column)
{
    if (column < 0 || column >= ColumnCount) {
        return 0;
    }
    const auto i = static_cast<std::size_t>(column);
    return CompareKeys(KeyOf(a.Texts[i], column), KeyOf(b.Texts[i], column));
}

} // namespace records
