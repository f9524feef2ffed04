// The rules of the program's combination table: its rows stay aligned with
// the list's, and it never holds more than its capacity.
#pragma once

#include "mappingfile.h"

// The list's side of a deletion: is row i selected, and remove row i.
struct RowOps {
    bool (*isSelected)(int row, void* context);
    void (*deleteRow)(int row, void* context);
    void* context;
};

// Removes every selected row of the `rowCount` rows together with its record
// at the same index; the rows after it move up, keeping their order. Returns
// how many were removed.
int DeleteSelectedRecords(CombinationTable* table, int rowCount, const RowOps* rows);

// The first selected row, or -1.
int FirstSelectedRow(int rowCount, const RowOps* rows);

// Whether the table has room for one more combination.
bool CanAddCombination(const CombinationTable* table);
// Copies `record` whole to the end of the table; its index, or -1 when the
// table is full (nothing is written then).
int AppendCombination(CombinationTable* table, const CombinationRecord* record);
