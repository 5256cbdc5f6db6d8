// The rows of the record table with their order, check marks and sort state.
// The table window shows this through a model; everything that decides which
// row goes where lives here.
#pragma once

#include <array>
#include <vector>

#include "RecordRow.h"

namespace records {

class RecordTable {
public:
    enum class SortMode { Off, ByName, ByData };

    struct Entry {
        RecordRow Row;
        bool Checked = false;
    };

    int rowCount() const { return static_cast<int>(entries_.size()); }
    const RecordRow& row(int i) const { return entries_[static_cast<std::size_t>(i)].Row; }
    bool checked(int i) const { return entries_[static_cast<std::size_t>(i)].Checked; }
    void setChecked(int i, bool on) { entries_[static_cast<std::size_t>(i)].Checked = on; }
    std::vector<RecordRow> rows() const;

    SortMode sortMode() const { return sortMode_; }
    int sortColumn() const { return sortColumn_; }
    int sortDirection(int column) const { return sortDirections_[static_cast<std::size_t>(column)]; }

    // Appends a row at the end; while sorted by name the table sorts itself
    // again, in the direction it shows. Marks the table changed.
    void append(RecordRow row);

    // A click on a column's header: sort by it with its own direction, then
    // turn that direction round for the next click on the same column.
    void sortByColumn(int column);

    // Removes the checked rows; the others keep their order. Marks the
    // table changed when a row went.
    void removeChecked();

    // The rows just read from the file, in file order; sorting goes off and
    // the table counts as saved.
    void replaceRows(std::vector<RecordRow> rows);

    // Rows appended or removed since the last read or save.
    bool modified() const { return modified_; }
    void markSaved() { modified_ = false; }

private:
    void sortWith(int factor);

    std::vector<Entry> entries_;
    SortMode sortMode_ = SortMode::Off;
    int sortColumn_ = 0;
    std::array<int, ColumnCount> sortDirections_ = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    bool modified_ = false;
};

} // namespace records
