// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

// What a spreadsheet file holds once read: its non-empty rows, each with its row number in the
// file, over the columns that hold anything. Both the workbook and the CSV reader give this.

// At most this many rows are read from one sheet or file.
constexpr int kMaxImportRows = 200000;
// At most this many cells (rows times the columns that hold anything) are kept from one sheet.
constexpr qint64 kMaxImportCells = 5000000;
// A part of a workbook (or a CSV file) may hold at most this many bytes once uncompressed.
constexpr qint64 kMaxPartBytes = qint64(200) * 1024 * 1024;

struct ImportCell {
    QString text;
    // The file marks the cell as an error (#DIV/0!, #N/A, ...); its text is the error's.
    bool error = false;
};

struct ImportRow {
    int fileRow = 0;               // 1 for the file's first row
    std::vector<ImportCell> cells; // one per column of the sheet (possibly fewer at the end)
    const ImportCell* cell(int column) const
    {
        return column >= 0 && std::size_t(column) < cells.size() ? &cells[std::size_t(column)]
                                                                 : nullptr;
    }
};

struct ImportSheet {
    std::vector<ImportRow> rows;
    // The name of each column as the file counts them: "C" in a workbook, "3" in a CSV file.
    QStringList columnNames;
    int columnCount() const { return int(columnNames.size()); }
};

// How a reading on a worker thread reports its progress and learns that it is to stop.
struct ReadControl {
    std::atomic<bool>* cancel = nullptr;
    std::atomic<int>* percent = nullptr;
    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    void report(int value) const
    {
        if (percent)
            percent->store(value, std::memory_order_relaxed);
    }
};

// The result of reading: the sheet, or why the file cannot be read (the reason shown after
// "文件无法读取："), or that the reading was cancelled.
struct ReadOutcome {
    ImportSheet sheet;
    QString failure;
    bool cancelled = false;
    bool ok() const { return failure.isEmpty() && !cancelled; }
};

// The text that says a file has too many rows.
inline QString tooManyRowsText()
{
    return QStringLiteral("文件行数过多（最多 %1 行）").arg(kMaxImportRows);
}

inline QString tooManyCellsText()
{
    return QStringLiteral("文件的单元格过多（最多 %1 个）").arg(kMaxImportCells);
}

// Drops the columns that hold nothing in any row and names the others: columns[i] becomes the
// name of the i-th column kept. `rows` holds cells by the file's column index.
void dropEmptyColumns(ImportSheet& sheet, const std::vector<QString>& namesByFileColumn);
