// SPDX-License-Identifier: GPL-3.0-or-later
// The sales statistics and the stock alert over large databases.
//   insights_bench [SALES [RETURNS [LOTS]]]     (default 1000000 sales, 100000 returns, 100000
//   lots)
// Statistics: sales documents over three years (2016 to 2018, one product of 500 and one of 40
// prices each) and returns of every tenth of them, grouped by month over the three years with the
// previous three years for comparison, against the same aggregate as a hand-written query in the
// sqlite3 command-line tool (processor time, the tool's as a child process's), and against the
// goal of one second of elapsed time.
// Alert: the count of the products below their minimum (1,000 minimums among 100,000 lots, half
// of them above the stock) with the colours of the rows on screen, against the rest of the stock
// list refresh (the query, the fill and the first paint), in processor time.
#include "app/application.h"
#include "app/mainwindow.h"
#include "bench/benchsupport.h"
#include "core/clock.h"
#include "core/context.h"
#include "insights/salesstatistics.h"
#include "insights/stockalertindicator.h"
#include "storage/database.h"
#include "storage/newdatabase.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

namespace
{

// Sales over 1095 days from 2016-1-1, as the sales window writes them; every tenth sale has a
// return dated a week later.
bool addSales(const QString& path, int sales, int returns)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        return false;
    const QByteArray script =
        QStringLiteral(
            "BEGIN;"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1) "
            "INSERT INTO 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,产品单位,销售单价,"
            "销售时间,销售人员) SELECT 'xs' || (20160000000000 + i), 'rk' || (i % 1000), "
            "'69' || (i % 500), '商品' || (i % 500), 1 + i % 5, '个', "
            "(5 + i % 40) || '.5', strftime('%Y-', d) || (0 + strftime('%m', d)) || '-' || "
            "(0 + strftime('%d', d)), 'admin' FROM (SELECT i, date('2016-01-01', '+' || "
            "(i * 1095 / %1) || ' days') AS d FROM n);"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %2) "
            "INSERT INTO 退货管理模块(退货单号,销售单号,入库单号,产品ID,产品名称,退货数量,产品单位,"
            "退货原因,是否影响二次销售,退货时间,操作人员,备注) SELECT 'th' || i, "
            "'xs' || (20160000000000 + i * 10), 'rk1', '69' || (i * 10 % 500), '商品', '1', '个', "
            "'坏', '不影响', strftime('%Y-', d) || (0 + strftime('%m', d)) || '-' || "
            "(0 + strftime('%d', d)), 'admin', '无' FROM (SELECT i, date('2016-01-08', '+' || "
            "(i * 10 * 1095 / %1) || ' days') AS d FROM n);"
            "COMMIT;")
            .arg(sales)
            .arg(returns)
            .toUtf8();
    char* error = nullptr;
    const bool ok = sqlite3_exec(db, script.constData(), nullptr, nullptr, &error) == SQLITE_OK;
    if (!ok)
        std::fprintf(stderr, "cannot add the sales: %s\n", error);
    sqlite3_free(error);
    sqlite3_close(db);
    return ok;
}

// The same figures per month as one would write them by hand for the file.
const char* const kHandWritten =
    "select substr(销售时间, 1, instr(substr(销售时间, 6), '-') + 4) as 月, count(*), "
    "sum(销售数量), sum(销售数量 * cast(销售单价 as real)) from 销售管理模块 group by 月;"
    "select substr(r.退货时间, 1, instr(substr(r.退货时间, 6), '-') + 4) as 月, "
    "sum(cast(r.退货数量 as real)), sum(cast(r.退货数量 as real) * cast(s.销售单价 as real)) "
    "from 退货管理模块 r join 销售管理模块 s on s.销售单号 = r.销售单号 group by 月;";

int benchStatistics(int sales, int returns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datalx.mdb"));
    if (!createDatabaseFile(path).isEmpty() || !addSales(path, sales, returns))
        return 1;
    Database db;
    if (!db.NewOpenDatabase(path))
        return 1;
    const StatisticsRequest request{QDate(2016, 1, 1), QDate(2018, 12, 31), Grouping::Month, {}};
    const QStringList cli = {QStringLiteral("sqlite3"),
                             QStringLiteral("-batch"),
                             QStringLiteral("-init"),
                             QStringLiteral("/dev/null"),
                             path,
                             QString::fromUtf8(kHandWritten)};

    std::vector<double> oursCpu;
    std::vector<double> oursWall;
    std::vector<double> tool;
    double orders = 0;
    readSalesStatistics(db, request); // the file in the system's cache, as for the tool
    timeProcess(cli, QStringLiteral("/dev/null"));
    for (int run = 0; run < kRuns; ++run) {
        const qint64 cpu = cpuNowNs();
        const qint64 wall = nowNs();
        const SalesStatistics statistics = readSalesStatistics(db, request);
        oursWall.push_back(double(nowNs() - wall) / 1e6);
        oursCpu.push_back(double(cpuNowNs() - cpu) / 1e6);
        orders = statistics.totals.orders;
        if (statistics.periods.size() != 36 || !statistics.ok)
            return 1;
        const ProcessTime printed = timeProcess(cli, QStringLiteral("/dev/null"));
        if (!printed.ok())
            return 1;
        tool.push_back(double(printed.cpuNs) / 1e6);
    }
    if (orders != sales) {
        std::fprintf(stderr, "counted %g sales of %d\n", orders, sales);
        return 1;
    }
    const QLocale english(QLocale::English);
    const QString what = QStringLiteral("sales statistics by month over 3 years, %1 sales and %2 "
                                        "returns (with the previous 3 years)")
                             .arg(english.toString(sales), english.toString(returns));
    printResult(what, QStringLiteral("the same aggregate hand-written in the sqlite3 tool"),
                oursCpu, tool, QStringLiteral("<= 2.0"), Measure::Cpu);
    printResult(what, QStringLiteral("1 second"), oursWall, std::vector<double>(kRuns, 1000.0),
                QStringLiteral("<= 1.0"), Measure::Wall);
    return 0;
}

int benchAlert(int lots)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datalx.mdb"));
    if (!makeStockDatabase(path, lots))
        return 1;
    {
        Database db;
        if (!db.NewOpenDatabase(path) || !db.BeginTrans())
            return 1;
        for (int i = 0; i < lots; i += lots / 1000) {
            const QStringList lot = sampleLot(i);
            // Every other minimum lies above the lot's stock.
            const double minimum = lot.at(3).toDouble() + (i / (lots / 1000) % 2 == 0 ? 1 : -1);
            if (!db.ExecuteSql(QStringLiteral("insert into 库存预警(产品ID,最低库存)values(?,?)"),
                               {lot.at(1), QString::number(std::max(minimum, 1.0))}))
                return 1;
        }
        if (!db.CommitTrans())
            return 1;
    }

    QuietDialogs dialogs;
    dialogs.quiet = true;
    SystemClock clock;
    AppContext context(dialogs, clock, dir.path());
    MainWindow window(context);
    window.show();
    QCoreApplication::processEvents();
    context.setSessionUser(QStringLiteral("admin"));
    auto* list = window.findChild<ReportList*>(QStringLiteral("超级列表框主"));
    auto* indicator = window.findChild<StockAlertIndicator*>();
    auto* refresh = window.findChild<QPushButton*>(QStringLiteral("按钮_刷新"));
    if (!list || !indicator || !refresh || list->rowCount() != lots || indicator->lowCount() == 0) {
        std::fprintf(stderr, "the stock list or its alert is not there\n");
        return 1;
    }
    std::vector<double> alert;
    std::vector<double> rest;
    for (int run = 0; run < 15; ++run) {
        qint64 start = cpuNowNs();
        refresh->click();
        QCoreApplication::processEvents();
        list->viewport()->repaint();
        const qint64 whole = cpuNowNs() - start;
        // The count and the button; the red stock is drawn with the rows on screen (above).
        start = cpuNowNs();
        indicator->refresh();
        const qint64 count = cpuNowNs() - start;
        alert.push_back(double(count) / 1e6);
        rest.push_back(double(whole - count) / 1e6);
    }
    printResult(QStringLiteral("stock alert count at the refresh of %1 lots (1,000 minimums, %2 "
                               "below)")
                    .arg(QLocale(QLocale::English).toString(lots))
                    .arg(indicator->lowCount()),
                QStringLiteral("the rest of the refresh (query, fill, first paint)"), alert, rest,
                QStringLiteral("<= 0.10"), Measure::Cpu);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    configureApplication(application);
    const int sales = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 1000000;
    const int returns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
    const int lots = argc > 3 ? std::max(1000, std::atoi(argv[3])) : 100000;
    if (const int failed = benchStatistics(sales, std::min(returns, sales / 10)))
        return failed;
    return benchAlert(lots);
}
