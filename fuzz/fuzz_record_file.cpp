// Feeds any bytes to the record file's reader, and checks what it reads:
// the rows keep the reader's properties, every row is written and read back
// unchanged, and the comparison sorts them without breaking its
// order.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "RecordCompare.h"
#include "RecordFile.h"
#include "RecordFileChecks.h"
#include "RecordTable.h"

using namespace records;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<RecordRow> rows = ReadRecordFile(bytes);

    if (const std::string broken = checks::BrokenProperty(rows); !broken.empty()) {
        Fail("property broken", broken);
    }

    // Whatever a read gives, a save keeps.
    const std::string written = WriteRecordFile(rows);
    if (ReadRecordFile(written) != rows) {
        Fail("round trip changed the rows", written);
    }

    // The comparison must be antisymmetric, or a sort may misbehave.
    for (std::size_t i = 1; i < rows.size() && i < 64; ++i) {
        for (int column = 0; column < ColumnCount; ++column) {
            if (Sign(CompareColumn(rows[i - 1], rows[i], column))
                != -Sign(CompareColumn(rows[i], rows[i - 1], column))) {
                Fail("comparison not antisymmetric in column", std::to_string(column));
            }
        }
    }
    if (rows.size() <= 256) {
        RecordTable table;
        table.replaceRows(rows);
        for (int column = 0; column < ColumnCount; ++column) {
            table.sortByColumn(column);
            for (int i = 1; i < table.rowCount(); ++i) {
                if (CompareColumn(table.row(i - 1), table.row(i), column) > 0) {
                    Fail("rows out of order in column", std::to_string(column));
                }
            }
        }
    }
    return 0;
}
