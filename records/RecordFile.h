// The record file "PointRec.dat": one fixed-width line per row, CR LF line
// ends, no header. Plain functions of bytes, so they run without a window.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "RecordRow.h"
#include "RecordTable.h"

namespace records {

inline constexpr const char* RecordFileName = "PointRec.dat";

// What a read takes of the file at most: its first 32 MiB (up to the last
// line end within them), and of those the first 200,000 rows, some fifty
// years of ten games a day. The table then holds at most about 40 MB, and
// the read takes a fraction of a second.
inline constexpr std::size_t MaxRecordFileBytes = std::size_t{32} << 20;
inline constexpr std::size_t MaxRecordRows = 200'000;

// Reads the rows of a file one by one. Each line is read by the writer's
// layout when it fits it, else by value; the further texts come back
// formatted with the writer's widths, the name as its 20 bytes, the time
// text as the rest of the line without CR LF. Never fails: whatever the
// bytes, it stops at their end.
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes)
        : bytes_(bytes)
    {
    }

    // The next row; its texts stay valid until the next call. False at the
    // end of the bytes.
    bool next(RowTexts& texts);

private:
    bool readLine(std::string_view line, RowTexts& texts);

    std::string_view bytes_;
    std::size_t start_ = 0;
    // The padded name and the figures formatted again, for the texts that
    // are not the line's own bytes.
    std::array<std::string, ColumnCount - 1> formatted_;
};

// Appends the line of one row: the name left-aligned in 20 bytes, the twelve
// further texts as they stand, CR LF. The line always reads back as the
// same row (the name padded to 20 bytes). A text the game and the reader
// never make is written in the nearest form that does: a line feed in the
// name or the time text as a blank, a name over 20 bytes cut to 20, a figure
// not in its writer's format as that format of the number it holds (0 when
// none), a time text that begins with a digit after a blank.
void AppendRecordLine(std::string& out, const RowTexts& texts);

// The file's bytes for these rows, in this order.
std::string WriteRecordFile(const std::vector<RecordRow>& rows);
std::string WriteRecordFile(const RecordTable& table);

// Every row the bytes hold.
std::vector<RecordRow> ReadRecordFile(std::string_view bytes);

// The rows the bytes hold, at most maxRows of them, into the table as read
// from its file (RecordTable::startRead). False when rows were left out.
bool ReadRecordFile(std::string_view bytes, RecordTable& table, std::size_t maxRows);

} // namespace records
