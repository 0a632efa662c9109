// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal quantities on a desktop whose locale writes decimals with a comma (German): stock is
// stored and shown with a point all the same, so the number column takes it and lists read it.

#include "movements/windows.h"
#include "tests/movements/windowdriver.h"
#include "tests/support/commalocale.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"

#include <QLineEdit>
#include <QPushButton>

class TestCommaLocale : public QObject
{
    Q_OBJECT
private slots:
    void decimalStockOutAndLoan();
};

void TestCommaLocale::decimalStockOutAndLoan()
{
    CommaDecimalLocale german;
    if (!german.isActive())
        QSKIP("no comma-decimal locale could be made on this system");
    QCOMPARE(QLocale().toString(7.5), QStringLiteral("7,5")); // the desktop's own form

    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    auto stock = [&] {
        return env.value("select 产品库存 from 总数据库模块 where 入库单号=? ", {"rk1"});
    };

    OpenWindow stockOut(openStockOutWindow(env.context()));
    auto* list = stockOut.control<ReportList>("超级列表框_出库");
    list->setCurrentRow(0);
    stockOut.control<QLineEdit>("编辑框_数量")->setText("2.5");
    env.dialogs().answerMessage();
    QTest::mouseClick(stockOut.control<QPushButton>("按钮_出库"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作成功");
    // Stored as the number 7.5, shown as "7.5" in the refilled list.
    QCOMPARE(env.value("select typeof(产品库存) || ':' || (case when 产品库存 = 7.5 then 1 else 0 "
                       "end) from 总数据库模块"),
             "real:1");
    QCOMPARE(stock(), "7.5");
    QCOMPARE(list->cellText(0, 4), "7.5");
    QCOMPARE(env.value("select 出库数量 from 出库管理模块"), "2.5");

    // A loan of 1.5 out of 7.5 leaves 6; one of 5.5 out of that leaves 0.5.
    OpenWindow lending(openBorrowingWindow(env.context()));
    auto* lendingList = lending.control<ReportList>("超级列表框_借用");
    for (const char* quantity : {"1.5", "5.5"}) {
        lendingList->setCurrentRow(0);
        lending.control<QLineEdit>("编辑框_数量")->setText(quantity);
        env.dialogs().answerMessage();
        QTest::mouseClick(lending.control<QPushButton>("按钮_借用"), Qt::LeftButton);
        QCOMPARE(env.dialogs().last().text, "操作成功");
    }
    QCOMPARE(stock(), "0.5");
    QCOMPARE(lendingList->cellText(0, 4), "0.5");
    QCOMPARE(env.value("select group_concat(借用数量, ';') from 借用管理模块"), "1.5;5.5");
}

QTEST_MAIN(TestCommaLocale)
#include "tst_commalocale.moc"
