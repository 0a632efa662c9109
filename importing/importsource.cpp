// SPDX-License-Identifier: GPL-3.0-or-later
#include "importing/importsource.h"

#include "importing/importmapping.h"
#include "printing/reportexport.h"
#include "storage/replacementfile.h"

#include <QFile>
#include <QFileInfo>

bool ImportSource::open(const QString& path, QString& failure)
{
    mPath = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = file.errorString();
        return false;
    }
    const QByteArray head = file.read(4);
    file.close();
    const bool zip = head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) || zip) {
        mKind = Kind::Workbook;
        mWorkbook = std::make_unique<XlsxWorkbook>();
        if (!mWorkbook->open(path)) {
            failure = mWorkbook->failure();
            return false;
        }
        sheet = 0;
        return true;
    }
    mKind = Kind::Csv;
    mBytes = readCsvBytes(path, failure);
    if (!failure.isEmpty())
        return false;
    encoding = detectCsvEncoding(mBytes);
    const CsvText text = decodeCsv(mBytes, encoding);
    if (!text.failure.isEmpty()) {
        failure = text.failure;
        return false;
    }
    separator = detectCsvSeparator(text.text);
    return true;
}

ReadOutcome ImportSource::read(const ReadControl& control)
{
    if (mKind == Kind::Workbook) {
        if (!mWorkbook) {
            ReadOutcome outcome;
            outcome.failure = QStringLiteral("文件未打开");
            return outcome;
        }
        return mWorkbook->readSheet(sheet, control);
    }
    const CsvText text = decodeCsv(mBytes, encoding);
    if (!text.failure.isEmpty()) {
        ReadOutcome outcome;
        outcome.failure = text.failure;
        return outcome;
    }
    return parseCsv(text.text, separator, control);
}

bool exportProblemRows(const ImportPreview& preview, const QString& path)
{
    ReportSheet sheet;
    std::vector<SheetCell> titles;
    for (int f = 0; f < kImportFieldCount; ++f)
        titles.push_back({importFieldTitle(ImportField(f)), true, 4});
    titles.push_back({QStringLiteral("问题"), true, 4});
    titles.push_back({QStringLiteral("原行号"), true, 4});
    sheet.columnCount = int(titles.size());
    sheet.rows.push_back(std::move(titles));
    for (const PreviewRow& row : preview.rows) {
        if (row.problem.isEmpty())
            continue;
        std::vector<SheetCell> cells;
        for (const QString& value : row.values)
            cells.push_back({value, false, 4});
        cells.push_back({row.problem, false, 4});
        cells.push_back({QString::number(row.fileRow), false, 6});
        sheet.rows.push_back(std::move(cells));
    }
    sheet.columnWidths = {300, 400, 200, 200, 400, 600, 200};
    sheet.headingRows = 1;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r)
        sheet.tableRows.push_back(int(r));

    // Written beside the chosen file and put in its place only when complete; the writer goes
    // before the new file does.
    ReplacementFile output(path);
    const std::unique_ptr<SheetWriter> writer = SheetWriter::make(reportFileFormatOf(path));
    if (!writer || !output.isValid() || !writer->begin(sheet, output))
        return false;
    for (int r = 0; r < int(sheet.rows.size()); ++r) {
        if (!writer->writeRow(r))
            return false;
    }
    return writer->finish() && output.commit();
}
