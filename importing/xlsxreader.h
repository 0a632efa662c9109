// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "importing/sheetdata.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QuaZip;

// Reads the sheets of an Excel workbook (.xlsx): the zip container through QuaZip, each part's
// XML through QXmlStreamReader. Cells read as a spreadsheet shows them: shared and inline
// strings, numbers with their digits ("7.5" whatever the desktop's locale), TRUE and FALSE,
// formulas by their last computed value, dates as date texts, error cells marked. Hostile files
// are refused with a reason: a part inflating beyond 200 MB (counted while inflating), document
// type declarations (entity expansion), more than 200,000 rows.
class XlsxWorkbook
{
public:
    XlsxWorkbook();
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // Opens the file and reads its list of sheets; false with failure() set when it is no
    // workbook or holds no sheet.
    bool open(const QString& path);
    const QString& failure() const { return mFailure; }
    const QStringList& sheetNames() const { return mSheetNames; }

    // Reads the sheet at the index of sheetNames(). The shared strings and the cell styles are
    // read once, with the first sheet.
    ReadOutcome readSheet(int index, const ReadControl& control = {});

    // The byte limit of one part, lowered by tests.
    void setPartLimit(qint64 bytes) { mPartLimit = bytes; }

private:
    bool readRelationships();
    bool readSharedStrings(const ReadControl& control, QString& failure);
    bool readStyles(QString& failure);

    std::unique_ptr<QuaZip> mZip;
    QString mFailure;
    QStringList mSheetNames;
    QStringList mSheetParts;
    QHash<QString, QString> mWorksheetParts; // relationship id to part name
    QString mSharedStringsPart = QStringLiteral("xl/sharedStrings.xml");
    QString mStylesPart = QStringLiteral("xl/styles.xml");
    bool mDate1904 = false;
    bool mSharedRead = false;
    std::vector<QString> mSharedStrings;
    std::vector<bool> mDateStyles; // by cell style index
    qint64 mPartLimit = kMaxPartBytes;
};

// The text of a number cell's value as the sheet stores it: its own digits when they are a plain
// decimal number of at most 15 significant digits ("12", "7.5", "0.25"), else the value with
// 15 significant digits ("1.2E-3" gives "0.0012"); empty when it is no number.
QString xlsxNumberText(QStringView stored);
// A serial date number (days since 1899-12-30, or since 1904-01-01 in a 1904 workbook) as the
// program's date text "2018-3-5", with " 9:07:02" when it has a time of day.
QString xlsxDateText(double serial, bool date1904);
// Whether a number format shows a date or time: the built-in formats 14 to 22 and 45 to 47, or a
// format code with day, month, year, hour or second letters outside quotes and brackets.
bool isDateNumberFormat(int id, const QString& code);
// The column index (from 0) of a cell reference such as "C7" (-1 when it has no letters).
int xlsxColumnOf(QStringView reference);
// The column's letters for an index from 0: 0 is "A", 27 is "AB".
QString xlsxColumnName(int column);
