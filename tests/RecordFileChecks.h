// Properties of ReadRecordFile that hold whatever bytes it reads; shared by
// the corpus replay test and the fuzz target.
#pragma once

#include <charconv>
#include <string>
#include <vector>

#include "RecordFile.h"
#include "RecordRow.h"

namespace records::checks {

// The first broken property of rows read from any bytes, or an empty text:
// a 20-byte name, no line feed in any text, and every figure formatted with
// its width exactly as the writer formats the number it holds.
inline std::string BrokenProperty(const std::vector<RecordRow>& rows)
{
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& t = rows[r].Texts;
        const std::string where = "row " + std::to_string(r) + ": ";
        if (t[NameColumn].size() != NameLimit) {
            return where + "name of " + std::to_string(t[NameColumn].size()) + " bytes";
        }
        for (const std::string& text : t) {
            if (text.find('\n') != std::string::npos) {
                return where + "a line feed inside a text";
            }
        }
        const std::string& standard = t[1];
        const std::size_t s = standard.find_first_not_of(' ');
        double real = 0;
        if (s == std::string::npos
            || std::from_chars(standard.data() + s, standard.data() + standard.size(), real).ec != std::errc{}
            || FormatStandardScore(real) != standard) {
            return where + "standard score not canonical: [" + standard + "]";
        }
        for (std::size_t i = 2; i <= LastFigureColumn; ++i) {
            const std::string& text = t[i];
            const std::size_t b = text.find_first_not_of(' ');
            int value = 0;
            if (b == std::string::npos
                || std::from_chars(text.data() + b, text.data() + text.size(), value).ec != std::errc{}
                || FormatInteger(value, FigureWidths[i - 1]) != text) {
                return where + "figure " + std::to_string(i) + " not canonical: [" + text + "]";
            }
        }
    }
    return {};
}

} // namespace records::checks
