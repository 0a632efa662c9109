// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/sheetdata.h"

#include <algorithm>

void dropEmptyColumns(ImportSheet& sheet, const std::vector<QString>& namesByFileColumn)
{
    std::size_t width = 0;
    for (const ImportRow& row : sheet.rows)
        width = std::max(width, row.cells.size());
    std::vector<int> kept(width, -1);
    for (const ImportRow& row : sheet.rows) {
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            if (!row.cells[c].text.isEmpty() || row.cells[c].error)
                kept[c] = 0;
        }
    }
    sheet.columnNames.clear();
    bool allKept = true;
    for (std::size_t c = 0; c < width; ++c) {
        if (kept[c] < 0) {
            allKept = false;
            continue;
        }
        kept[c] = int(sheet.columnNames.size());
        sheet.columnNames.append(c < namesByFileColumn.size() ? namesByFileColumn[c]
                                                              : QString::number(c + 1));
    }
    if (allKept)
        return;
    // Each row as wide as its own last column kept, never wider than it was.
    for (ImportRow& row : sheet.rows) {
        std::size_t width = 0;
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            if (kept[c] >= 0)
                width = std::size_t(kept[c]) + 1;
        }
        std::vector<ImportCell> cells(width);
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            if (kept[c] >= 0)
                cells[std::size_t(kept[c])] = std::move(row.cells[c]);
        }
        row.cells = std::move(cells);
    }
}
