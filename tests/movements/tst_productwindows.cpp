// SPDX-License-Identifier: GPL-3.0-or-later
// The sales, stock-out and borrowing windows, driven offscreen through their control names and
// the scripted boxes, against a real database file.

#include "movements/windows.h"
#include "tests/movements/windowdriver.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdatabase.h"
#include "ui/geometry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

QString row(TestEnvironment& env, const QString& table)
{
    const int handle = env.db().OpenTable("select * from " + table);
    QStringList cells;
    for (const QString& column : env.db().columnNames(handle))
        cells.append(env.db().readDisplay(handle, column));
    env.db().CloseTable(handle);
    return cells.join('|');
}

QString stock(TestEnvironment& env, const QString& lot = "rk1")
{
    return env.value("select 产品库存 from 总数据库模块 where 入库单号=? ", {lot});
}

QStringList lots(ReportList* list)
{
    QStringList found;
    for (int r = 0; r < list->rowCount(); ++r)
        found.append(list->cellText(r, 1));
    return found;
}

// Opens a window and waits until it is on screen, so that rows can be clicked.
QWidget* shown(QWidget* window)
{
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("window not exposed");
    return window;
}

} // namespace

class TestProductWindows : public QObject
{
    Q_OBJECT
private slots:
    void windowsAreOwnedByTheMainWindow();
    void layouts_data();
    void layouts();

    void saleLowersStock();
    void sellAllThenStockZero();
    void saleBeyondStockWritesNothing();
    void saleQuantityRefused_data();
    void saleQuantityRefused();
    void saleAsksQuantityBeforeSelection();
    void salesSearchOnEnter();

    void stockOutPastedDecimal();
    void stockOutChecksSelectionFirst();
    void stockOutKeyboardAndSearch();
    void stockOutScan();
    void failedStockOutInsertRollsBack();

    void lendByEnterInRemark();
    void lendChecks();
};

void TestProductWindows::windowsAreOwnedByTheMainWindow()
{
    TestEnvironment env;
    QWidget mainWindow;
    env.context().setMainWindow(&mainWindow);
    OpenWindow sales(openSalesWindow(env.context()));
    OpenWindow stockOut(openStockOutWindow(env.context()));
    OpenWindow lending(openBorrowingWindow(env.context()));
    for (QWidget* window : {sales.get(), stockOut.get(), lending.get()}) {
        QCOMPARE(window->parentWidget(), &mainWindow);
        QVERIFY(window->isWindow());
        QVERIFY(window->isVisible());
        QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(window->pos(), QPoint(50, 50));
    }
    QTest::mouseClick(stockOut.control<QPushButton>("按钮_取消"), Qt::LeftButton);
    processDeferredDeletes();
    QVERIFY(!stockOut);
    QVERIFY(sales && lending);
}

void TestProductWindows::layouts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("outerHeight");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("findButton");
    QTest::addColumn<QStringList>("labels"); // name=caption=buddy
    QTest::newRow("sales") << 0 << "产品销售管理" << 495 << "超级列表框_销售"
                           << "按钮_查找xs"
                           << QStringList{"透明标签1=查找(ID,名称)=编辑框_查找",
                                          "透明标签2=单    价=编辑框_单价"};
    QTest::newRow("stock-out") << 1 << "产品出库界面" << 567 << "超级列表框_出库"
                               << "按钮_查找"
                               << QStringList{"透明标签1=查找(ID,名称)=编辑框_查找",
                                              "透明标签4=出库数量=编辑框_数量",
                                              "透明标签2=出库原因=编辑框_原因",
                                              "透明标签3=备    注=编辑框_备注"};
    QTest::newRow("lending") << 2 << "产品借用管理" << 523 << "超级列表框_借用"
                             << "按钮_查找jy"
                             << QStringList{"透明标签1=查找(ID,名称)=编辑框_查找",
                                            "透明标签2=借用人员=编辑框_人员",
                                            "透明标签3=借用数量=编辑框_数量",
                                            "透明标签4=备    注=编辑框_备注"};
}

void TestProductWindows::layouts()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(int, outerHeight);
    QFETCH(QString, list);
    QFETCH(QString, findButton);
    QFETCH(QStringList, labels);
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    OpenWindow window(kind == 0   ? openSalesWindow(env.context())
                      : kind == 1 ? openStockOutWindow(env.context())
                                  : openBorrowingWindow(env.context()));
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->size(), QSize(737 - kFrameWidth, outerHeight - kFrameHeight));
    auto* products = window.control<ReportList>(list);
    QCOMPARE(products->geometry(), QRect(16, 48, 700, 367));
    QCOMPARE(products->rowCount(), 1);
    QCOMPARE(products->columnTitle(4), "产品库存");
    QCOMPARE(window.control<QPushButton>(findButton)->text(), "查找");
    QCOMPARE(window.control<QPushButton>("按钮_扫描")->text(), "点此扫描");
    for (const QString& label : labels) {
        const QStringList parts = label.split('=');
        auto* caption = window.control<QLabel>(parts.at(0));
        QCOMPARE(caption->text(), parts.at(1));
        QCOMPARE(caption->buddy(), window.control<QWidget>(parts.at(2)));
    }
}

void TestProductWindows::saleLowersStock()
{
    TestEnvironment env("售货员");
    env.addStock("rk1", "A-1", "螺丝", "10", "盒");
    OpenWindow window(shown(openSalesWindow(env.context())));
    auto* list = window.control<ReportList>("超级列表框_销售");
    QCOMPARE(window->focusWidget(), window.control<QLineEdit>("编辑框_查找"));
    QTest::keyClicks(window.control<QLineEdit>("编辑框_单价"), "12.5x");
    clickRow(list, 0);
    QCOMPARE(list->currentRow(), 0);
    env.dialogs().answerInput("3");
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_销售"), Qt::LeftButton);

    const auto& boxes = env.dialogs().shown();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(0).text, "请输入销售数量");
    QCOMPARE(boxes.at(0).title, "销售数量");
    QCOMPARE(boxes.at(0).initialText, "1");
    QCOMPARE(boxes.at(0).mode, InputMode::Integer);
    QCOMPARE(boxes.at(0).owner, window.get());
    QCOMPARE(boxes.at(1).text, "操作成功");
    QCOMPARE(boxes.at(1).title, "提示");
    QCOMPARE(stock(env), "7");
    QCOMPARE(row(env, "销售管理模块"), "xs201835972|rk1|A-1|螺丝|3|盒|12.5|2018-3-5|售货员|0|");
    QCOMPARE(list->cellText(0, 4), "7"); // refilled
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(env.refreshCount(), 1);
    QCOMPARE(window.control<QLineEdit>("编辑框_单价")->text(), "12.5");

    // The kept selection does not stand in for a selected row.
    env.dialogs().answerInput("1");
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_销售"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "请选择要销售的产品");
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(stock(env), "7");
}

void TestProductWindows::sellAllThenStockZero()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    OpenWindow window(shown(openSalesWindow(env.context())));
    auto* list = window.control<ReportList>("超级列表框_销售");
    clickRow(list, 0);
    env.dialogs().answerInput("10");
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_销售"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作成功");
    QCOMPARE(stock(env), "0");

    clickRow(list, 0);
    env.dialogs().answerInput("1");
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_销售"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作失败");
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(env.count("销售管理模块"), 1);
}

void TestProductWindows::saleBeyondStockWritesNothing()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    OpenWindow window(shown(openSalesWindow(env.context())));
    clickRow(window.control<ReportList>("超级列表框_销售"), 0);
    env.dialogs().answerInput("11");
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_销售"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "现有库存不足");
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(stock(env), "10");
    QCOMPARE(env.count("销售管理模块"), 0);
    QCOMPARE(env.refreshCount(), 0);
}

void TestProductWindows::saleQuantityRefused_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::newRow("cancelled") << std::optional<QString>();
    QTest::newRow("0") << std::optional<QString>("0");
    QTest::newRow("-2") << std::optional<QString>("-2");
    QTest::newRow("empty") << std::optional<QString>("");
}

void TestProductWindows::saleQuantityRefused()
{
    QFETCH(std::optional<QString>, answer);
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    OpenWindow window(shown(openSalesWindow(env.context())));
    clickRow(window.control<ReportList>("超级列表框_销售"), 0);
    env.dialogs().answerInput(answer);
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_销售"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "出售数量有误");
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(env.count("销售管理模块"), 0);
}

void TestProductWindows::saleAsksQuantityBeforeSelection()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    OpenWindow window(shown(openSalesWindow(env.context())));
    env.dialogs().answerInput("1");
    env.dialogs().answerMessage();
    // Enter in the unit price sells too.
    QTest::keyClick(window.control<QLineEdit>("编辑框_单价"), Qt::Key_Return);
    QCOMPARE(env.dialogs().texts(), QStringList({"请输入销售数量", "请选择要销售的产品"}));
}

void TestProductWindows::salesSearchOnEnter()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    env.addStock("rk2", "B-2", "螺母", "10");
    OpenWindow window(shown(openSalesWindow(env.context())));
    auto* list = window.control<ReportList>("超级列表框_销售");
    auto* search = window.control<QLineEdit>("编辑框_查找");
    QTest::keyClicks(search, "b-");
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(lots(list), QStringList{"rk2"});
    search->clear();
    QTest::mouseClick(window.control<QPushButton>("按钮_查找xs"), Qt::LeftButton);
    QCOMPARE(lots(list), QStringList({"rk1", "rk2"}));
}

void TestProductWindows::stockOutPastedDecimal()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    OpenWindow window(shown(openStockOutWindow(env.context())));
    auto* list = window.control<ReportList>("超级列表框_出库");
    auto* quantity = window.control<QLineEdit>("编辑框_数量");
    auto* stockOut = window.control<QPushButton>("按钮_出库");
    clickRow(list, 0);
    quantity->setText("2.5"); // only pasting puts a point into the box
    env.dialogs().answerMessage();
    QTest::mouseClick(stockOut, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作成功");
    QCOMPARE(stock(env), "7.5");
    QCOMPARE(row(env, "出库管理模块"), "ck201835972|rk1|A-1|螺丝|2.5|个|未填写|2018-3-5|admin|无");
    QCOMPARE(quantity->text(), "2.5");

    // 7.5 in stock keeps its fraction: 7.6 is too much, 7.5 takes all of it.
    clickRow(list, 0);
    quantity->setText("7.6");
    env.dialogs().answerMessage();
    QTest::mouseClick(stockOut, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "现有库存不足");
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(stock(env), "7.5");
    QCOMPARE(env.count("出库管理模块"), 1);
    clickRow(list, 0);
    quantity->setText("7.5");
    env.dialogs().answerMessage();
    QTest::mouseClick(stockOut, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作成功");
    QCOMPARE(stock(env), "0");
    QCOMPARE(list->cellText(0, 4), "0");
}

void TestProductWindows::stockOutChecksSelectionFirst()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    OpenWindow window(shown(openStockOutWindow(env.context())));
    auto* stockOut = window.control<QPushButton>("按钮_出库");
    env.dialogs().answerMessage();
    QTest::mouseClick(stockOut, Qt::LeftButton);
    QCOMPARE(env.dialogs().texts(), QStringList{"请选择要出库的产品"});

    clickRow(window.control<ReportList>("超级列表框_出库"), 0);
    window.control<QLineEdit>("编辑框_数量")->setText("0.5");
    env.dialogs().answerMessage();
    QTest::mouseClick(stockOut, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "出库数量有误");
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(stock(env), "10");
}

void TestProductWindows::stockOutKeyboardAndSearch()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    env.addStock("rk2", "B-2", "螺母", "10");
    OpenWindow window(shown(openStockOutWindow(env.context())));
    auto* list = window.control<ReportList>("超级列表框_出库");
    auto* search = window.control<QLineEdit>("编辑框_查找");
    auto* quantity = window.control<QLineEdit>("编辑框_数量");
    auto* reason = window.control<QLineEdit>("编辑框_原因");
    auto* remark = window.control<QLineEdit>("编辑框_备注");
    auto* stockOut = window.control<QPushButton>("按钮_出库");

    // Enter in the search box does not search; the find button does.
    QTest::keyClicks(search, "B-");
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(list->rowCount(), 2);
    QTest::mouseClick(window.control<QPushButton>("按钮_查找"), Qt::LeftButton);
    QCOMPARE(lots(list), QStringList{"rk2"});

    // Selecting a row moves to the quantity; Enter walks on to the button, which stocks out.
    clickRow(list, 0);
    QCOMPARE(window->focusWidget(), quantity);
    QTest::keyClicks(quantity, "3");
    QTest::keyClick(quantity, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), reason);
    reason->clear();
    typeText(reason, "损坏");
    QTest::keyClick(reason, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), remark);
    QTest::keyClick(remark, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), stockOut);
    env.dialogs().answerMessage();
    QTest::keyClick(stockOut, Qt::Key_Return);
    QCOMPARE(env.dialogs().last().text, "操作成功");
    QCOMPARE(stock(env, "rk2"), "7");
    QCOMPARE(stock(env, "rk1"), "10");
    QCOMPARE(env.value("select 出库原因 from 出库管理模块"), "损坏");
    QCOMPARE(list->rowCount(), 2); // refilled with every lot

    // Moving with the arrow keys selects as clicks do.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(window->focusWidget(), quantity);
}

void TestProductWindows::stockOutScan()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    env.addStock("rk2", "O'B", "扳手", "10");
    OpenWindow window(shown(openStockOutWindow(env.context())));
    auto* list = window.control<ReportList>("超级列表框_出库");
    env.dialogs().answerInput("'");
    QTest::mouseClick(window.control<QPushButton>("按钮_扫描"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().title, "扫描窗口");
    QCOMPARE(env.dialogs().last().owner, window.get());
    QCOMPARE(lots(list), QStringList{"rk2"});
    env.dialogs().answerInput(std::nullopt);
    QTest::mouseClick(window.control<QPushButton>("按钮_扫描"), Qt::LeftButton);
    QCOMPARE(lots(list), QStringList({"rk1", "rk2"}));
}

void TestProductWindows::failedStockOutInsertRollsBack()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "10");
    QVERIFY(env.refuseWrites("before insert on 出库管理模块"));
    OpenWindow window(shown(openStockOutWindow(env.context())));
    clickRow(window.control<ReportList>("超级列表框_出库"), 0);
    QTest::keyClicks(window.control<QLineEdit>("编辑框_数量"), "4");
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_出库"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作失败");
    QCOMPARE(env.dialogs().last().title, "提示");
    QCOMPARE(stock(env), "10");
    QCOMPARE(env.count("出库管理模块"), 0);

    // The next press makes a new number, and goes through.
    QVERIFY(env.allowWrites());
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_出库"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作成功");
    QCOMPARE(stock(env), "6");
    QCOMPARE(env.value("select 出库单号 from 出库管理模块 where 入库单号=? ", {"rk1"}),
             "ck201835973");
}

void TestProductWindows::lendByEnterInRemark()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "5");
    OpenWindow window(shown(openBorrowingWindow(env.context())));
    auto* list = window.control<ReportList>("超级列表框_借用");
    auto* borrower = window.control<QLineEdit>("编辑框_人员");
    auto* quantity = window.control<QLineEdit>("编辑框_数量");
    auto* remark = window.control<QLineEdit>("编辑框_备注");
    clickRow(list, 0);
    borrower->setFocus();
    QCOMPARE(window->focusWidget(), borrower); // selecting does not move the focus here
    typeText(borrower, "张三");
    QTest::keyClick(borrower, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), quantity);
    QTest::keyClicks(quantity, "2");
    QTest::keyClick(quantity, Qt::Key_Return);
    QCOMPARE(window->focusWidget(), remark);
    env.dialogs().answerMessage();
    QTest::keyClick(remark, Qt::Key_Return);
    QCOMPARE(env.dialogs().texts(), QStringList{"操作成功"});
    QCOMPARE(stock(env), "3");
    QCOMPARE(row(env, "借用管理模块"), "jy201835972|rk1|A-1|螺丝|2|个|张三|2018-3-5|admin|无|0");

    // After the success the list has no current row: the next loan asks for one.
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_借用"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "请选择要借用的产品");
    QCOMPARE(env.dialogs().last().title, "提示");

    // With another remark Enter does nothing; the button still lends.
    clickRow(list, 0);
    remark->setText("急用");
    QTest::keyClick(remark, Qt::Key_Return);
    QCOMPARE(env.dialogs().shown().size(), 2);
    env.dialogs().answerMessage();
    QTest::mouseClick(window.control<QPushButton>("按钮_借用"), Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作成功");
    QCOMPARE(stock(env), "1");
}

void TestProductWindows::lendChecks()
{
    TestEnvironment env;
    env.addStock("rk1", "A-1", "螺丝", "5");
    OpenWindow window(shown(openBorrowingWindow(env.context())));
    auto* list = window.control<ReportList>("超级列表框_借用");
    auto* quantity = window.control<QLineEdit>("编辑框_数量");
    auto* lend = window.control<QPushButton>("按钮_借用");
    clickRow(list, 0);
    QTest::keyClicks(quantity, "0");
    env.dialogs().answerMessage();
    QTest::mouseClick(lend, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "借用数量有误");
    QCOMPARE(env.dialogs().last().title, "信息：");

    quantity->setText("6");
    env.dialogs().answerMessage();
    QTest::mouseClick(lend, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "现有库存不足");
    QCOMPARE(stock(env), "5");
    QCOMPARE(env.count("借用管理模块"), 0);

    // A pasted 2abc passes the quantity rule, but the lending log keeps numbers only.
    quantity->setText("2abc");
    env.dialogs().answerMessage();
    QTest::mouseClick(lend, Qt::LeftButton);
    QCOMPARE(env.dialogs().last().text, "操作失败");
    QCOMPARE(stock(env), "5");
    QCOMPARE(env.count("借用管理模块"), 0);
}

QTEST_MAIN(TestProductWindows)
#include "tst_productwindows.moc"
