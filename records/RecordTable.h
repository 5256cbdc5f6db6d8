// The rows of the record table with their order, check marks and sort state.
// The table window shows this through a model; everything that decides which
// row goes where lives here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "RecordRow.h"

namespace records {

class RecordTable {
public:
    enum class SortMode { Off, ByName, ByData };

    int rowCount() const { return static_cast<int>(entries_.size()); }
    std::string_view text(int row, int column) const;
    RowTexts texts(int row) const;
    RecordRow row(int i) const { return RowOf(texts(i)); }
    bool checked(int i) const { return entries_[static_cast<std::size_t>(i)].Checked; }
    void setChecked(int i, bool on) { entries_[static_cast<std::size_t>(i)].Checked = on; }
    std::vector<RecordRow> rows() const;

    SortMode sortMode() const { return sortMode_; }
    int sortColumn() const { return sortColumn_; }
    int sortDirection(int column) const { return sortDirections_[static_cast<std::size_t>(column)]; }

    // Appends a row at the end; while sorted by name the table sorts itself
    // again, in the direction it shows. Marks the table changed.
    void append(const RecordRow& row);

    // A click on a column's header: sort by it with its own direction, then
    // turn that direction round for the next click on the same column.
    void sortByColumn(int column);

    // Removes the checked rows; the others keep their order. Marks the
    // table changed when a row went.
    void removeChecked();

    // Rows read from the file: startRead empties the table (room for about
    // this many bytes and rows), addRead adds each row in file order. Sorting
    // goes off and the table counts as saved.
    void startRead(std::size_t bytes = 0, std::size_t rows = 0);
    void addRead(const RowTexts& texts);
    void replaceRows(const std::vector<RecordRow>& rows);

    // Rows appended or removed since the last read or save.
    bool modified() const { return modified_; }
    void markSaved() { modified_ = false; }

private:
    // A row's thirteen texts lie one after the other in the store, from
    // Start; Ends[i] is where text i ends, counted from Start. So a row costs
    // its bytes and this entry, whatever it holds.
    struct Entry {
        std::uint64_t Start = 0;
        std::array<std::uint32_t, ColumnCount> Ends{};
        bool Checked = false;
    };

    Entry store(const RowTexts& texts);
    std::string_view textOf(const Entry& entry, int column) const;
    void sortWith(int factor);

    std::string bytes_;
    std::size_t unused_ = 0; // bytes of removed rows still in bytes_
    std::vector<Entry> entries_;
    SortMode sortMode_ = SortMode::Off;
    int sortColumn_ = 0;
    std::array<int, ColumnCount> sortDirections_ = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    bool modified_ = false;
};

} // namespace records
