// SPDX-License-Identifier: GPL-3.0-or-later
#include "returns/loanreturnswindow.h"
#include "returns/problemgoodswindow.h"
#include "returns/salesreturnswindow.h"
#include "returns/windows.h"
#include "tests/returns/returnsfixture.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

#include <memory>

namespace
{

const QString kLot = QStringLiteral("rk2018311000");
const QString kSale = QStringLiteral("xs2018311200");
const QString kLoan = QStringLiteral("jy2018311300");

std::unique_ptr<ReturnsWindow> openWindow(TestEnvironment& env, bool loans)
{
    if (loans)
        return std::make_unique<LoanReturnsWindow>(env.context());
    return std::make_unique<SalesReturnsWindow>(env.context());
}

QString stockOf(TestEnvironment& env, const QString& lot)
{
    return env.value(QStringLiteral("select 产品库存 from 总数据库模块 where 入库单号=? "), {lot});
}

// The counts of every table a return writes, and the two running totals.
QStringList snapshot(TestEnvironment& env)
{
    QStringList state;
    for (const char* table : {"总数据库模块", "销售管理模块", "借用管理模块", "退货管理模块",
                              "归还管理模块", "问题处理模块"})
        state << QString::number(env.count(QString::fromUtf8(table)));
    state << env.value(
                 QStringLiteral("select group_concat(入库单号||':'||产品库存) from 总数据库模块"))
          << env.value(QStringLiteral("select group_concat(退货记录) from 销售管理模块"))
          << env.value(QStringLiteral("select group_concat(归还记录) from 借用管理模块"));
    return state;
}

// Data for a case that holds for both windows.
void bothKinds()
{
    QTest::addColumn<bool>("loans");
    QTest::newRow("sales") << false;
    QTest::newRow("loans") << true;
}

} // namespace

class TestReturns : public QObject
{
    Q_OBJECT
private slots:
    void windowsCarryTheirNamesAndColumns_data();
    void windowsCarryTheirNamesAndColumns();
    void openFunctionsMakeOwnedModelessWindows();

    void saleAcceptsWhatIsLeftAndRefusesMore();
    void loanAcceptsWhatIsLeftAndRefusesMore();
    void deletedLotComesBackWithTheReturnedStock_data();
    void deletedLotComesBackWithTheReturnedStock();
    void soldOutLotKeepsItsOneRow_data();
    void soldOutLotKeepsItsOneRow();
    void unsellableGoodsBecomeOneProblemRecord_data();
    void unsellableGoodsBecomeOneProblemRecord();
    void quantityIsStoredAsTyped();
    void returnsKeepFractions_data();
    void returnsKeepFractions();

    void refusalsComeInOrder_data();
    void refusalsComeInOrder();
    void eachPressMakesNewNumbers();
    void refilledListNeedsANewSelection();
    void missingDocumentRollsBackTheRecreatedLot_data();
    void missingDocumentRollsBackTheRecreatedLot();
    void unreadReturnedTotalIsRefusedForSalesOnly();
    void failedWriteRollsEverythingBack_data();
    void failedWriteRollsEverythingBack();

    void searchFindsNamesBeforeIds_data();
    void searchFindsNamesBeforeIds();
    void scanListsByProductId();
    void enterKeysFollowEachWindowsFlow();
    void remarkEnterRunsOnlyWhileItReadsNone();
    void cancelClosesBothWindows();
    void focusAtOpeningDiffers();
    void tabFollowsTheEnterChain();
    void quotesInKeptTextsAreData();
    void failedQueryLeavesOtherRecordSetsOpen();

    void problemViewShowsEachKindsColumns();
    void problemViewIsFilledOnceAtOpening();
};

void TestReturns::windowsCarryTheirNamesAndColumns_data()
{
    QTest::addColumn<bool>("loans");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<QString>("detailCaption");
    QTest::addColumn<QString>("actionCaption");

    const QStringList shared = {"透明标签2",     "透明标签3",   "透明标签4",   "透明标签1",
                                "单选框_不影响", "单选框_影响", "编辑框_备注", "按钮_扫描",
                                "编辑框_查找",   "按钮_取消"};
    QTest::newRow("sales") << false << QString("退货管理")
                           << (shared + QStringList{"编辑框_原因", "编辑框_退货数量", "按钮_查找th",
                                                    "超级列表框_退货", "按钮_退货"})
                           << QStringList{"序号",     "销售单号", "入库单号", "产品ID",
                                          "产品名称", "数量",     "单位",     "单价",
                                          "销售时间", "销售人员", "退货记录", "备注"}
                           << QList<int>{50, 123, 123, 100, 100, 50, 50, 70, 123, 80, 80, 111}
                           << QString("退货原因") << QString("确定退货");
    QTest::newRow("loans") << true << QString("归还管理")
                           << (shared + QStringList{"编辑框_归还人员", "编辑框_归还数量",
                                                    "按钮_查找gh", "超级列表框_归还", "按钮_归还"})
                           << QStringList{"序号",     "借用单号", "入库单号", "产品ID",
                                          "产品名称", "数量",     "单位",     "借用人员单位",
                                          "借用时间", "录入人员", "归还记录", "备注"}
                           << QList<int>{50, 123, 123, 100, 100, 50, 50, 123, 123, 80, 80, 111}
                           << QString("归还人员") << QString("确定");
}

void TestReturns::windowsCarryTheirNamesAndColumns()
{
    QFETCH(bool, loans);
    QFETCH(QString, title);
    QFETCH(QStringList, names);
    QFETCH(QStringList, headers);
    QFETCH(QList<int>, widths);
    QFETCH(QString, detailCaption);
    QFETCH(QString, actionCaption);

    TestEnvironment env;
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);
    QCOMPARE(window->windowTitle(), title);
    for (const QString& name : names)
        QVERIFY2(window->findChild<QWidget*>(name), qPrintable(name));

    QStringList shown;
    QList<int> shownWidths;
    for (int column = 0; column < drive.list->columnCount(); ++column) {
        shown << drive.list->columnTitle(column);
        shownWidths << drive.list->columnWidth(column);
    }
    QCOMPARE(shown, headers);
    QCOMPARE(shownWidths, widths);

    QCOMPARE(drive.list->geometry(), QRect(16, 48, 700, 367));
    QCOMPARE(drive.find->geometry(), QRect(296, 8, 72, 28));
    auto* detailLabel = drive.child<QLabel>("透明标签3");
    QCOMPARE(detailLabel->text(), detailCaption);
    QCOMPARE(detailLabel->buddy(), drive.detail);
    QCOMPARE(drive.child<QLabel>("透明标签2")->buddy(), drive.quantity);
    QCOMPARE(drive.child<QLabel>("透明标签4")->buddy(), drive.remark);
    QCOMPARE(drive.child<QLabel>("透明标签1")->buddy(), drive.search);
    QCOMPARE(drive.child<QLabel>("透明标签4")->text(), QStringLiteral("备    注"));
    QCOMPARE(drive.action->text(), actionCaption);
    QCOMPARE(drive.remark->text(), QStringLiteral("无"));
    QVERIFY(!drive.affects->isChecked());
    QVERIFY(!drive.doesNotAffect->isChecked());

    // The two choices exclude each other.
    drive.affects->setChecked(true);
    drive.doesNotAffect->setChecked(true);
    QVERIFY(!drive.affects->isChecked());

    // The quantity box takes digits and "-" only.
    QTest::keyClicks(drive.quantity, QStringLiteral("1a.2-"));
    QCOMPARE(drive.quantity->text(), QStringLiteral("12-"));
}

void TestReturns::openFunctionsMakeOwnedModelessWindows()
{
    TestEnvironment env;
    QWidget mainWindow;
    env.context().setMainWindow(&mainWindow);
    for (auto open : {&openSalesReturnsWindow, &openLoanReturnsWindow, &openProblemGoodsWindow}) {
        QPointer<QWidget> window = open(env.context());
        QVERIFY(window);
        QCOMPARE(window->parentWidget(), &mainWindow);
        QVERIFY(window->isWindow());
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
        window->close();
        QTRY_VERIFY(!window);
    }
}

void TestReturns::saleAcceptsWhatIsLeftAndRefusesMore()
{
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, kSale, kLot, QStringLiteral("5"), QStringLiteral("3"));
    SalesReturnsWindow window(env.context());
    ReturnsDriver drive(env, &window, false);

    QCOMPARE(drive.returnGoods(kSale, QStringLiteral("3"), true),
             QStringLiteral("退货数量大于购买数量请核对后处理"));
    QCOMPARE(stockOf(env, kLot), QStringLiteral("7"));
    QCOMPARE(env.count(QStringLiteral("退货管理模块")), 0);

    drive.detail->setText(QStringLiteral("质量问题"));
    QCOMPARE(drive.returnGoods(kSale, QStringLiteral("2"), true), QStringLiteral("操作成功"));
    QCOMPARE(env.value(QStringLiteral("select 退货记录 from 销售管理模块")), QStringLiteral("5"));
    QCOMPARE(stockOf(env, kLot), QStringLiteral("9"));
    QCOMPARE(env.refreshCount(), 1);
    QCOMPARE(
        env.value(QStringLiteral("select 退货单号||'|'||销售单号||'|'||入库单号||'|'||产品ID||'|'||"
                                 "产品名称||'|'||退货数量||'|'||产品单位||'|'||退货原因||'|'||"
                                 "是否影响二次销售||'|'||退货时间||'|'||操作人员||'|'||备注 "
                                 "from 退货管理模块")),
        window.lastOutcome().returnNumber + "|" + kSale + "|" + kLot +
            "|6901|苹果|2|个|质量问题|不影响|2018-3-5|admin|无");
    QVERIFY(window.lastOutcome().returnNumber.startsWith(QStringLiteral("th2018359")));
    QCOMPARE(env.count(QStringLiteral("问题处理模块")), 0);
    // The list shows the new running total.
    QCOMPARE(drive.list->cellText(0, 10), QStringLiteral("5"));

    // Nothing is left of the sale now.
    QCOMPARE(drive.returnGoods(kSale, QStringLiteral("1"), true),
             QStringLiteral("退货数量大于购买数量请核对后处理"));
    QCOMPARE(env.fatalErrors(), QStringList());
}

void TestReturns::loanAcceptsWhatIsLeftAndRefusesMore()
{
    TestEnvironment env(QStringLiteral("仓管员"));
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("2"));
    addLoan(env, kLoan, kLot, QStringLiteral("4"), QStringLiteral("1"));
    LoanReturnsWindow window(env.context());
    ReturnsDriver drive(env, &window, true);

    QCOMPARE(drive.returnGoods(kLoan, QStringLiteral("4"), true),
             QStringLiteral("归还数量大于借用数量请核对后处理"));
    drive.detail->setText(QStringLiteral("李四"));
    QCOMPARE(drive.returnGoods(kLoan, QStringLiteral("3"), true), QStringLiteral("操作成功"));
    QCOMPARE(env.value(QStringLiteral("select 归还记录 from 借用管理模块")), QStringLiteral("4"));
    QCOMPARE(stockOf(env, kLot), QStringLiteral("5"));
    QCOMPARE(
        env.value(QStringLiteral("select 归还单号||'|'||借用单号||'|'||入库单号||'|'||产品ID||'|'||"
                                 "产品名称||'|'||归还数量||'|'||产品单位||'|'||归还人员||'|'||"
                                 "是否影响二次销售||'|'||归还时间||'|'||接收人员||'|'||备注 "
                                 "from 归还管理模块")),
        window.lastOutcome().returnNumber + "|" + kLoan + "|" + kLot +
            "|6901|苹果|3|个|李四|不影响|2018-3-5|仓管员|无");
    QVERIFY(window.lastOutcome().returnNumber.startsWith(QStringLiteral("gh2018359")));
    // The list column "录入人员" shows the approver.
    QCOMPARE(drive.list->cellText(0, 9), QStringLiteral("审批甲"));
}

void TestReturns::deletedLotComesBackWithTheReturnedStock_data()
{
    bothKinds();
}

void TestReturns::deletedLotComesBackWithTheReturnedStock()
{
    QFETCH(bool, loans);
    TestEnvironment env;
    loans ? addLoan(env, kLoan, kLot, QStringLiteral("5"), "0", "6902", "梨")
          : addSale(env, kSale, kLot, QStringLiteral("5"), "0", "6902", "梨");
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);

    QCOMPARE(drive.returnGoods(loans ? kLoan : kSale, QStringLiteral("2"), true),
             QStringLiteral("操作成功"));
    QCOMPARE(
        env.value(QStringLiteral("select 入库单号||'|'||产品ID||'|'||产品名称||'|'||产品单位||'|'||"
                                 "备注 from 总数据库模块")),
        kLot + QStringLiteral("|6902|梨|个|退货产品"));
    QCOMPARE(stockOf(env, kLot), QStringLiteral("2"));
    QCOMPARE(env.count(QStringLiteral("总数据库模块")), 1);
    QCOMPARE(env.refreshCount(), 1); // the main window shows the lot again
}

void TestReturns::soldOutLotKeepsItsOneRow_data()
{
    bothKinds();
}

void TestReturns::soldOutLotKeepsItsOneRow()
{
    QFETCH(bool, loans);
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("0"),
                 QStringLiteral("个"), QStringLiteral("首批"));
    loans ? addLoan(env, kLoan, kLot, QStringLiteral("5")) : addSale(env, kSale, kLot, "5");
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);

    QCOMPARE(drive.returnGoods(loans ? kLoan : kSale, QStringLiteral("3"), true),
             QStringLiteral("操作成功"));
    QCOMPARE(env.count(QStringLiteral("总数据库模块")), 1);
    QCOMPARE(stockOf(env, kLot), QStringLiteral("3"));
    QCOMPARE(env.value(QStringLiteral("select 备注 from 总数据库模块")), QStringLiteral("首批"));
}

void TestReturns::unsellableGoodsBecomeOneProblemRecord_data()
{
    bothKinds();
}

void TestReturns::unsellableGoodsBecomeOneProblemRecord()
{
    QFETCH(bool, loans);
    TestEnvironment env(QStringLiteral("仓管员"));
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    loans ? addLoan(env, kLoan, kLot, QStringLiteral("5")) : addSale(env, kSale, kLot, "5");
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);
    drive.remark->setText(QStringLiteral("外包装破损"));
    drive.detail->setText(QStringLiteral("不写入问题记录"));

    QCOMPARE(drive.returnGoods(loans ? kLoan : kSale, QStringLiteral("2"), false),
             QStringLiteral("操作成功"));
    QCOMPARE(stockOf(env, kLot), QStringLiteral("7"));
    QCOMPARE(env.count(QStringLiteral("问题处理模块")), 1);

    const QString returns = loans ? QStringLiteral("归还管理模块") : QStringLiteral("退货管理模块");
    const QString numberColumn = loans ? QStringLiteral("归还单号") : QStringLiteral("退货单号");
    const QString quantityColumn = loans ? QStringLiteral("归还数量") : QStringLiteral("退货数量");
    // The problem record matches its return document.
    const QString document = env.value(
        QStringLiteral(
            "select %1||'|'||入库单号||'|'||产品ID||'|'||产品名称||'|'||%2||'|'||产品单位||"
            "'|'||是否影响二次销售||'|'||备注 from %3")
            .arg(numberColumn, quantityColumn, returns));
    const QString problem = env.value(
        QStringLiteral("select %1||'|'||入库单号||'|'||产品ID||'|'||产品名称||'|'||问题数量||'|'||"
                       "产品单位||'|影响|'||备注 from 问题处理模块")
            .arg(numberColumn));
    QCOMPARE(problem, document);
    QCOMPARE(document.section('|', 0, 0), window->lastOutcome().returnNumber);

    const QString source = loans ? kLoan : kSale;
    QCOMPARE(
        env.value(
            QStringLiteral("select 问题单号||'|'||ifnull(销售单号,'')||'|'||ifnull(借用单号,'')"
                           "||'|'||问题原因||'|'||发现时间||'|'||录入人员 from 问题处理模块")),
        window->lastOutcome().problemNumber + "|" + (loans ? QString() : source) + "|" +
            (loans ? source : QString()) + "|" +
            (loans ? QStringLiteral("归还且无法再次销售") : QStringLiteral("退货且无法再次销售")) +
            "|2018-3-5|仓管员");
    QVERIFY(window->lastOutcome().problemNumber.startsWith(QStringLiteral("wt2018359")));
    QCOMPARE(env.value(QStringLiteral("select %1 from %2")
                           .arg(QString(loans ? "归还记录" : "退货记录"),
                                QString(loans ? "借用管理模块" : "销售管理模块"))),
             QStringLiteral("2"));
}

void TestReturns::quantityIsStoredAsTyped()
{
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, kSale, kLot, QStringLiteral("5"));
    SalesReturnsWindow window(env.context());
    ReturnsDriver drive(env, &window, false);
    QVERIFY(drive.select(kSale));
    drive.quantity->setText(QStringLiteral("2abc")); // pasted: the filter does not apply
    drive.doesNotAffect->setChecked(true);
    QCOMPARE(drive.press(), QStringLiteral("操作成功"));
    QCOMPARE(env.value(QStringLiteral("select 退货数量 from 退货管理模块")),
             QStringLiteral("2abc"));
    QCOMPARE(stockOf(env, kLot), QStringLiteral("9"));
    QCOMPARE(env.value(QStringLiteral("select 退货记录 from 销售管理模块")), QStringLiteral("2"));
}

void TestReturns::returnsKeepFractions_data()
{
    QTest::addColumn<bool>("loans");
    QTest::addColumn<QString>("stock");
    QTest::addColumn<QString>("out");      // quantity sold or lent
    QTest::addColumn<QString>("returned"); // returned so far
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<bool>("sellable");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stockAfter");
    QTest::addColumn<QString>("returnedAfter");

    const QString done = QStringLiteral("操作成功");
    const QString tooMuchSold = QStringLiteral("退货数量大于购买数量请核对后处理");
    const QString tooMuchLent = QStringLiteral("归还数量大于借用数量请核对后处理");
    QTest::newRow("sales: 7.5 + 2") << false << "7.5"
                                    << "5"
                                    << "0"
                                    << "2" << true << done << "9.5"
                                    << "2";
    QTest::newRow("sales: 1.5 returned + 1") << false << "7"
                                             << "3"
                                             << "1.5"
                                             << "1" << true << done << "8"
                                             << "2.5";
    QTest::newRow("sales: 2.5 returned of 3 leaves no 1") << false << "7"
                                                          << "3"
                                                          << "2.5"
                                                          << "1" << true << tooMuchSold << "7"
                                                          << "2.5";
    QTest::newRow("sales: within tolerance") << false << "7"
                                             << "2"
                                             << "1"
                                             << "1.00000005" << true << done << "8"
                                             << "2";
    QTest::newRow("sales: unsellable") << false << "7.5"
                                       << "3"
                                       << "0.5"
                                       << "2.5" << false << done << "7.5"
                                       << "3";
    QTest::newRow("sales: not finite") << false << "7"
                                       << "5"
                                       << "0"
                                       << "1e999" << true << QString("退货数量有误") << "7"
                                       << "0";
    QTest::newRow("loans: lent 1.5, back 1.5") << true << "2"
                                               << "1.5"
                                               << "0"
                                               << "1.5" << true << done << "3.5"
                                               << "1.5";
    QTest::newRow("loans: lent 2.5, 1.5 back, 1.5 more") << true << "2"
                                                         << "2.5"
                                                         << "1.5"
                                                         << "1.5" << true << tooMuchLent << "2"
                                                         << "1.5";
    QTest::newRow("loans: snapped to whole") << true << "1"
                                             << "2"
                                             << "0"
                                             << "0.99999995" << true << done << "2"
                                             << "1";
}

void TestReturns::returnsKeepFractions()
{
    QFETCH(bool, loans);
    QFETCH(QString, stock);
    QFETCH(QString, out);
    QFETCH(QString, returned);
    QFETCH(QString, quantity);
    QFETCH(bool, sellable);
    QFETCH(QString, message);
    QFETCH(QString, stockAfter);
    QFETCH(QString, returnedAfter);

    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), stock);
    loans ? addLoan(env, kLoan, kLot, out, returned) : addSale(env, kSale, kLot, out, returned);
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);
    QVERIFY(drive.select(loans ? kLoan : kSale));
    drive.quantity->setText(quantity); // pasted: the filter does not apply
    (sellable ? drive.doesNotAffect : drive.affects)->setChecked(true);
    QCOMPARE(drive.press(), message);
    QCOMPARE(stockOf(env, kLot), stockAfter);
    QCOMPARE(env.value(loans ? QStringLiteral("select 归还记录 from 借用管理模块")
                             : QStringLiteral("select 退货记录 from 销售管理模块")),
             returnedAfter);
    // Written as numbers, never as text.
    QCOMPARE(env.value(QStringLiteral("select typeof(产品库存) from 总数据库模块")),
             QStringLiteral("real"));
}

void TestReturns::refusalsComeInOrder_data()
{
    QTest::addColumn<bool>("loans");
    QTest::addColumn<bool>("choose");
    QTest::addColumn<bool>("select");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("message");

    for (bool loans : {false, true}) {
        const char* kind = loans ? "loans " : "sales ";
        const QString noRow = QString(loans ? "请选择要归还的产品" : "请选择要退货的产品");
        const QString badQuantity = QString(loans ? "归还数量不能为空" : "退货数量有误");
        QTest::addRow("%sno radio first", kind)
            << loans << false << false << QString() << QString("是否影响再次销售？？？");
        QTest::addRow("%sno radio with a good entry", kind)
            << loans << false << true << QString("1") << QString("是否影响再次销售？？？");
        QTest::addRow("%sno row before quantity", kind)
            << loans << true << false << QString() << noRow;
        QTest::addRow("%sempty quantity", kind)
            << loans << true << true << QString("") << badQuantity;
        QTest::addRow("%szero", kind) << loans << true << true << QString("0") << badQuantity;
        QTest::addRow("%snegative", kind) << loans << true << true << QString("-2") << badQuantity;
        QTest::addRow("%sno number", kind)
            << loans << true << true << QString("abc") << badQuantity;
        QTest::addRow("%sbelow one", kind)
            << loans << true << true << QString("0.9999998") << badQuantity;
        QTest::addRow("%sone passes", kind)
            << loans << true << true << QString("1") << QString("操作成功");
        QTest::addRow("%sone within tolerance", kind)
            << loans << true << true << QString("0.99999995") << QString("操作成功");
        QTest::addRow("%smore than went out", kind)
            << loans << true << true << QString("6")
            << QString(loans ? "归还数量大于借用数量请核对后处理"
                             : "退货数量大于购买数量请核对后处理");
    }
}

void TestReturns::refusalsComeInOrder()
{
    QFETCH(bool, loans);
    QFETCH(bool, choose);
    QFETCH(bool, select);
    QFETCH(QString, quantity);
    QFETCH(QString, message);

    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    loans ? addLoan(env, kLoan, kLot, QStringLiteral("5")) : addSale(env, kSale, kLot, "5");
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);
    const QStringList before = snapshot(env);

    if (select)
        QVERIFY(drive.select(loans ? kLoan : kSale));
    if (choose)
        drive.doesNotAffect->setChecked(true);
    drive.quantity->setText(quantity);
    // No box waits for the operator with the transaction (and its write lock) still open.
    bool openDuringBox = false;
    env.dialogs().onShown = [&](const ScriptedDialogs::Shown&) {
        openDuringBox = openDuringBox || env.db().inTransaction();
    };
    QCOMPARE(drive.press(), message);
    QVERIFY(!openDuringBox);
    if (message != QStringLiteral("操作成功"))
        QCOMPARE(snapshot(env), before);
    QVERIFY(!env.db().inTransaction());
}

void TestReturns::eachPressMakesNewNumbers()
{
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, kSale, kLot, QStringLiteral("5"));
    SalesReturnsWindow window(env.context());
    ReturnsDriver drive(env, &window, false);

    // A refused press uses up its numbers too.
    QCOMPARE(drive.press(), QStringLiteral("是否影响再次销售？？？"));
    const ReturnOutcome refused = window.lastOutcome();
    QCOMPARE(refused.returnNumber, QStringLiteral("th201835972"));
    QCOMPARE(refused.problemNumber, QStringLiteral("wt201835972"));

    QCOMPARE(drive.returnGoods(kSale, QStringLiteral("1"), false), QStringLiteral("操作成功"));
    const ReturnOutcome first = window.lastOutcome();
    QCOMPARE(drive.returnGoods(kSale, QStringLiteral("1"), false), QStringLiteral("操作成功"));
    const ReturnOutcome second = window.lastOutcome();
    QVERIFY(first.returnNumber != refused.returnNumber);
    QVERIFY(second.returnNumber != first.returnNumber);
    QVERIFY(second.problemNumber != first.problemNumber);
    QCOMPARE(env.count(QStringLiteral("退货管理模块")), 2);
    QCOMPARE(env.count(QStringLiteral("问题处理模块")), 2);
}

void TestReturns::refilledListNeedsANewSelection()
{
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, QStringLiteral("xs1"), kLot, QStringLiteral("5"));
    addSale(env, kSale, kLot, QStringLiteral("5"), "0", "6903", "香蕉");
    SalesReturnsWindow window(env.context());
    ReturnsDriver drive(env, &window, false);
    drive.search->setText(QStringLiteral("香蕉"));
    QTest::mouseClick(drive.find, Qt::LeftButton);
    QCOMPARE(drive.list->rowCount(), 1);

    drive.detail->setText(QStringLiteral("原因"));
    QCOMPARE(drive.returnGoods(kSale, QStringLiteral("2"), true), QStringLiteral("操作成功"));
    // The whole list comes back, with no current row; boxes and choice keep their contents.
    QCOMPARE(drive.list->rowCount(), 2);
    QCOMPARE(drive.list->currentRow(), -1);
    QCOMPARE(window.selection().document, kSale);
    QCOMPARE(drive.quantity->text(), QStringLiteral("2"));
    QCOMPARE(drive.detail->text(), QStringLiteral("原因"));
    QCOMPARE(drive.search->text(), QStringLiteral("香蕉"));
    QVERIFY(drive.doesNotAffect->isChecked());
    QCOMPARE(drive.press(), QStringLiteral("请选择要退货的产品"));
}

void TestReturns::missingDocumentRollsBackTheRecreatedLot_data()
{
    bothKinds();
}

void TestReturns::missingDocumentRollsBackTheRecreatedLot()
{
    QFETCH(bool, loans);
    TestEnvironment env;
    const QString document = loans ? kLoan : kSale;
    loans ? addLoan(env, kLoan, kLot, QStringLiteral("5")) : addSale(env, kSale, kLot, "5");
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);
    QVERIFY(drive.select(document));
    // The document goes away after it was listed.
    QVERIFY(env.db().ExecuteSql(loans ? QStringLiteral("delete from 借用管理模块")
                                      : QStringLiteral("delete from 销售管理模块")));
    drive.typeQuantity(QStringLiteral("1"));
    drive.doesNotAffect->setChecked(true);
    QCOMPARE(drive.press(), QStringLiteral("操作失败"));
    QCOMPARE(env.count(QStringLiteral("总数据库模块")), 0);
    QVERIFY(!env.db().inTransaction());
}

void TestReturns::unreadReturnedTotalIsRefusedForSalesOnly()
{
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, kSale, kLot, QStringLiteral("5"), QStringLiteral("-1"));
    addLoan(env, kLoan, kLot, QStringLiteral("5"), QStringLiteral("-1"));
    {
        SalesReturnsWindow window(env.context());
        ReturnsDriver drive(env, &window, false);
        QCOMPARE(drive.returnGoods(kSale, QStringLiteral("1"), true), QStringLiteral("操作失败"));
        QCOMPARE(stockOf(env, kLot), QStringLiteral("7"));
    }
    {
        // A loan's total is taken as it reads: 5 lent, -1 returned leaves 6.
        LoanReturnsWindow window(env.context());
        ReturnsDriver drive(env, &window, true);
        QCOMPARE(drive.returnGoods(kLoan, QStringLiteral("6"), true), QStringLiteral("操作成功"));
        QCOMPARE(env.value(QStringLiteral("select 归还记录 from 借用管理模块")),
                 QStringLiteral("5"));
    }
}

void TestReturns::failedWriteRollsEverythingBack_data()
{
    QTest::addColumn<bool>("loans");
    QTest::addColumn<bool>("sellable");
    QTest::addColumn<bool>("lotExists");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("message");

    for (bool loans : {false, true}) {
        const char* kind = loans ? "loans " : "sales ";
        const char* source = loans ? "借用管理模块" : "销售管理模块";
        const char* returns = loans ? "归还管理模块" : "退货管理模块";
        QTest::addRow("%slot re-creation", kind)
            << loans << true << false << QString("before insert on 总数据库模块")
            << QString("产品入库失败");
        QTest::addRow("%sstock update", kind)
            << loans << true << true << QString("before update on 总数据库模块")
            << QString("操作失败");
        QTest::addRow("%sproblem record", kind)
            << loans << false << true << QString("before insert on 问题处理模块")
            << QString("操作失败");
        QTest::addRow("%sreturned total after re-creation", kind)
            << loans << true << false << QStringLiteral("before update on %1").arg(QString(source))
            << QString("操作失败");
        QTest::addRow("%sreturn document", kind)
            << loans << false << true << QStringLiteral("before insert on %1").arg(QString(returns))
            << QString("操作失败");
    }
}

void TestReturns::failedWriteRollsEverythingBack()
{
    QFETCH(bool, loans);
    QFETCH(bool, sellable);
    QFETCH(bool, lotExists);
    QFETCH(QString, trigger);
    QFETCH(QString, message);

    TestEnvironment env;
    if (lotExists)
        env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    loans ? addLoan(env, kLoan, kLot, QStringLiteral("5")) : addSale(env, kSale, kLot, "5");
    QVERIFY(env.refuseWrites(trigger));
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);
    const QStringList before = snapshot(env);

    bool openDuringBox = false;
    env.dialogs().onShown = [&](const ScriptedDialogs::Shown&) {
        openDuringBox = openDuringBox || env.db().inTransaction();
    };
    QCOMPARE(drive.returnGoods(loans ? kLoan : kSale, QStringLiteral("2"), sellable), message);
    QVERIFY(!openDuringBox);
    QCOMPARE(snapshot(env), before);
    QVERIFY(!env.db().inTransaction());
    QCOMPARE(env.refreshCount(), 0);
}

void TestReturns::searchFindsNamesBeforeIds_data()
{
    QTest::addColumn<bool>("loans");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("listed");

    for (bool loans : {false, true}) {
        const char* kind = loans ? "loans " : "sales ";
        // Name 苹果 has ID 6901, name 果6901 has ID 7000, name 梨 has ID 8000.
        QTest::addRow("%sname", kind) << loans << QString("苹果") << QStringList{"d1"};
        QTest::addRow("%sname wins over id", kind) << loans << QString("6901") << QStringList{"d2"};
        QTest::addRow("%sid when no name", kind) << loans << QString("800") << QStringList{"d3"};
        QTest::addRow("%sempty lists all", kind)
            << loans << QString("") << QStringList{"d1", "d2", "d3"};
        QTest::addRow("%squote is plain text", kind) << loans << QString("苹'") << QStringList{};
        QTest::addRow("%sno match", kind) << loans << QString("西瓜") << QStringList{};
    }
}

void TestReturns::searchFindsNamesBeforeIds()
{
    QFETCH(bool, loans);
    QFETCH(QString, text);
    QFETCH(QStringList, listed);

    TestEnvironment env;
    auto add = [&](const char* document, const char* id, const char* name) {
        loans ? addLoan(env, document, kLot, "1", "0", id, name)
              : addSale(env, document, kLot, "1", "0", id, name);
    };
    add("d1", "6901", "苹果");
    add("d2", "7000", "果6901");
    add("d3", "8000", "梨");
    auto window = openWindow(env, loans);
    ReturnsDriver drive(env, window.get(), loans);
    QCOMPARE(drive.list->rowCount(), 3);

    drive.search->setText(text);
    QTest::mouseClick(drive.find, Qt::LeftButton);
    QStringList shown;
    for (int row = 0; row < drive.list->rowCount(); ++row) {
        QCOMPARE(drive.list->cellText(row, 0), QString::number(row + 1));
        shown << drive.list->cellText(row, 1);
    }
    QCOMPARE(shown, listed);
    QCOMPARE(env.dialogs().shown().size(), 0);
}

void TestReturns::scanListsByProductId()
{
    TestEnvironment env;
    addSale(env, QStringLiteral("xs1"), kLot, "1", "0", "6901", "苹果");
    addSale(env, QStringLiteral("xs2"), kLot, "1", "0", "7000", "6901梨");
    SalesReturnsWindow window(env.context());
    ReturnsDriver drive(env, &window, false);

    env.dialogs().answerInput(QStringLiteral("690"));
    QTest::mouseClick(drive.scanButton, Qt::LeftButton);
    const ScriptedDialogs::Shown box = env.dialogs().last();
    QVERIFY(box.isInput);
    QCOMPARE(box.text, QStringLiteral("请扫描条形码即入库扫描的信息"));
    QCOMPARE(box.title, QStringLiteral("扫描窗口"));
    QCOMPARE(box.initialText, QString());
    QCOMPARE(box.mode, InputMode::Scan);
    QCOMPARE(box.owner, &window);
    QCOMPARE(drive.list->rowCount(), 1);
    QCOMPARE(drive.list->cellText(0, 1), QStringLiteral("xs1"));

    // A cancelled scan lists every sale.
    env.dialogs().answerInput(std::nullopt);
    QTest::mouseClick(drive.scanButton, Qt::LeftButton);
    QCOMPARE(drive.list->rowCount(), 2);
}

void TestReturns::enterKeysFollowEachWindowsFlow()
{
    TestEnvironment env;
    for (bool loans : {false, true}) {
        auto window = openWindow(env, loans);
        ReturnsDriver drive(env, window.get(), loans);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));

        drive.quantity->setFocus();
        QTest::keyClick(drive.quantity, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), drive.detail);
        QTest::keyClick(drive.detail, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), drive.affects);
        // Only the returner box also makes the choice.
        QCOMPARE(drive.affects->isChecked(), loans);

        QTest::keyClick(drive.affects, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), drive.doesNotAffect);
        QVERIFY(drive.doesNotAffect->isChecked());
        QTest::keyClick(drive.doesNotAffect, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), drive.affects);
        QVERIFY(drive.affects->isChecked());
        QTest::keyClick(drive.affects, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), drive.remark);
        drive.doesNotAffect->setFocus();
        QTest::keyClick(drive.doesNotAffect, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(QApplication::focusWidget(), drive.remark);
    }
}

void TestReturns::remarkEnterRunsOnlyWhileItReadsNone()
{
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, kSale, kLot, "5", "0", "6901", "苹果");
    addSale(env, QStringLiteral("xs2"), kLot, "5", "0", "6902", "梨");
    addLoan(env, kLoan, kLot, QStringLiteral("5"));

    // Sales returns: Enter in the remark box searches.
    {
        SalesReturnsWindow window(env.context());
        ReturnsDriver drive(env, &window, false);
        QVERIFY(drive.select(kSale));
        drive.typeQuantity(QStringLiteral("1"));
        drive.doesNotAffect->setChecked(true);
        drive.search->setText(QStringLiteral("梨"));
        QTest::keyClick(drive.remark, Qt::Key_Return);
        QCOMPARE(drive.list->rowCount(), 1);
        QCOMPARE(drive.list->cellText(0, 1), QStringLiteral("xs2"));
        QCOMPARE(env.count(QStringLiteral("退货管理模块")), 0);

        drive.search->setText(QStringLiteral("苹果"));
        drive.remark->setText(QStringLiteral("无 "));
        QTest::keyClick(drive.remark, Qt::Key_Return);
        QCOMPARE(drive.list->cellText(0, 1), QStringLiteral("xs2"));
    }
    // Returns of lent goods: Enter in the remark box returns.
    {
        LoanReturnsWindow window(env.context());
        ReturnsDriver drive(env, &window, true);
        QVERIFY(drive.select(kLoan));
        drive.typeQuantity(QStringLiteral("2"));
        drive.doesNotAffect->setChecked(true);
        env.dialogs().answerMessage();
        QTest::keyClick(drive.remark, Qt::Key_Return);
        QCOMPARE(env.dialogs().last().text, QStringLiteral("操作成功"));
        QCOMPARE(env.count(QStringLiteral("归还管理模块")), 1);

        QVERIFY(drive.select(kLoan));
        drive.remark->setText(QStringLiteral("已修好"));
        const qsizetype boxes = env.dialogs().shown().size();
        QTest::keyClick(drive.remark, Qt::Key_Return);
        QCOMPARE(env.dialogs().shown().size(), boxes);
        QCOMPARE(env.count(QStringLiteral("归还管理模块")), 1);
    }
    QCOMPARE(stockOf(env, kLot), QStringLiteral("9"));
}

void TestReturns::cancelClosesBothWindows()
{
    TestEnvironment env;
    for (bool loans : {false, true}) {
        auto window = openWindow(env, loans);
        ReturnsDriver drive(env, window.get(), loans);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(drive.cancel, Qt::LeftButton);
        QVERIFY(!window->isVisible());
    }
    QCOMPARE(env.dialogs().shown().size(), 0);
}

void TestReturns::focusAtOpeningDiffers()
{
    TestEnvironment env;
    for (bool loans : {false, true}) {
        auto window = openWindow(env, loans);
        ReturnsDriver drive(env, window.get(), loans);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        if (loans)
            QVERIFY(QApplication::focusWidget() != drive.search);
        else
            QCOMPARE(QApplication::focusWidget(), drive.search);
    }
}

void TestReturns::tabFollowsTheEnterChain()
{
    TestEnvironment env;
    for (bool loans : {false, true}) {
        auto window = openWindow(env, loans);
        ReturnsDriver drive(env, window.get(), loans);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));

        // The two radio buttons are one Tab stop; the arrow keys move between them.
        drive.quantity->setFocus();
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int step = 0; step < 10; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        const QString quantity = drive.quantity->objectName();
        QCOMPARE(visited, (QStringList{quantity, drive.detail->objectName(), "单选框_影响",
                                       "编辑框_备注", drive.action->objectName(), "按钮_取消",
                                       "编辑框_查找", drive.find->objectName(), "按钮_扫描",
                                       drive.list->objectName(), quantity}));
    }
}

void TestReturns::quotesInKeptTextsAreData()
{
    // Document numbers, lot numbers and names are bound, so a quote in them is only a character.
    TestEnvironment env;
    const QString lot = QStringLiteral("rk'1");
    const QString sale = QStringLiteral("xs'1");
    const QString loan = QStringLiteral("jy'1");
    env.addStock(lot, QStringLiteral("69'01"), QStringLiteral("苹'果"), QStringLiteral("7"));
    addSale(env, sale, lot, QStringLiteral("5"), "0", "69'01", "苹'果");
    addLoan(env, loan, lot, QStringLiteral("5"), "0", "69'01", "苹'果");
    for (bool loans : {false, true}) {
        auto window = openWindow(env, loans);
        ReturnsDriver drive(env, window.get(), loans);
        QCOMPARE(drive.returnGoods(loans ? loan : sale, QStringLiteral("2"), true),
                 QStringLiteral("操作成功"));
        QCOMPARE(drive.returnGoods(loans ? loan : sale, QStringLiteral("1"), false),
                 QStringLiteral("操作成功"));
    }
    QCOMPARE(stockOf(env, lot), QStringLiteral("11"));
    QCOMPARE(env.value(QStringLiteral("select 退货记录 from 销售管理模块")), QStringLiteral("3"));
    QCOMPARE(env.value(QStringLiteral("select 归还记录 from 借用管理模块")), QStringLiteral("3"));
    QCOMPARE(
        env.value(QStringLiteral("select count(*) from 问题处理模块 where 入库单号=? "), {lot}),
        QStringLiteral("2"));
}

void TestReturns::failedQueryLeavesOtherRecordSetsOpen()
{
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, kSale, kLot, QStringLiteral("5"));
    SalesReturnsWindow window(env.context());
    ReturnsDriver drive(env, &window, false);
    QVERIFY(drive.select(kSale));
    drive.typeQuantity(QStringLiteral("1"));
    drive.affects->setChecked(true);

    // With every record set taken, the return's queries fail: the return fails and rolls back,
    // and the record sets others hold stay open.
    const QStringList before = snapshot(env);
    QList<int> held;
    while (env.db().openRecordSetCount() < Database::kMaxRecordSets)
        held << env.db().OpenTable(QStringLiteral("select * from 总数据库模块"));
    QCOMPARE(env.db().openRecordSetCount(), Database::kMaxRecordSets);
    QCOMPARE(drive.press(), QStringLiteral("操作失败"));
    QCOMPARE(env.db().openRecordSetCount(), Database::kMaxRecordSets);
    QVERIFY(!env.db().inTransaction());
    for (int handle : held)
        env.db().CloseTable(handle);
    QCOMPARE(snapshot(env), before);
    QCOMPARE(env.fatalErrors(), QStringList());
}

void TestReturns::problemViewShowsEachKindsColumns()
{
    TestEnvironment env;
    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, kSale, kLot, QStringLiteral("5"));
    addLoan(env, kLoan, kLot, QStringLiteral("5"));
    ReturnOutcome sale;
    ReturnOutcome loan;
    {
        SalesReturnsWindow window(env.context());
        ReturnsDriver drive(env, &window, false);
        QCOMPARE(drive.returnGoods(kSale, QStringLiteral("2"), false), QStringLiteral("操作成功"));
        sale = window.lastOutcome();
    }
    {
        LoanReturnsWindow window(env.context());
        ReturnsDriver drive(env, &window, true);
        QCOMPARE(drive.returnGoods(kLoan, QStringLiteral("3"), false), QStringLiteral("操作成功"));
        loan = window.lastOutcome();
    }

    ProblemGoodsWindow view(env.context());
    QCOMPARE(view.windowTitle(), QStringLiteral("问题产品统计"));
    auto* list = view.findChild<ReportList*>(QStringLiteral("超级列表框_问题"));
    QVERIFY(list);
    QCOMPARE(list->geometry(), QRect(8, 38, 880, 397));
    QCOMPARE(list->columnCount(), 15);
    QCOMPARE(list->columnTitle(14), QStringLiteral("备注"));
    QList<int> widths;
    for (int column = 0; column < 15; ++column)
        widths << list->columnWidth(column);
    QCOMPARE(widths,
             (QList<int>{50, 123, 123, 123, 123, 123, 123, 123, 123, 80, 80, 123, 123, 80, 123}));
    QCOMPARE(list->rowCount(), 2);

    auto row = [&](int index) {
        QStringList cells;
        for (int column = 0; column < 15; ++column)
            cells << list->cellText(index, column);
        return cells;
    };
    QCOMPARE(row(0),
             (QStringList{"1", sale.problemNumber, kLot, kSale, sale.returnNumber, "", "", "6901",
                          "苹果", "2", "个", "退货且无法再次销售", "2018-3-5", "admin", "无"}));
    QCOMPARE(row(1),
             (QStringList{"2", loan.problemNumber, kLot, "", "", kLoan, loan.returnNumber, "6901",
                          "苹果", "3", "个", "归还且无法再次销售", "2018-3-5", "admin", "无"}));
    QCOMPARE(env.fatalErrors(), QStringList());
}

void TestReturns::problemViewIsFilledOnceAtOpening()
{
    TestEnvironment env;
    ProblemGoodsWindow empty(env.context());
    auto* list = empty.findChild<ReportList*>(QStringLiteral("超级列表框_问题"));
    QCOMPARE(list->rowCount(), 0);

    env.addStock(kLot, QStringLiteral("6901"), QStringLiteral("苹果"), QStringLiteral("7"));
    addSale(env, kSale, kLot, QStringLiteral("5"));
    SalesReturnsWindow window(env.context());
    ReturnsDriver drive(env, &window, false);
    QCOMPARE(drive.returnGoods(kSale, QStringLiteral("1"), false), QStringLiteral("操作成功"));

    QCOMPARE(list->rowCount(), 0);
    ProblemGoodsWindow reopened(env.context());
    QCOMPARE(reopened.findChild<ReportList*>(QStringLiteral("超级列表框_问题"))->rowCount(), 1);
    QCOMPARE(env.dialogs().shown().size(), 1);
}

QTEST_MAIN(TestReturns)
#include "test_returns.moc"
