#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "RecordCompare.h"
#include "RecordRow.h"
#include "RecordTable.h"

using namespace records;

namespace {

RecordRow Row(const std::string& name, int score = 0)
{
    return MakeRecordRow(name, {score / 171.0, score, 0, 0, 0, 0, 0, 171, 9, 19, 5}, "2006/05/01 09:05:03");
}

std::vector<std::string> Names(const RecordTable& table)
{
    std::vector<std::string> names;
    for (int i = 0; i < table.rowCount(); ++i) {
        names.push_back(table.row(i).Texts[NameColumn]);
    }
    return names;
}

RecordTable TableOf(const std::vector<RecordRow>& rows)
{
    RecordTable table;
    table.replaceRows(rows);
    return table;
}

using Names_ = std::vector<std::string>;
using Mode = RecordTable::SortMode;

} // namespace

// Each column keeps its own direction, whatever is clicked in between.
TEST(RecordTable, ColumnClicksTurnEachColumnsOwnDirection)
{
    RecordTable table = TableOf({Row("c", 30), Row("a", 10), Row("b", 20), Row("d", 0)});
    struct Click {
        int column;
        Names_ order;
        Mode mode;
    };
    const Click clicks[] = {
        {2, {"d", "a", "b", "c"}, Mode::ByData}, // lowest score first
        {0, {"a", "b", "c", "d"}, Mode::ByName},
        {2, {"c", "b", "a", "d"}, Mode::ByData}, // the name click left the score's direction alone
        {0, {"d", "c", "b", "a"}, Mode::ByName}, {2, {"d", "a", "b", "c"}, Mode::ByData},
        {ColumnCount, {"d", "a", "b", "c"}, Mode::ByData}, // no such column: nothing happens
    };
    for (const Click& click : clicks) {
        SCOPED_TRACE("click on column " + std::to_string(click.column));
        table.sortByColumn(click.column);
        EXPECT_EQ(Names(table), click.order);
        EXPECT_EQ(table.sortMode(), click.mode);
    }
    EXPECT_EQ(table.sortColumn(), 2);
    EXPECT_EQ(table.sortDirection(2), -1);
    EXPECT_EQ(table.sortDirection(0), 1);
    EXPECT_FALSE(table.modified()); // a sort alone is no change
}

// The table sorts figures with each text parsed once; the order must be the
// one a stable sort by CompareColumn and the column's direction gives.
TEST(RecordTable, SortIsTheStableSortByTheColumnsComparison)
{
    for (const unsigned seed : {31u, 32u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const char* const pool[] = {"", "  abc", "  ABC", "    x", "   -3", "    5", "   10", "  -10",
            "    5.5", "-2147483648", "\x82\xA0"};
        std::vector<RecordRow> rows(300);
        for (RecordRow& row : rows) {
            for (std::string& text : row.Texts) {
                text = pool[random() % std::size(pool)];
            }
        }
        RecordTable table = TableOf(rows);
        for (int round = 0; round < 2; ++round) {
            for (int column = 0; column < ColumnCount; ++column) {
                SCOPED_TRACE("column " + std::to_string(column) + ", round " + std::to_string(round));
                std::vector<RecordRow> expected = table.rows();
                const int direction = table.sortDirection(column);
                std::stable_sort(
                    expected.begin(), expected.end(), [&](const RecordRow& a, const RecordRow& b) {
                        return CompareColumn(a, b, column) * direction < 0;
                    });
                table.sortByColumn(column);
                ASSERT_EQ(table.rows(), expected);
                EXPECT_EQ(table.sortDirection(column), -direction);
            }
        }
    }
}

TEST(RecordTable, AppendSortsAgainByNameInTheShownDirection)
{
    RecordTable table = TableOf({Row("d"), Row("b"), Row("abc")});
    table.sortByColumn(NameColumn); // ascending shown
    table.append(Row("c"));
    table.append(Row("ABC")); // equal to "abc": after it
    table.append(Row("a"));
    EXPECT_EQ(Names(table), (Names_{"a", "abc", "ABC", "b", "c", "d"}));

    table.sortByColumn(NameColumn); // descending shown
    EXPECT_EQ(Names(table), (Names_{"d", "c", "b", "abc", "ABC", "a"}));
    table.append(Row("bb"));
    table.append(Row("e"));
    EXPECT_EQ(Names(table), (Names_{"e", "d", "c", "bb", "b", "abc", "ABC", "a"}));
    EXPECT_EQ(table.sortDirection(NameColumn), 1); // appending does not turn the direction

    table.sortByColumn(2);
    table.append(Row("aa", -1000));
    EXPECT_EQ(Names(table).back(), "aa"); // sorted by data: the row stays at the end

    table.replaceRows({Row("z"), Row("y")});
    EXPECT_EQ(table.sortMode(), Mode::Off);
    table.append(Row("a"));
    EXPECT_EQ(Names(table), (Names_{"z", "y", "a"}));
}

TEST(RecordTable, RemoveCheckedDeletesOnlyCheckedRows)
{
    struct Case {
        const char* what;
        std::vector<int> checked;
        Names_ left;
        bool modified;
    };
    const Case cases[] = {
        {"none checked", {}, {"a", "b", "c", "d", "e"}, false},
        {"two adjacent rows", {1, 2}, {"a", "d", "e"}, true},
        {"first and last", {0, 4}, {"b", "c", "d"}, true},
        {"all", {0, 1, 2, 3, 4}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordTable table = TableOf({Row("a"), Row("b"), Row("c"), Row("d"), Row("e")});
        for (int i : c.checked) {
            table.setChecked(i, true);
        }
        table.removeChecked();
        EXPECT_EQ(Names(table), c.left);
        EXPECT_EQ(table.modified(), c.modified);
        for (int i = 0; i < table.rowCount(); ++i) {
            EXPECT_FALSE(table.checked(i));
        }
    }
}

TEST(RecordTable, ModifiedOnlyByAppendAndRemovalUntilSavedOrRead)
{
    RecordTable table;
    table.sortByColumn(3);
    table.sortByColumn(3);
    table.append(Row("a"));
    EXPECT_TRUE(table.modified());
    table.markSaved();
    EXPECT_FALSE(table.modified());
    table.sortByColumn(NameColumn);
    table.setChecked(0, true);
    table.setChecked(0, false);
    table.removeChecked();
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(table.rowCount(), 1);
    table.setChecked(0, true);
    table.removeChecked();
    EXPECT_TRUE(table.modified());

    // A read gives file order, no checks, no sort, nothing to save, but keeps
    // the last sorted column and every direction.
    table.append(Row("b"));
    table.setChecked(0, true);
    table.replaceRows({Row("y"), Row("x")});
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(Names(table), (Names_{"y", "x"}));
    EXPECT_FALSE(table.checked(0));
    EXPECT_EQ(table.sortMode(), Mode::Off);
    EXPECT_EQ(table.sortColumn(), NameColumn);
    EXPECT_EQ(table.sortDirection(NameColumn), -1);
    EXPECT_EQ(table.sortDirection(3), 1);
}
