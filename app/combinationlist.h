// The rule that keeps the combination table and the list's rows aligned.
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
