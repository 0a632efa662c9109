// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printrequest.h"
#include "ui/textpool.h"

#include <QHash>
#include <QRect>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

// The look of one cell of a report table. Sizes are in table units: tenths of a millimetre.
struct ReportCellStyle {
    QString fontFace = QStringLiteral("宋体");
    int fontSize = 30;
    RgbValue textColour = 0;
    bool bold = false;
    // 1 top-left, 4 middle-left, 5 middle-centre, 6 middle-right, 9 bottom-right.
    int alignment = 4;
    bool hasBackground = false;
    RgbValue background = 0xFFFFFF;
    // The four sides' lines: 0 none, 1 solid, 2 dotted.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const ReportCellStyle& other) const = default;
};
size_t qHash(const ReportCellStyle& style, size_t seed = 0);

// Line codes over a range: 1 left edge, 2 top edge, 4 right edge, 8 bottom edge (15 the whole
// frame), 16 the inner vertical lines, 32 the inner horizontal lines (48 the inner grid). Kind 0
// draws solid lines, kind 1 dotted ones.
enum ReportLineBits {
    LineLeft = 1,
    LineTop = 2,
    LineRight = 4,
    LineBottom = 8,
    LineInnerVertical = 16,
    LineInnerHorizontal = 32
};

// How the report is laid on paper and printed. Lengths in tenths of a millimetre.
struct ReportPrintSettings {
    int paper = 0; // index of the paper list: 0 the printer's default paper (A4 without printer)
    bool landscape = true;
    int marginLeft = 180;
    int marginTop = 180;
    int marginRight = 180;
    int marginBottom = 180;
    int pageNumberPosition = 0; // 0 none, 1..6 top left/centre/right, bottom left/centre/right
    int rowsPerPage = 0;        // data rows per page, 0 automatic
    // Set in the print settings dialog of the preview.
    QString printerName;
    bool printToFile = false;
    QString fileName;
    int scaling = -1;  // -1 fit to paper width, -2 shrink when wider, else a percentage
    int oddEven = 0;   // 0 all pages, 1 odd pages only, 2 even pages only
    int rangeKind = 0; // 0 all pages, 1 page range, 2 row range
    int rangeStart = 1;
    int rangeEnd = 0; // 0: to the end
    int copies = 1;
    int firstPageNumber = 1;
    bool repeatLastRow = false;
    bool autoGridLines = false;
    // The paper the printer's own settings dialog chose when it is none of the paper list's
    // (portrait, tenths of a millimetre); empty: the paper of the list.
    QSize devicePaper;
};

// A printable table: text cells addressed by row and column from 1, each with its style, merged
// ranges, row heights and column widths, a number of heading rows repeated on every page, and
// the print settings.
//
// A report of a million rows stays small: the cells are kept column by column in chunks (growing
// never moves them), each cell an 8-byte reference to its text in a TextPool (texts taken from a
// list share the list's own blocks) and the 2-byte index of its look in the table's list of the
// different looks it has; a table holds at most 65,535 different looks (a change that would make
// more leaves the cells as they were). Copies share the texts.
class ReportTable
{
public:
    // The stored template every report starts from: 4 rows by 2 columns.
    static ReportTable fromTemplate();

    int rowCount() const { return mRows; }
    int columnCount() const { return mColumns; }
    void insertRows(int before, int count);
    void appendRows(int count);
    void insertColumns(int before, int count);

    // Outside the table: an empty text, and writes that change nothing.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString& text);
    void setTextUtf8(int row, int column, QByteArrayView text);
    // Lets setTextRef name the texts of pool (shared, not copied): the returned shift turns the
    // pool's references into this table's.
    TextPool::Shift shareTexts(const TextPool& pool);
    void setTextRef(int row, int column, TextPool::Ref ref);
    // Outside the table: the default style, and writes that change nothing.
    const ReportCellStyle& style(int row, int column) const;
    void setStyle(int row, int column, const ReportCellStyle& style);

    // Range operations (first row, first column, number of rows, number of columns).
    void merge(int row, int column, int rows, int columns);
    // Merged ranges as QRect(x = first column, y = first row, width = columns, height = rows).
    const std::vector<QRect>& merges() const { return mMerges; }
    // The merged range that holds the cell, or a 1x1 range of the cell itself.
    QRect spanOf(int row, int column) const;
    void setFontFace(int row, int column, int rows, int columns, const QString& face);
    void setFontSize(int row, int column, int rows, int columns, int size);
    void setTextColour(int row, int column, int rows, int columns, RgbValue colour);
    void setBold(int row, int column, int rows, int columns, bool bold);
    void setAlignment(int row, int column, int rows, int columns, int alignment);
    void setBackground(int row, int column, int rows, int columns, RgbValue colour);
    void setLines(int row, int column, int rows, int columns, int code = 15, int kind = 0);

    int rowHeight(int row) const;
    void setRowHeight(int row, int height);
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    int totalWidth() const;

    int fixedRows() const { return mFixedRows; }
    void setFixedRows(int rows) { mFixedRows = rows; }

    ReportPrintSettings& printSettings() { return mSettings; }
    const ReportPrintSettings& printSettings() const { return mSettings; }

    // Asked at every print and export of the report (see PrintPermission).
    void setPrintPermission(PrintPermission permission) { mPermission = std::move(permission); }
    bool mayPrint(QWidget* owner) const { return !mPermission || mPermission(owner); }
    // A table of the given rows of this one (from 1, in the order given), with their texts,
    // looks and heights and the column widths; no merges, no heading rows, default settings.
    ReportTable rowsOf(const std::vector<int>& rows) const;

private:
    struct Column {
        std::deque<TextPool::Ref> texts;
        std::deque<quint16> looks; // index into mLooks
    };
    bool contains(int row, int column) const;
    // The index of the look in mLooks, added when new; none when the list is full.
    std::optional<quint16> lookIndex(const ReportCellStyle& look);
    // Changes the look of every cell in the range: change(look, firstRow, lastRow, firstColumn,
    // lastColumn) says for each cell whether it lies on the range's edges.
    template <typename Change>
    void restyle(int row, int column, int rows, int columns, Change change);

    int mRows = 0;
    int mColumns = 0;
    std::deque<Column> mCells; // [column - 1], each [row - 1]; never copied to grow
    TextPool mTexts;
    std::vector<ReportCellStyle> mLooks{ReportCellStyle()};
    QHash<ReportCellStyle, quint16> mLookIndex{{ReportCellStyle(), 0}};
    std::deque<int> mRowHeights;
    std::vector<int> mColumnWidths;
    std::vector<QRect> mMerges;
    int mFixedRows = 0;
    ReportPrintSettings mSettings;
    ReportCellStyle mScratchStyle;
    PrintPermission mPermission;
};

// Paper sizes in tenths of a millimetre (portrait) by the paper list index; 0 (the printer's
// default paper) and unknown indexes give A4.
QSize paperSize(int paper);

// One printed page: the table rows it shows, heading rows first (repeated on every page).
struct ReportPage {
    std::vector<int> rows;
};

// Splits the table into pages for the print settings: rows per page when set, otherwise as
// many rows as the printable height (in table units) holds. At least one page.
std::vector<ReportPage> paginate(const ReportTable& table, int printableHeight);
// The same with the printable height of the table's paper of the list inside its margins.
std::vector<ReportPage> paginate(const ReportTable& table);
