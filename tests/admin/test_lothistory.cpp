// SPDX-License-Identifier: GPL-3.0-or-later
// A lot's history: the main window opens it for the administrator only, one window per lot; the
// documents of all seven tables in date order with their effects and the running stock after
// real movements and returns; the audit of the ledger against the lot's stock; the reading of
// dates and typed quantities; and its print menu.
#include "admin/lothistory.h"
#include "admin/lothistorywindow.h"
#include "app/mainwindow.h"
#include "movements/documentnumbers.h"
#include "movements/stockreduction.h"
#include "printing/printsession.h"
#include "returns/returnaction.h"
#include "tests/support/commalocale.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace
{

const QString kLot = QStringLiteral("rk201831800");

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2018, 3, day), QTime(hour, minute));
}

// The documents of one lot written the way the windows write them: the stock-in as the stock-in
// window does, sales, stock-outs and loans through the stock-reduction transaction, returns
// through the return action, each on its own day and time of the fixed clock.
struct Warehouse {
    Warehouse() : env(QStringLiteral("admin")) {}

    void stockIn(const QString& lot, const QString& quantity, const QString& date)
    {
        env.addStock(lot, QStringLiteral("6901"), QStringLiteral("螺丝"), quantity,
                     QStringLiteral("盒"), QStringLiteral("无"));
        QVERIFY(env.db().ExecuteSql(
            QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称,入库数量,产品单位,"
                           "入库时间,入库人员,备注)values(?,?,?,?,?,?,?,?)"),
            {lot, QStringLiteral("6901"), QStringLiteral("螺丝"), quantity, QStringLiteral("盒"),
             date, QStringLiteral("admin"), QStringLiteral("首批")}));
    }

    // A sale, stock-out or loan of the lot; returns its document number.
    QString takeOut(const QString& prefix, const QString& quantity, const QDateTime& when)
    {
        env.clock().set(when);
        const QString number = DocumentNumbers::of(env.context()).make(prefix);
        const QString date = QStringLiteral("%1-%2-%3")
                                 .arg(when.date().year())
                                 .arg(when.date().month())
                                 .arg(when.date().day());
        StockReduction reduction;
        reduction.lot = kLot;
        reduction.quantity = quantity.toDouble();
        if (prefix == QStringLiteral("xs")) {
            reduction.comparison = StockComparison::WholeNumbers;
            reduction.wholeQuantity = quantity.toLongLong();
            reduction.insertSql = QStringLiteral(
                "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,产品单位,"
                "销售单价,销售时间,销售人员)values(?,?,?,?,?,?,?,?,?)");
            reduction.insertParams = {number, kLot,  "6901", "螺丝", quantity,
                                      "盒",   "3.5", date,   "admin"};
        } else if (prefix == QStringLiteral("ck")) {
            reduction.insertSql = QStringLiteral(
                "insert into 出库管理模块(出库单号,入库单号,产品ID,产品名称,出库数量,产品单位,"
                "出库原因,出库时间,操作人员,备注)values(?,?,?,?,?,?,?,?,?,?)");
            reduction.insertParams = {number, kLot,   "6901", "螺丝",  quantity,
                                      "盒",   "报损", date,   "admin", "受潮"};
        } else {
            reduction.insertSql = QStringLiteral(
                "insert into 借用管理模块(借用单号,入库单号,产品ID,产品名称,借用数量,产品单位,"
                "借用人员单位,借用时间,审批人员,备注)values(?,?,?,?,?,?,?,?,?,?)");
            reduction.insertParams = {number, kLot,     "6901", "螺丝",  quantity,
                                      "盒",   "维修部", date,   "admin", "借"};
        }
        ReportList products;
        env.dialogs().answerMessage();
        const StockReductionOutcome outcome =
            reduceStockAndRecord(env.context(), nullptr, &products, reduction);
        if (outcome != StockReductionOutcome::Done)
            qWarning("take-out refused: %s", qPrintable(env.dialogs().last().text));
        return number;
    }

    // A return of sold (sale) or lent goods; the second number is the problem record's.
    ReturnOutcome giveBack(const ReturnKind& kind, const QString& document, const QString& quantity,
                           ReturnChoice choice, const QDateTime& when)
    {
        env.clock().set(when);
        ReturnEntry entry;
        entry.choice = choice;
        entry.hasCurrentRow = true;
        entry.selection = {document, kLot, QStringLiteral("6901"), QStringLiteral("螺丝"),
                           QStringLiteral("盒")};
        entry.quantityText = quantity;
        entry.detailText = QStringLiteral("客户");
        entry.remark = QStringLiteral("退回");
        env.dialogs().answerMessage();
        return performReturn(env.context(), nullptr, kind, entry, {});
    }

    TestEnvironment env;
};

QStringList column(const ReportList* list, int column)
{
    QStringList cells;
    for (int row = 0; row < list->rowCount(); ++row)
        cells.append(list->cellText(row, column));
    return cells;
}

LotDocument document(LotDocumentKind kind, const QString& number, const QString& date,
                     double quantity)
{
    LotDocument document;
    document.kind = kind;
    document.number = number;
    document.dateText = date;
    document.quantity = quantity;
    return document;
}

// Double-clicks the stock list's row as the operator does.
void doubleClickRow(ReportList* list, int row)
{
    const QModelIndex index = list->reportModel()->index(row, 2);
    const QPoint centre = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

QList<LotHistoryWindow*> historyWindows(QWidget* owner)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return owner->findChildren<LotHistoryWindow*>(Qt::FindDirectChildrenOnly);
}

} // namespace

class TestLotHistory : public QObject
{
    Q_OBJECT
private slots:
    void historyOfRealMovementsAndReturns();
    void ledgerAuditFlagsStockChangedBehindIt();
    void onlyTheAdministratorOpensIt();
    void dates_data();
    void dates();
    void orderByDateThenStockInThenNumber();
    void typedQuantitiesOnACommaDesktop();
    void printMenuHandsTheListToPrinting();
};

void TestLotHistory::historyOfRealMovementsAndReturns()
{
    Warehouse w;
    w.stockIn(kLot, QStringLiteral("20"), QStringLiteral("2018-3-1"));
    w.stockIn(QStringLiteral("rk201831900"), QStringLiteral("5"), QStringLiteral("2018-3-1"));
    const QString sale = w.takeOut(QStringLiteral("xs"), QStringLiteral("3"), at(2, 9));
    const QString loan = w.takeOut(QStringLiteral("jy"), QStringLiteral("4"), at(2, 14, 30));
    const ReturnOutcome resold =
        w.giveBack(ReturnKind::sales(), sale, "1", ReturnChoice::DoesNotAffect, at(9, 8));
    const ReturnOutcome damaged =
        w.giveBack(ReturnKind::sales(), sale, "1", ReturnChoice::AffectsResale, at(9, 16));
    const ReturnOutcome back =
        w.giveBack(ReturnKind::loans(), loan, "2", ReturnChoice::DoesNotAffect, at(10, 9));
    const ReturnOutcome broken =
        w.giveBack(ReturnKind::loans(), loan, "1", ReturnChoice::AffectsResale, at(10, 11));
    QVERIFY(resold.committed && damaged.committed && back.committed && broken.committed);

    MainWindow main(w.env.context());
    main.refreshTitleAndStock();
    auto* stock = main.findChild<ReportList*>(QStringLiteral("超级列表框主"));
    QCOMPARE(stock->cellText(0, 1), kLot);
    doubleClickRow(stock, 0);
    QList<LotHistoryWindow*> windows = historyWindows(&main);
    QCOMPARE(windows.size(), 1);
    LotHistoryWindow* history = windows.first();
    QCOMPARE(history->windowTitle(), QStringLiteral("批次履历 - ") + kLot);
    QCOMPARE(history->findChild<QLineEdit*>(QStringLiteral("编辑框_产品名称"))->text(),
             QStringLiteral("螺丝"));
    auto* status = history->findChild<QLabel*>(QStringLiteral("透明标签_状态"));
    QCOMPARE(status->text(), QStringLiteral("共有 9 条记录，当前库存 16"));

    // A stock-out of a fraction, then the same lot again: the open window, read anew, not a
    // second one.
    const QString stockOut = w.takeOut(QStringLiteral("ck"), QStringLiteral("2.5"), at(12, 10));
    QCOMPARE(
        w.env.value(QStringLiteral("select 产品库存 from 总数据库模块 where 入库单号=? "), {kLot}),
        QStringLiteral("13.5"));
    main.refreshTitleAndStock();
    doubleClickRow(stock, 0);
    QCOMPARE(historyWindows(&main), QList<LotHistoryWindow*>{history});

    const ReportList* list = history->findChild<ReportList*>(QStringLiteral("超级列表框_履历"));
    QCOMPARE(column(list, 0), QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    QCOMPARE(column(list, 1), QStringList({"入库", "销售", "借用", "退货", "退货", "问题", "归还",
                                           "归还", "问题", "出库"}));
    QCOMPARE(column(list, 2),
             QStringList({kLot, sale, loan, resold.returnNumber, damaged.returnNumber,
                          damaged.problemNumber, back.returnNumber, broken.returnNumber,
                          broken.problemNumber, stockOut}));
    // 2018-3-10 comes after 2018-3-9: dates, not texts, are compared.
    QCOMPARE(column(list, 3),
             QStringList({"2018-3-1", "2018-3-2", "2018-3-2", "2018-3-9", "2018-3-9", "2018-3-9",
                          "2018-3-10", "2018-3-10", "2018-3-10", "2018-3-12"}));
    QCOMPARE(column(list, 4), QStringList({"20", "3", "4", "1", "1", "1", "2", "1", "1", "2.5"}));
    QCOMPARE(column(list, 5),
             QStringList({"+20", "-3", "-4", "+1", "0", "0", "+2", "0", "0", "-2.5"}));
    QCOMPARE(column(list, 6).first(), QStringLiteral("admin"));
    QCOMPARE(column(list, 7).first(), QStringLiteral("首批"));
    QCOMPARE(column(list, 7).last(), QStringLiteral("受潮"));
    QCOMPARE(column(list, 8),
             QStringList({"20", "17", "13", "14", "14", "14", "16", "16", "16", "13.5"}));
    QCOMPARE(status->text(), QStringLiteral("共有 10 条记录，当前库存 13.5"));
    QVERIFY(status->palette().color(QPalette::WindowText) != QColor(Qt::red));

    // Another lot has a window of its own; a closed window is not raised again.
    doubleClickRow(stock, 1);
    QCOMPARE(historyWindows(&main).size(), 2);
    history->close();
    QCOMPARE(historyWindows(&main).size(), 1);
    doubleClickRow(stock, 0);
    QCOMPARE(historyWindows(&main).size(), 2);
    for (const QString& text : w.env.dialogs().texts())
        QCOMPARE(text, QStringLiteral("操作成功"));
}

void TestLotHistory::ledgerAuditFlagsStockChangedBehindIt()
{
    Warehouse w;
    w.stockIn(kLot, QStringLiteral("20"), QStringLiteral("2018-3-1"));
    w.takeOut(QStringLiteral("ck"), QStringLiteral("2.5"), at(2, 9));
    LotHistoryWindow window(w.env.context(), kLot);
    auto* status = window.findChild<QLabel*>(QStringLiteral("透明标签_状态"));
    QCOMPARE(status->text(), QStringLiteral("共有 2 条记录，当前库存 17.5"));

    // Each step changes the stock behind the ledger (or back) and reads the lot again.
    const struct {
        const char* stock; // empty: the lot's stock row is deleted
        const char* status;
        bool red;
    } steps[] = {
        {"99", "账实不符：台账 17.5，库存 99", true},
        {"17.50000001", "共有 2 条记录，当前库存 17.50000001", false}, // within 1e-7
        {"17.5000002", "账实不符：台账 17.5，库存 17.5000002", true},
        {"17.5", "共有 2 条记录，当前库存 17.5", false},
        {"", "账实不符：台账 17.5，库存 0", true},
    };
    for (const auto& step : steps) {
        const QString stock = QString::fromUtf8(step.stock);
        if (stock.isEmpty())
            QVERIFY(w.env.db().ExecuteSql(
                QStringLiteral("delete from 总数据库模块 where 入库单号=? "), {kLot}));
        else
            QVERIFY(w.env.db().ExecuteSql(
                QStringLiteral("update 总数据库模块 set 产品库存=? where 入库单号=? "),
                {stock, kLot}));
        window.reload();
        QCOMPARE(status->text(), QString::fromUtf8(step.status));
        QCOMPARE(status->palette().color(QPalette::WindowText) == QColor(Qt::red), step.red);
    }
    // Without its stock row the lot still shows its product, from the stock-in.
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("编辑框_产品单位"))->text(),
             QStringLiteral("盒"));
}

void TestLotHistory::onlyTheAdministratorOpensIt()
{
    for (const QString& user : {QStringLiteral("zhang"), QStringLiteral("Admin"), QString()}) {
        TestEnvironment env(QStringLiteral("admin"));
        env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("螺丝"), QStringLiteral("5"));
        MainWindow main(env.context());
        main.refreshTitleAndStock();
        env.context().setSessionUser(user);
        env.dialogs().answerMessage();
        doubleClickRow(main.findChild<ReportList*>(QStringLiteral("超级列表框主")), 0);
        QCOMPARE(env.dialogs().texts(), QStringList{QStringLiteral("本页面仅管理员可操作")});
        QCOMPARE(env.dialogs().last().title, QStringLiteral("提示"));
        QVERIFY(historyWindows(&main).isEmpty());
    }
}

void TestLotHistory::dates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("date text") << "2018-3-5" << QDate(2018, 3, 5);
    QTest::newRow("leading zeros") << "2018-03-05" << QDate(2018, 3, 5);
    QTest::newRow("slashes and a time") << "2018/3/5 10:30:00" << QDate(2018, 3, 5);
    QTest::newRow("date-time display") << "2018年3月5日 9:07:02" << QDate(2018, 3, 5);
    QTest::newRow("no such day") << "2018-2-30" << QDate();
    QTest::newRow("three-digit month") << "2018-123-5" << QDate();
    QTest::newRow("words") << "昨天" << QDate();
}

void TestLotHistory::dates()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(lotDocumentDate(text), date);
}

void TestLotHistory::orderByDateThenStockInThenNumber()
{
    using K = LotDocumentKind;
    // Given out of order: the order follows dates, the stock-in first on its day, numbers
    // compared by their digits (9:05 before 10:05, which texts would put the other way round),
    // and documents without a date last.
    const LotHistory history(kLot,
                             {document(K::Sale, "xs201831110530", "2018-3-11", 1),
                              document(K::Sale, "xs201839950", "2018-3-9", 2),
                              document(K::Problem, "wt2018310800", "", 1),
                              document(K::StockOut, "ck2018391050", "2018-3-9", 1),
                              document(K::StockIn, kLot, "2018-3-9", 10),
                              document(K::Sale, "xs2018310800", "2018-3-10", 1),
                              document(K::SalesReturn, "th2018310800", "2018-3-10", 1)},
                             6.0);
    QStringList numbers;
    QStringList balances;
    for (const LotDocument& d : history.documents()) {
        numbers.append(d.number);
        balances.append(QString::number(d.balance));
    }
    QCOMPARE(numbers, QStringList({kLot, "xs201839950", "ck2018391050", "th2018310800",
                                   "xs2018310800", "xs201831110530", "wt2018310800"}));
    QCOMPARE(balances, QStringList({"10", "8", "7", "7", "6", "5", "5"}));
    QCOMPARE(history.ledgerStock(), 5.0);
    QVERIFY(!history.isBalanced());
    QCOMPARE(history.statusText(), QStringLiteral("账实不符：台账 5，库存 6"));
    QVERIFY(lotDocumentBefore(history.documents().at(1), history.documents().at(2)));
    QVERIFY(!lotDocumentBefore(history.documents().at(2), history.documents().at(1)));

    const LotHistory empty(kLot, {}, std::nullopt);
    QVERIFY(empty.isBalanced());
    QCOMPARE(empty.statusText(), QStringLiteral("共有 0 条记录，当前库存 0"));
}

void TestLotHistory::typedQuantitiesOnACommaDesktop()
{
    CommaDecimalLocale comma;
    TestEnvironment env;
    // A lot whose number holds a quote is found as well: the lot is a bound value.
    const QString lot = QStringLiteral("rk2018'3");
    env.addStock(lot, QStringLiteral("6901"), QStringLiteral("螺丝"), QStringLiteral("0.3"));
    const auto add = [&env, &lot](const QString& table, const QString& number,
                                  const QString& quantity) {
        QVERIFY(env.db().ExecuteSql(
            QStringLiteral("insert into %1(%2,入库单号,%3,%4)values(?,?,?,?)")
                .arg(table, table == QStringLiteral("出库管理模块") ? "出库单号" : "归还单号",
                     table == QStringLiteral("出库管理模块") ? "出库数量" : "归还数量",
                     table == QStringLiteral("出库管理模块") ? "出库时间" : "归还时间"),
            {number, lot, quantity, QStringLiteral("2018-3-2")}));
    };
    QVERIFY(env.db().ExecuteSql(
        QStringLiteral("insert into 入库管理模块(入库单号,入库数量,入库时间)values(?,?,?)"),
        {lot, QStringLiteral("2abc"), QStringLiteral("2018-3-1")}));
    add(QStringLiteral("出库管理模块"), QStringLiteral("ck1"), QStringLiteral("1.5"));
    add(QStringLiteral("出库管理模块"), QStringLiteral("ck2"), QStringLiteral("０.１"));
    add(QStringLiteral("出库管理模块"), QStringLiteral("ck3"), QStringLiteral("0.1个"));
    QVERIFY(
        env.db().ExecuteSql(QStringLiteral("update 出库管理模块 set 出库时间=? where 出库单号=? "),
                            {QStringLiteral("2018-3-3"), QStringLiteral("ck3")}));

    const LotHistory history = LotHistory::load(env.db(), lot);
    std::vector<QStringList> rows = history.listRows();
    QCOMPARE(int(rows.size()), 4);
    QStringList effects;
    QStringList balances;
    for (const QStringList& row : rows) {
        effects.append(row.at(5));
        balances.append(row.at(8));
    }
    QCOMPARE(rows.front().at(4), QStringLiteral("2abc"));
    QCOMPARE(effects, QStringList({"+2", "-1.5", "-0.1", "-0.1"}));
    // 2 - 1.5 - 0.1 - 0.1 is 0.3 within the tolerance, shown without binary rounding digits.
    QCOMPARE(balances, QStringList({"2", "0.5", "0.4", "0.3"}));
    QVERIFY(history.isBalanced());
    QCOMPARE(history.statusText(), QStringLiteral("共有 4 条记录，当前库存 0.3"));
}

void TestLotHistory::printMenuHandsTheListToPrinting()
{
    Warehouse w;
    w.stockIn(kLot, QStringLiteral("20"), QStringLiteral("2018-3-1"));
    LotHistoryWindow window(w.env.context(), kLot);
    window.findChild<QAction*>(QStringLiteral("菜单_打印"))->trigger();
    QCOMPARE(PrintSession::of(w.env.context()).source(), window.list());
    QCOMPARE(PrintSession::of(w.env.context()).sourceWindow(), &window);
    // The print settings window has no owner: close it.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == QStringLiteral("超级列表框打印预览设置"))
            widget->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(TestLotHistory)
#include "test_lothistory.moc"
