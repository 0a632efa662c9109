// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/reporttable.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// Printing a report to a spreadsheet file instead of onto pages: an Excel workbook (.xlsx) or a
// CSV file (.csv) holding the report's texts in its rows and columns.

enum class ReportFileFormat { Pages, Xlsx, Csv };

// What a print-to-file writes, by the file name's extension (in any letter case): .xlsx and .csv
// the spreadsheet, any other name the printed pages.
ReportFileFormat reportFileFormatOf(const QString& fileName);

struct SheetCell {
    QString text;
    bool bold = false;
    // The report's alignment code: 1 top-left, 4 middle-left, 5 middle-centre, 6 middle-right,
    // 9 bottom-right.
    int alignment = 4;
};

// A report as a sheet: the rows and columns of the table that hold its texts, in the report's
// order (title, date line, column titles, data rows with the computed columns, the totals or
// statistics row, the remarks). The black rules and edge columns, which are only drawn, are left
// out, and so are the rows that a merged range (the remarks) only covers.
struct ReportSheet {
    int columnCount = 0;
    std::vector<std::vector<SheetCell>> rows;
    std::vector<int> tableRows;    // the table row of each sheet row
    std::vector<int> columnWidths; // table units (tenths of a millimetre)
    // Merged ranges of more than one cell, in sheet coordinates from 0 (x column, y row).
    std::vector<QRect> merges;
    // Sheet rows from the top up to and including the column titles (the report's heading rows).
    int headingRows = 0;
    // The page setup the workbook carries, from the print settings: the paper in table units
    // (portrait; empty for the spreadsheet program's default) and the orientation.
    QSize paper;
    bool landscape = false;
};
ReportSheet reportSheetOf(const ReportTable& table);

// The sheet rows written for each printed page, in order, so that a spreadsheet is written with
// the progress of its pages: the heading rows go with the first page, the rows after the last
// page's rows with the last page. Every sheet row is in exactly one page.
std::vector<std::vector<int>> sheetRowsByPage(const ReportSheet& sheet,
                                              const std::vector<ReportPage>& pages);

// Whether the whole text reads as a number, in any form a spreadsheet could take as one: sign,
// digits, decimal point, exponent ("-3", "+10", ".5", "1e5"); never with blanks or other signs.
bool isNumberText(const QString& text);

// A number that a spreadsheet can hold and show with exactly the text: an optional sign, digits
// without a leading zero, an optional decimal point with digits, at most 15 significant digits.
// "12", "-0.25", "+10" and "1.50" are such numbers; "0012" (a product code), "1e5", " 7",
// "-0" and a 16-digit code are not, and stay texts.
struct SheetNumber {
    double value = 0;
    QString format; // the number format that shows the text: "0", "0.00", "+0"
};
std::optional<SheetNumber> sheetNumberOf(const QString& text);

// A cell text as a CSV file holds it before quoting: a text that a spreadsheet would take for a
// formula (it starts with "=", "+", "-", "@", a tab or a carriage return and is not a number) gets
// a leading apostrophe; so
// does a text that starts with apostrophes followed by one of those signs, so that reading back
// (dropping one apostrophe where apostrophes precede such a sign) always gives the text.
QString csvGuarded(const QString& text);
// A field of a CSV line: the guarded text, quoted when it holds a comma, a quote or a line break
// (its quotes doubled).
QString csvField(const QString& text);
// The fields joined by commas, without the line end.
QString csvLine(const QStringList& texts);

class ReplacementFile;

// Writes a sheet into a file, row by row, and completes the file at the end. The file is whole
// only after finish(); a writer dropped before leaves its file unfinished (to be removed).
class SheetWriter
{
public:
    virtual ~SheetWriter() = default;
    static std::unique_ptr<SheetWriter> make(ReportFileFormat format);

    // Starts writing into the new file; false when that fails.
    virtual bool begin(const ReportSheet& sheet, ReplacementFile& output) = 0;
    // Writes sheet row `row` (rows in ascending order).
    virtual bool writeRow(int row) = 0;
    virtual bool finish() = 0;
};
