// SPDX-License-Identifier: GPL-3.0-or-later
// A long, seeded sequence of stock-ins, sales, stock-outs, loans and both kinds of returns, driven
// through the real windows; afterwards the stock of every lot, the running totals of returned
// goods and the problem records must agree with the documents.

#include "movements/windows.h"
#include "returns/loanreturnswindow.h"
#include "returns/salesreturnswindow.h"
#include "tests/returns/returnsfixture.h"

#include <QCoreApplication>
#include <QPointer>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>

namespace
{

constexpr unsigned kSeed = 20180305;
constexpr int kSteps = 600;

struct Lot {
    QString number;
    qint64 stock = 0;
};

struct Issue { // a sale or a loan
    QString number;
    int lot = 0;
    qint64 quantity = 0;
    qint64 returned = 0;
};

// The number of the document just written: the one of the table not among those known before.
template <typename Known>
QString lastNumber(TestEnvironment& env, const QString& column, const QString& table,
                   const QList<Known>& known)
{
    Database& db = env.db();
    const int handle = db.OpenTable(QStringLiteral("select %1 from %2").arg(column, table));
    QString found;
    for (; !db.IsEOF(handle); db.MoveNext(handle)) {
        const QString number = db.readText(handle, column);
        if (std::none_of(known.begin(), known.end(),
                         [&](const Known& k) { return k.number == number; }))
            found = number;
    }
    db.CloseTable(handle);
    return found;
}

// Selects the row of a list whose column 1 holds the text; false when it is not listed.
bool selectRow(ReportList* list, const QString& text)
{
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->cellText(row, 1) == text) {
            list->setCurrentRow(row);
            return list->currentRow() == row;
        }
    }
    return false;
}

} // namespace

class TestReturnsLedger : public QObject
{
    Q_OBJECT
private slots:
    void randomMovementsKeepTheLedger();

private:
    // Each step returns the message the operator saw last.
    QString stockIn(qint64 quantity);
    QString reduce(const char* windowKind, int lot, qint64 quantity);
    QString giveBack(bool loans, int issue, const QString& quantity, int choice);
    QString expectedReduction(int lot, qint64 quantity) const;
    void checkLedger();

    QString pressAndAnswer(QWidget* button);

    std::unique_ptr<TestEnvironment> mEnv;
    QPointer<QWidget> mSales;
    QPointer<QWidget> mStockOut;
    QPointer<QWidget> mBorrowing;
    std::unique_ptr<SalesReturnsWindow> mSalesReturns;
    std::unique_ptr<LoanReturnsWindow> mLoanReturns;
    QList<Lot> mLots;
    QList<Issue> mSalesMade;
    QList<Issue> mLoansMade;
};

QString TestReturnsLedger::pressAndAnswer(QWidget* button)
{
    mEnv->dialogs().answerMessage(MessageAnswer::Ok);
    QTest::mouseClick(button, Qt::LeftButton);
    return mEnv->dialogs().last().text;
}

QString TestReturnsLedger::stockIn(qint64 quantity)
{
    const int index = int(mLots.size());
    mEnv->dialogs().answerInput(QStringLiteral("69%1").arg(index));
    QPointer<QWidget> window = openStockInWindow(mEnv->context());
    if (!window)
        return QStringLiteral("<no stock-in window>");
    window->findChild<QLineEdit*>(QStringLiteral("编辑框_名称"))
        ->setText(QStringLiteral("货品%1").arg(index));
    window->findChild<QLineEdit*>(QStringLiteral("编辑框_数量"))
        ->setText(QString::number(quantity));
    mEnv->dialogs().answerMessage(MessageAnswer::No);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮_添加")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (window)
        return QStringLiteral("<stock-in window still open>");
    const QString text = mEnv->dialogs().last().text;
    if (text == QStringLiteral("产品入库成功是否继续添加"))
        mLots.append(
            {lastNumber(*mEnv, QStringLiteral("入库单号"), QStringLiteral("入库管理模块"), mLots),
             quantity});
    return text;
}

QString TestReturnsLedger::expectedReduction(int lot, qint64 quantity) const
{
    const qint64 stock = mLots[lot].stock;
    if (stock == 0)
        return QStringLiteral("操作失败");
    if (stock < quantity)
        return QStringLiteral("现有库存不足");
    return QStringLiteral("操作成功");
}

QString TestReturnsLedger::reduce(const char* windowKind, int lot, qint64 quantity)
{
    const QString kind = QString::fromUtf8(windowKind);
    QWidget* window = kind == QStringLiteral("销售")   ? mSales.data()
                      : kind == QStringLiteral("出库") ? mStockOut.data()
                                                       : mBorrowing.data();
    const QString findName = kind == QStringLiteral("销售")   ? QStringLiteral("按钮_查找xs")
                             : kind == QStringLiteral("出库") ? QStringLiteral("按钮_查找")
                                                              : QStringLiteral("按钮_查找jy");
    // The list of an open window is not refilled by other windows: list everything again.
    window->findChild<QLineEdit*>(QStringLiteral("编辑框_查找"))->clear();
    QTest::mouseClick(window->findChild<QPushButton*>(findName), Qt::LeftButton);
    auto* list = window->findChild<ReportList*>(QStringLiteral("超级列表框_") + kind);
    if (!selectRow(list, mLots[lot].number))
        return QStringLiteral("<lot not listed>");

    QString text;
    if (kind == QStringLiteral("销售")) {
        mEnv->dialogs().answerInput(QString::number(quantity));
        text = pressAndAnswer(window->findChild<QPushButton*>(QStringLiteral("按钮_销售")));
    } else if (kind == QStringLiteral("出库")) {
        window->findChild<QLineEdit*>(QStringLiteral("编辑框_数量"))
            ->setText(QString::number(quantity));
        text = pressAndAnswer(window->findChild<QPushButton*>(QStringLiteral("按钮_出库")));
    } else {
        window->findChild<QLineEdit*>(QStringLiteral("编辑框_人员"))
            ->setText(QStringLiteral("王五"));
        window->findChild<QLineEdit*>(QStringLiteral("编辑框_数量"))
            ->setText(QString::number(quantity));
        text = pressAndAnswer(window->findChild<QPushButton*>(QStringLiteral("按钮_借用")));
    }
    if (text == QStringLiteral("操作成功")) {
        mLots[lot].stock -= quantity;
        if (kind == QStringLiteral("销售"))
            mSalesMade.append({lastNumber(*mEnv, QStringLiteral("销售单号"),
                                          QStringLiteral("销售管理模块"), mSalesMade),
                               lot, quantity, 0});
        else if (kind == QStringLiteral("借用"))
            mLoansMade.append({lastNumber(*mEnv, QStringLiteral("借用单号"),
                                          QStringLiteral("借用管理模块"), mLoansMade),
                               lot, quantity, 0});
    }
    return text;
}

// choice: 0 neither radio button, 1 "影响再次销售", 2 "不影响".
QString TestReturnsLedger::giveBack(bool loans, int issue, const QString& quantity, int choice)
{
    ReturnsWindow* window = loans ? static_cast<ReturnsWindow*>(mLoanReturns.get())
                                  : static_cast<ReturnsWindow*>(mSalesReturns.get());
    ReturnsDriver drive(*mEnv, window, loans);
    Issue& returned = loans ? mLoansMade[issue] : mSalesMade[issue];

    drive.search->clear();
    QTest::mouseClick(drive.find, Qt::LeftButton);
    if (!drive.select(returned.number))
        return QStringLiteral("<document not listed>");
    drive.quantity->setText(quantity);
    // The two choices exclude each other; "neither" needs them both cleared.
    drive.affects->setAutoExclusive(false);
    drive.doesNotAffect->setAutoExclusive(false);
    drive.affects->setChecked(choice == 1);
    drive.doesNotAffect->setChecked(choice == 2);
    drive.affects->setAutoExclusive(true);
    drive.doesNotAffect->setAutoExclusive(true);

    const QString text = drive.press();

    QString expected;
    const qint64 amount = quantity.toLongLong();
    if (choice == 0)
        expected = QStringLiteral("是否影响再次销售？？？");
    else if (amount < 1)
        expected = loans ? QStringLiteral("归还数量不能为空") : QStringLiteral("退货数量有误");
    else if (amount > returned.quantity - returned.returned)
        expected = loans ? QStringLiteral("归还数量大于借用数量请核对后处理")
                         : QStringLiteral("退货数量大于购买数量请核对后处理");
    else
        expected = QStringLiteral("操作成功");
    if (text != expected)
        return QStringLiteral("%1 (expected %2)").arg(text, expected);
    if (text == QStringLiteral("操作成功")) {
        returned.returned += amount;
        if (choice == 2)
            mLots[returned.lot].stock += amount;
    }
    return QStringLiteral("ok");
}

void TestReturnsLedger::randomMovementsKeepTheLedger()
{
    mEnv = std::make_unique<TestEnvironment>();
    mSales = openSalesWindow(mEnv->context());
    mStockOut = openStockOutWindow(mEnv->context());
    mBorrowing = openBorrowingWindow(mEnv->context());
    mSalesReturns = std::make_unique<SalesReturnsWindow>(mEnv->context());
    mLoanReturns = std::make_unique<LoanReturnsWindow>(mEnv->context());

    std::mt19937 random(kSeed);
    auto below = [&random](int n) {
        return int(random() % unsigned(n));
    };
    int successes = 0;
    int refusals = 0;

    for (int step = 0; step < kSteps; ++step) {
        const int roll = below(100);
        QString text;
        QString expected;
        if (mLots.isEmpty() || roll < 12) {
            text = stockIn(1 + below(8));
            expected = QStringLiteral("产品入库成功是否继续添加");
        } else if (roll < 32) {
            const int lot = below(int(mLots.size()));
            const qint64 quantity = 1 + below(5);
            expected = expectedReduction(lot, quantity);
            text = reduce("销售", lot, quantity);
        } else if (roll < 42) {
            const int lot = below(int(mLots.size()));
            const qint64 quantity = 1 + below(4);
            expected = expectedReduction(lot, quantity);
            text = reduce("出库", lot, quantity);
        } else if (roll < 58) {
            const int lot = below(int(mLots.size()));
            const qint64 quantity = 1 + below(4);
            expected = expectedReduction(lot, quantity);
            text = reduce("借用", lot, quantity);
        } else {
            const bool loans = roll >= 79;
            const qsizetype issues = loans ? mLoansMade.size() : mSalesMade.size();
            if (issues == 0)
                continue;
            const int choiceRoll = below(10);
            const int choice = choiceRoll == 0 ? 0 : (choiceRoll < 4 ? 1 : 2);
            const QString quantity =
                below(20) == 0 ? QStringLiteral("0") : QString::number(1 + below(4));
            text = giveBack(loans, below(int(issues)), quantity, choice);
            expected = QStringLiteral("ok");
        }
        QVERIFY2(
            text == expected,
            qPrintable(QStringLiteral("step %1: %2, expected %3").arg(step).arg(text, expected)));
        if (text == QStringLiteral("操作成功") || text == QStringLiteral("ok") ||
            text == QStringLiteral("产品入库成功是否继续添加"))
            ++successes;
        else
            ++refusals;
    }
    QCOMPARE(mEnv->dialogs().pending(), 0);
    QCOMPARE(mEnv->fatalErrors(), QStringList());
    QVERIFY(successes > kSteps / 3);
    QVERIFY(refusals > 10);
    QVERIFY(mEnv->count(QStringLiteral("退货管理模块")) > 10);
    QVERIFY(mEnv->count(QStringLiteral("归还管理模块")) > 10);
    QVERIFY(mEnv->count(QStringLiteral("问题处理模块")) > 5);

    // The model kept beside the windows agrees with the database.
    for (const Lot& lot : mLots)
        QCOMPARE(mEnv->value(QStringLiteral("select 产品库存 from 总数据库模块 where 入库单号=? "),
                             {lot.number}),
                 QString::number(lot.stock));
    checkLedger();

    delete mSales.data();
    delete mStockOut.data();
    delete mBorrowing.data();
    mSalesReturns.reset();
    mLoanReturns.reset();
    mEnv.reset();
}

void TestReturnsLedger::checkLedger()
{
    TestEnvironment& env = *mEnv;
    // Every lot: taken in − sold − taken out − lent + returned into stock.
    const QString lotsOff = env.value(
        QStringLiteral("select count(*) from 总数据库模块 m where m.产品库存 <> "
                       " (select total(入库数量) from 入库管理模块 where 入库单号=m.入库单号)"
                       " - (select total(销售数量) from 销售管理模块 where 入库单号=m.入库单号)"
                       " - (select total(出库数量) from 出库管理模块 where 入库单号=m.入库单号)"
                       " - (select total(借用数量) from 借用管理模块 where 入库单号=m.入库单号)"
                       " + (select total(退货数量) from 退货管理模块 where 入库单号=m.入库单号"
                       "    and 是否影响二次销售='不影响')"
                       " + (select total(归还数量) from 归还管理模块 where 入库单号=m.入库单号"
                       "    and 是否影响二次销售='不影响')"));
    QCOMPARE(lotsOff, QStringLiteral("0"));
    QCOMPARE(env.count(QStringLiteral("总数据库模块")), int(mLots.size()));

    // Every running total is the sum of its return documents.
    QCOMPARE(env.value(QStringLiteral("select count(*) from 销售管理模块 s where s.退货记录 <> "
                                      "(select total(退货数量) from 退货管理模块 where "
                                      "销售单号=s.销售单号)")),
             QStringLiteral("0"));
    QCOMPARE(env.value(QStringLiteral("select count(*) from 借用管理模块 l where l.归还记录 <> "
                                      "(select total(归还数量) from 归还管理模块 where "
                                      "借用单号=l.借用单号)")),
             QStringLiteral("0"));
    // No return exceeds what went out.
    QCOMPARE(
        env.value(QStringLiteral("select count(*) from 销售管理模块 where 退货记录 > 销售数量")),
        QStringLiteral("0"));
    QCOMPARE(
        env.value(QStringLiteral("select count(*) from 借用管理模块 where 归还记录 > 借用数量")),
        QStringLiteral("0"));

    // Every problem record has its return document, and every "影响" return its problem record.
    const QString orphans = env.value(QStringLiteral(
        "select count(*) from 问题处理模块 p where not exists (select 1 from 退货管理模块 r where "
        " r.退货单号=p.退货单号 and r.销售单号=p.销售单号 and r.入库单号=p.入库单号"
        " and r.退货数量=p.问题数量 and r.是否影响二次销售='影响' and p.借用单号 is null)"
        " and not exists (select 1 from 归还管理模块 g where g.归还单号=p.归还单号"
        " and g.借用单号=p.借用单号 and g.入库单号=p.入库单号 and g.归还数量=p.问题数量"
        " and g.是否影响二次销售='影响' and p.销售单号 is null)"));
    QCOMPARE(orphans, QStringLiteral("0"));
    QCOMPARE(
        env.count(QStringLiteral("问题处理模块")),
        env.value(QStringLiteral("select (select count(*) from 退货管理模块 where "
                                 "是否影响二次销售='影响') + (select count(*) from 归还管理模块 "
                                 "where 是否影响二次销售='影响')"))
            .toInt());
}

QTEST_MAIN(TestReturnsLedger)
#include "test_returns_ledger.moc"
