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

size_t qHash(const ReportCellStyle& style, size_t seed)
{
    return qHashMulti(seed, style.fontFace, style.fontSize, style.textColour, style.bold,
                      style.alignment, style.hasBackground, style.background, style.left, style.top,
                      style.right, style.bottom);
}

ReportTable ReportTable::fromTemplate()
{
    ReportTable table;
    table.mRows = kTemplateRows;
    table.mColumns = kTemplateColumns;
    table.mCells.resize(kTemplateColumns);
    for (Column& column : table.mCells) {
        column.texts.assign(kTemplateRows, 0);
        column.looks.assign(kTemplateRows, 0);
    }
    table.mRowHeights.assign(kTemplateRows, kTemplateRowHeight);
    table.mColumnWidths.assign(kTemplateColumns, kTemplateColumnWidth);
    return table;
}

void ReportTable::insertRows(int before, int count)
{
    if (count <= 0)
        return;
    before = std::clamp(before, 1, mRows + 1);

    // New rows take the look and height of the row above them (of the row below when inserted
    // at the top), without its texts.
    int height = kTemplateRowHeight;
    const int neighbour = before > 1 ? before - 1 : (mRows > 0 ? before : 0);
    if (neighbour > 0)
        height = rowHeight(neighbour);
    for (Column& column : mCells) {
        const quint16 look = neighbour > 0 ? column.looks[std::size_t(neighbour - 1)] : 0;
        column.texts.insert(column.texts.begin() + (before - 1), std::size_t(count), 0);
        column.looks.insert(column.looks.begin() + (before - 1), std::size_t(count), look);
    }
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
    for (Column& column : mCells) {
        column.texts.insert(column.texts.end(), std::size_t(count), 0);
        column.looks.insert(column.looks.end(), std::size_t(count), 0);
    }
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
    Column pattern;
    pattern.texts.assign(std::size_t(mRows), 0);
    if (neighbour > 0)
        pattern.looks = mCells[std::size_t(neighbour - 1)].looks;
    else
        pattern.looks.assign(std::size_t(mRows), 0);
    mCells.insert(mCells.begin() + (before - 1), std::size_t(count), pattern);
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
    return mTexts.text(mCells[std::size_t(column - 1)].texts[std::size_t(row - 1)]);
}

void ReportTable::setText(int row, int column, const QString& text)
{
    if (contains(row, column))
        mCells[std::size_t(column - 1)].texts[std::size_t(row - 1)] = mTexts.add(text);
}

void ReportTable::setTextUtf8(int row, int column, QByteArrayView text)
{
    if (contains(row, column))
        mCells[std::size_t(column - 1)].texts[std::size_t(row - 1)] = mTexts.addUtf8(text);
}

TextPool::Shift ReportTable::shareTexts(const TextPool& pool)
{
    return mTexts.share(pool);
}

void ReportTable::setTextRef(int row, int column, TextPool::Ref ref)
{
    if (contains(row, column))
        mCells[std::size_t(column - 1)].texts[std::size_t(row - 1)] = ref;
}

const ReportCellStyle& ReportTable::style(int row, int column) const
{
    static const ReportCellStyle outside;
    if (!contains(row, column))
        return outside;
    return mLooks[mCells[std::size_t(column - 1)].looks[std::size_t(row - 1)]];
}

std::optional<quint16> ReportTable::lookIndex(const ReportCellStyle& look)
{
    const auto found = mLookIndex.constFind(look);
    if (found != mLookIndex.constEnd())
        return *found;
    if (mLooks.size() > 0xFFFF)
        return std::nullopt;
    const auto index = quint16(mLooks.size());
    mLooks.push_back(look);
    mLookIndex.insert(look, index);
    return index;
}

void ReportTable::setStyle(int row, int column, const ReportCellStyle& style)
{
    if (!contains(row, column))
        return;
    if (const std::optional<quint16> index = lookIndex(style))
        mCells[std::size_t(column - 1)].looks[std::size_t(row - 1)] = *index;
}

template <typename Change>
void ReportTable::restyle(int row, int column, int rows, int columns, Change change)
{
    const Span span = clampedSpan(row, column, rows, columns, mRows, mColumns);
    if (span.isEmpty())
        return;
    // The cells of a range share a few looks: each old look (with the cell's place on the
    // range's top and bottom edges) is changed once per column and its new index reused.
    std::vector<int> changed;
    for (int c = span.firstColumn; c <= span.lastColumn; ++c) {
        changed.assign(mLooks.size() * 4, -1);
        std::deque<quint16>& looks = mCells[std::size_t(c - 1)].looks;
        for (int r = span.firstRow; r <= span.lastRow; ++r) {
            quint16& index = looks[std::size_t(r - 1)];
            const bool top = r == span.firstRow;
            const bool bottom = r == span.lastRow;
            const std::size_t key = std::size_t(index) * 4 + (top ? 1 : 0) + (bottom ? 2 : 0);
            if (key < changed.size() && changed[key] >= 0) {
                index = quint16(changed[key]);
                continue;
            }
            ReportCellStyle look = mLooks[index];
            change(look, top, bottom, c == span.firstColumn, c == span.lastColumn);
            const std::optional<quint16> now = lookIndex(look);
            if (!now)
                continue;
            if (key < changed.size())
                changed[key] = *now;
            index = *now;
        }
    }
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

void ReportTable::setFontFace(int row, int column, int rows, int columns, const QString& face)
{
    restyle(row, column, rows, columns,
            [&face](ReportCellStyle& style, bool, bool, bool, bool) { style.fontFace = face; });
}

void ReportTable::setFontSize(int row, int column, int rows, int columns, int size)
{
    restyle(row, column, rows, columns,
            [size](ReportCellStyle& style, bool, bool, bool, bool) { style.fontSize = size; });
}

void ReportTable::setTextColour(int row, int column, int rows, int columns, RgbValue colour)
{
    restyle(row, column, rows, columns, [colour](ReportCellStyle& style, bool, bool, bool, bool) {
        style.textColour = colour;
    });
}

void ReportTable::setBold(int row, int column, int rows, int columns, bool bold)
{
    restyle(row, column, rows, columns,
            [bold](ReportCellStyle& style, bool, bool, bool, bool) { style.bold = bold; });
}

void ReportTable::setAlignment(int row, int column, int rows, int columns, int alignment)
{
    restyle(row, column, rows, columns,
            [alignment](ReportCellStyle& style, bool, bool, bool, bool) {
                style.alignment = alignment;
            });
}

void ReportTable::setBackground(int row, int column, int rows, int columns, RgbValue colour)
{
    restyle(row, column, rows, columns, [colour](ReportCellStyle& style, bool, bool, bool, bool) {
        style.hasBackground = true;
        style.background = colour;
    });
}

void ReportTable::setLines(int row, int column, int rows, int columns, int code, int kind)
{
    const int line = kind == 1 ? 2 : 1;
    restyle(row, column, rows, columns,
            [code, line](ReportCellStyle& look, bool top, bool bottom, bool left, bool right) {
                if ((code & LineLeft) && left)
                    look.left = line;
                if ((code & LineTop) && top)
                    look.top = line;
                if ((code & LineRight) && right)
                    look.right = line;
                if ((code & LineBottom) && bottom)
                    look.bottom = line;
                // An inner line is kept on both cells that it separates.
                if (code & LineInnerVertical) {
                    if (!left)
                        look.left = line;
                    if (!right)
                        look.right = line;
                }
                if (code & LineInnerHorizontal) {
                    if (!top)
                        look.top = line;
                    if (!bottom)
                        look.bottom = line;
                }
            });
}

ReportTable ReportTable::rowsOf(const std::vector<int>& rows) const
{
    ReportTable range;
    range.mRows = int(rows.size());
    range.mColumns = mColumns;
    range.mTexts = mTexts;
    range.mLooks = mLooks;
    range.mLookIndex = mLookIndex;
    range.mColumnWidths = mColumnWidths;
    range.mCells.resize(mCells.size());
    for (std::size_t c = 0; c < mCells.size(); ++c) {
        for (const int row : rows) {
            const bool inside = row >= 1 && row <= mRows;
            range.mCells[c].texts.push_back(inside ? mCells[c].texts[std::size_t(row - 1)] : 0);
            range.mCells[c].looks.push_back(inside ? mCells[c].looks[std::size_t(row - 1)] : 0);
        }
    }
    for (const int row : rows)
        range.mRowHeights.push_back(row >= 1 && row <= mRows ? rowHeight(row) : kTemplateRowHeight);
    return range;
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
        std::vector<QRect> tallMerges;
        for (const QRect& merged : table.merges()) {
            if (merged.height() > 1 && merged.x() <= table.columnCount() &&
                merged.x() + merged.width() - 1 >= 1)
                tallMerges.push_back(merged);
        }
        int used = headingHeight;
        int r = headingRows + 1;
        while (r <= table.rowCount()) {
            // Rows merged together (the remarks) go onto one page. A cell lies in one merged
            // range at most, so the ranges that start on this row say how far it reaches.
            int last = r;
            for (const QRect& merged : tallMerges) {
                if (merged.y() == r)
                    last = std::max(last, merged.y() + merged.height() - 1);
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
