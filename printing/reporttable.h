// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printrequest.h"

#include <QRect>
#include <QString>

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
};

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
    // Outside the table: the default style, and a scratch style whose changes are dropped.
    const ReportCellStyle& style(int row, int column) const;
    ReportCellStyle& style(int row, int column);

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

private:
    struct Cell {
        QString text;
        ReportCellStyle style;
    };
    Cell& cell(int row, int column);
    const Cell& cell(int row, int column) const;
    bool contains(int row, int column) const;

    int mRows = 0;
    int mColumns = 0;
    std::vector<std::vector<Cell>> mCells; // [row - 1][column - 1]
    std::vector<int> mRowHeights;
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
