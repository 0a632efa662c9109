// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/reporttable.h"

#include <QSize>

#include <algorithm>

namespace
{

constexpr int kTemplateRows = 4;
constexpr int kTemplateColumns = 2;
constexpr int kTemplateRowHeight = 60;
constexpr int kTemplateColumnWidth = 300;

// The part of a range that lies inside the table, as first/last row and column; empty when the
// range misses the table.
struct Span {
    int firstRow;
    int firstColumn;
    int lastRow;
    int lastColumn;
    bool isEmpty() const { return firstRow > lastRow || firstColumn > lastColumn; }
};

Span clampedSpan(int row, int column, int rows, int columns, int rowCount, int columnCount)
{
    return {std::max(row, 1), std::max(column, 1), std::min(row + rows - 1, rowCount),
            std::min(column + columns - 1, columnCount)};
}

// Moves or widens a merged range along one axis when count lines are inserted before line
// `before`: ranges at or after it move, ranges that it cuts through grow.
void shiftRange(int& first, int& length, int before, int count)
{
    if (before <= first)
        first += count;
    else if (before < first + length)
        length += count;
}

} // namespace

ReportTable ReportTable::fromTemplate()
{
    ReportTable table;
    table.mRows = kTemplateRows;
    table.mColumns = kTemplateColumns;
    table.mCells.assign(kTemplateRows, std::vector<Cell>(kTemplateColumns));
    table.mRowHeights.assign(kTemplateRows, kTemplateRowHeight);
    table.mColumnWidths.assign(kTemplateColumns, kTemplateColumnWidth);
    return table;
}

ReportTable::Cell& ReportTable::cell(int row, int column)
{
    return mCells[std::size_t(row - 1)][std::size_t(column - 1)];
}

const ReportTable::Cell& ReportTable::cell(int row, int column) const
{
    return mCells[std::size_t(row - 1)][std::size_t(column - 1)];
}

void ReportTable::insertRows(int before, int count)
{
    if (count <= 0)
        return;
    before = std::clamp(before, 1, mRows + 1);

    // New rows take the look and height of the row above them (of the row below when inserted
    // at the top), without its texts.
    std::vector<Cell> pattern(static_cast<std::size_t>(mColumns));
    int height = kTemplateRowHeight;
    const int neighbour = before > 1 ? before - 1 : (mRows > 0 ? before : 0);
    if (neighbour > 0) {
        for (int c = 1; c <= mColumns; ++c)
            pattern[std::size_t(c - 1)].style = cell(neighbour, c).style;
        height = rowHeight(neighbour);
    }
    mCells.insert(mCells.begin() + (before - 1), std::size_t(count), pattern);
    mRowHeights.insert(mRowHeights.begin() + (before - 1), std::size_t(count), height);
    mRows += count;

    for (QRect& merged : mMerges) {
        int first = merged.y();
        int length = merged.height();
        shiftRange(first, length, before, count);
        merged = QRect(merged.x(), first, merged.width(), length);
    }
}

void ReportTable::appendRows(int count)
{
    if (count <= 0)
        return;
    // Appended rows are fresh template rows, whatever the last row looks like (it is often a
    // black rule row of height 1).
    mCells.insert(mCells.end(), std::size_t(count), std::vector<Cell>(std::size_t(mColumns)));
    mRowHeights.insert(mRowHeights.end(), std::size_t(count), kTemplateRowHeight);
    mRows += count;
}

void ReportTable::insertColumns(int before, int count)
{
    if (count <= 0)
        return;
    before = std::clamp(before, 1, mColumns + 1);

    // New columns take the look and width of the column left of them (of the column right of
    // them when inserted first).
    const int neighbour = before > 1 ? before - 1 : (mColumns > 0 ? before : 0);
    for (int r = 1; r <= mRows; ++r) {
        Cell pattern;
        if (neighbour > 0)
            pattern.style = cell(r, neighbour).style;
        std::vector<Cell>& cells = mCells[std::size_t(r - 1)];
        cells.insert(cells.begin() + (before - 1), std::size_t(count), pattern);
    }
    const int width = neighbour > 0 ? columnWidth(neighbour) : kTemplateColumnWidth;
    mColumnWidths.insert(mColumnWidths.begin() + (before - 1), std::size_t(count), width);
    mColumns += count;

    for (QRect& merged : mMerges) {
        int first = merged.x();
        int length = merged.width();
        shiftRange(first, length, before, count);
        merged = QRect(first, merged.y(), length, merged.height());
    }
}

bool ReportTable::contains(int row, int column) const
{
    return row >= 1 && row <= mRows && column >= 1 && column <= mColumns;
}

QString ReportTable::text(int row, int column) const
{
    if (!contains(row, column))
        return {};
    return cell(row, column).text;
}

void ReportTable::setText(int row, int column, const QString& text)
{
    if (!contains(row, column))
        return;
    cell(row, column).text = text;
}

const ReportCellStyle& ReportTable::style(int row, int column) const
{
    static const ReportCellStyle outside;
    return contains(row, column) ? cell(row, column).style : outside;
}

ReportCellStyle& ReportTable::style(int row, int column)
{
    if (contains(row, column))
        return cell(row, column).style;
    mScratchStyle = ReportCellStyle();
    return mScratchStyle;
}

void ReportTable::merge(int row, int column, int rows, int columns)
{
    const Span span = clampedSpan(row, column, rows, columns, mRows, mColumns);
    if (span.isEmpty())
        return;
    const QRect range(span.firstColumn, span.firstRow, span.lastColumn - span.firstColumn + 1,
                      span.lastRow - span.firstRow + 1);
    // A cell belongs to one merged range at most: the new range replaces those it touches.
    std::erase_if(mMerges, [&range](const QRect& merged) { return merged.intersects(range); });
    if (range.width() > 1 || range.height() > 1)
        mMerges.push_back(range);
}

QRect ReportTable::spanOf(int row, int column) const
{
    for (const QRect& merged : mMerges) {
        if (merged.contains(column, row))
            return merged;
    }
    return QRect(column, row, 1, 1);
}

namespace
{

template <typename Change>
void forEachStyle(ReportTable& table, int row, int column, int rows, int columns, Change change)
{
    const Span span =
        clampedSpan(row, column, rows, columns, table.rowCount(), table.columnCount());
    for (int r = span.firstRow; r <= span.lastRow; ++r) {
        for (int c = span.firstColumn; c <= span.lastColumn; ++c)
            change(table.style(r, c));
    }
}

} // namespace

void ReportTable::setFontFace(int row, int column, int rows, int columns, const QString& face)
{
    forEachStyle(*this, row, column, rows, columns,
                 [&face](ReportCellStyle& style) { style.fontFace = face; });
}

void ReportTable::setFontSize(int row, int column, int rows, int columns, int size)
{
    forEachStyle(*this, row, column, rows, columns,
                 [size](ReportCellStyle& style) { style.fontSize = size; });
}

void ReportTable::setTextColour(int row, int column, int rows, int columns, RgbValue colour)
{
    forEachStyle(*this, row, column, rows, columns,
                 [colour](ReportCellStyle& style) { style.textColour = colour; });
}

void ReportTable::setBold(int row, int column, int rows, int columns, bool bold)
{
    forEachStyle(*this, row, column, rows, columns,
                 [bold](ReportCellStyle& style) { style.bold = bold; });
}

void ReportTable::setAlignment(int row, int column, int rows, int columns, int alignment)
{
    forEachStyle(*this, row, column, rows, columns,
                 [alignment](ReportCellStyle& style) { style.alignment = alignment; });
}

void ReportTable::setBackground(int row, int column, int rows, int columns, RgbValue colour)
{
    forEachStyle(*this, row, column, rows, columns, [colour](ReportCellStyle& style) {
        style.hasBackground = true;
        style.background = colour;
    });
}

void ReportTable::setLines(int row, int column, int rows, int columns, int code, int kind)
{
    const Span span = clampedSpan(row, column, rows, columns, mRows, mColumns);
    if (span.isEmpty())
        return;
    const int line = kind == 1 ? 2 : 1;
    for (int r = span.firstRow; r <= span.lastRow; ++r) {
        for (int c = span.firstColumn; c <= span.lastColumn; ++c) {
            ReportCellStyle& look = cell(r, c).style;
            if ((code & LineLeft) && c == span.firstColumn)
                look.left = line;
            if ((code & LineTop) && r == span.firstRow)
                look.top = line;
            if ((code & LineRight) && c == span.lastColumn)
                look.right = line;
            if ((code & LineBottom) && r == span.lastRow)
                look.bottom = line;
            // An inner line is kept on both cells that it separates.
            if (code & LineInnerVertical) {
                if (c > span.firstColumn)
                    look.left = line;
                if (c < span.lastColumn)
                    look.right = line;
            }
            if (code & LineInnerHorizontal) {
                if (r > span.firstRow)
                    look.top = line;
                if (r < span.lastRow)
                    look.bottom = line;
            }
        }
    }
}

int ReportTable::rowHeight(int row) const
{
    if (row < 1 || row > mRows)
        return 0;
    return mRowHeights[std::size_t(row - 1)];
}

void ReportTable::setRowHeight(int row, int height)
{
    if (row < 1 || row > mRows)
        return;
    mRowHeights[std::size_t(row - 1)] = height;
}

int ReportTable::columnWidth(int column) const
{
    if (column < 1 || column > mColumns)
        return 0;
    return mColumnWidths[std::size_t(column - 1)];
}

void ReportTable::setColumnWidth(int column, int width)
{
    if (column < 1 || column > mColumns)
        return;
    mColumnWidths[std::size_t(column - 1)] = width;
}

int ReportTable::totalWidth() const
{
    int width = 0;
    for (const int columnWidth : mColumnWidths)
        width += columnWidth;
    return width;
}

QSize paperSize(int paper)
{
    switch (paper) {
    case 1:
        return {2970, 4200}; // A3
    case 3:
        return {1480, 2100}; // A5
    case 4:
        return {2500, 3540}; // B4
    case 5:
        return {1820, 2570}; // B5
    case 6:
        return {2150, 2750}; // 四开
    case 7:
        return {1460, 2150}; // 十六开
    case 8:
        return {970, 1510}; // 三十二开
    default:
        return {2100, 2970}; // A4, also the default paper without a printer
    }
}

std::vector<ReportPage> paginate(const ReportTable& table)
{
    const ReportPrintSettings& settings = table.printSettings();
    const QSize paper = paperSize(settings.paper);
    const int paperHeight = settings.landscape ? paper.width() : paper.height();
    return paginate(table, paperHeight - settings.marginTop - settings.marginBottom);
}

std::vector<ReportPage> paginate(const ReportTable& table, int printableHeight)
{
    const int headingRows = std::clamp(table.fixedRows(), 0, table.rowCount());
    std::vector<int> headings;
    int headingHeight = 0;
    for (int r = 1; r <= headingRows; ++r) {
        headings.push_back(r);
        headingHeight += table.rowHeight(r);
    }

    std::vector<ReportPage> pages;
    ReportPage page{headings};
    bool pageHasBody = false;
    const auto closePage = [&]() {
        pages.push_back(page);
        page = ReportPage{headings};
        pageHasBody = false;
    };

    const ReportPrintSettings& settings = table.printSettings();
    if (settings.rowsPerPage > 0) {
        int onPage = 0;
        for (int r = headingRows + 1; r <= table.rowCount(); ++r) {
            if (onPage == settings.rowsPerPage) {
                closePage();
                onPage = 0;
            }
            page.rows.push_back(r);
            pageHasBody = true;
            ++onPage;
        }
    } else {
        int used = headingHeight;
        int r = headingRows + 1;
        while (r <= table.rowCount()) {
            // Rows merged together (the remarks) go onto one page.
            int last = r;
            for (int c = 1; c <= table.columnCount(); ++c) {
                const QRect span = table.spanOf(r, c);
                if (span.y() == r)
                    last = std::max(last, span.y() + span.height() - 1);
            }
            int height = 0;
            for (int b = r; b <= last; ++b)
                height += table.rowHeight(b);
            // A block taller than a page still gets a page of its own.
            if (pageHasBody && used + height > printableHeight) {
                closePage();
                used = headingHeight;
            }
            for (int b = r; b <= last; ++b)
                page.rows.push_back(b);
            pageHasBody = true;
            used += height;
            r = last + 1;
        }
    }
    if (pageHasBody || pages.empty())
        pages.push_back(page);
    return pages;
}
