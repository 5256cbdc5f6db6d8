#include "RecordTable.h"

#include <algorithm>
#include <numeric>

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

std::string_view RecordTable::text(int row, int column) const
{
    return textOf(entries_[static_cast<std::size_t>(row)], column);
}

std::string_view RecordTable::textOf(const Entry& entry, int column) const
{
    const auto c = static_cast<std::size_t>(column);
    const std::uint32_t begin = c == 0 ? 0 : entry.Ends[c - 1];
    return std::string_view(bytes_).substr(entry.Start + begin, entry.Ends[c] - begin);
}

RowTexts RecordTable::texts(int row) const
{
    RowTexts texts;
    for (int c = 0; c < ColumnCount; ++c) {
        texts[static_cast<std::size_t>(c)] = text(row, c);
    }
    return texts;
}

std::vector<RecordRow> RecordTable::rows() const
{
    std::vector<RecordRow> out;
    out.reserve(entries_.size());
    for (int i = 0; i < rowCount(); ++i) {
        out.push_back(row(i));
    }
    return out;
}

RecordTable::Entry RecordTable::store(const RowTexts& texts)
{
    Entry entry;
    entry.Start = bytes_.size();
    std::uint32_t length = 0;
    for (std::size_t c = 0; c < texts.size(); ++c) {
        bytes_ += texts[c];
        length += static_cast<std::uint32_t>(texts[c].size());
        entry.Ends[c] = length;
    }
    return entry;
}

void RecordTable::append(const RecordRow& row)
{
    const Entry entry = store(TextsOf(row));
    if (sortMode_ == SortMode::ByName) {
        // The table is sorted by name in the direction the last click on the
        // name column showed, the opposite of the one the next click will
        // use. A stable sort of the table with the new row at its end puts
        // the row after every row it does not go before: where upper_bound
        // finds.
        const int shown = -sortDirections_[NameColumn];
        const SortKey name = KeyOf(row.Texts[NameColumn], NameColumn);
        const auto place = std::upper_bound(
            entries_.begin(), entries_.end(), name, [&](const SortKey& key, const Entry& other) {
                return Before(CompareKeys(key, KeyOf(textOf(other, NameColumn), NameColumn)), shown);
            });
        entries_.insert(place, entry);
    } else {
        entries_.push_back(entry);
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
    // Each text is parsed once, not at every comparison.
    std::vector<SortKey> keys(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        keys[i] = KeyOf(textOf(entries_[i], sortColumn_), sortColumn_);
    }
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
        [&](std::size_t a, std::size_t b) { return Before(CompareKeys(keys[a], keys[b]), factor); });

    std::vector<Entry> sorted;
    sorted.reserve(entries_.size());
    for (std::size_t i : order) {
        sorted.push_back(entries_[i]);
    }
    entries_ = std::move(sorted);
}

void RecordTable::removeChecked()
{
    const auto removed = std::erase_if(entries_, [this](const Entry& entry) {
        if (entry.Checked) {
            unused_ += entry.Ends[ColumnCount - 1];
        }
        return entry.Checked;
    });
    if (removed == 0) {
        return;
    }
    modified_ = true;
    // Once removed rows hold most of the store, the rows left move together.
    if (unused_ > bytes_.size() / 2) {
        std::string kept;
        kept.reserve(bytes_.size() - unused_);
        for (Entry& entry : entries_) {
            const std::uint64_t start = kept.size();
            kept.append(bytes_, entry.Start, entry.Ends[ColumnCount - 1]);
            entry.Start = start;
        }
        bytes_ = std::move(kept);
        unused_ = 0;
    }
}

void RecordTable::startRead(std::size_t bytes, std::size_t rows)
{
    entries_.clear();
    entries_.shrink_to_fit();
    bytes_.clear();
    bytes_.shrink_to_fit();
    unused_ = 0;
    bytes_.reserve(bytes);
    entries_.reserve(rows);
    sortMode_ = SortMode::Off;
    modified_ = false;
}

void RecordTable::addRead(const RowTexts& texts)
{
    entries_.push_back(store(texts));
}

void RecordTable::replaceRows(const std::vector<RecordRow>& rows)
{
    startRead();
    for (const RecordRow& row : rows) {
        addRead(TextsOf(row));
    }
}

} // namespace records
