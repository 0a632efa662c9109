// SPDX-License-Identifier: GPL-3.0-or-later
// Building and paginating a report of many rows, side by side with the same rows as an HTML
// table laid out and paginated by QTextDocument on the same page.
//   report_bench [ROWS]     (default 10000; QT_QPA_PLATFORM=offscreen without a display)
// Our side builds the report table of the main window's stock list (serial numbers, all six
// columns, grid lines, alternating row colours, totals row, remarks) and lays it out on A4
// portrait. The other side is handed the finished HTML text and lays it out on a page of the same
// printable size; its time starts at setHtml and ends once it knows its page count. Both are
// measured in processor time.
#include "app/application.h"
#include "app/stocklist.h"
#include "bench/benchsupport.h"
#include "printing/reportbuilder.h"
#include "printing/reportlayout.h"
#include "ui/reportlist.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextDocument>

#include <cstdio>

namespace
{

QString htmlTable(const ReportList& list)
{
    QString html = QStringLiteral("<html><body><h2 align=\"center\">商品库存报表</h2>"
                                  "<p align=\"right\">打印日期:2018年3月5日</p>"
                                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" "
                                  "width=\"100%\"><thead><tr>");
    for (int c = 0; c < list.columnCount(); ++c)
        html +=
            QStringLiteral("<th>") + list.columnTitle(c).toHtmlEscaped() + QStringLiteral("</th>");
    html += QStringLiteral("</tr></thead>");
    for (int r = 0; r < list.rowCount(); ++r) {
        html += QStringLiteral("<tr bgcolor=\"%1\">")
                    .arg(r % 2 ? QStringLiteral("#efefde") : QStringLiteral("#dedfce"));
        for (int c = 0; c < list.columnCount(); ++c)
            html += QStringLiteral("<td>") + list.cellText(r, c).toHtmlEscaped() +
                    QStringLiteral("</td>");
        html += QStringLiteral("</tr>");
    }
    html +=
        QStringLiteral("<tr><td colspan=\"%1\"><b> 合计共 %2 条记录</b></td></tr></table>"
                       "<p>备注：本报表由仓库管理员核对，库存以实物盘点为准。</p></body></html>")
            .arg(list.columnCount())
            .arg(list.rowCount());
    return html;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    configureApplication(application);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;

    ReportList list;
    list.setColumns(stockListColumns());
    std::vector<QStringList> cells;
    for (int i = 0; i < rows; ++i)
        cells.push_back(QStringList{QString::number(i + 1)} + sampleLot(i));
    list.appendRows(std::move(cells));

    PrintRequest request;
    request.source = &list;
    request.title = QStringLiteral("商品库存报表");
    request.titleFont = {QStringLiteral("宋体"), QStringLiteral("8388608"), QStringLiteral("1"),
                         QStringLiteral("18")};
    request.dateLine = QStringLiteral("打印日期:2018年3月5日");
    request.columns = {1, 2, 3, 4, 5, 6};
    request.serialColumn = true;
    request.lineStyle = 1;
    request.paper = 2;
    request.landscape = false;
    request.totals = {QStringLiteral("一")};
    request.pageNumberPosition = 5;
    request.colours = {2, int(rgbValue(222, 223, 206)), int(rgbValue(222, 223, 206)),
                       int(rgbValue(239, 239, 222))};
    request.remarks = QStringLiteral("备注：本报表由仓库管理员核对，库存以实物盘点为准。");

    // The printable area of the report's page, in the text document's pixels.
    std::size_t ourPages = 0;
    QSizeF page;
    const auto ourReport = [&] {
        const qint64 start = cpuNowNs();
        const std::unique_ptr<ReportTable> report = buildReport(request);
        const ReportLayout layout = layoutReport(*report);
        const qint64 elapsed = cpuNowNs() - start;
        ourPages = layout.pages.size();
        constexpr double kPixelsPerTenthMillimetre = 96.0 / 254.0;
        page = QSizeF(layout.printable.width() * kPixelsPerTenthMillimetre,
                      layout.printable.height() * kPixelsPerTenthMillimetre);
        return elapsed;
    };
    const QString html = htmlTable(list);
    int theirPages = 0;
    const auto textDocument = [&] {
        const qint64 start = cpuNowNs();
        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("宋体"), 8));
        document.setPageSize(page);
        document.setHtml(html);
        theirPages = document.pageCount();
        return cpuNowNs() - start;
    };

    // The text document takes seconds per run: five runs of it, and no warm-up but ours.
    ourReport();
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int run = 0; run < 5; ++run) {
        ours.push_back(double(ourReport()) / 1e6);
        theirs.push_back(double(textDocument()) / 1e6);
    }
    std::fprintf(stderr, "pages: report %zu, text document %d\n", ourPages, theirPages);

    printResult(QStringLiteral("report building + pagination, %1 rows")
                    .arg(QLocale(QLocale::English).toString(rows)),
                QStringLiteral("the rows as an HTML table paginated by QTextDocument"), ours,
                theirs, QStringLiteral("<= 0.5"), Measure::Cpu);
    return 0;
}
