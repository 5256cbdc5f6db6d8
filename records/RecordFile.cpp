// The record file's writer and reader.
//
// Each line is read on its own (a line ends at LF; one CR before the LF, or
// at the very end of the bytes, belongs to the line end), so a damaged line
// never moves the rows after it. A line is read in two steps:
//
// 1. By the writer's layout: the 20-byte name, then the eleven figures with
//    their minimum widths. A figure that starts with a blank is exactly its
//    width long, blanks then one number; any other figure is one number of at
//    least its width, after a tab where the writer put one to keep it apart
//    from a figure before it that filled its width too. The integers are
//    '-'? digits and must fit an int; the standard score is '-'? digits '.'
//    and exactly four digits, as "%10.4f" writes it, so a figure glued to its
//    right stays apart. The rest of the line is the time text; it may not
//    begin with a digit, which would belong to the last figure. This takes
//    every line the writer writes, also when an undo charge of 10000 or more
//    fills its field and runs into the panels left ("    510000" is 5 and
//    10000).
// 2. Otherwise by value, as scanf's "%20c %lf %d ..." would read it, but
//    within the line: each number skips blanks, tabs, CRs, VTs and FFs first;
//    "%d" takes an optional sign and digits, "%lf" a decimal number with an
//    optional fraction and exponent (no "inf", "nan" or hexadecimal forms).
//    The time text is the rest of the line after the last number read.
//
// What a malformed line gives:
// - A number that cannot be read (missing, a lone sign, a letter) counts as
//   0, and reading goes on at the same place: every later figure is 0 too,
//   the time text keeps the rest of the line as it stands.
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

namespace records {

namespace {

constexpr std::size_t FigureCount = FigureWidths.size();
// The figure from which on one may follow another that filled its width
// (the erase points after the score; the standard score ends by itself).
constexpr std::size_t FirstSeparable = 2;

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

const char* SkipSpace(const char* p, const char* end)
{
    while (p != end && IsSpace(*p)) {
        ++p;
    }
    return p;
}

std::string_view View(const char* first, const char* last)
{
    return {first, static_cast<std::size_t>(last - first)};
}

// A figure's text and its number, as one of the readers found them.
struct Figure {
    std::string_view Text; // the whole field
    const char* First = nullptr; // the number within it
    const char* Last = nullptr;
};

// One figure at p by the layout; p moves past it.
bool LayoutFigure(const char*& p, const char* end, std::size_t index, Figure& figure)
{
    const auto width = static_cast<std::ptrdiff_t>(FigureWidths[index]);
    const unsigned form = index == 0 ? FourDecimals : IntegerForm;
    if (p == end) {
        return false;
    }
    if (*p == ' ') {
        if (end - p < width) {
            return false;
        }
        const char* const fieldEnd = p + width;
        const char* const number = std::find_if(p, fieldEnd, [](char c) { return c != ' '; });
        if (number == fieldEnd || ScanNumber(number, fieldEnd, form) != fieldEnd) {
            return false;
        }
        figure = {View(p, fieldEnd), number, fieldEnd};
        p = fieldEnd;
        return true;
    }
    if (index >= FirstSeparable && *p == '\t' && end - p > 1 && IsDigit(p[1])) {
        ++p;
    }
    const char* const numberEnd = ScanNumber(p, end, form);
    if (numberEnd == nullptr || numberEnd - p < width) {
        return false;
    }
    figure = {View(p, numberEnd), p, numberEnd};
    p = numberEnd;
    return true;
}

// One figure at p by value; p moves past it, or stays when no number is
// there (the figure is then 0).
void ValueFigure(const char*& p, const char* end, std::size_t index, Figure& figure)
{
    const char* const number = SkipSpace(p, end);
    const char* const numberEnd
        = ScanNumber(number, end, index == 0 ? Fraction | Exponent | PlusSign : PlusSign);
    if (numberEnd == nullptr) {
        figure = {};
        return;
    }
    figure = {{}, number, numberEnd};
    p = numberEnd;
}

// The writer's text of a figure's number, into out (0 when there is none);
// false when the layout cannot take the number (beyond its range).
bool Format(const Figure& f, std::size_t index, bool byLayout, std::string& out)
{
    if (index == 0) {
        double value = 0;
        if (f.First != nullptr) {
            const RealNumber real = RealValue(f.First, f.Last);
            if (real.Range != 0 && byLayout) {
                return false;
            }
            value = real.Range > 0 ? DBL_MAX : real.Value;
            if (*f.First == '-' && real.Range != 0) {
                value = -value;
            }
        }
        out = FormatStandardScore(value);
        return true;
    }
    int value = 0;
    if (f.First != nullptr) {
        if (byLayout) {
            const auto result = std::from_chars(f.First, f.Last, value);
            if (result.ec != std::errc{} || result.ptr != f.Last) {
                return false;
            }
        } else {
            value = IntegerValue(f.First, f.Last);
        }
    }
    out = FormatInteger(value, FigureWidths[index]);
    return true;
}

} // namespace

bool RecordReader::next(RowTexts& texts)
{
    while (start_ < bytes_.size()) {
        const std::size_t lineFeed = bytes_.find('\n', start_);
        const std::size_t stop = lineFeed == std::string_view::npos ? bytes_.size() : lineFeed;
        std::string_view line = bytes_.substr(start_, stop - start_);
        start_ = stop + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (readLine(line, texts)) {
            return true;
        }
    }
    return false;
}

bool RecordReader::readLine(std::string_view line, RowTexts& texts)
{
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    std::array<Figure, FigureCount> figures;

    bool byLayout = line.size() >= NameLimit;
    const char* p = begin + std::min(line.size(), NameLimit);
    for (std::size_t i = 0; byLayout && i < FigureCount; ++i) {
        byLayout = LayoutFigure(p, end, i, figures[i]);
    }
    byLayout = byLayout && (p == end || !IsDigit(*p));
    // A figure in the writer's format stays a view of the line.
    for (std::size_t i = 0; byLayout && i < FigureCount; ++i) {
        byLayout = Format(figures[i], i, true, formatted_[i + 1]);
        if (formatted_[i + 1] != figures[i].Text) {
            figures[i].Text = formatted_[i + 1];
        }
    }
    if (!byLayout) {
        if (std::all_of(line.begin(), line.end(), IsSpace)) {
            return false;
        }
        p = begin + std::min(line.size(), NameLimit);
        for (std::size_t i = 0; i < FigureCount; ++i) {
            ValueFigure(p, end, i, figures[i]);
            Format(figures[i], i, false, formatted_[i + 1]);
            figures[i].Text = formatted_[i + 1];
        }
    }

    if (line.size() >= NameLimit) {
        texts[NameColumn] = line.substr(0, NameLimit);
    } else {
        std::string& name = formatted_[NameColumn];
        name.assign(line);
        name.resize(NameLimit, ' ');
        texts[NameColumn] = name;
    }
    for (std::size_t i = 0; i < FigureCount; ++i) {
        texts[i + 1] = figures[i].Text;
    }
    texts[TimeColumn] = View(p, end);
    return true;
}

void AppendRecordLine(std::string& out, const RowTexts& texts)
{
    const auto appendLine = [&out](std::string_view text) {
        const std::size_t from = out.size();
        out += text;
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(), '\n', ' ');
    };
    const std::string_view name = texts[NameColumn].substr(0, NameLimit);
    appendLine(name);
    out.append(NameLimit - name.size(), ' ');

    std::string formatted;
    char previousLead = ' ';
    for (std::size_t i = 0; i < FigureCount; ++i) {
        std::string_view text = texts[i + 1];
        // The figure read back by its own layout must give the same text.
        Figure figure;
        const char* p = text.data();
        const char* const end = p + text.size();
        if (!(LayoutFigure(p, end, i, figure) && p == end && figure.Text.data() == text.data()
                && Format(figure, i, true, formatted) && formatted == text)) {
            p = text.data();
            ValueFigure(p, end, i, figure);
            Format(figure, i, false, formatted);
            text = formatted;
        }
        if (i >= FirstSeparable && IsDigit(text[0]) && previousLead != ' ') {
            out += '\t';
        }
        previousLead = text[0];
        out += text;
    }
    const std::string_view time = texts[TimeColumn];
    if (!time.empty() && IsDigit(time[0])) {
        out += ' ';
    }
    appendLine(time);
    out += "\r\n";
}

std::string WriteRecordFile(const RecordTable& table)
{
    std::size_t size = 0;
    for (int r = 0; r < table.rowCount(); ++r) {
        size += std::max(table.text(r, NameColumn).size(), NameLimit) + 4;
        for (int i = 1; i < ColumnCount; ++i) {
            size += table.text(r, i).size();
        }
    }
    std::string bytes;
    bytes.reserve(size);
    for (int r = 0; r < table.rowCount(); ++r) {
        AppendRecordLine(bytes, table.texts(r));
    }
    return bytes;
}

std::string WriteRecordFile(const std::vector<RecordRow>& rows)
{
    RecordTable table;
    table.replaceRows(rows);
    return WriteRecordFile(table);
}

std::vector<RecordRow> ReadRecordFile(std::string_view bytes)
{
    std::vector<RecordRow> rows;
    RecordReader reader(bytes);
    RowTexts texts;
    while (reader.next(texts)) {
        rows.push_back(RowOf(texts));
    }
    return rows;
}

bool ReadRecordFile(std::string_view bytes, RecordTable& table, std::size_t maxRows)
{
    // The writer's lines are longer than 80 bytes, so this is enough for its
    // files without reserving much for a file of many short lines.
    table.startRead(bytes.size(), std::min(maxRows, bytes.size() / 80 + 1));
    RecordReader reader(bytes);
    RowTexts texts;
    while (reader.next(texts)) {
        if (static_cast<std::size_t>(table.rowCount()) == maxRows) {
            return false;
        }
        table.addRead(texts);
    }
    return true;
}

} // namespace records
