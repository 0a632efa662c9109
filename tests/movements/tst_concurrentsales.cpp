// SPDX-License-Identifier: GPL-3.0-or-later
// Two counters selling from the same lots at the same moment: each a process of its own with its
// own connection, selling through the stock-reduction transaction the sales window runs, as fast
// as it can until the lot is empty, over 1,000 fresh lots (TARNEL_CONCURRENT_LOTS sets another
// count). No lot may go below zero, every sale must have its document, and every lot's ledger
// must hold: what was taken in is what the documents sold.
#include "core/clock.h"
#include "core/context.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "movements/productlist.h"
#include "movements/stockreduction.h"
#include "storage/database.h"
#include "tests/support/testdatabase.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <cstring>
#include <iostream>
#include <random>
#include <string>

namespace
{

constexpr int kDefaultLots = 1000;
constexpr int kStock = 5;
const char* const kCounterNames[] = {"甲", "乙"};

// A counter's clock: one second later at every reading, from the same moment in both
// counters. Their document numbers therefore clash again and again, and each clash must move on
// to the next number; and the numbers keep pace with the sales, however fast they come.
class SteppingClock : public Clock
{
public:
    QDateTime now() const override { return mStart.addSecs(mReadings++); }

private:
    const QDateTime mStart{QDate(2018, 3, 5), QTime(9, 0, 0)};
    mutable qint64 mReadings = 0;
};

// A counter's boxes: every one is answered with OK.
class AnsweringDialogs : public DialogService
{
protected:
    MessageAnswer showMessage(const MessageRequest&) override { return MessageAnswer::Ok; }
    std::optional<QString> showInput(const InputRequest&) override { return std::nullopt; }
};

// One counter: reads lot numbers, one a line, and sells 1 or 2 pieces at a time from each until
// its stock is gone (when 2 are too many, 1 at a time). For each lot it answers a line: the
// lot, the sales made, the pieces sold, the refusals for too little stock, the sales the
// database refused, and the sales stored under another number than the one first made.
int runCounter(const QString& dataDirectory, const QString& name, unsigned seed)
{
    AnsweringDialogs dialogs;
    SteppingClock clock;
    AppContext context(dialogs, clock, dataDirectory);
    context.setSessionUser(name);
    if (!context.database().NewOpenDatabase(context.databasePath())) {
        std::cerr << "cannot open the database\n";
        return 3;
    }
    ReportList list;
    list.setColumns(productListColumns());
    std::mt19937 random(seed);
    std::string line;
    while (std::getline(std::cin, line) && !line.empty()) {
        const QString lot = QString::fromStdString(line);
        int sales = 0;
        int pieces = 0;
        int tooFew = 0;
        int refused = 0;
        int movedOn = 0;
        qint64 quantity = 1 + qint64(random() % 2);
        while (refused < 50) {
            // The sale as the sales window writes it.
            StockReduction sale;
            sale.lot = lot;
            sale.comparison = StockComparison::WholeNumbers;
            sale.wholeQuantity = quantity;
            sale.insertSql = QStringLiteral(
                "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,产品单位,"
                "销售单价,销售时间,销售人员)values(?,?,?,?,?,?,?,?,?)");
            sale.insertParams = {DocumentNumbers::of(context).make(QStringLiteral("xs")),
                                 lot,
                                 QStringLiteral("C-") + lot,
                                 QStringLiteral("并发测试"),
                                 QString::number(quantity),
                                 QStringLiteral("个"),
                                 QStringLiteral("1"),
                                 todayText(context),
                                 name};
            sale.numberPrefix = QStringLiteral("xs");
            const QVariant firstNumber = sale.insertParams.first();
            const StockReductionOutcome outcome =
                reduceStockAndRecord(context, nullptr, &list, sale);
            if (outcome == StockReductionOutcome::EmptyStock)
                break;
            if (outcome == StockReductionOutcome::Done) {
                ++sales;
                movedOn += sale.insertParams.first() != firstNumber ? 1 : 0;
                pieces += int(quantity);
                quantity = 1 + qint64(random() % 2);
            } else if (outcome == StockReductionOutcome::NotEnough) {
                ++tooFew;
                quantity = 1;
            } else {
                ++refused;
            }
        }
        std::cout << line << ' ' << sales << ' ' << pieces << ' ' << tooFew << ' ' << refused << ' '
                  << movedOn << std::endl;
    }
    return 0;
}

struct CounterReport {
    int sales = 0;
    int pieces = 0;
    int tooFew = 0;
    int refused = 0;
    int movedOn = 0;
};

// The counter's line about the lot; false when it does not come.
bool readReport(QProcess& counter, const QString& lot, CounterReport& report)
{
    while (!counter.canReadLine()) {
        if (!counter.waitForReadyRead(60000))
            return false;
    }
    const QStringList fields = QString::fromUtf8(counter.readLine()).trimmed().split(' ');
    if (fields.size() != 6 || fields.at(0) != lot)
        return false;
    report = {fields.at(1).toInt(), fields.at(2).toInt(), fields.at(3).toInt(),
              fields.at(4).toInt(), fields.at(5).toInt()};
    return true;
}

} // namespace

class TestConcurrentSales : public QObject
{
    Q_OBJECT
private slots:
    void twoCountersNeverOversell();
};

void TestConcurrentSales::twoCountersNeverOversell()
{
    const int lots = qEnvironmentVariableIsSet("TARNEL_CONCURRENT_LOTS")
                         ? qEnvironmentVariableIntValue("TARNEL_CONCURRENT_LOTS")
                         : kDefaultLots;
    TestEnvironment env;
    Database& db = env.db();
    QProcess counters[2];
    for (int c = 0; c < 2; ++c) {
        counters[c].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        counters[c].start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--counter"), env.programDirectory(),
                           QString::fromUtf8(kCounterNames[c]), QString::number(2018 + c)});
        QVERIFY(counters[c].waitForStarted());
    }

    QElapsedTimer timer;
    timer.start();
    int sales[2] = {0, 0};
    int tooFew = 0;
    int refused = 0;
    int movedOn = 0;
    int shared = 0; // lots both counters sold from
    for (int round = 0; round < lots; ++round) {
        const QString lot = QStringLiteral("rk-c%1").arg(round, 4, 10, QLatin1Char('0'));
        env.addStock(lot, QStringLiteral("C-") + lot, QStringLiteral("并发测试"),
                     QString::number(kStock));
        // Both counters get the lot at the same moment and sell until it is empty.
        for (QProcess& counter : counters)
            counter.write(lot.toUtf8() + '\n');
        for (QProcess& counter : counters)
            QVERIFY(counter.waitForBytesWritten(10000));
        CounterReport reports[2];
        for (int c = 0; c < 2; ++c)
            QVERIFY2(readReport(counters[c], lot, reports[c]), qPrintable(lot));

        // The lot is empty, never below zero, and its documents hold exactly what was sold.
        const int handle = db.OpenTable(
            QStringLiteral("select count(*) as n, sum(销售数量) as pieces from 销售管理模块 "
                           "where 入库单号=? "),
            {lot});
        const qint64 documents = db.readNumber(handle, QStringLiteral("n"));
        const double documentedPieces = db.readReal(handle, QStringLiteral("pieces"));
        db.CloseTable(handle);
        QCOMPARE(
            env.value(QStringLiteral("select 产品库存 from 总数据库模块 where 入库单号=? "), {lot}),
            QStringLiteral("0"));
        QCOMPARE(documents, qint64(reports[0].sales + reports[1].sales));
        QCOMPARE(reports[0].pieces + reports[1].pieces, kStock);
        QCOMPARE(documentedPieces, double(kStock));
        for (int c = 0; c < 2; ++c)
            sales[c] += reports[c].sales;
        tooFew += reports[0].tooFew + reports[1].tooFew;
        refused += reports[0].refused + reports[1].refused;
        movedOn += reports[0].movedOn + reports[1].movedOn;
        shared += reports[0].sales > 0 && reports[1].sales > 0 ? 1 : 0;
        // The sold-out lot leaves the stock list, as the administrator deletes it: the counters'
        // lists, refilled after every sale, stay short.
        QVERIFY(
            db.ExecuteSql(QStringLiteral("delete * from 总数据库模块 where 入库单号=? "), {lot}));
    }
    const qint64 elapsed = timer.elapsed();
    for (QProcess& counter : counters) {
        counter.closeWriteChannel();
        QVERIFY(counter.waitForFinished(60000));
        QCOMPARE(counter.exitCode(), 0);
    }

    // The whole ledger: every lot's documents sold exactly its stock, every sale is a document
    // of its own counter.
    QCOMPARE(env.value(QStringLiteral("select count(distinct 入库单号) from 销售管理模块")),
             QString::number(lots));
    QCOMPARE(env.value(QStringLiteral("select count(*) from (select 入库单号 from 销售管理模块 "
                                      "group by 入库单号 having sum(销售数量) <> %1) as t")
                           .arg(kStock)),
             QStringLiteral("0"));
    QCOMPARE(env.count(QStringLiteral("销售管理模块")), sales[0] + sales[1]);
    for (int c = 0; c < 2; ++c)
        QCOMPARE(env.value(QStringLiteral("select count(*) from 销售管理模块 where 销售人员=? "),
                           {QString::fromUtf8(kCounterNames[c])}),
                 QString::number(sales[c]));
    qInfo("%d lots of %d pieces in %lld ms: %d sales (甲 %d, 乙 %d), %d lots sold by both, "
          "%d refusals for too little stock, %d sales refused by the database, %d sales stored "
          "under the next number after a clash",
          lots, kStock, elapsed, sales[0] + sales[1], sales[0], sales[1], shared, tooFew, refused,
          movedOn);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--counter") == 0)
        return runCounter(QString::fromLocal8Bit(argv[2]), QString::fromUtf8(argv[3]),
                          unsigned(std::atoi(argv[4])));
    TestConcurrentSales test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_concurrentsales.moc"
