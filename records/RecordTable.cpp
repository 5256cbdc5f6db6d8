#include "RecordTable.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "RecordCompare.h"

namespace records {

namespace {

// Whether a goes before b when the comparison c(a, b) is turned by factor.
// The sign is tested rather than multiplied, so no product can overflow.
bool Before(int comparison, int factor)
{
    return factor < 0 ? comparison > 0 : comparison < 0;
}

} // namespace

std::vector<RecordRow> RecordTable::rows() const
{
    std::vector<RecordRow> out;
    out.reserve(entries_.size());
    for (const Entry& entry : entries_) {
        out.push_back(entry.Row);
    }
    return out;
}

void RecordTable::append(RecordRow row)
{
    Entry entry{std::move(row), false};
    if (sortMode_ == SortMode::ByName) {
        // The table is sorted by name in the direction the last click on the
        // name column showed, the opposite of the one the next click will
        // use. A stable sort of the table with the new row at its end puts
        // the row after every row it does not go before: where upper_bound
        // finds.
        const int shown = -sortDirections_[NameColumn];
        const auto place = std::upper_bound(
            entries_.begin(), entries_.end(), entry, [shown](const Entry& a, const Entry& b) {
                return Before(CompareText(a.Row.Texts[NameColumn], b.Row.Texts[NameColumn]), shown);
            });
        entries_.insert(place, std::move(entry));
    } else {
        entries_.push_back(std::move(entry));
    }
    modified_ = true;
}

void RecordTable::sortByColumn(int column)
{
    // Only the thirteen columns have a direction; anything else is no click.
    if (column < 0 || column >= ColumnCount) {
        return;
    }
    sortColumn_ = column;
    sortMode_ = column == NameColumn ? SortMode::ByName : SortMode::ByData;
    auto& direction = sortDirections_[static_cast<std::size_t>(column)];
    sortWith(direction);
    direction = -direction;
}

void RecordTable::sortWith(int factor)
{
    const auto column = static_cast<std::size_t>(sortColumn_);
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto text
        = [this, column](std::size_t i) -> const std::string& { return entries_[i].Row.Texts[column]; };

    if (sortColumn_ >= FirstFigureColumn && sortColumn_ <= LastFigureColumn) {
        // The same order as CompareFigure, with each text parsed once
        // instead of at every comparison.
        std::vector<std::optional<double>> values(entries_.size());
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            values[i] = FigureValue(text(i));
        }
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const auto& x = values[a];
            const auto& y = values[b];
            int comparison = 0;
            if (x && y) {
                comparison = (*x > *y) - (*x < *y);
            } else if (x || y) {
                comparison = x ? 1 : -1;
            } else {
                comparison = CompareText(text(a), text(b));
            }
            return Before(comparison, factor);
        });
    } else {
        std::stable_sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return Before(CompareText(text(a), text(b)), factor); });
    }

    std::vector<Entry> sorted;
    sorted.reserve(entries_.size());
    for (std::size_t i : order) {
        sorted.push_back(std::move(entries_[i]));
    }
    entries_ = std::move(sorted);
}

void RecordTable::removeChecked()
{
    const auto removed = std::erase_if(entries_, [](const Entry& entry) { return entry.Checked; });
    if (removed > 0) {
        modified_ = true;
    }
}

void RecordTable::replaceRows(std::vector<RecordRow> rows)
{
    entries_.clear();
    entries_.reserve(rows.size());
    for (RecordRow& row : rows) {
        entries_.push_back(Entry{std::move(row), false});
    }
    sortMode_ = SortMode::Off;
    modified_ = false;
}

} // namespace records
