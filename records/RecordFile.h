// The record file "PointRec.dat": one fixed-width line per row, CR LF line
// ends, no header. Plain functions of bytes, so they run without a window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RecordRow.h"

namespace records {

inline constexpr const char* RecordFileName = "PointRec.dat";

// The file's bytes for these rows, in this order: the name left-aligned in 20
// bytes (a longer name whole), the twelve further texts as they stand, CR LF.
std::string WriteRecordFile(const std::vector<RecordRow>& rows);

// The rows a file holds. Each line is read by the writer's layout when it
// fits it, else by value; the further texts come back formatted with the
// writer's widths, the name as its 20 bytes, the time text as the rest of the
// line without CR LF. Never fails: whatever the bytes, it stops at their end.
std::vector<RecordRow> ReadRecordFile(std::string_view bytes);

} // namespace records
