// SPDX-License-Identifier: GPL-3.0-or-later
// The rules shared by the movement windows, without windows: document numbers, date texts, the
// quantity rule, the product list and the stock-reduction transaction.

#include "core/listfill.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "movements/productlist.h"
#include "movements/stockreduction.h"
#include "storage/newdatabase.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QTest>

Q_DECLARE_METATYPE(FieldValue)

class TestMovementRules : public QObject
{
    Q_OBJECT
private slots:
    void documentNumbers_data();
    void documentNumbers();
    void numbersNeverRepeat();
    void oneMakerPerContext();
    void dateTexts_data();
    void dateTexts();
    void quantities_data();
    void quantities();
    void valueToText_data();
    void valueToText();
    void defaultUnits();
    void productListFill();
    void searchByNameThenId_data();
    void searchByNameThenId();
    void scanCancelledListsEveryId();
    void selectionKeptAcrossRefill();
    void stockLeftTexts_data();
    void stockLeftTexts();
    void reduction_data();
    void reduction();
    void failedInsertRollsBackStock();
    void reductionFreesWriteLockBeforeItsMessage();
};

void TestMovementRules::documentNumbers_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("number");
    const QDateTime march(QDate(2018, 3, 5), QTime(9, 7, 2));
    const QDateTime christmas(QDate(2018, 12, 25), QTime(23, 59, 59));
    QTest::newRow("stock-in") << march << "rk"
                              << "rk201835972";
    QTest::newRow("stock-out") << march << "ck"
                               << "ck201835972";
    QTest::newRow("sale") << christmas << "xs"
                          << "xs20181225235959";
    QTest::newRow("lending") << christmas << "jy"
                             << "jy20181225235959";
    QTest::newRow("midnight") << QDateTime(QDate(2018, 11, 1), QTime(1, 0, 0)) << "th"
                              << "th2018111100";
}

void TestMovementRules::documentNumbers()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, prefix);
    QFETCH(QString, number);
    FixedClock clock(time);
    DocumentNumbers numbers(clock);
    QCOMPARE(numbers.make(prefix), number);
}

void TestMovementRules::numbersNeverRepeat()
{
    const QDateTime start(QDate(2018, 3, 5), QTime(9, 7, 2, 400));
    FixedClock clock(start);
    DocumentNumbers numbers(clock);
    QCOMPARE(numbers.make("ck"), "ck201835972");
    // Same second, same kind: the digits of the next second, without waiting for it.
    QCOMPARE(numbers.make("ck"), "ck201835973");
    QCOMPARE(numbers.make("ck"), "ck201835974");
    // Another kind in that second takes the second's own digits.
    QCOMPARE(numbers.make("xs"), "xs201835972");
    // Once the clock has reached digits already handed out, it moves past them.
    clock.set(QDateTime(QDate(2018, 3, 5), QTime(9, 7, 3)));
    QCOMPARE(numbers.make("ck"), "ck201835975");
    clock.set(QDateTime(QDate(2018, 3, 5), QTime(9, 7, 9)));
    QCOMPARE(numbers.make("ck"), "ck201835979");

    // 9:01:11 and, ten minutes later, 9:11:01 read the same: the later one moves on a second.
    clock.set(QDateTime(QDate(2018, 3, 5), QTime(9, 1, 11)));
    QCOMPARE(numbers.make("ck"), "ck2018359111");
    clock.set(QDateTime(QDate(2018, 3, 5), QTime(9, 11, 1)));
    QCOMPARE(numbers.make("ck"), "ck2018359112");
    // Nothing ever waited for the clock.
    QCOMPARE(clock.now(), QDateTime(QDate(2018, 3, 5), QTime(9, 11, 1)));
}

void TestMovementRules::oneMakerPerContext()
{
    TestEnvironment env;
    DocumentNumbers& maker = DocumentNumbers::of(env.context());
    QCOMPARE(&DocumentNumbers::of(env.context()), &maker);
    QCOMPARE(maker.make("wt"), "wt201835972");
    QCOMPARE(DocumentNumbers::of(env.context()).make("wt"), "wt201835973");
}

void TestMovementRules::dateTexts_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("5 March") << QDate(2018, 3, 5) << "2018-3-5";
    QTest::newRow("10 October") << QDate(2018, 10, 10) << "2018-10-10";
    QTest::newRow("25 December") << QDate(2018, 12, 25) << "2018-12-25";
}

void TestMovementRules::dateTexts()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(dateText(date), text);
    TestEnvironment env;
    env.clock().set(QDateTime(date, QTime(23, 59, 59)));
    QCOMPARE(todayText(env.context()), text);
}

void TestMovementRules::quantities_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1") << "1" << 1.0 << true;
    QTest::newRow("0.9999998") << "0.9999998" << 0.9999998 << false;
    QTest::newRow("0.99999995") << "0.99999995" << 0.99999995 << true;
    QTest::newRow("pasted 2abc") << "2abc" << 2.0 << true;
    QTest::newRow("abc") << "abc" << 0.0 << false;
    QTest::newRow("empty") << "" << 0.0 << false;
    QTest::newRow("0") << "0" << 0.0 << false;
    QTest::newRow("-3") << "-3" << -3.0 << false;
    QTest::newRow("pasted 1.5") << "1.5" << 1.5 << true;
    QTest::newRow("leading blanks") << "  \t7.5" << 7.5 << true;
    QTest::newRow("full-width 5") << "５" << 5.0 << true;
    QTest::newRow("full-width 1.5") << "１．５" << 1.5 << true;
    QTest::newRow("full-width minus") << "－３" << -3.0 << false;
    QTest::newRow("plus sign") << "+2" << 2.0 << true;
    QTest::newRow("exponent") << "1e3x" << 1000.0 << true;
    QTest::newRow("point only") << "." << 0.0 << false;
    QTest::newRow("leading point") << ".5" << 0.5 << false;
    QTest::newRow("no infinity word") << "inf" << 0.0 << false;
    // A number no stock can hold is refused like any bad quantity.
    QTest::newRow("too large") << "1e999" << qInf() << false;
    QTest::newRow("no nan word") << "nan" << 0.0 << false;
    QTest::newRow("too small") << "1e-999" << 0.0 << false;
}

void TestMovementRules::quantities()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QFETCH(bool, accepted);
    const double read = leadingNumber(text);
    QCOMPARE(read, number);
    QCOMPARE(isAcceptedQuantity(read), accepted);
}

void TestMovementRules::valueToText_data()
{
    QTest::addColumn<FieldValue>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("text") << FieldValue::text(" a'b ") << " a'b ";
    QTest::newRow("integer") << FieldValue::integer(FieldKind::LongInteger, 95) << "95";
    QTest::newRow("negative") << FieldValue::integer(FieldKind::LongInteger, -3) << "-3";
    QTest::newRow("whole real") << FieldValue::real(FieldKind::Double, 95.0) << "95";
    QTest::newRow("7.5") << FieldValue::real(FieldKind::Double, 7.5) << "7.5";
    QTest::newRow("0.1") << FieldValue::real(FieldKind::Double, 0.1) << "0.1";
    const QDate date(2018, 3, 5);
    QTest::newRow("midnight") << FieldValue::dateTime(QDateTime(date, QTime(0, 0)))
                              << "2018年3月5日";
    QTest::newRow("hour") << FieldValue::dateTime(QDateTime(date, QTime(8, 0)))
                          << "2018年3月5日8时";
    QTest::newRow("minutes") << FieldValue::dateTime(QDateTime(date, QTime(8, 30)))
                             << "2018年3月5日8时30分";
    QTest::newRow("seconds") << FieldValue::dateTime(QDateTime(date, QTime(8, 0, 15)))
                             << "2018年3月5日8时0分15秒";
}

void TestMovementRules::valueToText()
{
    QFETCH(FieldValue, value);
    QFETCH(QString, text);
    QCOMPARE(value.forDisplay(), text);
}

void TestMovementRules::defaultUnits()
{
    QCOMPARE(splitUnits("个,台,箱"), QStringList({"个", "台", "箱"}));
    QCOMPARE(splitUnits(""), QStringList());
    TestEnvironment env;
    QCOMPARE(loadDefaultUnits(env.db()), splitUnits(kDeliveredUnits));
    QVERIFY(env.db().ExecuteSql("update 系统信息管理模块 set 默认单位=? ", {QString()}));
    QCOMPARE(loadDefaultUnits(env.db()), QStringList());
    QCOMPARE(env.db().openRecordSetCount(), 0);
}

void TestMovementRules::productListFill()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "7.5", "盒", "新到");
    env.addStock("rk2", "B-2", "螺母", "10");
    ReportList list;
    list.setColumns(productListColumns());
    QCOMPARE(list.columnCount(), 7);
    QCOMPARE(list.columnTitle(0), "序号");
    QCOMPARE(list.columnTitle(6), "备注");
    QCOMPARE(fillProductList(env.db(), &list), 2);
    const QStringList first{"1", "rk1", "A-1", "螺丝", "7.5", "盒", "新到"};
    for (int column = 0; column < first.size(); ++column)
        QCOMPARE(list.cellText(0, column), first.at(column));
    QCOMPARE(list.cellText(1, 0), "2");
    QCOMPARE(list.cellText(1, 4), "10");
    QCOMPARE(env.db().openRecordSetCount(), 0);
}

void TestMovementRules::searchByNameThenId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lots");
    QTest::newRow("name") << "螺" << QStringList{"rk1", "rk2"};
    QTest::newRow("name wins over id") << "X" << QStringList{"rk3"};
    QTest::newRow("id when no name") << "B-" << QStringList{"rk2"};
    QTest::newRow("empty lists all") << "" << QStringList{"rk1", "rk2", "rk3", "rk4"};
    QTest::newRow("quote found as typed") << "O'B" << QStringList{"rk4"};
    QTest::newRow("underscore any character") << "A_1" << QStringList{"rk1"};
    QTest::newRow("percent anything") << "螺%母" << QStringList{"rk2"};
    QTest::newRow("nothing") << "zzz" << QStringList{};
}

void TestMovementRules::searchByNameThenId()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lots);
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "5");
    env.addStock("rk2", "B-2", "螺母", "5");
    env.addStock("rk3", "X-1", "X光片", "5");
    env.addStock("rk4", "O'B", "扳手", "5");
    ReportList list;
    list.setColumns(productListColumns());
    QCOMPARE(searchProductList(env.db(), &list, text), lots.size());
    QStringList found;
    for (int row = 0; row < list.rowCount(); ++row) {
        QCOMPARE(list.cellText(row, 0), QString::number(row + 1));
        found.append(list.cellText(row, 1));
    }
    QCOMPARE(found, lots);
}

void TestMovementRules::scanCancelledListsEveryId()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "5");
    env.addStock("rk2", "B-2", "螺母", "5");
    QVERIFY(env.db().ExecuteSql("insert into 总数据库模块(入库单号,产品名称,产品库存)values(?,?,?)",
                                {"rk3", "无编号", "1"}));
    ReportList list;
    list.setColumns(productListColumns());
    env.dialogs().answerInput(std::nullopt);
    QCOMPARE(scanIntoProductList(env.context(), &list, nullptr), 2);
    const auto& box = env.dialogs().last();
    QVERIFY(box.isInput);
    QCOMPARE(box.text, "请扫描条形码即入库扫描的信息");
    QCOMPARE(box.title, "扫描窗口");
    QCOMPARE(box.initialText, QString());
    QCOMPARE(box.mode, InputMode::Scan);
    env.dialogs().answerInput("B-");
    QCOMPARE(scanIntoProductList(env.context(), &list, nullptr), 1);
    QCOMPARE(list.cellText(0, 1), "rk2");
}

void TestMovementRules::selectionKeptAcrossRefill()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "5", "盒");
    env.addStock("rk2", "B-2", "螺母", "5", "袋");
    ReportList list;
    list.setColumns(productListColumns());
    SelectedProduct selected;
    connect(&list, &ReportList::currentRowChanged, &list,
            [&](int row) { selected.takeFrom(&list, row); });
    fillProductList(env.db(), &list);
    list.setCurrentRow(1);
    QCOMPARE(selected.lot, "rk2");
    QCOMPARE(selected.id, "B-2");
    QCOMPARE(selected.name, "螺母");
    QCOMPARE(selected.unit, "袋");
    fillProductList(env.db(), &list);
    QCOMPARE(list.currentRow(), -1);
    QCOMPARE(selected.lot, "rk2");
}

void TestMovementRules::stockLeftTexts_data()
{
    QTest::addColumn<double>("stock");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<QString>("text");
    QTest::newRow("100-5") << 100.0 << false << 5.0 << "95";
    QTest::newRow("7.5+2 back, then 2 out") << 9.5 << false << 2.0 << "7.5";
    QTest::newRow("no binary noise") << 1.3 << false << 1.0 << "0.3";
    QTest::newRow("no -5e-08") << 1.0 << false << 1.00000005 << "0";
    QTest::newRow("sale: every digit of a whole stock")
        << 123456789012345.0 << true << 1.0 << "123456789012344";
    QTest::newRow("stock-out: 13 significant digits")
        << 123456789012345.0 << false << 1.0 << "1.234567890123e+14";
}

void TestMovementRules::stockLeftTexts()
{
    QFETCH(double, stock);
    QFETCH(bool, whole);
    QFETCH(double, quantity);
    QFETCH(QString, text);
    StockReduction reduction;
    reduction.comparison = whole ? StockComparison::WholeNumbers : StockComparison::Tolerant;
    reduction.quantity = quantity;
    reduction.wholeQuantity = qint64(quantity);
    QCOMPARE(reducedStockText(stock, reduction), text);
}

void TestMovementRules::reduction_data()
{
    QTest::addColumn<QString>("stock");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stockAfter");
    const int done = int(StockReductionOutcome::Done);
    const int empty = int(StockReductionOutcome::EmptyStock);
    const int short_ = int(StockReductionOutcome::NotEnough);
    QTest::newRow("100-5") << "100" << false << 5.0 << done << "操作成功"
                           << "95";
    QTest::newRow("10-2.5") << "10" << false << 2.5 << done << "操作成功"
                            << "7.5";
    QTest::newRow("5-5") << "5" << false << 5.0 << done << "操作成功"
                         << "0";
    QTest::newRow("5-5.5") << "5" << false << 5.5 << short_ << "现有库存不足"
                           << "5";
    // Stock keeps its fraction.
    QTest::newRow("7.9-7") << "7.9" << false << 7.0 << done << "操作成功"
                           << "0.9";
    QTest::newRow("7.9 refuses 8") << "7.9" << false << 8.0 << short_ << "现有库存不足"
                                   << "7.9";
    // Within the tolerance the stock left is a whole number, never a tiny negative.
    QTest::newRow("within tolerance") << "1" << false << 1.00000005 << done << "操作成功"
                                      << "0";
    QTest::newRow("just beyond tolerance") << "1" << false << 1.0000002 << short_ << "现有库存不足"
                                           << "1";
    // A stock below 1 is not an empty lot: no accepted quantity fits, and that is what is said.
    QTest::newRow("stock 0.5") << "0.5" << false << 1.0 << short_ << "现有库存不足"
                               << "0.5";
    QTest::newRow("stock 0 within tolerance") << "0.00000005" << false << 1.0 << empty << "操作失败"
                                              << "5e-08";
    QTest::newRow("stock 0") << "0" << false << 1.0 << empty << "操作失败"
                             << "0";
    QTest::newRow("negative stock") << "-2.5" << false << 1.0 << short_ << "现有库存不足"
                                    << "-2.5";
    QTest::newRow("sale 3 of 10") << "10" << true << 3.0 << done << "操作成功"
                                  << "7";
    QTest::newRow("sale 11 of 10") << "10" << true << 11.0 << short_ << "现有库存不足"
                                   << "10";
    QTest::newRow("sale of 0 stock") << "0" << true << 1.0 << empty << "操作失败"
                                     << "0";
    QTest::newRow("sale 7 of 7.5") << "7.5" << true << 7.0 << done << "操作成功"
                                   << "0.5";
}

void TestMovementRules::reduction()
{
    QFETCH(QString, stock);
    QFETCH(bool, whole);
    QFETCH(double, quantity);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    QFETCH(QString, stockAfter);
    TestEnvironment env;
    // A quote in the lot number is data: the stock read and update bind it.
    env.addStock("rk'1", "A-1", "螺丝", stock);
    ReportList list;
    list.setColumns(productListColumns());

    StockReduction reduction;
    reduction.lot = "rk'1";
    reduction.comparison = whole ? StockComparison::WholeNumbers : StockComparison::Tolerant;
    reduction.quantity = quantity;
    reduction.wholeQuantity = qint64(quantity);
    reduction.insertSql = "insert into 出库管理模块(出库单号,出库数量)values(?,?)";
    reduction.insertParams = {"ck1", QString::number(quantity)};
    env.dialogs().answerMessage();
    QCOMPARE(int(reduceStockAndRecord(env.context(), nullptr, &list, reduction)), outcome);
    QCOMPARE(env.dialogs().texts(), QStringList{message});
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(env.value("select 产品库存 from 总数据库模块"), stockAfter);
    const bool succeeded = outcome == int(StockReductionOutcome::Done);
    QCOMPARE(env.count("出库管理模块"), succeeded ? 1 : 0);
    QCOMPARE(list.rowCount(), succeeded ? 1 : 0);
    QCOMPARE(env.refreshCount(), succeeded ? 1 : 0);
    QVERIFY(!env.db().inTransaction());
    QCOMPARE(env.db().openRecordSetCount(), 0);
}

void TestMovementRules::failedInsertRollsBackStock()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    QVERIFY(env.db().ExecuteSql("insert into 出库管理模块(出库单号)values(?)", {"ck1"}));
    ReportList list;
    StockReduction reduction;
    reduction.lot = "rk1";
    reduction.quantity = 4;
    reduction.insertSql = "insert into 出库管理模块(出库单号)values(?)";
    reduction.insertParams = {"ck1"}; // the unique index refuses a second document ck1
    // The failure is shown once the transaction is undone: nothing is held while it waits.
    env.dialogs().onShown = [&](const ScriptedDialogs::Shown&) {
        QVERIFY(!env.db().inTransaction());
    };
    env.dialogs().answerMessage();
    QCOMPARE(reduceStockAndRecord(env.context(), nullptr, &list, reduction),
             StockReductionOutcome::Refused);
    QCOMPARE(env.dialogs().texts(), QStringList{"操作失败"});
    QVERIFY(!env.db().inTransaction());
    QCOMPARE(env.value("select 产品库存 from 总数据库模块"), "10");
    QCOMPARE(env.count("出库管理模块"), 1);
    QCOMPARE(env.refreshCount(), 0);

    // A lot deleted since the list was filled reads as stock 0.
    env.dialogs().onShown = {};
    reduction.lot = "rk-gone";
    env.dialogs().answerMessage();
    QCOMPARE(reduceStockAndRecord(env.context(), nullptr, &list, reduction),
             StockReductionOutcome::EmptyStock);
    QCOMPARE(env.dialogs().last().text, "操作失败");
    QCOMPARE(env.fatalErrors(), QStringList());
}

void TestMovementRules::reductionFreesWriteLockBeforeItsMessage()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "3");
    Database other;
    QVERIFY(other.NewOpenDatabase(env.context().databasePath()));
    other.setBusyTimeout(0);
    ReportList list;
    StockReduction reduction;
    reduction.lot = "rk1";
    reduction.quantity = 5;
    // The write lock covers the read, the check and the writes, not the operator reading the
    // refusal: while its message is up, another counter can begin to write at once.
    bool otherCouldWrite = false;
    env.dialogs().onShown = [&](const ScriptedDialogs::Shown&) {
        otherCouldWrite = other.BeginTrans(TransactionMode::Immediate);
        other.RollbackTrans();
    };
    env.dialogs().answerMessage();
    QCOMPARE(reduceStockAndRecord(env.context(), nullptr, &list, reduction),
             StockReductionOutcome::NotEnough);
    QVERIFY(otherCouldWrite);
    QVERIFY(other.BeginTrans(TransactionMode::Immediate));
    other.RollbackTrans();
}

QTEST_MAIN(TestMovementRules)
#include "tst_movementrules.moc"
