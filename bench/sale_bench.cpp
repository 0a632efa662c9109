// SPDX-License-Identifier: GPL-3.0-or-later
// One sale through the stock-reduction code, side by side with the same statements in raw SQLite.
//   sale_bench [LOTS]     (default 1000)
// Our side is the call the sales window makes after its checks: the write transaction that reads
// the lot's stock, lowers it and records the sale, its commit, and the refill of the window's
// product list. The raw side runs the same statements (BEGIN IMMEDIATE, the lot's select, the
// stock update, the sale insert, COMMIT, and the list's select of every lot with each text
// decoded) on a file of the same size with the same journal and synchronous setting (rollback
// journal, synchronous=FULL). Both files lie in the same folder. Measured in wall time: a sale
// waits for the disk to confirm its commit.
#include "bench/benchsupport.h"
#include "core/clock.h"
#include "core/context.h"
#include "movements/stockreduction.h"
#include "storage/database.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <charconv>
#include <cstdio>

namespace
{

const QString kSaleInsert = QStringLiteral(
    "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,产品单位,销售单价,"
    "销售时间,销售人员)values(?,?,?,?,?,?,?,?,?)");

// The sample lots with a whole stock of at least 100, in order.
std::vector<int> sellableLots(int lots)
{
    std::vector<int> found;
    for (int i = 0; i < lots; ++i) {
        if (i % 4 != 0 && sampleLot(i).at(3).toInt() >= 100)
            found.push_back(i);
    }
    return found;
}

QVariantList saleValues(int run, int lot)
{
    const QStringList sampled = sampleLot(lot);
    return {QStringLiteral("xs%1").arg(20180305000000LL + run),
            sampled.at(0),
            sampled.at(1),
            sampled.at(2),
            QStringLiteral("1"),
            sampled.at(4),
            QStringLiteral("12.5"),
            QStringLiteral("2018-3-5"),
            QStringLiteral("admin")};
}

bool step(sqlite3* db, const char* sql, const QVariantList& values, double* firstReal = nullptr)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int index = 1;
    for (const QVariant& value : values) {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, index++, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW && firstReal)
        *firstReal = sqlite3_column_double(statement, 3);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE;
}

qint64 rawSale(sqlite3* db, int run, int lot)
{
    const qint64 start = nowNs();
    const QVariantList values = saleValues(run, lot);
    const QString number = values.at(1).toString();
    double stock = 0;
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK &&
              step(db, "select * from 总数据库模块 where 入库单号=? ", {number}, &stock) &&
              stock >= 1;
    if (ok) {
        char text[32];
        std::snprintf(text, sizeof text, "%.13g", stock - 1);
        ok = step(db, "update 总数据库模块 set 产品库存=? where 入库单号=? ",
                  {QString::fromLatin1(text), number}) &&
             step(db, kSaleInsert.toUtf8().constData(), values) &&
             sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    // The refill of the product list: every lot, every text decoded.
    sqlite3_stmt* list = nullptr;
    qint64 decoded = 0;
    ok =
        ok && sqlite3_prepare_v2(db, "select * from 总数据库模块", -1, &list, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(list) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(list); ++c) {
            if (sqlite3_column_type(list, c) == SQLITE_FLOAT) {
                char text[32];
                const auto written =
                    std::to_chars(text, text + sizeof text, sqlite3_column_double(list, c),
                                  std::chars_format::general, 13);
                decoded += QString::fromLatin1(text, written.ptr - text).size();
            } else {
                decoded +=
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list, c)),
                                      sqlite3_column_bytes(list, c))
                        .size();
            }
        }
    }
    sqlite3_finalize(list);
    ok = ok && decoded > 0;
    if (!ok) {
        std::fprintf(stderr, "raw sale failed: %s\n", sqlite3_errmsg(db));
        return -1;
    }
    return nowNs() - start;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int lots = argc > 1 ? std::max(100, std::atoi(argv[1])) : 1000;

    QTemporaryDir dir;
    const QString ourPath = dir.filePath(QStringLiteral("datalx.mdb"));
    const QString rawPath = dir.filePath(QStringLiteral("raw.mdb"));
    if (!makeStockDatabase(ourPath, lots) || !makeStockDatabase(rawPath, lots))
        return 1;

    QuietDialogs dialogs;
    dialogs.quiet = true;
    SystemClock clock;
    AppContext context(dialogs, clock, dir.path());
    context.setSessionUser(QStringLiteral("admin"));
    if (!context.database().NewOpenDatabase(ourPath))
        return 1;
    ReportList list;

    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(rawPath.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK ||
        sqlite3_exec(raw, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
        return 1;
    sqlite3_busy_timeout(raw, 15000);

    const std::vector<int> sellable = sellableLots(lots);
    const auto ourSale = [&](int run) {
        const int lot = sellable.at(std::size_t(run) % sellable.size());
        StockReduction sale;
        sale.lot = sampleLot(lot).at(0);
        sale.comparison = StockComparison::WholeNumbers;
        sale.wholeQuantity = 1;
        sale.insertSql = kSaleInsert;
        sale.insertParams = saleValues(run, lot);
        const qint64 start = nowNs();
        const StockReductionOutcome outcome = reduceStockAndRecord(context, nullptr, &list, sale);
        const qint64 elapsed = nowNs() - start;
        if (outcome != StockReductionOutcome::Done) {
            std::fprintf(stderr, "sale failed: %s\n", qPrintable(dialogs.lastText));
            return qint64(-1);
        }
        return elapsed;
    };

    // Every figure is the median of several rounds of ten sales each.
    constexpr int kSalesPerRound = 10;
    int run = 0;
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int round = -1; round < kRuns; ++round) { // round -1 warms up
        qint64 ourTotal = 0;
        qint64 rawTotal = 0;
        for (int sale = 0; sale < kSalesPerRound; ++sale, ++run) {
            const qint64 our = ourSale(run);
            const qint64 rawTime =
                rawSale(raw, run, sellable.at(std::size_t(run) % sellable.size()));
            if (our < 0 || rawTime < 0)
                return 1;
            ourTotal += our;
            rawTotal += rawTime;
        }
        if (round >= 0) {
            ours.push_back(double(ourTotal) / kSalesPerRound / 1e6);
            theirs.push_back(double(rawTotal) / kSalesPerRound / 1e6);
        }
    }
    sqlite3_close(raw);

    printResult(QStringLiteral("one sale through the stock-reduction code (its transaction, "
                               "commit and the refill of its %1-lot list)")
                    .arg(QLocale(QLocale::English).toString(lots)),
                QStringLiteral("the same statements in raw SQLite, synchronous=FULL"), ours, theirs,
                QStringLiteral("<= 1.2"), Measure::Wall);
    return 0;
}
