// SPDX-License-Identifier: GPL-3.0-or-later
// Printing a report to an Excel workbook or a CSV file: which names write a spreadsheet, the
// cells that become numbers, the CSV quoting and formula guard, a whole report with a computed
// column and the statistics row read back from both files, and progress and abort.
#include "printing/preview.h"
#include "printing/previewwindow.h"
#include "printing/printrun.h"
#include "printing/printsettingsdialog.h"
#include "printing/reportbuilder.h"
#include "printing/reportexport.h"
#include "tests/support/commalocale.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/spreadsheetfiles.h"
#include "tests/support/testdatabase.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

Q_DECLARE_METATYPE(ReportFileFormat)

namespace
{

// A stock report with everything a sheet must carry: Chinese texts, a quote, a comma, a line
// break, a leading zero, a leading "=", "-" and "@", a computed column, the statistics row, the
// serial column and remarks.
struct StockReport {
    StockReport()
    {
        list.setColumns({{QStringLiteral("产品ID"), 80, Qt::AlignLeft},
                         {QStringLiteral("产品名称"), 120, Qt::AlignLeft},
                         {QStringLiteral("产品库存"), 60, Qt::AlignRight},
                         {QStringLiteral("备注"), 120, Qt::AlignLeft}});
        list.appendRows({{"0012", "螺丝 M4", "120", "含逗号,和\"引号\""},
                         {"=1+2", "六角螺母", "7.5", "第一行\n第二行"},
                         {"-5", "垫片", "-0.25", "@备注"}});
        request.source = &list;
        request.title = QStringLiteral("库存报表");
        request.titleFont = {QStringLiteral("宋体"), QStringLiteral("0"), QStringLiteral("0"),
                             QStringLiteral("18")};
        request.dateLine = QStringLiteral("打印日期:2018年3月5日");
        request.columns = {0, 1, 2, 3};
        request.serialColumn = true;
        request.customColumns = {{QStringLiteral("两倍"), QStringLiteral("[产品库存]*2")}};
        request.totals = {QStringLiteral("二"), QStringLiteral("产品库存"), QStringLiteral("两倍")};
        request.remarks = QStringLiteral("备注：盘点,核对");
    }

    // What the sheet holds, row by row.
    static std::vector<QStringList> expectedRows()
    {
        return {{"库存报表", "", "", "", "", ""},
                {"打印日期:2018年3月5日", "", "", "", "", ""},
                {"序号", "产品ID", "产品名称", "产品库存", "备注", "两倍"},
                {"1", "0012", "螺丝 M4", "120", "含逗号,和\"引号\"", "240"},
                {"2", "=1+2", "六角螺母", "7.5", "第一行\n第二行", "15"},
                {"3", "-5", "垫片", "-0.25", "@备注", "-0.5"},
                {"统 计", "", "", "127.25", "", "254.5"},
                {"备注：盘点,核对", "", "", "", "", ""}};
    }

    ReportList list;
    PrintRequest request;
};

// A report of `rows` data rows under one heading row, paged by rowsPerPage.
std::unique_ptr<ReportTable> pagedReport(int rows, int rowsPerPage)
{
    auto report = std::make_unique<ReportTable>(ReportTable::fromTemplate());
    report->appendRows(rows + 1 - report->rowCount());
    report->setText(1, 1, QStringLiteral("产品名称"));
    report->setText(1, 2, QStringLiteral("产品库存"));
    for (int r = 2; r <= report->rowCount(); ++r) {
        report->setText(r, 1, QStringLiteral("螺丝 %1").arg(r - 1));
        report->setText(r, 2, QString::number(r * 10));
    }
    report->setFixedRows(1);
    report->printSettings().rowsPerPage = rowsPerPage;
    return report;
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QTemporaryDir& folder)
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT
private slots:
    void formatByFileName_data();
    void formatByFileName();
    void numberCells_data();
    void numberCells();
    void csvFields_data();
    void csvFields();
    void fileChooserOffersSpreadsheets();
    void reportReadsBackFromCsv();
    void reportReadsBackFromXlsx_data();
    void reportReadsBackFromXlsx();
    void workbookPrintsLikeTheReport_data();
    void workbookPrintsLikeTheReport();
    void progressByPage_data();
    void progressByPage();
    void abortLeavesNoFile_data();
    void abortLeavesNoFile();
    void fileThatCannotBeMade_data();
    void fileThatCannotBeMade();
};

void TestExport::formatByFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ReportFileFormat>("format");
    const auto row = [](const char* name, ReportFileFormat format) {
        QTest::newRow(name) << QString::fromUtf8(name) << format;
    };
    row("/tmp/库存.xlsx", ReportFileFormat::Xlsx);
    row("/tmp/A.XLSX", ReportFileFormat::Xlsx);
    row("/tmp/库存.Csv", ReportFileFormat::Csv);
    row("out.prn", ReportFileFormat::Pages);
    row("a.xlsx.prn", ReportFileFormat::Pages);
    row("/tmp/xlsx", ReportFileFormat::Pages);
    row("a.xls", ReportFileFormat::Pages);
}

void TestExport::formatByFileName()
{
    QFETCH(QString, name);
    QFETCH(ReportFileFormat, format);
    QCOMPARE(reportFileFormatOf(name), format);
}

void TestExport::numberCells_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber"); // the whole text reads as a number
    QTest::addColumn<bool>("numeric");  // it becomes a number cell
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    const auto row = [](const char* text, bool isNumber, bool numeric, double value = 0,
                        const char* format = "") {
        QTest::newRow(text) << QString::fromUtf8(text) << isNumber << numeric << value
                            << QString::fromUtf8(format);
    };
    row("12", true, true, 12, "0");
    row("-0.25", true, true, -0.25, "0.00");
    row("+10", true, true, 10, "+0");
    row("1.50", true, true, 1.5, "0.00");
    row("0.5", true, true, 0.5, "0.0");
    row("6901234567890", true, true, 6901234567890.0, "0");
    row("0.000000000000001", true, true, 1e-15, "0.000000000000000");
    row("0012", true, false);
    row("1234567890123456", true, false);
    row("1e5", true, false);
    row("-0", true, false);
    row(".5", true, false);
    row(" 7", false, false);
    row("1,5", false, false);
    row("12.5元", false, false);
    row("１２", false, false);
    row("", false, false);
    row("1e", false, false);
}

void TestExport::numberCells()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    QFETCH(QString, format);
    QCOMPARE(isNumberText(text), isNumber);
    const std::optional<SheetNumber> number = sheetNumberOf(text);
    QCOMPARE(number.has_value(), numeric);
    if (number) {
        QCOMPARE(number->value, value);
        QCOMPARE(number->format, format);
        // The format shows the number as the text it came from.
        XlsxCell cell;
        cell.isNumber = true;
        cell.number = number->value;
        cell.numberFormat = number->format;
        QCOMPARE(cell.shown(), text);
    }
}

void TestExport::csvFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    const auto row = [](const char* name, const char* text, const char* field) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(field);
    };
    row("Chinese", "螺丝", "螺丝");
    row("comma", "a,b", "\"a,b\"");
    row("quotes", "说\"好\"", "\"说\"\"好\"\"\"");
    row("line break", "一\r\n二", "\"一\r\n二\"");
    row("formula", "=SUM(A1:A9)", "'=SUM(A1:A9)");
    row("at sign", "@cmd", "'@cmd");
    row("plus text", "+1+1", "'+1+1");
    row("minus text", "-3abc", "'-3abc");
    row("negative number", "-3", "-3");
    row("signed number", "+10", "+10");
    row("apostrophe before a sign", "'=x", "''=x");
    row("apostrophe before a number", "'-3", "''-3");
    row("formula with a comma", "=A1,B1", "\"'=A1,B1\"");
    row("leading zero", "0012", "0012");
    row("tab before a formula", "\t=1+2", "'\t=1+2");
    row("carriage return", "\r=HYPERLINK(1)", "\"'\r=HYPERLINK(1)\"");
    row("apostrophe before a tab", "'\tx", "''\tx");
}

void TestExport::csvFields()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(csvField(text), field);
    // A line of the field between two others reads back as the text.
    std::vector<QStringList> records;
    QVERIFY(parseCsv(csvLine({"a", text, "b"}) + QStringLiteral("\r\n"), records));
    QCOMPARE(int(records.size()), 1);
    QCOMPARE(records[0].size(), 3);
    QCOMPARE(unguardedCsvText(records[0][1]), text);
}

void TestExport::fileChooserOffersSpreadsheets()
{
    TestEnvironment env;
    ReportPrintSettings settings;
    settings.printToFile = true;
    PrintSettingsDialog dialog(env.context(), settings);
    env.dialogs().answerSaveFile(QStringLiteral("/tmp/月报.xlsx"));
    dialog.findChild<QPushButton*>(QStringLiteral("按钮_选择文件"))->click();
    QCOMPARE(env.dialogs().saveFileFilters(),
             QStringList{QStringLiteral("打印输出文件 (*.prn);;所有文件 (*.*);;PDF 文件 (*.pdf);;"
                                        "Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)")});
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("编辑框_文件名"))->text(),
             QStringLiteral("/tmp/月报.xlsx"));
    // The name is completed with the suffix of the filter chosen, the default for every file.
    const QStringList suffixes = {"prn", "", "pdf", "xlsx", "csv"};
    for (int i = 0; i < printFileFilters().size(); ++i)
        QCOMPARE(nameFilterSuffix(printFileFilters().at(i)), suffixes.at(i));
}

void TestExport::reportReadsBackFromCsv()
{
    StockReport stock;
    TestEnvironment env;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("库存报表.csv"));
    // Printed from the preview with the file name typed in its print settings dialog.
    std::unique_ptr<PreviewWindow> preview(
        static_cast<PreviewWindow*>(openPrintPreview(env.context(), buildReport(stock.request))));
    preview->setDialogRunner([&path](QDialog& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("选择框_打印到文件"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("编辑框_文件名"))->setText(path);
        dialog.findChild<QPushButton*>(QStringLiteral("按钮_确认"))->click();
        return dialog.result();
    });
    QTest::mouseClick(preview->findChild<QPushButton*>(QStringLiteral("按钮_打印")),
                      Qt::LeftButton);
    QVERIFY(env.dialogs().shown().isEmpty());
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("库存报表.csv")});

    const QByteArray bytes = fileContent(path);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.endsWith("\r\n"));
    std::vector<QStringList> records;
    QVERIFY(parseCsv(QString::fromUtf8(bytes.mid(3)), records));
    // The formula guard is in the file, not in what a spreadsheet shows.
    QCOMPARE(records.at(4).at(1), QStringLiteral("'=1+2"));
    QCOMPARE(records.at(5).at(1), QStringLiteral("-5"));
    for (QStringList& record : records)
        for (QString& field : record)
            field = unguardedCsvText(field);
    QCOMPARE(records, StockReport::expectedRows());
}

void TestExport::reportReadsBackFromXlsx_data()
{
    QTest::addColumn<bool>("commaDesktop");
    QTest::newRow("C locale") << false;
    // A German desktop writes 7.5 as "7,5": the file must not.
    QTest::newRow("comma-decimal desktop") << true;
}

void TestExport::reportReadsBackFromXlsx()
{
    QFETCH(bool, commaDesktop);
    std::optional<CommaDecimalLocale> german;
    if (commaDesktop && !german.emplace().isActive())
        QSKIP("no comma-decimal locale could be made on this system");
    StockReport stock;
    TestEnvironment env;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("库存报表.xlsx"));
    std::unique_ptr<ReportTable> report = buildReport(stock.request);
    report->printSettings().printToFile = true;
    report->printSettings().fileName = path;
    PrintRun run(env.context(), nullptr, *report);
    QVERIFY(run.run());
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("库存报表.xlsx")});

    const XlsxSheet sheet = readXlsx(path);
    QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
    QCOMPARE(sheet.name, QStringLiteral("报表"));
    QCOMPARE(sheet.shownRows(), StockReport::expectedRows());

    // Numbers are number cells shown with their texts; a code with a leading zero, a text with a
    // leading "=" and the statistics label are strings.
    const auto cell = [&sheet](int row, int column) {
        const XlsxCell* found = sheet.cell(row, column);
        if (!found)
            qFatal("no cell %d,%d", row, column);
        return *found;
    };
    for (const auto& [row, column] : std::vector<std::pair<int, int>>{
             {3, 0}, {3, 3}, {4, 3}, {5, 1}, {5, 3}, {5, 5}, {6, 3}, {6, 5}})
        QVERIFY2(cell(row, column).isNumber, qPrintable(cell(row, column).text));
    QCOMPARE(cell(5, 3).number, -0.25);
    QCOMPARE(cell(6, 3).number, 127.25);
    for (const auto& [row, column] :
         std::vector<std::pair<int, int>>{{3, 1}, {4, 1}, {5, 4}, {6, 0}, {2, 5}})
        QVERIFY2(!cell(row, column).isNumber, qPrintable(cell(row, column).text));

    // The title bold and merged over the columns, the date line and remarks merged, the rows down
    // to the column titles frozen, the column widths as the report's.
    QVERIFY(cell(0, 0).bold);
    QVERIFY(cell(2, 2).bold);
    QVERIFY(!cell(3, 2).bold);
    QCOMPARE(cell(3, 3).horizontalAlignment, QStringLiteral("right"));
    QCOMPARE(sheet.merges, QStringList({"A1:F1", "A2:F2", "A8:F8"}));
    QCOMPARE(sheet.frozenRows, 3);
    QCOMPARE(int(sheet.columnWidths.size()), 6);
    // 130 units of the serial column against the list's 120 pixels x 3.3 of 产品名称.
    QVERIFY(sheet.columnWidths.at(0) < sheet.columnWidths.at(3));
    QVERIFY(qAbs(sheet.columnWidths.at(2) - 2 * sheet.columnWidths.at(3)) < 1.0);
    QVERIFY(sheet.columnWidths.at(2) > 18 && sheet.columnWidths.at(2) < 24);
}

void TestExport::workbookPrintsLikeTheReport_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("minPages");
    QTest::addColumn<int>("maxPages");
    // Six rows of seven columns went onto three sheets of paper, a column or two on each.
    QTest::newRow("6 rows: one page") << 6 << 1 << 1;
    QTest::newRow("150 rows: pages down, one wide") << 150 << 2 << 10;
}

void TestExport::workbookPrintsLikeTheReport()
{
    QFETCH(int, rows);
    QFETCH(int, minPages);
    QFETCH(int, maxPages);
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (soffice.isEmpty() || pdftotext.isEmpty())
        QSKIP("LibreOffice (Debian libreoffice-calc-nogui) or pdftotext is missing: the exported "
              "workbook is not printed");
    // A 7-column stock list long enough for several pages.
    ReportList list;
    QList<ReportColumn> columns;
    const QStringList titles = {"入库单号", "产品ID", "产品名称", "产品库存",
                                "产品单位", "备注",   "入库人员"};
    for (const QString& title : titles)
        columns.append({title, 120, Qt::AlignLeft});
    list.setColumns(columns);
    std::vector<QStringList> lines;
    for (int r = 1; r <= rows; ++r)
        lines.push_back({QStringLiteral("rk%1").arg(r), QStringLiteral("ID%1").arg(r),
                         QStringLiteral("螺丝 %1").arg(r), QString::number(r), QStringLiteral("个"),
                         QStringLiteral("无"), QStringLiteral("admin")});
    list.appendRows(std::move(lines));
    PrintRequest request;
    request.source = &list;
    request.title = QStringLiteral("库存报表");
    request.titleFont = {QStringLiteral("宋体"), QStringLiteral("0"), QStringLiteral("0"),
                         QStringLiteral("18")};
    request.dateLine = QStringLiteral("打印日期:2018年3月5日");
    request.columns = {0, 1, 2, 3, 4, 5, 6};
    request.landscape = false;
    TestEnvironment env;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("stock.xlsx"));
    std::unique_ptr<ReportTable> report = buildReport(request);
    report->printSettings().printToFile = true;
    report->printSettings().fileName = path;
    PrintRun run(env.context(), nullptr, *report);
    QVERIFY(run.run());

    QProcess convert;
    convert.start(soffice,
                  {QStringLiteral("-env:UserInstallation=file://") +
                       folder.filePath(QStringLiteral("profile")),
                   QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                   QStringLiteral("pdf"), QStringLiteral("--outdir"), folder.path(), path});
    QVERIFY(convert.waitForFinished(180000));
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), folder.filePath(QStringLiteral("stock.pdf")),
                           QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput())
                                  .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    // Several pages down, one page wide: every page shows every column title, and the rows of
    // one page carry all their columns.
    QVERIFY2(pages.size() >= minPages && pages.size() <= maxPages,
             qPrintable(QString::number(pages.size())));
    for (const QString& page : pages) {
        if (page.trimmed().isEmpty())
            continue;
        for (const QString& title : titles)
            QVERIFY2(page.contains(title),
                     qPrintable(title + QStringLiteral(" missing on a page")));
    }
    QVERIFY(pages.join(QString()).contains(QStringLiteral("螺丝 %1").arg(rows)));
    QVERIFY(pages.last().contains(QStringLiteral("admin")));
}

void TestExport::progressByPage_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("xlsx") << "清单.xlsx";
    QTest::newRow("csv") << "清单.csv";
}

void TestExport::progressByPage()
{
    QFETCH(QString, name);
    TestEnvironment env;
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    std::unique_ptr<ReportTable> report = pagedReport(25, 10);
    report->printSettings().printToFile = true;
    report->printSettings().fileName = path;
    report->printSettings().copies = 2;
    QWidget owner;
    PrintRun run(env.context(), &owner, *report);
    QStringList texts;
    QList<int> bar;
    run.setProgressObserver([&](const QString& text, int percent) {
        texts.append(text);
        bar.append(percent);
        auto* box = owner.findChild<PrintProgressBox*>();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->text(), text);
    });
    QVERIFY(run.run());
    // One file holds one copy: three pages of ten, ten and five rows.
    const QString target = QStringLiteral("文件: ") + path;
    QCOMPARE(texts, QStringList({"正在打印第 1/1 份 1/3 页到 " + target + " ",
                                 "正在打印第 1/1 份 2/3 页到 " + target + " ",
                                 "正在打印第 1/1 份 3/3 页到 " + target + " "}));
    QCOMPARE(bar, (QList<int>{33, 66, 100}));
    QVERIFY(env.dialogs().shown().isEmpty());

    std::vector<QStringList> rows;
    if (reportFileFormatOf(path) == ReportFileFormat::Csv) {
        QVERIFY(parseCsv(QString::fromUtf8(fileContent(path).mid(3)), rows));
    } else {
        const XlsxSheet sheet = readXlsx(path);
        QCOMPARE(sheet.frozenRows, 1);
        rows = sheet.shownRows();
    }
    QCOMPARE(int(rows.size()), 26);
    QCOMPARE(rows.front(), QStringList({"产品名称", "产品库存"}));
    QCOMPARE(rows.back(), QStringList({"螺丝 25", "260"}));
}

void TestExport::abortLeavesNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("new xlsx") << "清单.xlsx" << QByteArray();
    QTest::newRow("xlsx being replaced") << "清单.xlsx" << QByteArray("last month's list");
    QTest::newRow("new csv") << "清单.csv" << QByteArray();
    QTest::newRow("csv being replaced") << "清单.csv" << QByteArray("last month's list");
}

void TestExport::abortLeavesNoFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, before);
    TestEnvironment env;
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    if (!before.isEmpty()) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(before);
    }
    std::unique_ptr<ReportTable> report = pagedReport(25, 10);
    report->printSettings().printToFile = true;
    report->printSettings().fileName = path;
    QWidget owner;
    PrintRun run(env.context(), &owner, *report);
    int pages = 0;
    run.setProgressObserver([&](const QString&, int) {
        if (++pages == 2)
            owner.findChild<PrintProgressBox*>()->findChild<QPushButton*>()->click();
    });
    QVERIFY(!run.run());
    QCOMPARE(pages, 2);
    QVERIFY(env.dialogs().shown().isEmpty());
    QCOMPARE(filesIn(folder), before.isEmpty() ? QStringList() : QStringList{name});
    if (!before.isEmpty())
        QCOMPARE(fileContent(path), before);
}

void TestExport::fileThatCannotBeMade_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("xlsx") << "没有的文件夹/清单.xlsx";
    QTest::newRow("csv") << "没有的文件夹/清单.csv";
}

void TestExport::fileThatCannotBeMade()
{
    QFETCH(QString, name);
    TestEnvironment env;
    QTemporaryDir folder;
    std::unique_ptr<ReportTable> report = pagedReport(5, 0);
    report->printSettings().printToFile = true;
    report->printSettings().fileName = folder.filePath(name);
    PrintRun run(env.context(), nullptr, *report);
    env.dialogs().answerMessage();
    QVERIFY(!run.run());
    QCOMPARE(env.dialogs().texts(), QStringList{QStringLiteral("创建打印作业失败")});
    QCOMPARE(env.dialogs().last().icon, MessageIcon::Error);
    QVERIFY(filesIn(folder).isEmpty());
}

QTEST_MAIN(TestExport)
#include "test_export.moc"
