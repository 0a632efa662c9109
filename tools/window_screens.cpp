// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of every working window over a temporary database with a few stock lots,
// sales, loans, returns, problem records and accounts, for checking the layouts by eye, and
// prints two sample reports to PDF files (report.pdf, and report_statistics.pdf with a computed
// column and the statistics row); the statistics report is also written as report.xlsx and
// report.csv, and the workbook, read back from its file, drawn as a spreadsheet shows it
// (report_xlsx.png):
//   xvfb-run -a build-tests/bin/tarnel-window-screens /tmp/screens [default] [LINE_STYLE]
// (a second argument "default" keeps the platform's font instead of the application's; a third
// chooses the grid line style, 1 to 4, of the sample report).

#include "admin/accountwindow.h"
#include "admin/lothistorywindow.h"
#include "admin/maintenance.h"
#include "admin/recorddetailswindow.h"
#include "insights/statisticswindow.h"
#include "insights/stockalert.h"
#include "insights/stockalertwindow.h"
#include "movements/windows.h"
#include "printing/pagejumpdialog.h"
#include "printing/preview.h"
#include "printing/previewwindow.h"
#include "printing/printentry.h"
#include "printing/printrun.h"
#include "printing/printsettingsdialog.h"
#include "printing/reportbuilder.h"
#include "returns/windows.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/spreadsheetfiles.h"
#include "tests/support/testdatabase.h"
#include "tools/sampledata.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QWidget>

#include <cstdio>
#include <map>
#include <memory>

namespace
{

bool save(QWidget* window, const QDir& out, const char* name)
{
    if (!window)
        return false;
    window->show();
    QApplication::processEvents();
    const QString path = out.filePath(QString::fromLatin1(name));
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

// The print settings window over a list, the preview of a sample report of 60 lots, its print
// settings dialog, the page jump box, and the report printed to a PDF file.
bool saveReportScreens(TestEnvironment& env, const QDir& out, int lineStyle)
{
    ReportList list;
    fillSampleLotList(list);

    openPrintSettings(env.context(), nullptr, &list);
    bool ok = false;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->windowTitle() == QStringLiteral("超级列表框打印预览设置")) {
            ok = save(window, out, "printsettingswindow.png");
            delete window;
        }
    }

    const PrintRequest request = sampleReportRequest(list, lineStyle);
    auto report = buildReport(request);
    if (!report)
        return false;

    std::unique_ptr<PreviewWindow> preview(
        static_cast<PreviewWindow*>(openPrintPreview(env.context(), std::move(report))));
    preview->showNormal();
    preview->resize(1000, 800);
    ok = save(preview.get(), out, "preview.png") && ok;
    preview->zoomIn();
    preview->zoomIn();
    ok = save(preview.get(), out, "preview_zoomed.png") && ok;
    preview->nextPage();
    preview->nextPage();
    preview->fitWidth();
    ok = save(preview.get(), out, "preview_last.png") && ok;

    PrintSettingsDialog settings(env.context(), preview->report().printSettings());
    ok = save(&settings, out, "printsettings.png") && ok;
    PageJumpDialog jump(preview->pageCount());
    ok = save(&jump, out, "pagejump.png") && ok;

    // The report printed to a PDF file, to compare the printed page with the preview.
    ReportPrintSettings& printing = preview->report().printSettings();
    printing.printToFile = true;
    printing.fileName = out.filePath(QStringLiteral("report.pdf"));
    PrintRun run(env.context(), preview.get(), preview->report());
    const bool printed = run.run();
    std::printf("%s %s\n", printed ? "printed" : "FAILED", qPrintable(printing.fileName));
    return ok && printed;
}

// Draws the first sheet of a workbook, read back from its file, as a spreadsheet program shows
// it: column letters and row numbers, the column widths, merged cells, bold cells, alignments,
// number cells through their formats, and the line under the frozen rows.
bool drawWorkbook(const QString& path, const QString& picture)
{
    const XlsxSheet sheet = readXlsx(path);
    if (!sheet.error.isEmpty()) {
        std::printf("FAILED %s\n", qPrintable(sheet.error));
        return false;
    }
    const int rowHeight = 24;
    const int headerWidth = 36;
    std::vector<int> left{headerWidth};
    for (int c = 0; c < sheet.columnCount(); ++c) {
        const auto width = sheet.columnWidths.find(c);
        const double characters = width == sheet.columnWidths.end() ? 8.43 : width->second;
        left.push_back(left.back() + int(characters * 7 + 5));
    }
    const int rows = sheet.rowCount() + 2;
    QImage image(left.back() + 20, (rows + 1) * rowHeight + 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 10));
    const auto rectOf = [&](int row, int column, int rowSpan = 1, int columnSpan = 1) {
        return QRect(left[std::size_t(column)], (row + 1) * rowHeight,
                     left[std::size_t(column + columnSpan)] - left[std::size_t(column)],
                     rowSpan * rowHeight);
    };
    painter.fillRect(0, 0, image.width(), rowHeight, QColor(230, 230, 230));
    painter.fillRect(0, 0, headerWidth, image.height(), QColor(230, 230, 230));
    painter.setPen(QColor(210, 210, 210));
    for (int c = 0; c < sheet.columnCount(); ++c) {
        painter.drawText(QRect(left[std::size_t(c)], 0,
                               left[std::size_t(c + 1)] - left[std::size_t(c)], rowHeight),
                         Qt::AlignCenter, QString(QChar(u'A' + c)));
        painter.drawLine(left[std::size_t(c + 1)], 0, left[std::size_t(c + 1)], image.height());
    }
    for (int r = 0; r < rows; ++r) {
        painter.drawText(QRect(0, (r + 1) * rowHeight, headerWidth, rowHeight), Qt::AlignCenter,
                         QString::number(r + 1));
        painter.drawLine(0, (r + 2) * rowHeight, image.width(), (r + 2) * rowHeight);
    }
    // Merged ranges: one white cell over the range.
    std::map<std::pair<int, int>, QRect> merged;
    for (const QString& reference : sheet.merges) {
        const QStringList corners = reference.split(QLatin1Char(':'));
        const auto position = [](const QString& cell) {
            int column = 0;
            qsizetype i = 0;
            while (i < cell.size() && cell.at(i).isLetter())
                column = column * 26 + (cell.at(i++).unicode() - 'A' + 1);
            return std::pair<int, int>(cell.mid(i).toInt() - 1, column - 1);
        };
        const auto [top, first] = position(corners.value(0));
        const auto [bottom, last] = position(corners.value(1));
        const QRect rect = rectOf(top, first, bottom - top + 1, last - first + 1);
        painter.fillRect(rect.adjusted(1, 1, 0, 0), Qt::white);
        merged[{top, first}] = rect;
    }
    painter.setPen(Qt::black);
    for (const auto& [position, cell] : sheet.cells) {
        const auto found = merged.find(position);
        const QRect rect =
            found != merged.end() ? found->second : rectOf(position.first, position.second);
        QFont font = painter.font();
        font.setBold(cell.bold);
        painter.setFont(font);
        Qt::Alignment alignment = Qt::AlignVCenter;
        if (cell.horizontalAlignment == QLatin1String("center"))
            alignment |= Qt::AlignHCenter;
        else if (cell.horizontalAlignment == QLatin1String("right") ||
                 (cell.horizontalAlignment.isEmpty() && cell.isNumber))
            alignment |= Qt::AlignRight;
        else
            alignment |= Qt::AlignLeft;
        painter.drawText(rect.adjusted(3, 0, -3, 0), alignment, cell.shown());
    }
    if (sheet.frozenRows > 0) {
        painter.setPen(QPen(Qt::darkGray, 2));
        const int y = (sheet.frozenRows + 1) * rowHeight;
        painter.drawLine(0, y, image.width(), y);
    }
    painter.end();
    const bool saved = image.save(picture);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(picture));
    return saved;
}

// A short stock report with a computed column, twice the stock negated, and the statistics row
// over the stock and the computed column, its title in red, printed to a PDF file.
bool printStatisticsReport(TestEnvironment& env, const QDir& out)
{
    ReportList list;
    list.setColumns({{QStringLiteral("产品名称"), 140, Qt::AlignLeft},
                     {QStringLiteral("产品库存"), 70, Qt::AlignRight},
                     {QStringLiteral("产品单位"), 60, Qt::AlignHCenter}});
    list.appendRows(
        {{QStringLiteral("不锈钢螺丝 M4×20"), QStringLiteral("120"), QStringLiteral("盒")},
         {QStringLiteral("六角螺母 M4"), QStringLiteral("7.5"), QStringLiteral("千克")},
         {QStringLiteral("铜垫片"), QStringLiteral("0.1"), QStringLiteral("千克")},
         {QStringLiteral("弹簧垫圈"), QStringLiteral("0.2"), QStringLiteral("千克")},
         {QStringLiteral("活动扳手 250mm"), QStringLiteral("3"), QStringLiteral("把")}});

    PrintRequest request;
    request.source = &list;
    request.title = QStringLiteral("库存统计报表");
    request.titleFont = {QStringLiteral("宋体"), QString::number(rgbValue(200, 0, 0)),
                         QStringLiteral("1"), QStringLiteral("18")};
    request.dateLine = QStringLiteral("打印日期:2018年3月5日");
    request.columns = {0, 1, 2};
    request.serialColumn = true;
    request.customColumns = {{QStringLiteral("负两倍"), QStringLiteral("[产品库存]*-2")}};
    request.totals = {QStringLiteral("二"), QStringLiteral("产品库存"), QStringLiteral("负两倍")};
    request.remarks = QStringLiteral("备注：数量以\"千克\"计,含损耗");
    request.landscape = false;
    request.paper = 2;
    auto report = buildReport(request);
    if (!report)
        return false;
    ReportPrintSettings& printing = report->printSettings();
    printing.printToFile = true;
    bool printed = true;
    // The same report on pages, as a workbook and as a CSV file.
    for (const char* name : {"report_statistics.pdf", "report.xlsx", "report.csv"}) {
        printing.fileName = out.filePath(QString::fromLatin1(name));
        PrintRun run(env.context(), nullptr, *report);
        const bool done = run.run();
        std::printf("%s %s\n", done ? "printed" : "FAILED", qPrintable(printing.fileName));
        printed = done && printed;
    }
    return printed && drawWorkbook(out.filePath(QStringLiteral("report.xlsx")),
                                   out.filePath(QStringLiteral("report_xlsx.png")));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QDir out(arguments.value(1, QDir::tempPath()));
    QDir().mkpath(out.path());
    // The application's own font (see configureApplication).
    if (arguments.value(2) != QLatin1String("default"))
        QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));

    TestEnvironment env;
    addSampleData(env);
    bool ok = true;

    env.dialogs().answerInput(QStringLiteral("6901234567890"));
    std::unique_ptr<QWidget> stockIn(openStockInWindow(env.context()));
    if (stockIn)
        stockIn->findChild<QLineEdit*>(QStringLiteral("编辑框_名称"))
            ->setText(QStringLiteral("不锈钢螺丝 M4×20"));
    ok = save(stockIn.get(), out, "stockin.png") && ok;
    std::unique_ptr<QWidget> sales(openSalesWindow(env.context()));
    ok = save(sales.get(), out, "sales.png") && ok;
    std::unique_ptr<QWidget> stockOut(openStockOutWindow(env.context()));
    ok = save(stockOut.get(), out, "stockout.png") && ok;
    std::unique_ptr<QWidget> lending(openBorrowingWindow(env.context()));
    ok = save(lending.get(), out, "borrowing.png") && ok;

    std::unique_ptr<QWidget> salesReturns(openSalesReturnsWindow(env.context()));
    ok = save(salesReturns.get(), out, "salesreturns.png") && ok;
    std::unique_ptr<QWidget> loanReturns(openLoanReturnsWindow(env.context()));
    ok = save(loanReturns.get(), out, "loanreturns.png") && ok;
    std::unique_ptr<QWidget> problems(openProblemGoodsWindow(env.context()));
    ok = save(problems.get(), out, "problemgoods.png") && ok;

    RecordDetailsWindow details(env.context());
    ok = save(&details, out, "details_welcome.png") && ok;
    details.findChild<QTabWidget*>(QStringLiteral("高级选择夹1"))->setCurrentIndex(1);
    ok = save(&details, out, "details_stockin.png") && ok;
    // A lot whose documents agree with its stock, and one whose stock disagrees (the sale was
    // never taken off it).
    LotHistoryWindow history(env.context(), QStringLiteral("rk2018358215"));
    ok = save(&history, out, "lothistory.png") && ok;
    LotHistoryWindow mismatch(env.context(), QStringLiteral("rk2018357130"));
    ok = save(&mismatch, out, "lothistory_mismatch.png") && ok;
    AccountWindow accounts(env.context(), nullptr);
    accounts.listAccounts();
    ok = save(&accounts, out, "accounts.png") && ok;
    // The restore window lists the day's backup.
    if (!env.db().backupTo(backupFilePath(env.context())))
        std::printf("FAILED backup: %s\n", qPrintable(env.db().lastError()));
    RestoreWindow restore(env.context());
    ok = save(&restore, out, "restore.png") && ok;

    // The tools: the stock alert (one product below its minimum) and the sales statistics.
    storeMinimum(env.db(), QStringLiteral("6901234567890"), 1000);
    StockAlertWindow alert(env.context());
    ok = save(&alert, out, "stockalert.png") && ok;
    StatisticsWindow statistics(env.context());
    ok = save(&statistics, out, "salesstatistics.png") && ok;

    ok = saveReportScreens(env, out, arguments.value(3, QStringLiteral("1")).toInt()) && ok;
    ok = printStatisticsReport(env, out) && ok;
    return ok ? 0 : 1;
}
