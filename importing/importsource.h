// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "importing/csvreader.h"
#include "importing/importmapping.h"
#include "importing/xlsxreader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// The file an import reads: an Excel workbook (by its name .xlsx, or by its content a zip file)
// with the sheet chosen, or a CSV file with its encoding and separator. Opening and reading may
// run on a worker thread, one call at a time.
class ImportSource
{
public:
    enum class Kind { Workbook, Csv };

    // Opens the file and detects what can be detected (a CSV file's encoding and separator); a
    // failure text (the reason after "文件无法读取：") when it cannot be read.
    bool open(const QString& path, QString& failure);
    Kind kind() const { return mKind; }
    const QString& path() const { return mPath; }

    QStringList sheetNames() const { return mWorkbook ? mWorkbook->sheetNames() : QStringList(); }
    int sheet = 0;
    CsvEncoding encoding = CsvEncoding::Utf8;
    QChar separator = QLatin1Char(',');

    // Reads the rows with the settings above.
    ReadOutcome read(const ReadControl& control = {});

private:
    Kind mKind = Kind::Csv;
    QString mPath;
    std::unique_ptr<XlsxWorkbook> mWorkbook;
    QByteArray mBytes;
};

// Writes the rows of the preview that have problems, with their values, their problem and their
// row in the file, to an .xlsx or .csv file (by its name) that imports again once fixed.
bool exportProblemRows(const ImportPreview& preview, const QString& path);
