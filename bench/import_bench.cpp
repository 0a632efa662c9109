// SPDX-License-Identifier: GPL-3.0-or-later
// Importing 100,000 rows from an Excel workbook: reading the sheet and building the preview, then
// the import transaction on the file backend.
//   import_bench [ROWS]     (default 100000)
// The workbook (shared strings, number cells, as spreadsheet programs write them) is made with
// QuaZip before the timings; each figure is the median of several runs, each import into a new
// database.
#include "bench/benchsupport.h"
#include "core/clock.h"
#include "core/context.h"
#include "importing/importmapping.h"
#include "importing/previewmodel.h"
#include "importing/stockimport.h"
#include "importing/xlsxreader.h"
#include "storage/database.h"
#include "storage/newdatabase.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

constexpr int kImportRuns = 5;

bool addPart(QuaZip& zip, const QString& name, const QByteArray& bytes)
{
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name)))
        return false;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.getZipError() == 0;
}

bool writeWorkbook(const QString& path, int rows)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    QByteArray strings = "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/"
                         "spreadsheetml/2006/main\">";
    QByteArray sheet =
        "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/"
        "spreadsheetml/2006/main\"><sheetData>";
    const QStringList titles = {QStringLiteral("产品ID"), QStringLiteral("产品名称"),
                                QStringLiteral("入库数量"), QStringLiteral("产品单位"),
                                QStringLiteral("备注")};
    int next = 0;
    const auto shared = [&](const QString& text) {
        strings += "<si><t>" + text.toHtmlEscaped().toUtf8() + "</t></si>";
        return next++;
    };
    const char* columns = "ABCDE";
    sheet += "<row r=\"1\">";
    for (int c = 0; c < 5; ++c)
        sheet += QStringLiteral("<c r=\"%1%2\" t=\"s\"><v>%3</v></c>")
                     .arg(QChar::fromLatin1(columns[c]))
                     .arg(1)
                     .arg(shared(titles[c]))
                     .toUtf8();
    sheet += "</row>";
    const int box = shared(QStringLiteral("盒"));
    const int none = shared(QStringLiteral("无"));
    for (int r = 2; r <= rows + 1; ++r) {
        const QStringList lot = sampleLot(r);
        sheet +=
            QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"s\"><v>%2</v></c>"
                           "<c r=\"B%1\" t=\"s\"><v>%3</v></c><c r=\"C%1\"><v>%4</v></c>"
                           "<c r=\"D%1\" t=\"s\"><v>%5</v></c><c r=\"E%1\" t=\"s\"><v>%6</v></c>"
                           "</row>")
                .arg(r)
                .arg(shared(lot[1]))
                .arg(shared(lot[2]))
                .arg(r % 50 + 1)
                .arg(box)
                .arg(none)
                .toUtf8();
    }
    strings += "</sst>";
    sheet += "</sheetData></worksheet>";
    const QByteArray book =
        "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
        "2006/main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships\"><sheets><sheet name=\"库存\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
        "</workbook>";
    const QByteArray rels =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
        "2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
        "officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
    const bool ok = addPart(zip, QStringLiteral("xl/workbook.xml"), book) &&
                    addPart(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), rels) &&
                    addPart(zip, QStringLiteral("xl/sharedStrings.xml"), strings) &&
                    addPart(zip, QStringLiteral("xl/worksheets/sheet1.xml"), sheet);
    zip.close();
    return ok && zip.getZipError() == 0;
}

double msSince(qint64 startNs)
{
    return double(nowNs() - startNs) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    const QString workbook = dir.filePath(QStringLiteral("stock.xlsx"));
    if (!writeWorkbook(workbook, rows)) {
        std::fprintf(stderr, "cannot write the workbook\n");
        return 1;
    }

    std::vector<double> reading;
    ImportPreview preview;
    for (int run = 0; run < kRuns; ++run) {
        const qint64 start = nowNs();
        XlsxWorkbook book;
        if (!book.open(workbook))
            return 1;
        ReadOutcome outcome = book.readSheet(0);
        if (!outcome.ok())
            return 1;
        const int titleRow = detectTitleRow(outcome.sheet);
        preview = buildPreview(outcome.sheet, titleRow, autoMapping(outcome.sheet, titleRow),
                               QStringLiteral("个"));
        PreviewModel model;
        model.setPreview(preview);
        reading.push_back(msSince(start));
    }
    if (preview.importable != rows) {
        std::fprintf(stderr, "%d of %d rows importable\n", preview.importable, rows);
        return 1;
    }

    std::vector<double> importing;
    for (int run = 0; run < kImportRuns; ++run) {
        const QString folder = dir.filePath(QStringLiteral("db%1").arg(run));
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/datalx.mdb");
        if (!createDatabaseFile(path).isEmpty())
            return 1;
        QuietDialogs dialogs;
        FixedClock clock(QDateTime(QDate(2018, 3, 5), QTime(9, 7, 2)));
        AppContext context(dialogs, clock, folder);
        if (!context.database().NewOpenDatabase(path))
            return 1;
        context.setSessionUser(QStringLiteral("admin"));
        StockImport import(context, preview);
        const qint64 start = nowNs();
        if (!import.run()) {
            std::fprintf(stderr, "%s\n", qPrintable(import.failure()));
            return 1;
        }
        importing.push_back(msSince(start));
        context.database().CloseDatabase();
    }
    const QString count = QString::number(rows);
    printFigure(
        QStringLiteral("import of %1 rows from an .xlsx: reading and preview (wall)").arg(count),
        QStringLiteral("goal ≤ 3000 ms"), QString::asprintf("%.0f ms", median(reading)));
    printFigure(QStringLiteral("import of %1 rows from an .xlsx: the import transaction, file "
                               "backend (wall)")
                    .arg(count),
                QStringLiteral("goal ≤ 5000 ms"), QString::asprintf("%.0f ms", median(importing)));
    return 0;
}
