// SPDX-License-Identifier: GPL-3.0-or-later
// Every window that writes a document, when the file already holds the number it made (written
// by an earlier run, or by another moment with the same digits): the document is stored under
// the next number within the same press, the movement happens once, and only running out of
// numbers is reported.

#include "movements/documentnumbers.h"
#include "movements/windows.h"
#include "returns/loanreturnswindow.h"
#include "returns/salesreturnswindow.h"
#include "tests/movements/windowdriver.h"
#include "tests/returns/returnsfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace
{

enum class Action { StockIn, Sale, StockOut, Lending, SalesReturn, LoanReturn, ProblemRecord };

const QString kLot = QStringLiteral("rk1");
const QDateTime kNow(QDate(2018, 3, 5), QTime(9, 7, 2)); // the test clock

// The number made n seconds after the test clock's time.
QString numberAt(const QString& prefix, int seconds)
{
    return prefix + timestampDigits(kNow.addSecs(seconds));
}

// Runs one press of the action's window over the lot rk1 (stock 10), the sale xs1 and the loan
// jy1 (5 each); returns the texts of the message boxes the press showed.
QStringList press(TestEnvironment& env, Action action)
{
    const qsizetype before = env.dialogs().shown().size();
    auto productWindow = [&](QWidget* window, const char* list, const char* button) {
        OpenWindow open(window);
        open.control<ReportList>(QString::fromUtf8(list))->setCurrentRow(0);
        if (auto* quantity = open->findChild<QLineEdit*>(QStringLiteral("编辑框_数量")))
            quantity->setText(QStringLiteral("2"));
        env.dialogs().answerMessage();
        QTest::mouseClick(open.control<QPushButton>(QString::fromUtf8(button)), Qt::LeftButton);
    };
    switch (action) {
    case Action::StockIn: {
        env.dialogs().answerInput(QStringLiteral("ID-9"));
        OpenWindow window(openStockInWindow(env.context()));
        window.control<QLineEdit>(QStringLiteral("编辑框_名称"))->setText(QStringLiteral("新货"));
        window.control<QLineEdit>(QStringLiteral("编辑框_数量"))->setText(QStringLiteral("2"));
        env.dialogs().answerMessage(MessageAnswer::No);
        QTest::mouseClick(window.control<QPushButton>(QStringLiteral("按钮_添加")), Qt::LeftButton);
        break;
    }
    case Action::Sale:
        env.dialogs().answerInput(QStringLiteral("2"));
        productWindow(openSalesWindow(env.context()), "超级列表框_销售", "按钮_销售");
        break;
    case Action::StockOut:
        productWindow(openStockOutWindow(env.context()), "超级列表框_出库", "按钮_出库");
        break;
    case Action::Lending:
        productWindow(openBorrowingWindow(env.context()), "超级列表框_借用", "按钮_借用");
        break;
    case Action::SalesReturn:
    case Action::ProblemRecord: {
        SalesReturnsWindow window(env.context());
        ReturnsDriver(env, &window, false)
            .returnGoods(QStringLiteral("xs1"), QStringLiteral("2"), action == Action::SalesReturn);
        break;
    }
    case Action::LoanReturn: {
        LoanReturnsWindow window(env.context());
        ReturnsDriver(env, &window, true)
            .returnGoods(QStringLiteral("jy1"), QStringLiteral("2"), true);
        break;
    }
    }
    QStringList messages;
    for (const ScriptedDialogs::Shown& box : env.dialogs().shown().mid(before)) {
        if (!box.isInput)
            messages.append(box.text);
    }
    return messages;
}

} // namespace

class TestTakenNumbers : public QObject
{
    Q_OBJECT
private slots:
    void takenNumberMovesToTheNext_data();
    void takenNumberMovesToTheNext();
};

void TestTakenNumbers::takenNumberMovesToTheNext_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("table"); // where the taken numbers already are
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("taken"); // how many numbers from the clock's second on are taken
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("stock"); // of lot rk1 afterwards

    auto row = [](const char* name, Action action, const char* table, const char* column, int taken,
                  const char* outcome, const char* stock) {
        QTest::newRow(name) << int(action) << QString::fromUtf8(table) << QString::fromUtf8(column)
                            << taken << QString::fromUtf8(outcome) << QString::fromUtf8(stock);
    };
    const char* done = "操作成功";
    const char* stockedIn = "产品入库成功是否继续添加";
    row("rk: log holds it", Action::StockIn, "入库管理模块", "入库单号", 1, stockedIn, "10");
    row("rk: a lot holds it", Action::StockIn, "总数据库模块", "入库单号", 1, stockedIn, "10");
    row("xs: two taken", Action::Sale, "销售管理模块", "销售单号", 2, done, "8");
    row("ck", Action::StockOut, "出库管理模块", "出库单号", 1, done, "8");
    row("jy", Action::Lending, "借用管理模块", "借用单号", 1, done, "8");
    row("th", Action::SalesReturn, "退货管理模块", "退货单号", 1, done, "12");
    row("gh", Action::LoanReturn, "归还管理模块", "归还单号", 1, done, "12");
    row("wt of a return", Action::ProblemRecord, "问题处理模块", "问题单号", 1, done, "10");
    // Running out of numbers is a failure like any other: shown, nothing written.
    row("xs: all taken", Action::Sale, "销售管理模块", "销售单号", kMaxDocumentNumberTries,
        "操作失败", "10");
    row("rk: all taken", Action::StockIn, "入库管理模块", "入库单号", kMaxDocumentNumberTries,
        "产品入库失败", "10");
    row("wt: all taken", Action::ProblemRecord, "问题处理模块", "问题单号", kMaxDocumentNumberTries,
        "操作失败", "10");
}

void TestTakenNumbers::takenNumberMovesToTheNext()
{
    QFETCH(int, action);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(int, taken);
    QFETCH(QString, outcome);
    QFETCH(QString, stock);

    TestEnvironment env;
    QWidget mainWindow;
    env.context().setMainWindow(&mainWindow);
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("10"));
    addSale(env, QStringLiteral("xs1"), kLot, QStringLiteral("5"));
    addLoan(env, QStringLiteral("jy1"), kLot, QStringLiteral("5"));
    const QString prefix = QStringList{"rk", "xs", "ck", "jy", "th", "gh", "wt"}.at(action);
    for (int i = 0; i < taken; ++i) {
        QVERIFY(
            env.db().ExecuteSql(QStringLiteral("insert into %1(%2)values(?)").arg(table, column),
                                {numberAt(prefix, i)}));
    }
    const int rowsBefore = env.count(table);

    // One press, one box: the outcome. The clash itself is never shown, and the movement
    // happens once.
    QCOMPARE(press(env, Action(action)), QStringList{outcome});
    QCOMPARE(
        env.value(QStringLiteral("select 产品库存 from 总数据库模块 where 入库单号=? "), {kLot}),
        stock);
    QVERIFY(!env.db().inTransaction());
    if (taken == kMaxDocumentNumberTries) {
        QCOMPARE(env.count(table), rowsBefore);
        return;
    }
    // Stored once, under the first number not taken.
    const QString next = numberAt(prefix, taken);
    QCOMPARE(env.count(table), rowsBefore + 1);
    QCOMPARE(
        env.value(QStringLiteral("select count(*) from %1 where %2=? ").arg(table, column), {next}),
        QStringLiteral("1"));
    if (Action(action) == Action::StockIn) {
        // Both rows of the stock-in carry it.
        QCOMPARE(
            env.value(QStringLiteral("select count(*) from 入库管理模块 join 总数据库模块 using "
                                     "(入库单号) where 入库单号=? "),
                      {next}),
            QStringLiteral("1"));
    }
    if (Action(action) == Action::ProblemRecord) {
        // The problem record names the return it belongs to.
        QCOMPARE(env.value(QStringLiteral("select count(*) from 问题处理模块 join 退货管理模块 "
                                          "using (退货单号) where 问题单号=? "),
                           {next}),
                 QStringLiteral("1"));
    }
}

QTEST_MAIN(TestTakenNumbers)
#include "test_takennumbers.moc"
