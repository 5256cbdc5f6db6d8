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

// By the number the text holds (after leading blanks); a text holding no
// number sorts before every number, two such texts by CompareText.
int CompareFigure(std::string_view a, std::string_view b);

// Negative when a goes before b in an ascending sort by this column: the name
// and the time by text, the figures by value.
int CompareColumn(const RecordRow& a, const RecordRow& b, int column);

} // namespace records
