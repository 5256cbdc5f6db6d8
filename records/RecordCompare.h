// How the record table orders its rows.
#pragma once

#include <optional>
#include <string_view>

#include "RecordRow.h"

namespace records {

// Byte by byte after folding a..z to A..Z; bytes compare unsigned. The first
// differing pair gives the difference of the bytes; when one text begins the
// other, the difference of the lengths.
int CompareText(std::string_view a, std::string_view b);

// The number a figure text holds: blanks, an optional sign, digits with an
// optional point and fraction, blanks; anything else holds no number.
std::optional<double> FigureValue(std::string_view text);

// What a column sorts one of its texts by: the figure columns by the number
// the text holds, the name and the time by the text.
struct SortKey {
    std::string_view Text;
    std::optional<double> Value;
};
SortKey KeyOf(std::string_view text, int column);

// The table's one comparison, negative when a goes first in an ascending
// sort: two numbers by value; a text holding no number before every number;
// two texts without numbers by CompareText.
int CompareKeys(const SortKey& a, const SortKey& b);

// By value, as CompareKeys compares two figure texts.
int CompareFigure(std::string_view a, std::string_view b);

// Negative when a goes before b in an ascending sort by this column; 0 for
// a column that does not exist.
int CompareColumn(const RecordRow& a, const RecordRow& b, int column);

} // namespace records
