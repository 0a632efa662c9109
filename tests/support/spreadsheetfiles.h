// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <utility>
#include <vector>

// Reading back the spreadsheet files the application writes, independently of how it writes
// them: a CSV parser after RFC 4180, and an Excel workbook opened with the unzip program and read
// from its sheet, shared strings and styles.

// The records of a CSV text (fields unquoted, doubled quotes made single, line breaks inside
// quotes kept). False when the text breaks the format: a quote inside an unquoted field, text
// after a closing quote, an unclosed quote, or a record ended by anything but CR LF.
bool parseCsv(const QString& text, std::vector<QStringList>& records);
// The text a spreadsheet shows for a guarded CSV field: one apostrophe dropped where apostrophes
// precede "=", "+", "-" or "@".
QString unguardedCsvText(const QString& field);

struct XlsxCell {
    QString text; // a string cell's text, or a number cell's value as written
    bool isNumber = false;
    double number = 0;
    QString numberFormat; // "General" or the format code
    bool bold = false;
    QString horizontalAlignment; // "" (general), "left", "center", "right"

    // What a spreadsheet shows: the string, or the number through its format ("0", "0.00",
    // "+0", General).
    QString shown() const;
};

struct XlsxSheet {
    QString error; // empty when the workbook was read
    QString name;
    std::map<std::pair<int, int>, XlsxCell> cells; // (row, column) from 0
    QStringList merges;                            // "A1:E1"
    int frozenRows = 0;
    std::map<int, double> columnWidths; // column from 0: width in characters
    int rowCount() const;
    int columnCount() const;
    const XlsxCell* cell(int row, int column) const;
    // Every row's shown texts, as wide as the widest row.
    std::vector<QStringList> shownRows() const;
};

// The first sheet of the workbook.
XlsxSheet readXlsx(const QString& path);
// One part of a zip file, by the unzip program (empty when it is missing).
QByteArray unzipPart(const QString& zipPath, const QString& part);
