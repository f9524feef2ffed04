#include "combinationlist.h"

#include <cstring>

int DeleteSelectedRecords(CombinationTable* table, int rowCount, const RowOps* rows)
{
    int removed = 0;
    int n = rowCount;
    int i = 0;
    while (i < n) {
        if (!rows->isSelected(i, rows->context)) {
            ++i;
            continue;
        }
        // Rows and records are removed at the same index; a row without a
        // record (the list longer than the table) only loses its row.
        if (i < table->count) {
            if (i < table->count - 1)
                std::memmove(&table->records[i], &table->records[i + 1],
                             sizeof(CombinationRecord) * static_cast<std::size_t>(table->count - 1 - i));
            --table->count;
        }
        rows->deleteRow(i, rows->context);
        --n;
        ++removed;
    }
    return removed;
}

int FirstSelectedRow(int rowCount, const RowOps* rows)
{
    for (int i = 0; i < rowCount; ++i)
        if (rows->isSelected(i, rows->context))
            return i;
    return -1;
}

bool CanAddCombination(const CombinationTable* table)
{
    return table->count < MaxCombinations;
}

int AppendCombination(CombinationTable* table, const CombinationRecord* record)
{
    int i = table->count;
    if (i < 0 || i >= MaxCombinations)
        return -1;
    table->records[i] = *record;
    table->count = i + 1;
    return i;
}
