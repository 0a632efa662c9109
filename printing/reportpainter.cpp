// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/reportpainter.h"

#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace
{

// Room between a cell's edge and its text, in table units.
constexpr double kTextPaddingX = 10;
constexpr double kTextPaddingY = 5;
// The page number: its height, and its distance from the printable area.
constexpr int kPageNumberHeight = 40;
constexpr int kPageNumberDistance = 40;
// Dots of a dotted line, in table units.
constexpr double kDotLength = 3;

Qt::Alignment alignmentOf(int code)
{
    if (code < 1 || code > 9)
        code = 4;
    const int column = (code - 1) % 3;
    const int row = (code - 1) / 3;
    const Qt::Alignment horizontal =
        column == 0 ? Qt::AlignLeft : (column == 1 ? Qt::AlignHCenter : Qt::AlignRight);
    const Qt::Alignment vertical =
        row == 0 ? Qt::AlignTop : (row == 1 ? Qt::AlignVCenter : Qt::AlignBottom);
    return horizontal | vertical;
}

// The size of one device pixel in the painter's units, across and down.
QPointF devicePixel(const QPainter& painter)
{
    const QTransform transform = painter.combinedTransform();
    const double across = std::hypot(transform.m11(), transform.m12());
    const double down = std::hypot(transform.m21(), transform.m22());
    return {across > 0 ? 1 / across : 1, down > 0 ? 1 / down : 1};
}

// Fills a rectangle at least one device pixel wide and high, so that the thin black rules of a
// report (one unit, a tenth of a millimetre) stay visible at small scales.
void fillVisible(QPainter& painter, QRectF rect, const QColor& colour)
{
    const QPointF pixel = devicePixel(painter);
    if (rect.width() < pixel.x())
        rect.setWidth(pixel.x());
    if (rect.height() < pixel.y())
        rect.setHeight(pixel.y());
    painter.fillRect(rect, colour);
}

} // namespace

QColor reportColour(RgbValue value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QString pageNumberText(int number)
{
    return QStringLiteral("第 %1 页").arg(number);
}

namespace
{

// One drawn row of a page: a table row at a height, or a blank copy of one.
struct Slot {
    int row = 0;
    double top = 0;
    double height = 0;
    bool blank = false; // a copy of the row filling the last page: its look without its texts
};

// A cell or merged range as drawn on one page: its rectangle, its first and last columns, the
// first and last of the page's drawn rows it covers, and the cell whose text and look it shows.
struct Block {
    QRectF rect;
    int firstColumn = 0;
    int lastColumn = 0;
    std::size_t firstSlot = 0;
    std::size_t lastSlot = 0;
    int anchorRow = 0;
    int anchorColumn = 0;
    bool blank = false;
};

} // namespace

ReportPainter::ReportPainter(const ReportTable& table, const ReportLayout& layout)
    : mTable(table), mLayout(layout)
{
    mColumnLeft.assign(std::size_t(table.columnCount() + 2), 0);
    for (int c = 1; c <= table.columnCount(); ++c)
        mColumnLeft[std::size_t(c + 1)] = mColumnLeft[std::size_t(c)] + table.columnWidth(c);
}

namespace
{

std::vector<Slot> slotsOf(const ReportTable& table, const ReportLayout& layout, int page)
{
    const std::vector<int>& rows = layout.pages[std::size_t(page)].rows;
    const ReportPrintSettings& settings = table.printSettings();
    const int headings = std::clamp(table.fixedRows(), 0, table.rowCount());

    // The last page may be filled up with blank copies of its last body row that is neither a
    // thin rule nor part of rows merged together; the rows after it move down.
    int repeated = -1;
    int copies = 0;
    if (settings.repeatLastRow && page + 1 == int(layout.pages.size())) {
        int used = 0;
        for (const int row : rows)
            used += table.rowHeight(row);
        for (int i = int(rows.size()) - 1; i >= 0 && rows[std::size_t(i)] > headings; --i) {
            const int row = rows[std::size_t(i)];
            bool mergedDown = false;
            for (const QRect& merged : table.merges())
                mergedDown = mergedDown ||
                             (merged.height() > 1 && merged.top() <= row && row <= merged.bottom());
            if (table.rowHeight(row) > 1 && !mergedDown) {
                repeated = i;
                copies = std::max(0, layout.printableTableHeight() - used) / table.rowHeight(row);
                break;
            }
        }
    }

    std::vector<Slot> drawn;
    double top = 0;
    for (int i = 0; i < int(rows.size()); ++i) {
        const int row = rows[std::size_t(i)];
        const double height = table.rowHeight(row);
        drawn.push_back({row, top, height, false});
        top += height;
        if (i == repeated) {
            for (int copy = 0; copy < copies; ++copy) {
                drawn.push_back({row, top, height, true});
                top += height;
            }
        }
    }
    return drawn;
}

std::vector<Block> blocksOf(const ReportTable& table, const std::vector<int>& columnLeft,
                            const std::vector<Slot>& drawn)
{
    std::vector<Block> blocks;
    const auto inRows = [](const QRect& span, int row) {
        return span.top() <= row && row <= span.bottom();
    };
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const auto& slot = drawn[i];
        int column = 1;
        while (column <= table.columnCount()) {
            const QRect span = table.spanOf(slot.row, column);
            const int lastColumn = std::max(column, span.right());
            const bool mergedDown = span.height() > 1 && !slot.blank;
            // Rows merged together are drawn once, from their first row on the page.
            if (mergedDown && i > 0 && !drawn[i - 1].blank && inRows(span, drawn[i - 1].row)) {
                column = lastColumn + 1;
                continue;
            }
            std::size_t lastSlot = i;
            double height = slot.height;
            while (mergedDown && lastSlot + 1 < drawn.size() && !drawn[lastSlot + 1].blank &&
                   inRows(span, drawn[lastSlot + 1].row)) {
                ++lastSlot;
                height += drawn[lastSlot].height;
            }
            Block block;
            const double left = columnLeft[std::size_t(column)];
            block.rect =
                QRectF(left, slot.top, columnLeft[std::size_t(lastColumn + 1)] - left, height);
            block.firstColumn = column;
            block.lastColumn = lastColumn;
            block.firstSlot = i;
            block.lastSlot = lastSlot;
            block.anchorRow = span.height() > 1 ? span.top() : slot.row;
            block.anchorColumn = span.left();
            block.blank = slot.blank;
            blocks.push_back(block);
            column = lastColumn + 1;
        }
    }
    return blocks;
}

void paintBackgrounds(QPainter& painter, const ReportTable& table, const std::vector<Block>& blocks)
{
    for (const Block& block : blocks) {
        const ReportCellStyle& look = table.style(block.anchorRow, block.anchorColumn);
        if (look.hasBackground)
            fillVisible(painter, block.rect, reportColour(look.background));
    }
}

void paintTexts(QPainter& painter, const ReportTable& table, const std::vector<Block>& blocks)
{
    for (const Block& block : blocks) {
        if (block.blank)
            continue;
        const QString text = table.text(block.anchorRow, block.anchorColumn);
        if (text.isEmpty())
            continue;
        const ReportCellStyle& look = table.style(block.anchorRow, block.anchorColumn);
        QFont font(look.fontFace);
        font.setPixelSize(std::max(1, look.fontSize));
        font.setBold(look.bold);
        font.setHintingPreference(QFont::PreferNoHinting);
        painter.setFont(font);
        painter.setPen(reportColour(look.textColour));
        const Qt::Alignment alignment = alignmentOf(look.alignment);
        int flags = int(alignment);
        // Text from the top of a cell (the remarks) wraps at the cell's width.
        if (alignment & Qt::AlignTop)
            flags |= Qt::TextWordWrap;
        // drawText clips to the rectangle: a text never runs over its neighbours.
        painter.drawText(
            block.rect.adjusted(kTextPaddingX, kTextPaddingY, -kTextPaddingX, -kTextPaddingY),
            flags, text);
    }
}

void paintLines(QPainter& painter, const ReportTable& table, const std::vector<int>& columnLeft,
                const std::vector<Slot>& drawn, const std::vector<Block>& blocks)
{
    const QPointF pixel = devicePixel(painter);
    const double width = std::max({1.0, pixel.x(), pixel.y()});
    QPen solid(Qt::black, width, Qt::SolidLine, Qt::FlatCap);
    QPen dotted = solid;
    const double dot = std::max(kDotLength, width) / width;
    dotted.setDashPattern({dot, dot});
    const bool gridEverywhere = table.printSettings().autoGridLines;

    const auto draw = [&](int kind, const QLineF& line) {
        if (kind == 0 && gridEverywhere)
            kind = 1;
        if (kind == 0)
            return;
        painter.setPen(kind == 2 ? dotted : solid);
        painter.drawLine(line);
    };
    for (const Block& block : blocks) {
        const QRectF& rect = block.rect;
        for (std::size_t s = block.firstSlot; s <= block.lastSlot; ++s) {
            const Slot& slot = drawn[s];
            const double bottom = slot.top + slot.height;
            draw(table.style(slot.row, block.firstColumn).left,
                 QLineF(rect.left(), slot.top, rect.left(), bottom));
            draw(table.style(slot.row, block.lastColumn).right,
                 QLineF(rect.right(), slot.top, rect.right(), bottom));
        }
        const int topRow = drawn[block.firstSlot].row;
        const int bottomRow = drawn[block.lastSlot].row;
        for (int c = block.firstColumn; c <= block.lastColumn; ++c) {
            const double left = columnLeft[std::size_t(c)];
            const double right = columnLeft[std::size_t(c + 1)];
            draw(table.style(topRow, c).top, QLineF(left, rect.top(), right, rect.top()));
            draw(table.style(bottomRow, c).bottom,
                 QLineF(left, rect.bottom(), right, rect.bottom()));
        }
    }
}

} // namespace

void ReportPainter::paintPage(QPainter& painter, int page, bool paper) const
{
    const QRectF paperRect(QPointF(0, 0), QSizeF(mLayout.paper));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (paper)
        painter.fillRect(paperRect, Qt::white);
    painter.setClipRect(paperRect);
    if (page >= 0 && page < int(mLayout.pages.size())) {
        const std::vector<Slot> drawn = slotsOf(mTable, mLayout, page);
        const std::vector<Block> blocks = blocksOf(mTable, mColumnLeft, drawn);
        painter.save();
        painter.translate(mLayout.printable.topLeft());
        const double scale = mLayout.percent / 100.0;
        painter.scale(scale, scale);
        paintBackgrounds(painter, mTable, blocks);
        paintTexts(painter, mTable, blocks);
        paintLines(painter, mTable, mColumnLeft, drawn, blocks);
        painter.restore();
        paintPageNumber(painter, mLayout.printable, mTable.printSettings().pageNumberPosition,
                        mTable.printSettings().firstPageNumber + page);
    }
    painter.restore();
}

void ReportPainter::paintPageNumber(QPainter& painter, const QRect& printable, int position,
                                    int number)
{
    if (position < 1 || position > 6)
        return;
    const int column = (position - 1) % 3;
    const bool above = position <= 3;
    // A line of text is taller than its characters: give it room and align it on the side
    // facing the printable area.
    constexpr int kLineHeight = kPageNumberHeight * 2;
    const int top = above ? printable.top() - kPageNumberDistance - kLineHeight
                          : printable.bottom() + 1 + kPageNumberDistance;
    const QRect rect(printable.left(), top, printable.width(), kLineHeight);
    const Qt::Alignment horizontal =
        column == 0 ? Qt::AlignLeft : (column == 1 ? Qt::AlignHCenter : Qt::AlignRight);

    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(kPageNumberHeight);
    font.setHintingPreference(QFont::PreferNoHinting);
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(rect, int(horizontal | (above ? Qt::AlignBottom : Qt::AlignTop)),
                     pageNumberText(number));
    painter.restore();
}
