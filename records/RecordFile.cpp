// The record file's writer and reader.
//
// Each line is read on its own (a line ends at LF; one CR before the LF, or
// at the very end of the bytes, belongs to the line end), so a damaged line
// never moves the rows after it. A line is read in two steps:
//
// 1. By the writer's layout: the 20-byte name, then the eleven figures with
//    their minimum widths. A figure that starts with a blank is exactly its
//    width long, blanks then one number; any other figure is one number of at
//    least its width. The integers are '-'? digits and must fit an int; the
//    standard score is '-'? digits '.' and exactly four digits, as "%10.4f"
//    writes it, so a figure glued to its right stays apart. The rest of the
//    line is the time text and must begin with a blank. This takes every line
//    the writer writes, also when an undo charge of 10000 or more fills its
//    field and runs into the panels left ("    510000" is 5 and 10000).
// 2. Otherwise by value, as scanf's "%20c %lf %d ..." would read it, but
//    within the line: each number skips blanks, tabs, CRs, VTs and FFs first;
//    "%d" takes an optional sign and digits, "%lf" a decimal number with an
//    optional fraction and exponent (no "inf", "nan" or hexadecimal forms).
//    The time text is the rest of the line after the last number read.
//
// What a malformed line gives:
// - A number that cannot be read (missing, a lone sign, a letter) counts as
//   0, and reading goes on at the same place, so every later figure is 0 too
//   and the time text keeps the rest of the line as it stands.
// - An integer beyond the int range is clamped to INT_MIN or INT_MAX; a real
//   number beyond a double becomes the largest double of its sign, one too
//   small for a double becomes 0.
// - A line shorter than 20 bytes is a name alone, padded with blanks; its
//   figures are 0 and its time text is empty. This also keeps a file that
//   ends inside a name field.
// - Empty lines and lines of white space only hold nothing and give no row.
// - Any other byte, NUL and invalid double-byte sequences included, is kept
//   as it stands in the name or the time text.
// Every step moves forward over the bytes, so the work is linear in their
// size, whatever they hold.
#include "RecordFile.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>

namespace records {

namespace {

constexpr std::size_t FigureCount = FigureWidths.size();

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The white space that scanf skips before a number, less the line feed that
// ends the line.
bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

struct LineFigures {
    double StandardScore = 0;
    std::array<int, FigureCount - 1> Integers{};
    // By the layout, a figure already in the writer's form is kept as its
    // bytes, which saves formatting it again; empty when it must be.
    std::array<std::string_view, FigureCount> Fields{};
    std::size_t TimeStart = 0; // where the time text begins in the line
};

// Whether the digits of a number start as printf writes them: no leading
// zero but for a lone 0.
bool NoLeadingZero(const char* digits, const char* end)
{
    return *digits != '0' || end - digits == 1;
}

// --- by the writer's layout --------------------------------------------------

// The end of the integer '-'? digits+ that starts at p, or nullptr.
const char* ScanInteger(const char* p, const char* end)
{
    if (p != end && *p == '-') {
        ++p;
    }
    const char* digits = p;
    while (p != end && IsDigit(*p)) {
        ++p;
    }
    return p == digits ? nullptr : p;
}

// The end of the standard score '-'? digits+ '.' four digits that starts at
// p, or nullptr.
const char* ScanStandardScore(const char* p, const char* end)
{
    p = ScanInteger(p, end);
    if (p == nullptr || end - p < 5 || *p != '.') {
        return nullptr;
    }
    for (int i = 1; i <= 4; ++i) {
        if (!IsDigit(p[i])) {
            return nullptr;
        }
    }
    return p + 5;
}

// One figure at p by the layout; on success [first, last) is its number and
// p has moved past the figure.
template <class Scan>
bool LayoutFigure(
    const char*& p, const char* end, int width, Scan scan, const char*& first, const char*& last)
{
    if (p == end) {
        return false;
    }
    if (*p == ' ') {
        if (end - p < width) {
            return false;
        }
        const char* fieldEnd = p + width;
        const char* q = p;
        while (q != fieldEnd && *q == ' ') {
            ++q;
        }
        if (q == fieldEnd || scan(q, fieldEnd) != fieldEnd) {
            return false;
        }
        first = q;
        last = fieldEnd;
        p = fieldEnd;
        return true;
    }
    const char* numberEnd = scan(p, end);
    if (numberEnd == nullptr || numberEnd - p < width) {
        return false;
    }
    first = p;
    last = numberEnd;
    p = numberEnd;
    return true;
}

bool ReadByLayout(std::string_view line, LineFigures& figures)
{
    if (line.size() < NameLimit) {
        return false;
    }
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin + NameLimit;
    const char* first = nullptr;
    const char* last = nullptr;

    const char* field = p;
    if (!LayoutFigure(p, end, FigureWidths[0], ScanStandardScore, first, last)) {
        return false;
    }
    // Up to 15 significant digits a double keeps the four decimals, so the
    // text printf would write is the text as it stands.
    const char* digits = first + (*first == '-');
    if (NoLeadingZero(digits, last - 5) && last - digits <= 15 + 1) {
        figures.Fields[0] = std::string_view(field, static_cast<std::size_t>(p - field));
    } else {
        const auto real = std::from_chars(first, last, figures.StandardScore, std::chars_format::fixed);
        if (real.ec != std::errc{} || real.ptr != last) {
            return false;
        }
    }
    for (std::size_t i = 1; i < FigureCount; ++i) {
        field = p;
        if (!LayoutFigure(p, end, FigureWidths[i], ScanInteger, first, last)) {
            return false;
        }
        const auto integer = std::from_chars(first, last, figures.Integers[i - 1]);
        if (integer.ec != std::errc{} || integer.ptr != last) {
            return false;
        }
        digits = first + (*first == '-');
        if (NoLeadingZero(digits, last) && !(*first == '-' && *digits == '0')) {
            figures.Fields[i] = std::string_view(field, static_cast<std::size_t>(p - field));
        }
    }
    if (p == end || *p != ' ') {
        return false;
    }
    figures.TimeStart = static_cast<std::size_t>(p - begin);
    return true;
}

// --- by value ----------------------------------------------------------------

const char* SkipSpace(const char* p, const char* end)
{
    while (p != end && IsSpace(*p)) {
        ++p;
    }
    return p;
}

// The digits [first, last) with their sign as an int, clamped to its range.
int ClampedInteger(const char* first, const char* last, bool negative)
{
    constexpr long long limit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (const char* p = first; p != last; ++p) {
        magnitude = std::min(magnitude * 10 + (*p - '0'), limit);
    }
    if (negative) {
        return static_cast<int>(-magnitude);
    }
    return static_cast<int>(std::min<long long>(magnitude, INT_MAX));
}

// "%d": an optional sign and at least one digit after white space. On
// failure nothing is consumed.
bool ReadInteger(const char*& p, const char* end, int& value)
{
    const char* q = SkipSpace(p, end);
    bool negative = false;
    if (q != end && (*q == '+' || *q == '-')) {
        negative = *q == '-';
        ++q;
    }
    const char* digits = q;
    while (q != end && IsDigit(*q)) {
        ++q;
    }
    if (q == digits) {
        return false;
    }
    value = ClampedInteger(digits, q, negative);
    p = q;
    return true;
}

// Whether a decimal number with the significant digits in [intFirst,
// intLast) '.' [fracFirst, fracLast) and this exponent is at least 1 in
// magnitude; decides which way a number out of a double's range went.
bool AtLeastOne(const char* intFirst, const char* intLast, const char* fracFirst, const char* fracLast,
    long long exponent)
{
    const char* lead = std::find_if(intFirst, intLast, [](char c) { return c != '0'; });
    long long position = 0; // the decimal place of the leading digit, 1 for units
    if (lead != intLast) {
        position = intLast - lead;
    } else {
        const char* fracLead = std::find_if(fracFirst, fracLast, [](char c) { return c != '0'; });
        if (fracLead == fracLast) {
            return false;
        }
        position = -(fracLead - fracFirst);
    }
    return position + exponent > 0;
}

// "%lf" in decimal notation: sign, digits with an optional point and
// fraction (a digit on at least one side), an exponent only when digits
// follow its letter. On failure nothing is consumed.
bool ReadReal(const char*& p, const char* end, double& value)
{
    const char* const start = SkipSpace(p, end);
    const char* q = start;
    bool negative = false;
    if (q != end && (*q == '+' || *q == '-')) {
        negative = *q == '-';
        ++q;
    }
    const char* const intFirst = q;
    while (q != end && IsDigit(*q)) {
        ++q;
    }
    const char* const intLast = q;
    const char* fracFirst = q;
    const char* fracLast = q;
    if (q != end && *q == '.') {
        fracFirst = ++q;
        while (q != end && IsDigit(*q)) {
            ++q;
        }
        fracLast = q;
    }
    if (intFirst == intLast && fracFirst == fracLast) {
        return false;
    }
    long long exponent = 0;
    if (q != end && (*q == 'e' || *q == 'E')) {
        const char* e = q + 1;
        bool negativeExponent = false;
        if (e != end && (*e == '+' || *e == '-')) {
            negativeExponent = *e == '-';
            ++e;
        }
        const char* expDigits = e;
        while (e != end && IsDigit(*e)) {
            exponent = std::min(exponent * 10 + (*e - '0'), 1'000'000'000LL);
            ++e;
        }
        if (e != expDigits) {
            q = e;
            exponent = negativeExponent ? -exponent : exponent;
        } else {
            exponent = 0;
        }
    }
    // from_chars reads this grammar too, but not a leading '+'.
    const char* token = *start == '+' ? start + 1 : start;
    const auto result = std::from_chars(token, q, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        const double magnitude = AtLeastOne(intFirst, intLast, fracFirst, fracLast, exponent) ? DBL_MAX : 0.0;
        value = negative ? -magnitude : magnitude;
    } else if (result.ec != std::errc{}) {
        value = 0;
    }
    p = q;
    return true;
}

void ReadByValue(std::string_view line, LineFigures& figures)
{
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin + std::min(line.size(), NameLimit);
    // A number that cannot be read leaves 0 and the place unchanged.
    figures = LineFigures{};
    ReadReal(p, end, figures.StandardScore);
    for (int& value : figures.Integers) {
        ReadInteger(p, end, value);
    }
    figures.TimeStart = static_cast<std::size_t>(p - begin);
}

void AppendRow(std::vector<RecordRow>& rows, std::string_view line)
{
    LineFigures figures;
    if (!ReadByLayout(line, figures)) {
        if (std::all_of(line.begin(), line.end(), IsSpace)) {
            return;
        }
        ReadByValue(line, figures);
    }
    auto& texts = rows.emplace_back().Texts;
    std::string& name = texts[NameColumn];
    name.reserve(NameLimit);
    name.assign(line.substr(0, NameLimit));
    name.resize(NameLimit, ' ');
    if (!figures.Fields[0].empty()) {
        texts[1].assign(figures.Fields[0]);
    } else {
        texts[1] = FormatStandardScore(figures.StandardScore);
    }
    for (std::size_t i = 1; i < FigureCount; ++i) {
        if (!figures.Fields[i].empty()) {
            texts[i + 1].assign(figures.Fields[i]);
        } else {
            texts[i + 1] = FormatInteger(figures.Integers[i - 1], FigureWidths[i]);
        }
    }
    texts[TimeColumn].assign(line.substr(figures.TimeStart));
}

} // namespace

std::string WriteRecordFile(const std::vector<RecordRow>& rows)
{
    std::size_t size = 0;
    for (const RecordRow& row : rows) {
        size += std::max(row.Texts[NameColumn].size(), NameLimit) + 2;
        for (int i = 1; i < ColumnCount; ++i) {
            size += row.Texts[static_cast<std::size_t>(i)].size();
        }
    }
    std::string bytes;
    bytes.reserve(size);
    for (const RecordRow& row : rows) {
        const std::string& name = row.Texts[NameColumn];
        bytes += name;
        if (name.size() < NameLimit) {
            bytes.append(NameLimit - name.size(), ' ');
        }
        for (int i = 1; i < ColumnCount; ++i) {
            bytes += row.Texts[static_cast<std::size_t>(i)];
        }
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<RecordRow> ReadRecordFile(std::string_view bytes)
{
    std::vector<RecordRow> rows;
    // The writer's lines are longer than 80 bytes, so this is enough for its
    // files without reserving much for a file of many short lines.
    const auto lineFeeds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    rows.reserve(std::min(lineFeeds + 1, bytes.size() / 20 + 1));

    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lineFeed = bytes.find('\n', start);
        const std::size_t stop = lineFeed == std::string_view::npos ? bytes.size() : lineFeed;
        std::string_view line = bytes.substr(start, stop - start);
        start = stop + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        AppendRow(rows, line);
    }
    return rows;
}

} // namespace records
